// tarnmon [PROGRAM [ARGUMENTS...]]: the status monitor. Creates the status mailslot and shows
// each status line as it arrives, with its sequence number and local time, and says where
// messages went missing. Given a command, it runs that program itself as its debugger, shows
// its debugger output among the status lines, and ends with the program's exit code.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tarnmon/command_tail.h"
#include "tarnmon/status_mailslot.h"
#include "tarnmon/status_view.h"
#include "tarnmon/stop_signal.h"
#include "foundation/trace_log.h"
#include "tarnmon/watch.h"

namespace {

constexpr char kUsage[] =
    "usage: tarnmon [PROGRAM [ARGUMENTS...]]\n"
    "  Shows the agent's status lines as they arrive at %s.\n"
    "  With a command, runs it and shows its debugger output too; exits with its exit code.\n"
    "  Ctrl+C ends the watch.\n";

}  // namespace

int main() {
  const std::string command = tarnmon::CommandTail();
  if (command == "/?" || command == "-h" || command == "--help") {
    std::printf(kUsage, kStatusMailslotName);
    return tarnmon::kExitStopped;
  }
  const HANDLE stop = tarnmon::InstallStopSignal();
  if (stop == nullptr) {
    std::fprintf(stderr, "tarnmon: cannot create an event (error %lu)\n", GetLastError());
    return tarnmon::kExitSetupFailed;
  }

  tarnmon::StatusMailslot mailslot;
  switch (mailslot.Create(kStatusMailslotName)) {
    case tarnmon::kMailslotInUse:
      std::fprintf(stderr, "tarnmon: %s already exists: another collector is reading the status lines\n",
                   kStatusMailslotName);
      return tarnmon::kExitMailslotInUse;
    case tarnmon::kMailslotFailed:
      std::fprintf(stderr, "tarnmon: cannot create %s (error %lu)\n", kStatusMailslotName, GetLastError());
      return tarnmon::kExitMailslotFailed;
    default:
      break;
  }

  tarnmon::StatusView view(stdout);
  const int exitCode = command.empty() ? tarnmon::WatchMailslot(mailslot, view, stop)
                                       : tarnmon::WatchProgram(command, mailslot, view, stop);
  tarnmon::StopSignalDone();
  return exitCode;
}
