#include "test_registry.h"

namespace test_registry {
namespace {

struct Key {
  HKEY handle = nullptr;
  ~Key() {
    if (handle != nullptr) RegCloseKey(handle);
  }
};

bool Create(const std::string& keyPath, Key& key) {
  return RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key.handle,
                         nullptr) == ERROR_SUCCESS;
}

bool Open(const std::string& keyPath, Key& key) {
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key.handle) == ERROR_SUCCESS;
}

bool SetRaw(const std::string& keyPath, const std::string& name, DWORD type, const void* data, DWORD size) {
  Key key;
  return Create(keyPath, key) &&
         RegSetValueExA(key.handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

}  // namespace

bool SetDword(const std::string& keyPath, const std::string& name, DWORD value) {
  return SetRaw(keyPath, name, REG_DWORD, &value, sizeof(value));
}

bool SetString(const std::string& keyPath, const std::string& name, const std::string& value, DWORD type) {
  return SetRaw(keyPath, name, type, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

bool SetBinary(const std::string& keyPath, const std::string& name, const std::string& bytes) {
  return SetRaw(keyPath, name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

std::optional<DWORD> GetDword(const std::string& keyPath, const std::string& name) {
  Key key;
  if (!Open(keyPath, key)) return std::nullopt;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegQueryValueExA(key.handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::string> GetString(const std::string& keyPath, const std::string& name) {
  Key key;
  if (!Open(keyPath, key)) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.handle, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
    return std::nullopt;
  }
  std::string value(size, '\0');
  if (RegQueryValueExA(key.handle, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value[0]), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  value.resize(value.find('\0') == std::string::npos ? size : value.find('\0'));
  return value;
}

bool KeyExists(const std::string& keyPath) {
  Key key;
  return Open(keyPath, key);
}

bool ValueExists(const std::string& keyPath, const std::string& name) {
  Key key;
  return Open(keyPath, key) && RegQueryValueExA(key.handle, name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
                                   ERROR_SUCCESS;
}

void DeleteTree(const std::string& keyPath) {
  Key key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_ALL_ACCESS, &key.handle) != ERROR_SUCCESS) return;
  for (;;) {
    char child[256];
    DWORD childSize = sizeof(child);
    if (RegEnumKeyExA(key.handle, 0, child, &childSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    DeleteTree(keyPath + "\\" + child);
  }
  RegCloseKey(key.handle);
  key.handle = nullptr;
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str());
}

}  // namespace test_registry
