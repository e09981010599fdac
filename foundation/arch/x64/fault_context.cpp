#include "foundation/fault_resume.h"

void RedirectFaultedThread(CONTEXT* context, void (*resume)(void* argument), void* argument) {
  // Below the faulting frame, 16-byte aligned less the return address slot, as at any call;
  // the 32 bytes above that slot are the callee's home space.
  const DWORD64 slot = (context->Rsp - 128) & ~static_cast<DWORD64>(15);
  context->Rsp = slot - 8;
  context->Rip = reinterpret_cast<DWORD64>(resume);
  context->Rcx = reinterpret_cast<DWORD64>(argument);
  context->EFlags &= ~static_cast<DWORD>(0x400);  // direction flag: compiled code expects it clear
}

// Frames are found from the stack and its unwind data: nothing to cut short.
void* CurrentHandlerChain() { return nullptr; }

void RestoreHandlerChain(void*) {}
