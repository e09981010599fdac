#include "standin_product/syncutil/raised_faults.h"

#include <windows.h>

#include "foundation/exception_frame.h"
#include "foundation/unique_handle.h"

namespace syncutil {
namespace {

// Written through on purpose: a real access violation.
BYTE* volatile g_nowhere = nullptr;
volatile bool g_deeper = true;

FrameAction CatchAccessViolation(EXCEPTION_RECORD* exception, CONTEXT*, void*) {
  return exception->ExceptionCode == EXCEPTION_ACCESS_VIOLATION ? FrameAction::kCatch : FrameAction::kPassOn;
}

DWORD Deeper(DWORD depth) {
  volatile BYTE frame[1024];
  frame[0] = static_cast<BYTE>(depth);
  return g_deeper ? Deeper(depth + 1) + frame[0] : frame[0];
}

struct LateFault {
  DWORD delayMs;
  HANDLE running;  // set once the thread runs: how long a thread takes to start is not part of the delay
};

DWORD WINAPI FaultAfterDelay(LPVOID parameter) {
  const LateFault late = *static_cast<LateFault*>(parameter);
  SetEvent(late.running);
  Sleep(late.delayMs);
  RaiseAccessViolation();
  return 0;
}

DWORD WINAPI FaultOnOwnThread(LPVOID fault) {
  RaiseUnhandled(static_cast<standin::FieldFault>(reinterpret_cast<UINT_PTR>(fault)));
  return 0;
}

}  // namespace

void RaiseAccessViolation() { *g_nowhere = 3; }

bool FaultAndRecover() {
  auto write = [] { RaiseAccessViolation(); };
  return !RunInHandlerFrame(write, CatchAccessViolation, nullptr);
}

bool ProbeBadPointer() { return IsBadReadPtr(reinterpret_cast<const void*>(0x10), 4) != FALSE; }

void RaiseForeignException() { RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr); }

void OverflowStack() { Deeper(0); }

void RaiseUnhandled(standin::FieldFault fault) {
  if (fault == standin::FieldFault::kForeignException) RaiseForeignException();
  if (fault == standin::FieldFault::kStackOverflow) OverflowStack();
  RaiseAccessViolation();
}

void FaultLater(DWORD delayMs) {
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCSTR>(&FaultAfterDelay), &self);
  const KernelHandle running(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  LateFault late = {delayMs, running.get()};
  const KernelHandle thread(CreateThread(nullptr, 0, FaultAfterDelay, &late, 0, nullptr));
  if (thread) WaitForSingleObject(running.get(), INFINITE);  // the thread reads `late` before it sets the event
}

void FaultOnAnotherThread(standin::FieldFault fault) {
  const KernelHandle thread(CreateThread(nullptr, 0, FaultOnOwnThread,
                                         reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(fault)), 0, nullptr));
  if (thread) WaitForSingleObject(thread.get(), INFINITE);
}

}  // namespace syncutil
