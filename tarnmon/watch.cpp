#include "tarnmon/watch.h"

#include "tarnmon/debuggee.h"

namespace tarnmon {
namespace {

bool Signalled(HANDLE event, DWORD waitMs) { return WaitForSingleObject(event, waitMs) == WAIT_OBJECT_0; }

}  // namespace

int WatchMailslot(StatusMailslot& mailslot, StatusView& view, HANDLE stop) {
  const auto show = [&view](const std::string& message) { view.StatusMessage(message); };
  view.Note("waiting for status lines; Ctrl+C ends");
  do {
    mailslot.Drain(show);
  } while (!Signalled(stop, kTurnMs));
  mailslot.Drain(show);
  view.Note("stopped");
  return kExitStopped;
}

int WatchProgram(const std::string& commandLine, StatusMailslot& mailslot, StatusView& view, HANDLE stop) {
  const auto show = [&view](const std::string& message) { view.StatusMessage(message); };
  DebuggeeHandlers handlers;
  handlers.onDebugString = [&view](const std::string& text) { view.DebugString(text); };
  handlers.onException = [&view](const EXCEPTION_DEBUG_INFO& exception) { view.Exception(exception); };
  // Whatever waits in the mailslot when a debug event arrives was posted before it.
  handlers.onTurn = [&]() {
    mailslot.Drain(show);
    return Signalled(stop, 0) ? FollowAction::kDetach : FollowAction::kContinue;
  };

  view.Note("running " + commandLine);
  FollowOutcome outcome;
  const int result = FollowProgram(commandLine, kTurnMs, handlers, &outcome);
  mailslot.Drain(show);
  switch (result) {
    case kFollowNotStarted:
      view.Note("cannot start the program: error " + std::to_string(outcome.startError));
      return kExitNotStarted;
    case kFollowDetached:
      view.Note("stopped watching; process " + std::to_string(outcome.processId) + " runs on");
      return kExitStoppedWatching;
    case kFollowTerminated:
      view.Note("stopped; the program could not be let go and was ended");
      return kExitStoppedWatching;
    default:
      view.Note("the program ended with exit code " + std::to_string(outcome.exitCode));
      return static_cast<int>(outcome.exitCode);
  }
}

}  // namespace tarnmon
