// The agent's own registry settings: HKEY_LOCAL_MACHINE\Software\<vendor path>\<agent name>,
// one subkey per topic. Every operation opens what it needs, creating missing keys on the way,
// and closes it before it returns; reads fall back to the caller's default and never write it.
#pragma once

#include <windows.h>

#include "foundation/text_string.h"
#include "foundation/unique_handle.h"

class SettingsKey {
 public:
  // KEY_READ | KEY_WRITE: query, set, create subkey, enumerate, notify, read control.
  static constexpr REGSAM kAccess = 0x2001F;

  // Both names are kept, not copied: they are texts of the program itself.
  constexpr SettingsKey(const char* vendorPath, const char* agentName) : vendorPath_(vendorPath), agentName_(agentName) {}

  DWORD ReadDword(const char* subkey, const char* valueName, DWORD defaultValue) const;
  TextString ReadString(const char* subkey, const char* valueName, const char* defaultText) const;
  bool WriteDword(const char* subkey, const char* valueName, DWORD number) const;
  // Three modes: valueName null deletes the subkey; text null deletes the value (true also when
  // there was none); else sets REG_SZ.
  bool WriteString(const char* subkey, const char* valueName, const char* text) const;

 private:
  RegistryKey OpenAgentKey() const;
  RegistryKey OpenSubKey(const char* subkey) const;

  const char* vendorPath_;
  const char* agentName_;
};

// The agent's settings store. Nothing in it is destroyed at the end of the process, so a
// thread still running then can never meet a half-destroyed store.
const SettingsKey& Settings();

// Read-only looks at other software's keys below HKEY_LOCAL_MACHINE; they never create keys.
bool MachineKeyExists(const char* keyPath);
// Fills `out` only with a REG_SZ value; every other type, and any failure, gives false.
bool ReadMachineString(const char* keyPath, const char* valueName, TextString& out);
