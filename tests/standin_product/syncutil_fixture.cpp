#include "syncutil_fixture.h"

namespace standin_test {
namespace {

constexpr char kStateFolderVariable[] = "STANDIN_STATE_DIR";

struct LoadedLibrary {
  LoadedLibrary() : module(LoadLibraryA((ProgramFolder() + "\\SYNCUTIL.DLL").c_str())) {}
  ~LoadedLibrary() {
    if (module != nullptr) FreeLibrary(module);
  }
  HMODULE module;
};

AvSyncGetIFaceFn BuiltGetIFace() {
  static LoadedLibrary library;
  return library.module == nullptr
             ? nullptr
             : reinterpret_cast<AvSyncGetIFaceFn>(
                   reinterpret_cast<void*>(GetProcAddress(library.module, kAvSyncGetIFaceName)));
}

// Removes the private state folder at exit. Made before the library is loaded, so it goes
// after the library has closed its journal.
struct OwnedFolder {
  ~OwnedFolder() {
    if (path.empty()) return;
    for (const std::string& file : {standin::StateFilePath(), standin::JournalFilePath(), standin::FaultsFilePath()}) {
      DeleteFileA(file.c_str());
    }
    RemoveDirectoryA(path.c_str());
  }
  std::string path;
};

// One folder per test program run. A death test's child inherits the variable and so writes
// where its parent reads; only the parent removes it.
void UsePrivateStateFolder() {
  static OwnedFolder owned;
  char existing[MAX_PATH];
  if (GetEnvironmentVariableA(kStateFolderVariable, existing, sizeof existing) > 0) {
    return;
  }
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  owned.path = std::string(temp) + "standin-tests-" + std::to_string(GetCurrentProcessId());
  SetEnvironmentVariableA(kStateFolderVariable, owned.path.c_str());
}

}  // namespace

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\'));
}

int GetIFace(DWORD interfaceId, void* table) {
  const AvSyncGetIFaceFn getIFace = BuiltGetIFace();
  return getIFace == nullptr ? -1 : getIFace(interfaceId, table);
}

void SyncutilTest::SetUp() {
  UsePrivateStateFolder();
  ASSERT_NE(BuiltGetIFace(), nullptr) << "SYNCUTIL.DLL beside the test program, with its export";
  ASSERT_TRUE(standin::ResetState());
}

standin::ProductState SyncutilTest::State() {
  standin::ProductState state;
  EXPECT_TRUE(standin::ReadState(&state));
  return state;
}

std::vector<standin::JournalEntry> SyncutilTest::Journal() {
  std::vector<standin::JournalEntry> entries;
  EXPECT_TRUE(standin::ReadJournal(&entries));
  return entries;
}

standin::JournalEntry SyncutilTest::LastOf(const std::string& call) {
  const std::vector<standin::JournalEntry> entries = Journal();
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    if (entry->call == call) return *entry;
  }
  return standin::JournalEntry();
}

std::vector<std::string> SyncutilTest::Errors() {
  std::vector<std::string> messages;
  EXPECT_TRUE(standin::ReadProtocolErrors(&messages));
  return messages;
}

// In the body: the table must be initialised before GetIFace fills it.
ManagementPort::ManagementPort() { result = GetIFace(AVSIF_MANAGEMENTPORT, &table); }

ManagementPort::~ManagementPort() { Release(); }

bool ManagementPort::LoadOptions() { return table.GetOptions(&options, &size) != FALSE; }

BYTE* ManagementPort::Field(DWORD area, std::size_t offset) const {
  return (area == kAreaGeneralRecord ? options.generalRecord : options.oasTaskRecord) + offset;
}

void ManagementPort::Release() {
  if (Obtained() && !released_) {
    released_ = true;
    table.ReleaseIFace();
  }
}

Console::Console() { result = GetIFace(AVSIF_AVCONSOL, &table); }

Console::~Console() { Release(); }

void Console::Release() {
  if (Obtained() && !released_) {
    released_ = true;
    table.ReleaseIFace();
  }
}

FieldWriteEntry ValueEntry(BYTE* field, DWORD area, DWORD value) { return {field, 0, value, area}; }

FieldWriteEntry TextEntry(BYTE* field, DWORD area, const char* text) {
  return {field, 0, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(text)), area};
}

FieldWriteEntry BytesEntry(BYTE* field, DWORD area, const BYTE* bytes, DWORD count) {
  return {field, count, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(bytes)), area};
}

}  // namespace standin_test
