#include "tarnmon/debuggee.h"

#include "foundation/unique_handle.h"

namespace tarnmon {
namespace {

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

// The image files of the process and its libraries are the debugger's to close.
void CloseImageFile(HANDLE file) { const KernelHandle image(file); }

class Follower {
 public:
  Follower(HANDLE process, const DebuggeeHandlers& handlers) : process_(process), handlers_(handlers) {}

  // Hands the event on and says how the debuggee is to go on from it.
  DWORD Handle(const DEBUG_EVENT& event) {
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        CloseImageFile(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        CloseImageFile(event.u.LoadDll.hFile);
        break;
      case OUTPUT_DEBUG_STRING_EVENT:
        if (handlers_.onDebugString) handlers_.onDebugString(ReadDebugString(process_, event.u.DebugString));
        break;
      case EXCEPTION_DEBUG_EVENT:
        return Exception(event.u.Exception);
      default:
        break;
    }
    return DBG_CONTINUE;
  }

 private:
  // The loader's initial breakpoint is the debugger's own, and so is a Ctrl+C or Ctrl+Break
  // that reaches the program through its debugger: passed on, it would end the program. Every
  // other exception, a later breakpoint included, belongs to the program.
  DWORD Exception(const EXCEPTION_DEBUG_INFO& exception) {
    const DWORD code = exception.ExceptionRecord.ExceptionCode;
    if (code == DBG_CONTROL_C || code == DBG_CONTROL_BREAK) return DBG_CONTINUE;
    if (!passedInitialBreakpoint_ && code == EXCEPTION_BREAKPOINT) {
      passedInitialBreakpoint_ = true;
      return DBG_CONTINUE;
    }
    if (handlers_.onException) handlers_.onException(exception);
    return DBG_EXCEPTION_NOT_HANDLED;
  }

  HANDLE process_;
  const DebuggeeHandlers& handlers_;
  bool passedInitialBreakpoint_ = false;
};

}  // namespace

int FollowProgram(const std::string& commandLine, DWORD turnMs, const DebuggeeHandlers& handlers,
                  FollowOutcome* outcome) {
  std::string line = commandLine;  // CreateProcessA may write into it
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  // A process group of its own keeps the console's Ctrl+C from the program, also once it is let go.
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS | CREATE_NEW_PROCESS_GROUP,
                      nullptr, nullptr, &startup, &info)) {
    outcome->startError = GetLastError();
    return kFollowNotStarted;
  }
  const KernelHandle process(info.hProcess);
  const KernelHandle thread(info.hThread);
  outcome->processId = info.dwProcessId;

  Follower follower(process.get(), handlers);
  bool terminated = false;
  for (;;) {
    DEBUG_EVENT event;
    const bool arrived = WaitForDebugEvent(&event, turnMs) != FALSE;
    const FollowAction action = handlers.onTurn ? handlers.onTurn() : FollowAction::kContinue;
    if (arrived) {
      ContinueDebugEvent(event.dwProcessId, event.dwThreadId, follower.Handle(event));
      if (event.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) {
        outcome->exitCode = event.u.ExitProcess.dwExitCode;
        return terminated ? kFollowTerminated : kFollowExited;
      }
    }
    if (action == FollowAction::kDetach && DebugActiveProcessStop(info.dwProcessId)) return kFollowDetached;
    // A program we cannot let go of ends with its debugger anyway; end it now and see it out.
    if (action != FollowAction::kContinue && !terminated) {
      TerminateProcess(process.get(), kTerminatedExitCode);
      terminated = true;
    }
  }
}

}  // namespace tarnmon
