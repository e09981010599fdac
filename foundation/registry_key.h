// Owns one open registry key handle and closes it when it goes out of scope.
#pragma once

#include <windows.h>

class RegistryKey {
 public:
  RegistryKey() = default;
  explicit RegistryKey(HKEY handle) : handle_(handle) {}
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;
  RegistryKey(RegistryKey&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  RegistryKey& operator=(RegistryKey&& other) noexcept;
  ~RegistryKey() { Close(); }

  HKEY get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Close();

 private:
  HKEY handle_ = nullptr;
};
