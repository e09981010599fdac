#include "registry_key.h"

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

void RegistryKey::Close() {
  if (handle_ != nullptr) RegCloseKey(handle_);
  handle_ = nullptr;
}
