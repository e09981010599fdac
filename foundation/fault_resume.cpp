#include "foundation/fault_resume.h"

namespace {

[[noreturn]] void JumpBack(void* point) { __builtin_longjmp(static_cast<ResumePoint*>(point)->jump, 1); }

}  // namespace

bool RunResumable(ResumePoint& point, void (*work)(void* context), void* context) {
  point.handlerChain = CurrentHandlerChain();
  if (__builtin_setjmp(point.jump) == 0) {
    work(context);
    return true;
  }
  // Any handler frame the abandoned code registered is gone with its stack.
  RestoreHandlerChain(point.handlerChain);
  return false;
}

void ResumeAt(CONTEXT* context, ResumePoint& point) { RedirectFaultedThread(context, JumpBack, &point); }
