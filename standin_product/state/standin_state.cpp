#include "standin_product/standin_state.h"

#include "standin_product/core/state_file.h"
#include "foundation/unique_handle.h"

namespace standin {
namespace {

bool ReadText(const std::string& path, std::string* text) {
  KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    text->clear();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 1024LL * 1024 * 1024) {
    return false;
  }
  text->resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!text->empty() && !ReadFile(file.get(), &(*text)[0], static_cast<DWORD>(text->size()), &read, nullptr)) {
    return false;
  }
  text->resize(read);  // the library may have appended meanwhile; a later read sees the rest
  return true;
}

// Empties the journal in place: the library keeps it open for appending, and its next line
// lands at the new end.
bool TruncateJournal() {
  KernelHandle file(CreateFileA(JournalFilePath().c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && SetEndOfFile(file.get());
}

}  // namespace

bool ResetState() {
  if (!EnsureStateDirectory()) {
    return false;
  }
  StateLock lock;
  return lock.Held() && SaveState(DefaultState()) && TruncateJournal() && ClearFaults();
}

bool ReadState(ProductState* state) {
  StateLock lock;
  return lock.Held() && LoadState(state);
}

bool SetTaskKinds(const std::vector<DWORD>& kinds) {
  return UpdateState([&](ProductState& state) {
    state.tasks = PatternedTasks(kinds);
    return true;
  });
}

bool ReadJournal(std::vector<JournalEntry>* entries) {
  std::string text;
  if (!ReadText(JournalFilePath(), &text)) {
    return false;
  }
  *entries = ParseJournal(text);
  return true;
}

bool ReadProtocolErrors(std::vector<std::string>* messages) {
  std::vector<JournalEntry> entries;
  if (!ReadJournal(&entries)) {
    return false;
  }
  messages->clear();
  for (const JournalEntry& entry : entries) {
    if (entry.IsProtocolError()) {
      messages->push_back(entry.Arg("in") + ": " + entry.Arg("message"));
    }
  }
  return true;
}

int ProtocolErrorCount() {
  std::vector<std::string> messages;
  return ReadProtocolErrors(&messages) ? static_cast<int>(messages.size()) : -1;
}

bool SetFaults(const Faults& faults) {
  return EnsureStateDirectory() && WriteFaultsFile(FaultsFilePath(), faults);
}

bool ClearFaults() {
  return DeleteFileA(FaultsFilePath().c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool ReadFaults(Faults* faults) { return ReadFaultsFile(FaultsFilePath(), faults); }

}  // namespace standin
