// tarnmon [--json] [PROGRAM [ARGUMENTS...]]: the status monitor. Creates the status mailslot and
// shows each status line as it arrives, with its sequence number and local time, and says where
// messages went missing. Given a command, it runs that program itself as its debugger, shows
// its debugger output among the status lines, and ends with the program's exit code. With
// --json each line is one JSON object (JSON Lines).
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tarnmon/command_tail.h"
#include "tarnmon/status_mailslot.h"
#include "tarnmon/status_view.h"
#include "tarnmon/stop_signal.h"
#include "foundation/trace_log.h"
#include "tarnmon/watch.h"
#include "tool_cli/tool_cli.h"

namespace {

const tool_cli::Tool kTool{
    "tarnmon",
    "usage: tarnmon [--json] [PROGRAM [ARGUMENTS...]]\n"
    "  Shows the agent's status lines as they arrive at " + std::string(kStatusMailslotName) + ".\n"
    "  With a command, runs it and shows its debugger output too; exits with its exit code.\n"
    "  --json: each line as one JSON object (JSON Lines), its time in UTC.\n"
    "  Ctrl+C ends the watch. Exit 64: a wrong option.\n"};

// The words before PROGRAM that begin with "-", and /?; the rest of the line stays as typed, for
// the program.
std::vector<std::string> TakeOptions(std::string& command) {
  std::vector<std::string> options;
  while (!command.empty() && (command[0] == '-' || command.compare(0, 2, "/?") == 0)) {
    const std::size_t end = command.find_first_of(" \t");
    options.push_back(command.substr(0, end));
    const std::size_t next = end == std::string::npos ? end : command.find_first_not_of(" \t", end);
    command = next == std::string::npos ? "" : command.substr(next);
  }
  return options;
}

}  // namespace

int main() {
  std::string command = tarnmon::CommandTail();
  const std::vector<std::string> options = TakeOptions(command);
  bool json = false;
  for (const std::string& option : options) {
    if (tool_cli::IsHelpWord(option)) return tool_cli::ShowHelp(kTool);
  }
  for (const std::string& option : options) {
    if (option != "--json") return tool_cli::UsageError(kTool, "unknown option " + option);
    json = true;
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

  tarnmon::StatusView view(stdout, json ? tarnmon::StatusView::Form::kJsonLines : tarnmon::StatusView::Form::kText);
  const int exitCode = command.empty() ? tarnmon::WatchMailslot(mailslot, view, stop)
                                       : tarnmon::WatchProgram(command, mailslot, view, stop);
  tarnmon::StopSignalDone();
  return exitCode;
}
