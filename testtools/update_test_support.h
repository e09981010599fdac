// What the update tests share: scripts in temporary files, the detail lines this process
// traces, and a copy-in-memory product that also keeps every field write it was handed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "update/memory_product.h"

namespace update_test {

// A script file in the temporary folder, removed again on destruction.
class ScriptFile {
 public:
  ScriptFile(const std::string& name, const std::string& content);
  ~ScriptFile();
  ScriptFile(const ScriptFile&) = delete;
  ScriptFile& operator=(const ScriptFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Turns DebugOutput on and collects every debugger text this process writes: with no
// debugger attached OutputDebugStringA raises a print exception that a vectored handler sees.
class DebugLines {
 public:
  DebugLines();
  ~DebugLines();
  DebugLines(const DebugLines&) = delete;
  DebugLines& operator=(const DebugLines&) = delete;
  // Every line since the start or the last Take(), and forgets them.
  std::vector<std::string> Take();

 private:
  PVOID handler_;
};

int CountOf(const std::vector<std::string>& lines, const std::string& line);

// A MemoryProduct that counts the field writes it is handed and can fault inside one, at an
// offset of the general record, as a misbehaving product library would.
class RecordingProduct : public MemoryProduct {
 public:
  BOOL GetOptions(OptionsBlock* block, DWORD* size) override;
  void SetFieldValue(const FieldWriteEntry& entry) override;
  void SetFieldString(const FieldWriteEntry& entry) override;
  void SetFieldBytes(const FieldWriteEntry& entry) override;

  int writes = 0;
  long long faultAtGeneralOffset = -1;
  bool withoutGeneralRecord = false;  // GetOptions hands out no address for it

 private:
  void Take(const FieldWriteEntry& entry);
};

}  // namespace update_test
