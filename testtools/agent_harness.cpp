#include "agent_harness.h"

#include <cstring>

#include "trace_names.h"

namespace {

struct Handle {
  explicit Handle(HANDLE h = nullptr) : handle(h) {}
  ~Handle() {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE handle;
};

void CloseIfOpen(HANDLE file) {
  if (file != nullptr && file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
  std::string text(info.nDebugStringLength, '\0');
  SIZE_T read = 0;
  if (info.nDebugStringLength == 0 ||
      !ReadProcessMemory(process, info.lpDebugStringData, &text[0], text.size(), &read)) {
    return std::string();
  }
  text.resize(read);
  const std::size_t end = text.find('\0');
  if (end != std::string::npos) text.resize(end);
  return text;
}

// Under Wine a writer blocks once a few hundred messages wait unread, so the collector reads
// while the program runs, as a real one would.
void DrainMailslot(HANDLE mailslot, std::vector<std::string>& messages) {
  if (mailslot == nullptr || mailslot == INVALID_HANDLE_VALUE) return;
  for (;;) {
    DWORD nextSize = 0;
    DWORD count = 0;
    if (!GetMailslotInfo(mailslot, nullptr, &nextSize, &count, nullptr) || nextSize == MAILSLOT_NO_MESSAGE) break;
    std::string message(nextSize, '\0');
    DWORD read = 0;
    if (!ReadFile(mailslot, &message[0], nextSize, &read, nullptr)) break;
    message.resize(read);
    messages.push_back(message);
  }
}

// Follows the debuggee until it ends or the time limit passes; then it is terminated.
void FollowDebuggee(const PROCESS_INFORMATION& process, HANDLE mailslot, DWORD timeoutMs, AgentRun& run) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  bool terminated = false;
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD wait = now >= deadline ? 20 : static_cast<DWORD>(deadline - now < 20 ? deadline - now : 20);
    DrainMailslot(mailslot, run.statusMessages);
    DEBUG_EVENT event;
    if (!WaitForDebugEvent(&event, wait)) {
      if (!terminated && GetTickCount64() >= deadline) {
        TerminateProcess(process.hProcess, 0xDEAD);
        terminated = true;
      }
      continue;
    }
    DWORD continueStatus = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        CloseIfOpen(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        CloseIfOpen(event.u.LoadDll.hFile);
        break;
      case OUTPUT_DEBUG_STRING_EVENT:
        run.debugOutput.push_back(ReadDebugString(process.hProcess, event.u.DebugString));
        break;
      case EXCEPTION_DEBUG_EVENT:
        // The loader's initial breakpoint is ours to pass; every other exception is the
        // program's own to handle.
        if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
          continueStatus = DBG_EXCEPTION_NOT_HANDLED;
        }
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        run.exitCode = event.u.ExitProcess.dwExitCode;
        run.finished = !terminated;
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
        return;
      default:
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
  }
}

}  // namespace

std::vector<std::string> AgentRun::StatusLines() const {
  std::vector<std::string> lines;
  const std::size_t prefixLength = std::strlen(kTestStatusPrefix);
  for (const std::string& message : statusMessages) {
    std::string text = message.size() > 1 ? message.substr(1) : std::string();
    if (!text.empty() && text.back() == '\0') text.pop_back();
    if (text.compare(0, prefixLength, kTestStatusPrefix) == 0) text.erase(0, prefixLength);
    lines.push_back(text);
  }
  return lines;
}

std::string ProgramBesideTest(const char* fileName) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string directory(path);
  directory.resize(directory.find_last_of("\\/") + 1);
  return directory + fileName;
}

AgentRun RunProgram(const std::string& program, const std::string& arguments, const AgentRunOptions& options) {
  AgentRun run;
  Handle mailslot(options.createMailslot ? CreateMailslotA(kTestMailslotName, 0, 0, nullptr) : nullptr);

  std::string commandLine = "\"" + program + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr,
                      &startup, &process)) {
    return run;
  }
  Handle processHandle(process.hProcess);
  Handle threadHandle(process.hThread);
  FollowDebuggee(process, mailslot.handle, options.timeoutMs, run);
  DrainMailslot(mailslot.handle, run.statusMessages);
  return run;
}

AgentRun RunAgent(const std::string& arguments, const AgentRunOptions& options) {
  return RunProgram(ProgramBesideTest("tarnupd.exe"), arguments, options);
}
