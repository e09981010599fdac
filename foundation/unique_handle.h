// The one owner of Windows handles: move-only, closes what it holds when it goes. A traits
// type says what "none" is and how to close it; kernel objects treat both null and
// INVALID_HANDLE_VALUE as none, since Win32 calls fail with either.
#pragma once

#include <windows.h>

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~UniqueHandle() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return !Traits::IsNone(handle_); }

  // Hands the handle to a caller that closes it itself.
  Handle release() {
    const Handle handle = handle_;
    handle_ = Traits::None();
    return handle;
  }
  void reset(Handle handle = Traits::None()) {
    if (!Traits::IsNone(handle_)) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::None();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle None() { return nullptr; }
  static bool IsNone(Handle handle) { return handle == nullptr || handle == INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

// A handle that is null when there is none, closed by one call.
template <typename HandleType, auto Closer>
struct NullIsNoneTraits {
  using Handle = HandleType;
  static Handle None() { return nullptr; }
  static bool IsNone(Handle handle) { return handle == nullptr; }
  static void Close(Handle handle) { Closer(handle); }
};

// Closed without destroying: the namespace lives on while another run holds it.
inline void ClosePrivateNamespaceKeepingIt(HANDLE handle) { ClosePrivateNamespace(handle, 0); }

struct FileSearchTraits {
  using Handle = HANDLE;
  static Handle None() { return INVALID_HANDLE_VALUE; }
  static bool IsNone(Handle handle) { return handle == INVALID_HANDLE_VALUE || handle == nullptr; }
  static void Close(Handle handle) { FindClose(handle); }
};

// Files, processes, threads, events, mailslots, pipes, mutexes.
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using BoundaryDescriptor = UniqueHandle<NullIsNoneTraits<HANDLE, DeleteBoundaryDescriptor>>;
using PrivateNamespace = UniqueHandle<NullIsNoneTraits<HANDLE, ClosePrivateNamespaceKeepingIt>>;
using RegistryKey = UniqueHandle<NullIsNoneTraits<HKEY, RegCloseKey>>;
using LoadedModule = UniqueHandle<NullIsNoneTraits<HMODULE, FreeLibrary>>;
using EventSource = UniqueHandle<NullIsNoneTraits<HANDLE, DeregisterEventSource>>;
using FileSearch = UniqueHandle<FileSearchTraits>;

// An export of a loaded module as a typed function pointer; null when it is missing.
template <typename Function>
Function FindExport(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
