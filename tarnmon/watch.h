// tarnmon's two ways of watching: the status mailslot alone until it is stopped, or a program
// it starts itself, with the program's debugger output beside the status lines.
#pragma once

#include <windows.h>

#include <string>

#include "tarnmon/status_mailslot.h"
#include "tarnmon/status_view.h"

namespace tarnmon {

// tarnmon's own exit codes; a watched program's exit code is passed on as it is. They stay
// clear of the agent's result codes.
enum MonitorExit : int {
  kExitStopped = 0,
  kExitSetupFailed = 100,  // not even an event could be created
  kExitMailslotInUse = 101,
  kExitMailslotFailed = 102,
  kExitNotStarted = 103,
  kExitStoppedWatching = 104,  // stopped while the program still ran
};

// How long each wait for a debug event or for `stop` lasts before the mailslot is read again.
constexpr DWORD kTurnMs = 20;

// Shows status messages until `stop` is signalled; kExitStopped.
int WatchMailslot(StatusMailslot& mailslot, StatusView& view, HANDLE stop);

// Runs `commandLine` as a debuggee and shows both streams until it ends; its exit code, or one
// of MonitorExit when it could not be started or `stop` came first.
int WatchProgram(const std::string& commandLine, StatusMailslot& mailslot, StatusView& view, HANDLE stop);

}  // namespace tarnmon
