// The agent's own registry settings: HKEY_LOCAL_MACHINE\Software\<vendor path>\<agent name>,
// one subkey per topic. Every operation opens what it needs, creating missing keys on the way,
// and closes it before it returns; reads fall back to the caller's default and never write it.
#pragma once

#include <windows.h>

#include "registry_key.h"
#include "text_string.h"

class SettingsKey {
 public:
  // KEY_READ | KEY_WRITE: query, set, create subkey, enumerate, notify, read control.
  static constexpr REGSAM kAccess = 0x2001F;

  void SetVendorPath(const char* vendorPath) { vendorPath_ = vendorPath; }
  void SetAgentName(const char* agentName) { agentName_ = agentName; }

  DWORD ReadDword(const char* subkey, const char* valueName, DWORD defaultValue) const;
  TextString ReadString(const char* subkey, const char* valueName, const char* defaultText) const;
  bool WriteDword(const char* subkey, const char* valueName, DWORD number) const;
  // Three modes: valueName null deletes the subkey; text null deletes the value; else sets REG_SZ.
  bool WriteString(const char* subkey, const char* valueName, const char* text) const;

 private:
  RegistryKey OpenAgentKey() const;
  RegistryKey OpenSubKey(const char* subkey) const;

  TextString vendorPath_;
  TextString agentName_;
};

// The one settings store of the process.
SettingsKey& Settings();

// Read-only looks at other software's keys below HKEY_LOCAL_MACHINE; they never create keys.
bool MachineKeyExists(const char* keyPath);
// Fills `out` only with a REG_SZ value; every other type, and any failure, gives false.
bool ReadMachineString(const char* keyPath, const char* valueName, TextString& out);
