// Runs the agent the way a management system and a collector on the same machine see it:
// the test owns the status mailslot, starts the agent as a debuggee to collect its debugger
// output, and reads the exit code. Works the same on Windows as under Wine.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "foundation/unique_handle.h"

struct AgentRun {
  bool finished = false;  // the process ended within the time limit
  DWORD exitCode = 0;
  std::vector<std::string> debugOutput;     // each OutputDebugStringA text, without its NUL
  std::vector<std::string> statusMessages;  // each mailslot message, every byte, NUL included

  // Status texts with the sequence byte, the "[TarnUpdate] " prefix and the NUL taken off.
  std::vector<std::string> StatusLines() const;
};

struct AgentRunOptions {
  DWORD timeoutMs = 60000;
  bool createMailslot = true;
  // As a management system starts it: no debugger, so no debugger output, and the system's
  // unhandled-exception filter is called as it would be in the field.
  bool asDebuggee = true;
};

// A time a test waits or allows, multiplied by TARN_SLOWDOWN (whole number, default 1): under
// full-system emulation everything takes several times as long, and the timing-bound cases
// keep their meaning only if every time of theirs grows alike.
DWORD Slowed(DWORD milliseconds);

// Full path of a program built beside the running test program.
std::string ProgramBesideTest(const std::string& fileName);

// The agent's own folder, and where it keeps its private copies of scripts.
inline const std::string kAgentStateFolder = "C:\\ProgramData\\Velmora\\Tarn Configuration Agent";
inline const std::string kScriptCopies = kAgentStateFolder + "\\Scripts";

// Full path of `name` in the temporary folder.
std::string TemporaryPath(const std::string& name);
// A file's bytes; "" when it cannot be read (the caller's expectations then fail).
std::string ReadBytes(const std::string& path);
// Names of the files and folders that `pattern`, a path with wildcards, matches, sorted.
std::vector<std::string> FilesMatching(const std::string& pattern);
// Deletes the files in `folder`, then the folder, which must hold nothing else then.
void RemoveFolder(const std::string& folder);
// ASCII letters upper-cased, as the agent shows the paths it was given.
std::string Upper(std::string text);

// Runs `program` with the raw command line "<quoted program path> <arguments>" (no quoting
// of the arguments: exactly the text a management system passes).
AgentRun RunProgram(const std::string& program, const std::string& arguments, const AgentRunOptions& options = {});

// Runs tarnupd.exe.
AgentRun RunAgent(const std::string& arguments, const AgentRunOptions& options = {});

// Starts a console program without a window, its standard input on NUL, its standard output on
// `output` and its standard error on `error` (or `output`), made inheritable here, or on NUL too.
// The process; none when it did not start.
KernelHandle StartProcess(std::string commandLine, HANDLE output = nullptr, HANDLE error = nullptr);

// The exit code of a process that ends within `timeoutMs`; WAIT_TIMEOUT when it does not.
DWORD WaitForExit(const KernelHandle& process, DWORD timeoutMs);
