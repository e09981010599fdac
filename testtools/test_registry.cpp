#include "testtools/test_registry.h"

#include "foundation/unique_handle.h"

namespace test_registry {
namespace {

bool Create(const std::string& keyPath, RegistryKey& key) {
  HKEY handle = nullptr;
  const bool created = RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                       &handle, nullptr) == ERROR_SUCCESS;
  key.reset(created ? handle : nullptr);
  return created;
}

bool Open(const std::string& keyPath, RegistryKey& key) {
  HKEY handle = nullptr;
  const bool opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &handle) == ERROR_SUCCESS;
  key.reset(opened ? handle : nullptr);
  return opened;
}

bool SetRaw(const std::string& keyPath, const std::string& name, DWORD type, const void* data, DWORD size) {
  RegistryKey key;
  return Create(keyPath, key) &&
         RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
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
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegGetValueA(HKEY_LOCAL_MACHINE, keyPath.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::string> GetString(const std::string& keyPath, const std::string& name) {
  // REG_SZ only: an expandable string is refused, not expanded.
  const auto read = [&](void* data, DWORD* size) {
    return RegGetValueA(HKEY_LOCAL_MACHINE, keyPath.c_str(), name.c_str(), RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, data,
                        size) == ERROR_SUCCESS;
  };
  DWORD size = 0;
  if (!read(nullptr, &size)) return std::nullopt;
  std::string value(size, '\0');
  if (!read(&value[0], &size)) return std::nullopt;
  value.resize(value.find('\0'));  // the value always comes with its terminator
  return value;
}

bool KeyExists(const std::string& keyPath) {
  RegistryKey key;
  return Open(keyPath, key);
}

bool ValueExists(const std::string& keyPath, const std::string& name) {
  RegistryKey key;
  return Open(keyPath, key) && RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
                                   ERROR_SUCCESS;
}

void DeleteTree(const std::string& keyPath) { RegDeleteTreeA(HKEY_LOCAL_MACHINE, keyPath.c_str()); }

}  // namespace test_registry
