// Loads the built SYNCUTIL.DLL once per test program and gives each test a freshly reset,
// private state folder, so these tests never meet the installed product's state.
#pragma once

#include "standin_state.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace standin_test {

// The folder of the running test program (the build's bin folder).
std::string ProgramFolder();

// AvSync_GetIFace of the built library.
int GetIFace(DWORD interfaceId, void* table);

class SyncutilTest : public ::testing::Test {
 protected:
  void SetUp() override;

  static standin::ProductState State();
  static std::vector<standin::JournalEntry> Journal();
  // The last journal entry of a call, or an entry with an empty call.
  static standin::JournalEntry LastOf(const std::string& call);
  static std::vector<std::string> Errors();
};

// The management port for one test; released on scope exit unless the test did so.
class ManagementPort {
 public:
  ManagementPort();
  ~ManagementPort();
  ManagementPort(const ManagementPort&) = delete;
  ManagementPort& operator=(const ManagementPort&) = delete;

  bool Obtained() const { return result == kGetIFaceOk; }
  bool LoadOptions();  // GetOptions into options/size
  BYTE* Field(DWORD area, std::size_t offset) const;
  void Release();

  int result = kGetIFaceFailed;
  ManagementPortTable table = {};
  OptionsBlock options = {};
  DWORD size = 0;

 private:
  bool released_ = false;
};

class Console {
 public:
  Console();
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  bool Obtained() const { return result == kGetIFaceOk; }
  void Release();

  int result = kGetIFaceFailed;
  AvConsoleTable table = {};

 private:
  bool released_ = false;
};

FieldWriteEntry ValueEntry(BYTE* field, DWORD area, DWORD value);
FieldWriteEntry TextEntry(BYTE* field, DWORD area, const char* text);
FieldWriteEntry BytesEntry(BYTE* field, DWORD area, const BYTE* bytes, DWORD count);

}  // namespace standin_test
