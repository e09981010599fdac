#include "update_test_support.h"

#include <fstream>

#include "process_state.h"
#include "sync_loader.h"
#include "trace_log.h"

namespace update_test {
namespace {

std::vector<std::string> g_debugLines;

LONG CALLBACK CollectDebugText(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2 &&
      record->ExceptionInformation[1] != 0) {
    g_debugLines.emplace_back(reinterpret_cast<const char*>(record->ExceptionInformation[1]));
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string full(path, length);
  return full.substr(0, full.find_last_of("\\/"));
}

AvSyncGetIFaceFn BuiltGetIFace() {
  static const AvSyncGetIFaceFn getIFace = [] {
    // Set before the library first looks for its state, and inherited by any child process.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "update-tests-" + std::to_string(GetCurrentProcessId());
    SetEnvironmentVariableA("STANDIN_STATE_DIR", folder.c_str());
    // Kept for the life of the test program.
    const HMODULE library = LoadLibraryA((ProgramFolder() + "\\SYNCUTIL.DLL").c_str());
    return library == nullptr ? nullptr
                              : reinterpret_cast<AvSyncGetIFaceFn>(
                                    reinterpret_cast<void*>(GetProcAddress(library, kAvSyncGetIFaceName)));
  }();
  return getIFace;
}

}  // namespace

ScriptFile::ScriptFile(const std::string& name, const std::string& content) : path_(TempPath(name)) {
  std::ofstream(path_, std::ios::binary) << content;
}

ScriptFile::~ScriptFile() { DeleteFileA(path_.c_str()); }

void ScriptFile::Use() const { lstrcpynA(ScriptPath, path_.c_str(), kPathBufferSize); }

DebugLines::DebugLines() : handler_(AddVectoredExceptionHandler(1, CollectDebugText)) {
  g_debugLines.clear();
  DebugOutput = 1;
}

DebugLines::~DebugLines() {
  DebugOutput = 0;
  if (handler_ != nullptr) RemoveVectoredExceptionHandler(handler_);
}

std::vector<std::string> DebugLines::Take() {
  std::vector<std::string> lines;
  lines.swap(g_debugLines);
  return lines;
}

int CountOf(const std::vector<std::string>& lines, const std::string& line) {
  int count = 0;
  for (const std::string& each : lines) count += each == line ? 1 : 0;
  return count;
}

int CountStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
  int count = 0;
  for (const std::string& each : lines) count += each.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
  return count;
}

bool BuiltStandin::Reset() { return BuiltGetIFace() != nullptr && standin::ResetState(); }

bool BuiltStandin::Attach() {
  AvSyncGetIFace = BuiltGetIFace();
  return AvSyncGetIFace != nullptr;
}

PortSession::PortSession() {
  if (!BuiltStandin::Attach() || AvSyncGetIFace(AVSIF_MANAGEMENTPORT, &ManagementPort) != kGetIFaceOk) return;
  DWORD size = 0;
  ok_ = ManagementPort.GetOptions(&block_, &size) != FALSE && size == kOptionsAreaSize;
}

PortSession::~PortSession() {
  if (ManagementPort.ReleaseIFace != nullptr) ManagementPort.ReleaseIFace();
  ManagementPort = {};
}

std::vector<standin::JournalEntry> Journal() {
  std::vector<standin::JournalEntry> journal;
  standin::ReadJournal(&journal);
  return journal;
}

std::vector<standin::JournalEntry> JournalOf(const std::string& call) {
  std::vector<standin::JournalEntry> entries;
  for (const standin::JournalEntry& entry : Journal()) {
    if (entry.call == call) entries.push_back(entry);
  }
  return entries;
}

std::vector<standin::JournalEntry> FieldWrites() {
  std::vector<standin::JournalEntry> entries;
  for (const standin::JournalEntry& entry : Journal()) {
    if (entry.call == "SetFieldString" || entry.call == "SetFieldValue" || entry.call == "SetFieldBytes") {
      entries.push_back(entry);
    }
  }
  return entries;
}

std::vector<std::string> Calls() {
  std::vector<std::string> calls;
  for (const standin::JournalEntry& entry : Journal()) calls.push_back(entry.call);
  return calls;
}

const GeneralField kGeneralTextFields[18] = {
    {"szCurrentVersionNumber", 0}, {"szDAT", 512},          {"szECClient", 1024},         {"szFaxForm", 1536},
    {"szNotifyOneMonth", 2048},    {"szProductID", 2560},   {"szSerialNum", 3072},        {"szSettingsSYS", 3584},
    {"szInstallDir", 4096},        {"szLangID", 4608},      {"szNetworkAlertPath", 5120}, {"szProductLocation", 5632},
    {"szUpdateMsgFile", 6144},     {"szUpgradeEXE", 6656},  {"szVirusInfoURL", 7168},     {"szPalisorMSG", 7680},
    {"szPlsrwin32EXE", 8192},      {"szWebSupport", 8704}};
const GeneralField kGeneralNumberFields[10] = {
    {"bNetworkAlert", 9728},        {"bShowIcon", 9732},            {"bPalisorEnabled", 9736},
    {"bPlsrMailEnabled", 9740},     {"dwDelayStartup", 9744},       {"dwLoadSchedulerStartup", 9748},
    {"dwLoadLumicorStartup", 9752}, {"dwLoadPalisorStartup", 9756}, {"dwLSound", 9760},
    {"dwNotifiedTime", 9764}};

std::string TempPath(const std::string& name) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + "tarn-update-" + name;
}

}  // namespace update_test
