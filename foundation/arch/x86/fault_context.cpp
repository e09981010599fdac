#include "foundation/arch/x86/seh_chain.h"
#include "foundation/fault_resume.h"

void RedirectFaultedThread(CONTEXT* context, void (*resume)(void* argument), void* argument) {
  // Below the faulting frame, 16-byte aligned: the argument, and under it the slot where a
  // return address would be.
  const DWORD slot = (context->Esp - 64) & ~static_cast<DWORD>(15);
  *reinterpret_cast<void**>(slot) = argument;
  context->Esp = slot - 4;
  context->Eip = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(resume));
  context->EFlags &= ~static_cast<DWORD>(0x400);  // direction flag: compiled code expects it clear
}

void* CurrentHandlerChain() { return SehChain(); }

void RestoreHandlerChain(void* chain) { SetSehChain(static_cast<EXCEPTION_REGISTRATION_RECORD*>(chain)); }
