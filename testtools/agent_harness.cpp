#include "testtools/agent_harness.h"

#include "tarnmon/debuggee.h"
#include "tarnmon/status_mailslot.h"
#include "testtools/trace_names.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// How long each wait for a debug event lasts before the mailslot is read again.
constexpr DWORD kTurnMs = 20;

}  // namespace

std::vector<std::string> AgentRun::StatusLines() const {
  std::vector<std::string> lines;
  for (const std::string& message : statusMessages) {
    lines.push_back(tarnmon::SplitStatusMessage(message, kTestStatusPrefix).text);
  }
  return lines;
}

DWORD Slowed(DWORD milliseconds) {
  char factor[16] = {};
  const DWORD length = GetEnvironmentVariableA("TARN_SLOWDOWN", factor, sizeof factor);
  const unsigned long times = length > 0 && length < sizeof factor ? std::strtoul(factor, nullptr, 10) : 1;
  return milliseconds * static_cast<DWORD>(times > 0 ? times : 1);
}

std::string ProgramBesideTest(const std::string& fileName) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory(path);
  directory.resize(directory.find_last_of("\\/") + 1);
  return directory + fileName;
}

std::string TemporaryPath(const std::string& name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return folder + name;
}

std::string ReadBytes(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

std::vector<std::string> FilesMatching(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const FileSearch search(FindFirstFileA(pattern.c_str(), &found));
  for (BOOL more = static_cast<bool>(search); more; more = FindNextFileA(search.get(), &found)) {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void RemoveFolder(const std::string& folder) {
  for (const std::string& name : FilesMatching(folder + "\\*")) DeleteFileA((folder + "\\" + name).c_str());
  RemoveDirectoryA(folder.c_str());
}

std::string Upper(std::string text) {
  for (char& c : text) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  return text;
}

AgentRun RunProgram(const std::string& program, const std::string& arguments, const AgentRunOptions& options) {
  AgentRun run;
  tarnmon::StatusMailslot mailslot;
  if (options.createMailslot) mailslot.Create(kTestMailslotName);
  const auto collect = [&run](const std::string& message) { run.statusMessages.push_back(message); };

  // The collector reads while the program runs, as a real one would; past the time limit the
  // program is ended and followed to its exit.
  const ULONGLONG deadline = GetTickCount64() + Slowed(options.timeoutMs);
  tarnmon::DebuggeeHandlers handlers;
  handlers.onDebugString = [&run](const std::string& text) { run.debugOutput.push_back(text); };
  handlers.onTurn = [&]() {
    mailslot.Drain(collect);
    return GetTickCount64() >= deadline ? tarnmon::FollowAction::kTerminate : tarnmon::FollowAction::kContinue;
  };

  std::string commandLine = "\"" + program + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  if (!options.asDebuggee) {
    const KernelHandle process = StartProcess(commandLine);
    DWORD wait = WAIT_TIMEOUT;
    while (process && wait == WAIT_TIMEOUT && handlers.onTurn() == tarnmon::FollowAction::kContinue) {
      wait = WaitForSingleObject(process.get(), kTurnMs);
    }
    if (process && wait != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
    mailslot.Drain(collect);
    run.finished = process && wait == WAIT_OBJECT_0 && GetExitCodeProcess(process.get(), &run.exitCode);
    return run;
  }
  tarnmon::FollowOutcome outcome;
  const int result = tarnmon::FollowProgram(commandLine, kTurnMs, handlers, &outcome);
  mailslot.Drain(collect);
  run.finished = result == tarnmon::kFollowExited;
  run.exitCode = outcome.exitCode;
  return run;
}

AgentRun RunAgent(const std::string& arguments, const AgentRunOptions& options) {
  return RunProgram(ProgramBesideTest("tarnupd.exe"), arguments, options);
}

KernelHandle StartProcess(std::string commandLine, HANDLE output, HANDLE error) {
  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  const KernelHandle nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     &inheritable, OPEN_EXISTING, 0, nullptr));
  if (output == nullptr) output = nul.get();
  if (error == nullptr) error = output;
  SetHandleInformation(output, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  SetHandleInformation(error, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul.get();
  startup.hStdOutput = output;
  startup.hStdError = error;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                      &info)) {
    return KernelHandle();
  }
  const KernelHandle thread(info.hThread);
  return KernelHandle(info.hProcess);
}

DWORD WaitForExit(const KernelHandle& process, DWORD timeoutMs) {
  DWORD exitCode = WAIT_TIMEOUT;
  if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.get(), &exitCode)) {
    return WAIT_TIMEOUT;
  }
  return exitCode;
}
