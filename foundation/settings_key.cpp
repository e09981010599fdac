#include "foundation/settings_key.h"

#include <cstring>

#include "foundation/unique_handle.h"

namespace {

RegistryKey CreateBelow(HKEY parent, const char* name) {
  HKEY created = nullptr;
  if (RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, SettingsKey::kAccess, nullptr, &created,
                      nullptr) != ERROR_SUCCESS) {
    return RegistryKey();
  }
  return RegistryKey(created);
}

}  // namespace

const SettingsKey& Settings() {
  static constexpr SettingsKey settings("Velmora\\Brask", "Tarn Configuration Agent");
  return settings;
}

RegistryKey SettingsKey::OpenAgentKey() const {
  HKEY software = nullptr;
  // Software itself is only opened, never created.
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, kAccess, &software) != ERROR_SUCCESS) return RegistryKey();
  RegistryKey softwareKey(software);
  RegistryKey vendorKey = CreateBelow(softwareKey.get(), vendorPath_);
  if (!vendorKey) return RegistryKey();
  return CreateBelow(vendorKey.get(), agentName_);
}

RegistryKey SettingsKey::OpenSubKey(const char* subkey) const {
  RegistryKey agentKey = OpenAgentKey();
  if (!agentKey) return RegistryKey();
  return CreateBelow(agentKey.get(), subkey);
}

DWORD SettingsKey::ReadDword(const char* subkey, const char* valueName, DWORD defaultValue) const {
  RegistryKey key = OpenSubKey(subkey);
  if (!key) return defaultValue;
  // Zero-filled so that data shorter than four bytes reads as a defined number.
  BYTE data[4] = {0, 0, 0, 0};
  DWORD size = sizeof(data);
  if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, data, &size) != ERROR_SUCCESS) return defaultValue;
  return static_cast<DWORD>(data[0]) | static_cast<DWORD>(data[1]) << 8 | static_cast<DWORD>(data[2]) << 16 |
         static_cast<DWORD>(data[3]) << 24;
}

TextString SettingsKey::ReadString(const char* subkey, const char* valueName, const char* defaultText) const {
  RegistryKey key = OpenSubKey(subkey);
  if (!key) return TextString(defaultText);
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) {
    return TextString(defaultText);
  }
  TextString text;
  char* buffer = text.WritableBuffer(static_cast<int>(size));
  if (text.Capacity() < static_cast<int>(size)) return TextString(defaultText);
  std::memset(buffer, 0, size + 1);
  if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS) {
    return TextString(defaultText);
  }
  text.SyncLength(-1);
  return text;
}

bool SettingsKey::WriteDword(const char* subkey, const char* valueName, DWORD number) const {
  RegistryKey key = OpenSubKey(subkey);
  if (!key) return false;
  return RegSetValueExA(key.get(), valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                        sizeof(number)) == ERROR_SUCCESS;
}

bool SettingsKey::WriteString(const char* subkey, const char* valueName, const char* text) const {
  if (valueName == nullptr) {
    RegistryKey agentKey = OpenAgentKey();
    if (!agentKey) return false;
    return RegDeleteKeyA(agentKey.get(), subkey) == ERROR_SUCCESS;
  }
  RegistryKey key = OpenSubKey(subkey);
  if (!key) return false;
  if (text == nullptr) {
    const LONG deleted = RegDeleteValueA(key.get(), valueName);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;  // gone either way
  }
  return RegSetValueExA(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
}

bool MachineKeyExists(const char* keyPath) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegistryKey key(handle);
  return true;
}

bool ReadMachineString(const char* keyPath, const char* valueName, TextString& out) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegistryKey key(handle);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
    return false;
  }
  TextString text;
  char* buffer = text.WritableBuffer(static_cast<int>(size));
  if (text.Capacity() < static_cast<int>(size)) return false;
  std::memset(buffer, 0, size + 1);
  if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  text.SyncLength(-1);
  out = text;
  return true;
}
