#include "entry.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "command_word.h"
#include "dispatch.h"
#include "message_ids.h"
#include "process_state.h"
#include "result_report.h"
#include "settings_key.h"
#include "trace_log.h"

namespace {

constexpr DWORD kReplacedFuncTimeout = 30000;

struct FreeDeleter {
  void operator()(char* block) const { std::free(block); }
};

void LoadAgentSettings() {
  SettingsKey& settings = Settings();
  settings.SetVendorPath("Velmora\\Brask");
  settings.SetAgentName("Tarn Configuration Agent");
  DebugOutput = settings.ReadDword("Debug", "Output", 0);
  NoExtensionString = settings.ReadString("LC_UPDATE", "NoExtensionString", "");
  FuncTimeout = settings.ReadDword("SyncUtil", "Func Timeout", kDefaultFuncTimeout);
  // An old default that proved too short: replace it for later runs, honour it for this one.
  if (FuncTimeout == kReplacedFuncTimeout) settings.WriteDword("SyncUtil", "Func Timeout", kDefaultFuncTimeout);
}

void TraceStartBanner() {
  TextString banner;
  LoadMessage(banner, IDS_START_BANNER);
  TextString line;
  line.Format(banner, kAgentVersionMajor, kAgentVersionMinor, kAgentVersionBuild);
  TraceStatus("%s", line.c_str());
}

}  // namespace

int AgentMain(HINSTANCE instance, const char* commandLine) {
  InstanceHandle = instance;
  if (commandLine == nullptr) commandLine = "";
  const std::size_t length = std::strlen(commandLine);
  std::unique_ptr<char, FreeDeleter> upperCommandLine(static_cast<char*>(std::malloc(length + 1)));
  if (!upperCommandLine) return kResultNoMemory;
  std::memcpy(upperCommandLine.get(), commandLine, length + 1);
  UpperCaseAscii(upperCommandLine.get());

  LoadAgentSettings();
  TraceStartBanner();

  // From here until the result is written, the previous run's result is gone.
  Settings().WriteString("TARNUPDATE", "ReturnCode", nullptr);
  Settings().WriteString("TARNUPDATE", "ReturnString", nullptr);

  ReadMachineString("Software\\Velmora\\Brask\\Lumicor", "szCurrentVersionNumber", ProductVersion);
  TraceStatus("Lumicor Version = v%s\n", ProductVersion.c_str());

  const CommandWord word = RecogniseCommand(upperCommandLine.get());
  const ResultCode result = DispatchCommand(word, upperCommandLine.get());
  ReportResult(result);
  return result;
}
