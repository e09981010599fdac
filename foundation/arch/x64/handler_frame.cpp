#include "foundation/exception_frame.h"

namespace {

struct FrameCall {
  FrameHandler handler;
  void* data;
};

}  // namespace

// TarnFrameBody(work, context, call) calls work(context) in a frame whose unwind data names
// TarnFrameHandler as its exception handler, keeps `call` 40 bytes above the stack pointer it
// leaves after its prologue (the establisher frame the dispatcher hands the handler), and
// gives 1. A caught exception unwinds to TarnFrameCaught with 0 in eax: the frame gives 0.
extern "C" int TarnFrameBody(void (*work)(void*), void* context, const FrameCall* call);
extern "C" char TarnFrameCaught[];
extern "C" EXCEPTION_DISPOSITION TarnFrameHandler(EXCEPTION_RECORD* exception, void* establisherFrame,
                                                  CONTEXT* context, DISPATCHER_CONTEXT* dispatcher);

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
  movl $1, %eax
  .globl TarnFrameCaught
TarnFrameCaught:
  addq $56, %rsp
  ret
  .seh_endproc
)");

extern "C" EXCEPTION_DISPOSITION TarnFrameHandler(EXCEPTION_RECORD* exception, void* establisherFrame, CONTEXT* context,
                                                  DISPATCHER_CONTEXT* dispatcher) {
  if ((exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0) return ExceptionContinueSearch;
  const FrameCall* call = *reinterpret_cast<const FrameCall* const*>(static_cast<BYTE*>(establisherFrame) + 40);
  if (call->handler(exception, context, call->data) == FrameAction::kPassOn) return ExceptionContinueSearch;
  // As __except does: every frame nearer the exception runs its termination handlers, then
  // the thread goes on at TarnFrameCaught in this frame.
  CONTEXT unwound;
  RtlUnwindEx(establisherFrame, TarnFrameCaught, exception, nullptr, &unwound, dispatcher->HistoryTable);
  return ExceptionContinueSearch;  // not reached
}

bool RunInArchHandlerFrame(void (*work)(void* context), void* context, FrameHandler handler, void* data) {
  const FrameCall call = {handler, data};
  return TarnFrameBody(work, context, &call) != 0;
}

// Frames are found from the stack and its unwind data: there is no chain to report.
void* CurrentHandlerChain() { return nullptr; }
