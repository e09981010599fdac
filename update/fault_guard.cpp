#include "update/fault_guard.h"

#include "foundation/seh_chain.h"

#include <windows.h>

#include <setjmp.h>

namespace {

struct ResumePoint {
  jmp_buf jump;
  ResumePoint* outer;                       // the guard this one stands inside, if any
  EXCEPTION_REGISTRATION_RECORD* sehChain;  // the thread's SEH chain when the guard began
};

// The innermost guard of each thread. A TLS slot rather than thread_local: the handler reads it
// while a fault is being dispatched, where mingw's emulated TLS might allocate.
DWORD GuardSlot() {
  static const DWORD slot = TlsAlloc();
  return slot;
}

ResumePoint* InnermostGuard() {
  const DWORD slot = GuardSlot();
  return slot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<ResumePoint*>(TlsGetValue(slot));
}

// Runs as ordinary code on the faulting thread, after the dispatcher has let go of it.
[[noreturn]] void __cdecl ResumeAtGuard() { longjmp(InnermostGuard()->jump, 1); }

// Jumping straight out of a vectored handler would leave the dispatcher's locks and
// bookkeeping behind; instead the thread is made to continue in ResumeAtGuard.
LONG CALLBACK OnFault(EXCEPTION_POINTERS* info) {
  if (!IsHardwareFault(info->ExceptionRecord->ExceptionCode) || InnermostGuard() == nullptr) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  CONTEXT* context = info->ContextRecord;
  // Below the faulting frame, 16-byte aligned, with a slot where a return address would be.
  context->Esp = ((context->Esp - 64) & ~static_cast<DWORD>(15)) - 4;
  context->Eip = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(&ResumeAtGuard));
  context->EFlags &= ~static_cast<DWORD>(0x400);  // direction flag: compiled code expects it clear
  return EXCEPTION_CONTINUE_EXECUTION;
}

// The handler is in place exactly as long as a guard stands.
class FaultHandler {
 public:
  FaultHandler() : handle_(AddVectoredExceptionHandler(1, OnFault)) {}
  ~FaultHandler() {
    if (handle_ != nullptr) RemoveVectoredExceptionHandler(handle_);
  }
  FaultHandler(const FaultHandler&) = delete;
  FaultHandler& operator=(const FaultHandler&) = delete;

 private:
  PVOID handle_;
};


}  // namespace

bool RunGuarded(void (*work)(void* context), void* context) {
  const DWORD slot = GuardSlot();
  if (slot == TLS_OUT_OF_INDEXES) {
    try {
      work(context);
      return true;
    } catch (...) {
      return false;
    }
  }
  ResumePoint point;
  point.outer = static_cast<ResumePoint*>(TlsGetValue(slot));
  point.sehChain = SehChain();
  FaultHandler handler;
  TlsSetValue(slot, &point);
  volatile bool finished = false;
  if (setjmp(point.jump) == 0) {
    try {
      work(context);
      finished = true;
    } catch (...) {
    }
  } else {
    // Any SEH frame the abandoned code registered is gone with its stack.
    SetSehChain(point.sehChain);
  }
  TlsSetValue(slot, point.outer);
  return finished;
}

bool IsHardwareFault(unsigned long code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
      return true;
    default:
      return false;
  }
}
