// What the update tests share: scripts in temporary files, the agent's detail lines caught
// in-process, the built stand-in library driven in-process the way the worker drives it, and
// journal views.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "standin_state.h"
#include "sync_library.h"

namespace update_test {

// A script file in the temporary folder, removed again on destruction. In-process tests
// point the agent's ScriptPath at it with Use().
class ScriptFile {
 public:
  ScriptFile(const std::string& name, const std::string& content);
  ~ScriptFile();
  ScriptFile(const ScriptFile&) = delete;
  ScriptFile& operator=(const ScriptFile&) = delete;

  const std::string& Path() const { return path_; }
  void Use() const;

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

// Counts the lines equal to `line`, and those starting with `prefix`.
int CountOf(const std::vector<std::string>& lines, const std::string& line);
int CountStartingWith(const std::vector<std::string>& lines, const std::string& prefix);

// The stand-in's SYNCUTIL.DLL built beside the test program, with a state folder private to
// this test program; loaded once and kept. Reset() gives a fresh product.
class BuiltStandin {
 public:
  static bool Reset();
  // Gives the agent's AvSyncGetIFace the library's export, as LoadSyncUtil does.
  static bool Attach();
};

// The management port obtained into the agent's own ManagementPort table, released on
// destruction, with the options block that GetOptions hands out.
class PortSession {
 public:
  PortSession();
  ~PortSession();
  PortSession(const PortSession&) = delete;
  PortSession& operator=(const PortSession&) = delete;

  bool Ok() const { return ok_; }
  const OptionsBlock& Block() const { return block_; }
  BYTE* General(std::size_t offset) const { return block_.generalRecord + offset; }
  BYTE* OnAccess(std::size_t offset) const { return block_.oasTaskRecord + offset; }

 private:
  bool ok_ = false;
  OptionsBlock block_ = {};
};

// Journal views.
std::vector<standin::JournalEntry> Journal();
std::vector<standin::JournalEntry> JournalOf(const std::string& call);
// The SetFieldString/Value/Bytes entries, in order.
std::vector<standin::JournalEntry> FieldWrites();
std::vector<std::string> Calls();

// The general record as the product defines it: key and offset, in update order.
struct GeneralField {
  const char* key;
  std::size_t offset;
};
extern const GeneralField kGeneralTextFields[18];
extern const GeneralField kGeneralNumberFields[10];  // four flags, then six numbers

// A temporary file name of this test program.
std::string TempPath(const std::string& name);

}  // namespace update_test
