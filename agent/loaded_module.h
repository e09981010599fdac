// Owns one loaded module and unloads it when it goes out of scope.
#pragma once

#include <windows.h>

class LoadedModule {
 public:
  LoadedModule() = default;
  explicit LoadedModule(HMODULE module) : module_(module) {}
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;
  ~LoadedModule() {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  HMODULE get() const { return module_; }
  explicit operator bool() const { return module_ != nullptr; }
  // Hands the module to a caller that unloads it itself.
  HMODULE release() {
    HMODULE module = module_;
    module_ = nullptr;
    return module;
  }

  template <typename Function>
  Function Find(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_ = nullptr;
};
