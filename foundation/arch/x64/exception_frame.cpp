#include "foundation/exception_frame.h"

namespace {

struct FrameCall {
  FrameHandler handler;
  void* data;
};

}  // namespace

// TarnFrameBody(work, context, call) calls work(context) in a frame whose unwind data names
// TarnFrameHandler as its exception handler, and keeps `call` 40 bytes above the stack pointer
// it leaves after its prologue: the establisher frame the dispatcher hands the handler.
extern "C" void TarnFrameBody(void (*work)(void*), void* context, const FrameCall* call);
extern "C" EXCEPTION_DISPOSITION TarnFrameHandler(EXCEPTION_RECORD* exception, void* establisherFrame,
                                                  CONTEXT* context, void* dispatcherContext);

asm(R"(
  .text
  .globl TarnFrameBody
  .def TarnFrameBody; .scl 2; .type 32; .endef
  .seh_proc TarnFrameBody
TarnFrameBody:
  subq $56, %rsp
  .seh_stackalloc 56
  .seh_endprologue
  .seh_handler TarnFrameHandler, @except, @unwind
  movq %r8, 40(%rsp)
  movq %rcx, %rax
  movq %rdx, %rcx
  callq *%rax
  nop
  addq $56, %rsp
  ret
  .seh_endproc
)");

extern "C" EXCEPTION_DISPOSITION TarnFrameHandler(EXCEPTION_RECORD* exception, void* establisherFrame, CONTEXT* context,
                                                  void*) {
  const FrameCall* call = *reinterpret_cast<const FrameCall* const*>(static_cast<BYTE*>(establisherFrame) + 40);
  return call->handler(exception, context, call->data);
}

void RunInHandlerFrame(void (*work)(void* context), void* context, FrameHandler handler, void* data) {
  const FrameCall call = {handler, data};
  TarnFrameBody(work, context, &call);
}
