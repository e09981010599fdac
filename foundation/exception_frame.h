// An exception handler frame of the thread's own, at the base of a piece of work: the handler
// sees every exception that no frame nearer the fault handles (the product's library may
// handle its own), before the system's last resort, and also while a debugger is attached.
// x86 registers a record on the thread's FS:0 chain; x64 runs the work inside a function whose
// unwind data names the handler. The architecture's unit is chosen by the build.
#pragma once

#include <windows.h>

// Called during dispatch, and during unwinding (then with EXCEPTION_UNWINDING in the flags).
using FrameHandler = EXCEPTION_DISPOSITION (*)(EXCEPTION_RECORD* exception, CONTEXT* context, void* data);

void RunInHandlerFrame(void (*work)(void* context), void* context, FrameHandler handler, void* data);

template <typename Work>
void RunInHandlerFrame(Work& work, FrameHandler handler, void* data) {
  RunInHandlerFrame([](void* context) { (*static_cast<Work*>(context))(); }, &work, handler, data);
}
