// One run of the agent: what the entry point read before the command and what the command
// found out on its way, for the command's handlers and the result text. Built by the entry
// point and handed down; nothing of it is process-wide.
#pragma once

#include <windows.h>

#include <memory>

#include "foundation/text_string.h"

class ScriptCopy;
struct RunDetails;

constexpr int kPathBufferSize = 260;
constexpr int kRequiredVersionBufferSize = 24;
constexpr DWORD kDefaultFuncTimeout = 240000;

struct CommandRun {
  HMODULE module = nullptr;             // the agent's own module: its string table
  const char* upperCommandLine = "";    // the command line, upper-cased
  DWORD funcTimeout = kDefaultFuncTimeout;
  TextString noExtensionString;         // LC_UPDATE\NoExtensionString
  TextString productVersion;            // the product's version text, may be empty
  char scriptPath[kPathBufferSize] = {};               // LC_UPDATE= argument
  // The script's private copy, shared by the entry thread's run and the worker's: it goes when
  // both have let go of it.
  std::shared_ptr<ScriptCopy> scriptCopy;
  bool scriptUnreadable = false;        // 6 because the script is there but could not be held or copied
  char requiredVersion[kRequiredVersionBufferSize] = {};  // LC_VERSION= argument
  TextString targetPath;                // LC_EXEC or LC_FILEVER file
  // A command's part on the entry thread gave up on a thread it started, which may still be
  // inside a system library: the process ends at once after the result.
  bool workAbandoned = false;
  TextString execCommandLine;           // LC_EXEC arguments
  TextString undoFolder;                // LC_UPDATE\UndoFolder; empty: no undo points
  DWORD undoKeep = 0;                   // LC_UPDATE\UndoKeep, undo points kept of each type
  // What the run's report tells beyond the result; shared by the entry thread and the worker's
  // copy of the run, and read while the worker may still write it (see agent/run_event.h).
  RunDetails* details = nullptr;
};
