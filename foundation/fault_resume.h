// Sends a thread that faulted back to a point it passed earlier, abandoning the frames in
// between without running their destructors: mingw's catch (...) does not see structured
// exceptions, so a handler that decides to go on uses this. The handler calls ResumeAt and
// returns "continue execution"; the thread then goes on in ordinary code, once the dispatcher
// has let go of it.
#pragma once

#include <windows.h>

struct ResumePoint {
  void* jump[5];        // __builtin_setjmp's buffer: no unwinding on the way back
  void* handlerChain;   // the thread's handler frames when the point was set (x86 only)
};

// Runs work(context): true when it ran to its end, false when a handler sent the thread back.
bool RunResumable(ResumePoint& point, void (*work)(void* context), void* context);

// For a handler of a fault on the thread that set `point`, while RunResumable still runs.
void ResumeAt(CONTEXT* context, ResumePoint& point);

// Per architecture (foundation/arch/*/fault_context.cpp): the faulted thread continues in
// resume(argument), on a fresh aligned slot below the faulting frame; and the chain of handler
// frames that a jump back must cut short (FS:0 on x86; x64 finds its frames from the stack).
void RedirectFaultedThread(CONTEXT* context, void (*resume)(void* argument), void* argument);
void* CurrentHandlerChain();
void RestoreHandlerChain(void* chain);
