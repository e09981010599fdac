#include "foundation/exception_frame.h"

namespace {

struct FloatingPointState {
  unsigned short x87Control;
  unsigned int mxcsr;
};

// Every x64 processor has SSE; an x86 one may not, and then has no MXCSR.
bool HasMxcsr() { return sizeof(void*) == 8 || IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE); }

FloatingPointState SaveFloatingPoint() {
  FloatingPointState state = {};
  asm volatile("fnstcw %0" : "=m"(state.x87Control));
  if (HasMxcsr()) asm volatile("stmxcsr %0" : "=m"(state.mxcsr));
  return state;
}

// fninit empties the x87 stack and clears its pending exceptions; then the saved modes.
void RestoreFloatingPoint(const FloatingPointState& state) {
  asm volatile("fninit\n\tfldcw %0" : : "m"(state.x87Control));
  if (HasMxcsr()) asm volatile("ldmxcsr %0" : : "m"(state.mxcsr));
}

}  // namespace

bool RunInHandlerFrame(void (*work)(void* context), void* context, FrameHandler handler, void* data) {
  const FloatingPointState state = SaveFloatingPoint();
  if (RunInArchHandlerFrame(work, context, handler, data)) return true;
  RestoreFloatingPoint(state);
  return false;
}

void ReserveStackForHandlers() {
  constexpr ULONG kReserve = 64 * 1024;
  ULONG reserve = kReserve;
  SetThreadStackGuarantee(&reserve);
  // The system raises an overflow only when a guard page is touched, and leaves the guarantee
  // only if that page lies above it. Wine commits a thread's whole stack with its one guard page
  // at the very bottom, and an overflow uses up the guard wherever it was: a guard page just
  // above the reserve puts it back. Where the stack is still reserved there (a fresh thread on
  // Windows) the system's own guard page is still on its way down.
  MEMORY_BASIC_INFORMATION stack = {};
  if (VirtualQuery(&stack, &stack, sizeof stack) == 0) return;
  SYSTEM_INFO system = {};
  GetSystemInfo(&system);
  const UINT_PTR page = system.dwPageSize;
  BYTE* const guard = static_cast<BYTE*>(stack.AllocationBase) + 2 * page + ((kReserve + page - 1) & ~(page - 1));
  if (guard + 2 * page > reinterpret_cast<BYTE*>(&stack)) return;  // already below it
  MEMORY_BASIC_INFORMATION at = {};
  if (VirtualQuery(guard, &at, sizeof at) == 0 || at.State != MEM_COMMIT || (at.Protect & PAGE_GUARD) != 0) return;
  DWORD previous = 0;
  VirtualProtect(guard, page, PAGE_READWRITE | PAGE_GUARD, &previous);
}

bool IsContinuableNotice(DWORD code) {
  switch (code) {
    case DBG_PRINTEXCEPTION_C:
    case DBG_PRINTEXCEPTION_WIDE_C:
    case DBG_CONTROL_C:
    case DBG_CONTROL_BREAK:
    case 0x406D1388:  // a thread's name for the debugger
      return true;
    default:
      return false;
  }
}
