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
void DescribeWrongType(TextString& text, const TextString& fullName, DWORD type, DWORD size, const char* wanted) {
  if (type == REG_DWORD && size != sizeof(DWORD)) {
    text.Format("%s is a REG_DWORD of %lu bytes, not %s", fullName.c_str(), size, wanted);
  } else {
    text.Format("%s is a %s, not %s", fullName.c_str(), TypeName(type), wanted);
  }
}

// The value's type and all its bytes, however long: a value that grows between the size asked
// and the read is asked again.
LONG QueryWhole(HKEY key, const char* valueName, DWORD& type, std::string& bytes) {
  DWORD size = 0;
  LONG read = RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size);
  while (read == ERROR_SUCCESS) {
    bytes.assign(size, '\0');
    read = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size);
    if (read == ERROR_SUCCESS) {
      bytes.resize(size);
      return read;
    }
    if (read == ERROR_MORE_DATA) read = ERROR_SUCCESS;
  }
  return read;
}

// A REG_SZ's (or REG_EXPAND_SZ's) text: its bytes up to the first NUL.
TextString TextOf(const std::string& bytes) { return TextString(bytes.substr(0, bytes.find('\0')).c_str()); }

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
  static constexpr SettingsKey settings(kAgentVendorPath, kAgentKeyName);
  return settings;
}

const SettingsKey& SettingsToRead() {
  static constexpr SettingsKey settings(kAgentVendorPath, kAgentKeyName, true);
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

LONG SettingsKey::ReadValueOf(bool policy, const SettingName& name, DWORD& type, std::string& bytes) const {
  // Opened for reading only, the whole path at once: a read creates nothing, whatever the store.
  TextString path;
  path.Format("Software\\%s%s\\%s\\%s", policy ? "Policies\\" : "", vendorPath_, agentName_, name.subkey);
  HKEY opened = nullptr;
  const LONG open = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &opened);
  if (open != ERROR_SUCCESS) return open;
  const RegistryKey key(opened);
  return QueryWhole(key.get(), name.value, type, bytes);
}

LONG SettingsKey::ReadValue(const SettingName& name, DWORD& type, std::string& bytes, TextString& fullName) const {
  if (ReadValueOf(true, name, type, bytes) == ERROR_SUCCESS) {
    fullName.Format("HKLM\\Software\\Policies\\%s\\%s\\%s\\%s", vendorPath_, agentName_, name.subkey, name.value);
    return ERROR_SUCCESS;
  }
  fullName.Format("%s\\%s", name.subkey, name.value);
  bytes.clear();
  return ReadValueOf(false, name, type, bytes);
}

bool SettingsKey::SetByPolicy(const SettingName& name) const {
  DWORD type = REG_NONE;
  std::string bytes;
  return ReadValueOf(true, name, type, bytes) == ERROR_SUCCESS;
}

DWORD SettingsKey::ReadDword(const SettingName& name, DWORD defaultValue, WrongType wrongType) const {
  DWORD type = REG_NONE;
  std::string bytes;
  TextString fullName;
  if (ReadValue(name, type, bytes, fullName) != ERROR_SUCCESS) return defaultValue;
  DWORD number = 0;
  if (type == REG_DWORD && bytes.size() == sizeof(number)) {
    std::memcpy(&number, bytes.data(), sizeof(number));
    return number;
  }
  // A value of another type or size (REG_SZ "3" reads as the bytes '3' and NUL, 51) is no
  // number of this setting. The trace's own switch stays silent here: a status line said now
  // would be traced under a switch not yet known.
  if (wrongType == WrongType::kSay) {
    TextString said;
    DescribeWrongType(said, fullName, type, static_cast<DWORD>(bytes.size()), "a REG_DWORD");
    TraceStatus("The setting %s: the default %lu is used.\n", said.c_str(), defaultValue);
  }
  return defaultValue;
}

TextString SettingsKey::ReadText(const SettingName& name, const char* defaultText, bool path,
                                 TextString& problem) const {
  problem = TextString();
  DWORD type = REG_NONE;
  std::string bytes;
  TextString fullName;
  if (ReadValue(name, type, bytes, fullName) != ERROR_SUCCESS) return TextString(defaultText);
  if (type != REG_SZ && !(path && type == REG_EXPAND_SZ)) {
    DescribeWrongType(problem, fullName, type, static_cast<DWORD>(bytes.size()),
                      path ? "a REG_SZ or REG_EXPAND_SZ" : "a REG_SZ");
    return TextString(defaultText);
  }
  const TextString text = TextOf(bytes);
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

std::vector<TextString> SettingsKey::ReadTexts(const SettingName& name, TextString& problem) const {
  problem = TextString();
  std::vector<TextString> texts;
  DWORD type = REG_NONE;
  std::string bytes;
  TextString fullName;
  if (ReadValue(name, type, bytes, fullName) != ERROR_SUCCESS) return texts;
  if (type != REG_MULTI_SZ) {
    DescribeWrongType(problem, fullName, type, static_cast<DWORD>(bytes.size()), "a REG_MULTI_SZ");
    return texts;
  }
  // Texts end with a NUL each; the list's final NUL, or a missing one, ends no further text.
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find('\0', start);
    if (end == std::string::npos) end = bytes.size();
    if (end > start) texts.emplace_back(bytes.substr(start, end - start).c_str());
    start = end + 1;
  }
  return texts;
}

namespace {

TextString ReadTextSayingWhy(const SettingsKey& settings, const SettingName& name, const char* defaultText,
                             bool path) {
  TextString problem;
  TextString text = settings.ReadText(name, defaultText, path, problem);
  if (!problem.IsEmpty()) TraceStatus("The setting %s: the default \"%s\" is used.\n", problem.c_str(), defaultText);
  return text;
}

}  // namespace

TextString SettingsKey::ReadString(const SettingName& name, const char* defaultText) const {
  return ReadTextSayingWhy(*this, name, defaultText, false);
}

TextString SettingsKey::ReadPath(const SettingName& name, const char* defaultText) const {
  return ReadTextSayingWhy(*this, name, defaultText, true);
}

bool SettingsKey::WriteDword(const SettingName& name, DWORD number) const {
  RegistryKey key = OpenSubKey(name.subkey);
  if (!key) return false;
  return RegSetValueExA(key.get(), name.value, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                        sizeof(number)) == ERROR_SUCCESS;
}

bool SettingsKey::WriteString(const SettingName& name, const char* text) const {
  if (name.value == nullptr) {
    RegistryKey agentKey = OpenAgentKey();
    if (!agentKey) return false;
    return RegDeleteKeyA(agentKey.get(), name.subkey) == ERROR_SUCCESS;
  }
  RegistryKey key = OpenSubKey(name.subkey);
  if (!key) return false;
  if (text == nullptr) {
    const LONG deleted = RegDeleteValueA(key.get(), name.value);
    return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;  // gone either way
  }
  return RegSetValueExA(key.get(), name.value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
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
  const RegistryKey key(handle);
  DWORD type = REG_NONE;
  std::string bytes;
  if (QueryWhole(key.get(), valueName, type, bytes) != ERROR_SUCCESS || type != REG_SZ) return false;
  out = TextOf(bytes);
  return true;
}
