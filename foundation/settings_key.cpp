#include "foundation/settings_key.h"

#include <cstring>

#include "foundation/trace_log.h"
#include "foundation/unique_handle.h"

namespace {

const char* TypeName(DWORD type) {
  switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK: return "REG_LINK";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "a value of an unknown type";
  }
}

// "LC_UPDATE\UndoKeep is a REG_SZ, not a REG_DWORD": the value's full name, the type it has
// (with its size when only the size is wrong) and the type it should have.
void DescribeWrongType(TextString& text, const char* subkey, const char* valueName, DWORD type, DWORD size,
                       const char* wanted) {
  if (type == REG_DWORD && size != sizeof(DWORD)) {
    text.Format("%s\\%s is a REG_DWORD of %lu bytes, not %s", subkey, valueName, size, wanted);
  } else {
    text.Format("%s\\%s is a %s, not %s", subkey, valueName, TypeName(type), wanted);
  }
}

RegistryKey CreateBelow(HKEY parent, const char* name) {
  HKEY created = nullptr;
  if (RegCreateKeyExA(parent, name, 0, nullptr, REG_OPTION_NON_VOLATILE, SettingsKey::kAccess, nullptr, &created,
                      nullptr) != ERROR_SUCCESS) {
    return RegistryKey();
  }
  return RegistryKey(created);
}

RegistryKey OpenBelow(HKEY parent, const char* name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(parent, name, 0, KEY_READ, &opened) != ERROR_SUCCESS) return RegistryKey();
  return RegistryKey(opened);
}

}  // namespace

const SettingsKey& Settings() {
  static constexpr SettingsKey settings("Velmora\\Brask", "Tarn Configuration Agent");
  return settings;
}

const SettingsKey& SettingsToRead() {
  static constexpr SettingsKey settings("Velmora\\Brask", "Tarn Configuration Agent", true);
  return settings;
}

RegistryKey SettingsKey::OpenAgentKey() const {
  HKEY software = nullptr;
  // Software itself is only opened, never created.
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, readOnly_ ? KEY_READ : kAccess, &software) != ERROR_SUCCESS) {
    return RegistryKey();
  }
  RegistryKey softwareKey(software);
  const auto below = readOnly_ ? OpenBelow : CreateBelow;
  RegistryKey vendorKey = below(softwareKey.get(), vendorPath_);
  if (!vendorKey) return RegistryKey();
  return below(vendorKey.get(), agentName_);
}

RegistryKey SettingsKey::OpenSubKey(const char* subkey) const {
  RegistryKey agentKey = OpenAgentKey();
  if (!agentKey) return RegistryKey();
  return (readOnly_ ? OpenBelow : CreateBelow)(agentKey.get(), subkey);
}

DWORD SettingsKey::ReadDword(const char* subkey, const char* valueName, DWORD defaultValue,
                             WrongType wrongType) const {
  RegistryKey key = OpenSubKey(subkey);
  if (!key) return defaultValue;
  DWORD type = REG_NONE;
  DWORD number = 0;
  DWORD size = sizeof(number);
  const LONG read = RegQueryValueExA(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size);
  if (read == ERROR_FILE_NOT_FOUND) return defaultValue;
  if (read == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(number)) return number;
  // A value of another type or size (REG_SZ "3" reads as the bytes '3' and NUL, 51) is no
  // number of this setting. The trace's own switch stays silent here: a status line said now
  // would be traced under a switch not yet known.
  if (wrongType == WrongType::kSay) {
    // Too large for four bytes: the query has still told its type and its size.
    if (read != ERROR_SUCCESS && read != ERROR_MORE_DATA) return defaultValue;
    TextString said;
    DescribeWrongType(said, subkey, valueName, type, size, "a REG_DWORD");
    TraceStatus("The setting %s: the default %lu is used.\n", said.c_str(), defaultValue);
  }
  return defaultValue;
}

TextString SettingsKey::ReadText(const char* subkey, const char* valueName, const char* defaultText, bool path,
                                 TextString& problem) const {
  problem = TextString();
  RegistryKey key = OpenSubKey(subkey);
  if (!key) return TextString(defaultText);
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (RegQueryValueExA(key.get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return TextString(defaultText);
  }
  if (type != REG_SZ && !(path && type == REG_EXPAND_SZ)) {
    DescribeWrongType(problem, subkey, valueName, type, size, path ? "a REG_SZ or REG_EXPAND_SZ" : "a REG_SZ");
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
  if (type != REG_EXPAND_SZ) return text;
  const DWORD needed = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
  TextString expanded;
  char* into = expanded.WritableBuffer(static_cast<int>(needed));
  if (needed == 0 || expanded.Capacity() < static_cast<int>(needed)) return TextString(defaultText);
  std::memset(into, 0, needed + 1);
  if (ExpandEnvironmentStringsA(text.c_str(), into, needed) == 0) return TextString(defaultText);
  expanded.SyncLength(-1);
  return expanded;
}

namespace {

TextString ReadTextSayingWhy(const SettingsKey& settings, const char* subkey, const char* valueName,
                             const char* defaultText, bool path) {
  TextString problem;
  TextString text = settings.ReadText(subkey, valueName, defaultText, path, problem);
  if (!problem.IsEmpty()) TraceStatus("The setting %s: the default \"%s\" is used.\n", problem.c_str(), defaultText);
  return text;
}

}  // namespace

TextString SettingsKey::ReadString(const char* subkey, const char* valueName, const char* defaultText) const {
  return ReadTextSayingWhy(*this, subkey, valueName, defaultText, false);
}

TextString SettingsKey::ReadPath(const char* subkey, const char* valueName, const char* defaultText) const {
  return ReadTextSayingWhy(*this, subkey, valueName, defaultText, true);
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
