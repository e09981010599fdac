// An exception handler frame of the thread's own around a piece of work, as __try/__except
// builds one: its handler sees every exception that no frame nearer the exception handles (the
// product's library handles its own first), before the system's last resort, and also while a
// debugger is attached. The handler either passes an exception on, or catches it: then the
// frames between are unwound (their own termination handlers run) and the work is abandoned.
// x86 registers a record on the thread's FS:0 chain; x64 runs the work inside a function whose
// unwind data names the handler. The architecture's unit is chosen by the build.
#pragma once

#include <windows.h>

enum class FrameAction { kPassOn, kCatch };

// Called while an exception is dispatched, never while frames unwind.
using FrameHandler = FrameAction (*)(EXCEPTION_RECORD* exception, CONTEXT* context, void* data);

// True when work(context) ran to its end; false when the handler caught an exception. After a
// catch the thread's floating-point state (the x87 stack and control word, MXCSR) is again what
// it was when the frame was set up: the abandoned code may have left it in any state.
bool RunInHandlerFrame(void (*work)(void* context), void* context, FrameHandler handler, void* data);

template <typename Work>
bool RunInHandlerFrame(Work& work, FrameHandler handler, void* data) {
  return RunInHandlerFrame([](void* context) { (*static_cast<Work*>(context))(); }, &work, handler, data);
}

// The architecture's frame (foundation/arch/*/handler_frame.cpp), without the floating-point
// state.
bool RunInArchHandlerFrame(void (*work)(void* context), void* context, FrameHandler handler, void* data);

// Makes sure the calling thread keeps stack enough, after an overflow, for a handler's work
// and the unwinding it starts: without it the system has no room left even to dispatch.
void ReserveStackForHandlers();

// The head of the thread's chain of handler frames (x86); null where frames are found from the
// stack (x64). A caught exception leaves the chain as it was before the frame.
void* CurrentHandlerChain();

// Notices a debugger or the system raises for someone else to see, which code that runs on
// after them expects to return: debugger prints, Ctrl+C and Ctrl+Break, thread names.
bool IsContinuableNotice(DWORD code);
