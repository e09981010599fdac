// Runs a program as the only debuggee of the calling thread and follows it to its end, the way
// a debugger collecting its debugger output does. The caller gets a turn between debug events
// (and at least every `turnMs`) to read the status mailslot, so both streams keep their order
// of arrival.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace tarnmon {

enum class FollowAction {
  kContinue,
  kTerminate,  // end the program; following goes on until its exit is seen
  kDetach,     // stop being its debugger and let it run on
};

struct DebuggeeHandlers {
  // Each OutputDebugStringA text, without its NUL.
  std::function<void(const std::string& text)> onDebugString;
  // Every exception but the loader's initial breakpoint and Ctrl+C or Ctrl+Break; the program
  // handles them itself.
  std::function<void(const EXCEPTION_DEBUG_INFO& exception)> onException;
  // Called after each wait for a debug event, before an event that arrived is handed on.
  std::function<FollowAction()> onTurn;
};

enum FollowResult : int {
  kFollowExited = 0,      // the program ended by itself
  kFollowNotStarted = 1,  // CreateProcess failed
  kFollowTerminated = 2,  // ended because the caller asked
  kFollowDetached = 3,    // runs on without a debugger
};

struct FollowOutcome {
  DWORD exitCode = 0;  // when the program ended
  DWORD startError = 0;  // when it did not start
  DWORD processId = 0;
};

// The exit code a program ended on request gets.
constexpr UINT kTerminatedExitCode = 0xDEAD;

// `commandLine` is passed to CreateProcessA as it is: the first token names the program. It runs
// in a process group of its own, out of reach of the console's Ctrl+C.
int FollowProgram(const std::string& commandLine, DWORD turnMs, const DebuggeeHandlers& handlers,
                  FollowOutcome* outcome);

}  // namespace tarnmon
