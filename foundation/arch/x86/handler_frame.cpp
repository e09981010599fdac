#include "foundation/exception_frame.h"

#include <cstddef>

#include "foundation/arch/x86/seh_chain.h"

namespace {

// The system hands the handler the address of the record it registered.
struct HandlerRecord {
  EXCEPTION_REGISTRATION_RECORD record;
  FrameHandler handler;
  void* data;
  void* resume[5];  // __builtin_setjmp's buffer: where a caught exception goes on
};
static_assert(offsetof(HandlerRecord, record) == 0, "the handler finds the rest from its record");

EXCEPTION_DISPOSITION NTAPI OnException(EXCEPTION_RECORD* exception, void* frame, CONTEXT* context, void*) {
  HandlerRecord& self = *static_cast<HandlerRecord*>(frame);
  if ((exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0 ||
      self.handler(exception, context, self.data) == FrameAction::kPassOn) {
    return ExceptionContinueSearch;
  }
  // As __except does: every frame nearer the exception runs its termination handlers, the
  // chain ends at this record, and the thread goes on in RunInHandlerFrame, leaving the
  // dispatcher's frames below behind.
  RtlUnwind(&self.record, nullptr, exception, nullptr);
  __builtin_longjmp(self.resume, 1);
}

}  // namespace

bool RunInArchHandlerFrame(void (*work)(void* context), void* context, FrameHandler handler, void* data) {
  HandlerRecord frame = {};
  frame.record.Next = SehChain();
  frame.record.Handler = OnException;
  frame.handler = handler;
  frame.data = data;
  volatile bool finished = false;  // read again after a jump back
  if (__builtin_setjmp(frame.resume) == 0) {
    SetSehChain(&frame.record);
    work(context);
    finished = true;
  }
  SetSehChain(frame.record.Next);
  return finished;
}

void* CurrentHandlerChain() { return SehChain(); }
