#include "agent/entry.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>

#include "agent/command_run.h"
#include "agent/commands/commands.h"
#include "agent/dispatch.h"
#include "agent/fault_report.h"
#include "agent/last_run.h"
#include "agent/result_report.h"
#include "agent/run_event.h"
#include "agent/undo_point.h"
#include "agent_version.h"
#include "foundation/agent_settings.h"
#include "foundation/messages.h"
#include "foundation/settings_key.h"
#include "foundation/trace_log.h"
#include "foundation/undo_folder.h"
#include "resources/message_ids.h"

namespace {

constexpr DWORD kReplacedFuncTimeout = 30000;

struct FreeDeleter {
  void operator()(char* block) const { std::free(block); }
};

// The trace's own switch first: every status line after it, a setting's among them, is traced
// as the switch says.
void LoadDebugSwitch() {
  // A value of the wrong type gives the default silently: its status line would be traced
  // under the switch being read.
  DebugOutput = Settings().ReadDword(agent_setting::kDebugOutput, 0, SettingsKey::WrongType::kSilent);
}

void LoadAgentSettings(CommandRun& run) {
  const SettingsKey& settings = Settings();
  run.noExtensionString = settings.ReadString(agent_setting::kNoExtensionString, "");
  const UndoFolderSetting undo = ReadUndoFolder(settings);
  if (!undo.refusal.IsEmpty()) TraceStatus("%s. The run keeps no undo point.\n", undo.refusal.c_str());
  run.undoFolder = undo.folder;
  if (!run.undoFolder.IsEmpty()) run.undoKeep = settings.ReadDword(agent_setting::kUndoKeep, kDefaultUndoKeep);
  run.funcTimeout = settings.ReadDword(agent_setting::kFuncTimeout, kDefaultFuncTimeout);
  // An old default that proved too short: replace it for later runs, honour it for this one.
  // Only in the agent's own key: a policy's value is the administrator's choice, and not ours.
  if (run.funcTimeout == kReplacedFuncTimeout && !settings.SetByPolicy(agent_setting::kFuncTimeout)) {
    settings.WriteDword(agent_setting::kFuncTimeout, kDefaultFuncTimeout);
  }
}

void TraceStartBanner(const CommandRun& run) {
  TextString banner;
  LoadMessage(run.module, IDS_START_BANNER, banner);
  TextString line;
  line.Format(banner, TARN_VERSION_MAJOR, TARN_VERSION_MINOR, TARN_VERSION_BUILD);
  TraceStatus("%s", line.c_str());
}

// The agent works on the command line in the system code page. A line that does not convert
// back to the one it was started with (a fullwidth letter in a path, say, turned into a plain
// one) may name another file than the management system meant.
bool CommandLineConvertsExactly() {
  const char* ansi = GetCommandLineA();
  const int length = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
  if (length <= 0) return false;
  std::wstring back(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi, -1, &back[0], length);
  return std::wcscmp(back.c_str(), GetCommandLineW()) == 0;
}

// Everything after the command line is read, in the fault report frame.
ResultCode RunCommandLine(CommandRun& run) {
  LoadDebugSwitch();
  TraceStartBanner(run);
  LoadAgentSettings(run);

  // From here until the result is written, the previous run's result is gone.
  ClearPreviousResult();

  ReadMachineString(kProductKeyPath, kProductVersionValue, run.productVersion);
  TraceStatus("Lumicor Version = v%s\n", run.productVersion.c_str());

  // Recognised before the line is checked: the run's event tells which command was refused.
  run.command = RecogniseCommand(run.upperCommandLine);
  WorkerOutcome outcome = {kResultCommandLineNotConvertible, false};
  if (CommandLineConvertsExactly()) {
    outcome = DispatchCommand(run);
  } else {
    TraceStatus("The command line holds characters the system code page cannot show: nothing was done.\n");
  }
  ReportResult(run, outcome.result);
  // A worker given up on may still be inside the product's library: end at once, running no
  // destructor and no library's detach code under its feet.
  if (outcome.abandoned) TerminateProcess(GetCurrentProcess(), static_cast<UINT>(outcome.result));
  return outcome.result;
}

}  // namespace

int AgentMain(HINSTANCE instance, const char* commandLine) {
  if (commandLine == nullptr) commandLine = "";
  const std::size_t length = std::strlen(commandLine);
  std::unique_ptr<char, FreeDeleter> upperCommandLine(static_cast<char*>(std::malloc(length + 1)));
  if (!upperCommandLine) return kResultNoMemory;
  std::memcpy(upperCommandLine.get(), commandLine, length + 1);
  UpperCaseAscii(upperCommandLine.get());

  CommandRun run;
  run.module = instance;
  run.commandLine = commandLine;
  run.upperCommandLine = upperCommandLine.get();
  RunDetails details;
  OpenRunEventSource(details);
  OpenLastRunFolder(details);
  run.details = &details;
  InstallFaultFilter(run);
  return RunReportingFaults(run, [&] { return RunCommandLine(run); });
}
