// Owns one kernel object handle (file, process, thread, mailslot) and closes it when it goes
// out of scope. Both "no handle" values of the Windows API count as empty.
#pragma once

#include <windows.h>

class KernelHandle {
 public:
  KernelHandle() = default;
  explicit KernelHandle(HANDLE handle) : handle_(handle) {}
  KernelHandle(const KernelHandle&) = delete;
  KernelHandle& operator=(const KernelHandle&) = delete;
  ~KernelHandle() {
    if (*this) CloseHandle(handle_);
  }

  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_ = nullptr;
};
