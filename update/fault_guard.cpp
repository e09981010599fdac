#include "update/fault_guard.h"

#include "foundation/fault_resume.h"

#include <windows.h>

namespace {

struct Guard {
  ResumePoint point;
  Guard* outer;  // the guard this one stands inside, if any
};

// The innermost guard of each thread. A TLS slot rather than thread_local: the handler reads it
// while a fault is being dispatched, where mingw's emulated TLS might allocate.
DWORD GuardSlot() {
  static const DWORD slot = TlsAlloc();
  return slot;
}

Guard* InnermostGuard() {
  const DWORD slot = GuardSlot();
  return slot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<Guard*>(TlsGetValue(slot));
}

// A fault on a thread without a guard belongs to whoever else handles it: the product's
// library on a thread of its own, or the agent's last-resort report.
LONG CALLBACK OnFault(EXCEPTION_POINTERS* info) {
  Guard* guard = InnermostGuard();
  if (!IsHardwareFault(info->ExceptionRecord->ExceptionCode) || guard == nullptr) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  ResumeAt(info->ContextRecord, guard->point);
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

struct GuardedCall {
  void (*work)(void* context);
  void* context;
  bool finished;
};

void RunCatchingExceptions(void* parameter) {
  GuardedCall& call = *static_cast<GuardedCall*>(parameter);
  try {
    call.work(call.context);
    call.finished = true;
  } catch (...) {
  }
}

}  // namespace

bool RunGuarded(void (*work)(void* context), void* context) {
  GuardedCall call = {work, context, false};
  const DWORD slot = GuardSlot();
  if (slot == TLS_OUT_OF_INDEXES) {
    RunCatchingExceptions(&call);
    return call.finished;
  }
  Guard guard;
  guard.outer = static_cast<Guard*>(TlsGetValue(slot));
  FaultHandler handler;
  TlsSetValue(slot, &guard);
  RunResumable(guard.point, RunCatchingExceptions, &call);
  TlsSetValue(slot, guard.outer);
  return call.finished;
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
