#include "foundation/exception_frame.h"

#include <cstddef>

#include "foundation/arch/x86/seh_chain.h"

namespace {

// The system hands the handler the address of the record it registered.
struct HandlerRecord {
  EXCEPTION_REGISTRATION_RECORD record;
  FrameHandler handler;
  void* data;
};
static_assert(offsetof(HandlerRecord, record) == 0, "the handler finds the rest from its record");

EXCEPTION_DISPOSITION NTAPI OnException(EXCEPTION_RECORD* exception, void* frame, CONTEXT* context, void*) {
  const HandlerRecord& self = *static_cast<const HandlerRecord*>(frame);
  return self.handler(exception, context, self.data);
}

}  // namespace

void RunInHandlerFrame(void (*work)(void* context), void* context, FrameHandler handler, void* data) {
  HandlerRecord frame = {};
  frame.record.Next = SehChain();
  frame.record.Handler = OnException;
  frame.handler = handler;
  frame.data = data;
  SetSehChain(&frame.record);
  work(context);
  SetSehChain(frame.record.Next);
}
