// The agent's own registry settings: HKEY_LOCAL_MACHINE\Software\<vendor path>\<agent name>,
// one subkey per topic (their names: foundation/agent_settings.h). Every operation opens what it
// needs and closes it before it returns. Reads only open, never create, and fall back to the
// caller's default without writing it; writes create missing keys on the way (a read-only store
// creates nothing and its writes fail). A value of the wrong type or size is never taken for the
// setting: the read gives the default and says so in one status line naming the value, its type
// and the default.
//
// Group Policy sets the same values below
// HKEY_LOCAL_MACHINE\Software\Policies\<vendor path>\<agent name>, which is read first: a value present there, of whatever type, is the one read
// (a wrong type gives the default, and its status line names the policy key). Nothing is ever
// written there: that key belongs to Group Policy.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "foundation/text_string.h"
#include "foundation/unique_handle.h"

// The agent's key, HKEY_LOCAL_MACHINE\Software\<vendor path>\<agent name>, and Group Policy's
// for it, the same below Software\Policies.
constexpr char kAgentVendorPath[] = "Velmora\\Brask";
constexpr char kAgentKeyName[] = "Tarn Configuration Agent";

// A value below the agent's key: its subkey and its name.
struct SettingName {
  const char* subkey;
  const char* value;
};

class SettingsKey {
 public:
  // KEY_READ | KEY_WRITE: query, set, create subkey, enumerate, notify, read control.
  static constexpr REGSAM kAccess = 0x2001F;

  // Both names are kept, not copied: they are texts of the program itself. A read-only store
  // opens existing keys for reading and creates nothing; its writes fail.
  constexpr SettingsKey(const char* vendorPath, const char* agentName, bool readOnly = false)
      : vendorPath_(vendorPath), agentName_(agentName), readOnly_(readOnly) {}

  // What a read does with a value of the wrong type: says so in a status line, or, for the
  // trace's own switch, whose status line would come out before the switch is known, not.
  enum class WrongType { kSay, kSilent };
  // A REG_DWORD of four bytes.
  DWORD ReadDword(const SettingName& name, DWORD defaultValue, WrongType wrongType = WrongType::kSay) const;
  // A REG_SZ.
  TextString ReadString(const SettingName& name, const char* defaultText) const;
  // A path: a REG_SZ, or a REG_EXPAND_SZ with its environment variables expanded.
  TextString ReadPath(const SettingName& name, const char* defaultText) const;
  // As ReadString or ReadPath, but why a value present was not taken goes to `problem` (empty
  // when it was taken or absent) rather than to a status line.
  TextString ReadText(const SettingName& name, const char* defaultText, bool path, TextString& problem) const;
  // Whether Group Policy sets the value: a write of the agent's own would then change nothing.
  bool SetByPolicy(const SettingName& name) const;
  // A REG_MULTI_SZ's texts, empty ones left out; none when absent. A value of another type gives
  // none, and why it was not taken goes to `problem`.
  std::vector<TextString> ReadTexts(const SettingName& name, TextString& problem) const;
  bool WriteDword(const SettingName& name, DWORD number) const;
  // Three modes: a null value name deletes the subkey; text null deletes the value (true also
  // when there was none); else sets REG_SZ.
  bool WriteString(const SettingName& name, const char* text) const;
  // "Software\<vendor path>\<agent name>", below HKEY_LOCAL_MACHINE: for texts that name a setting.
  std::string Path() const { return std::string("Software\\") + vendorPath_ + "\\" + agentName_; }

 private:
  // Every read comes here, and only here: the policy key's value when there is one, else the
  // agent's own. The value's type and all its bytes, and the value's full name for a status
  // line (`subkey\value` for the agent's own, the whole path for a policy's). ERROR_SUCCESS, or
  // the error of the open (ERROR_FILE_NOT_FOUND: no such key) or of the query.
  LONG ReadValue(const SettingName& name, DWORD& type, std::string& bytes, TextString& fullName) const;
  // The same from one key: below Software\Policies or the agent's own.
  LONG ReadValueOf(bool policy, const SettingName& name, DWORD& type, std::string& bytes) const;
  RegistryKey OpenAgentKey() const;
  RegistryKey OpenSubKey(const char* subkey) const;

  const char* vendorPath_;
  const char* agentName_;
  bool readOnly_;
};

// The agent's settings store. Nothing in it is destroyed at the end of the process, so a
// thread still running then can never meet a half-destroyed store.
const SettingsKey& Settings();
// The same settings for a program that only looks at them (tarnplan): it creates no key.
const SettingsKey& SettingsToRead();

// Read-only looks at other software's keys below HKEY_LOCAL_MACHINE; they never create keys.
bool MachineKeyExists(const char* keyPath);
// Fills `out` only with a REG_SZ value; every other type, and any failure, gives false.
bool ReadMachineString(const char* keyPath, const char* valueName, TextString& out);
