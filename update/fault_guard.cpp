#include "update/fault_guard.h"

#include <windows.h>

#include "foundation/exception_frame.h"

namespace {

struct GuardedCall {
  void (*work)(void* context);
  void* context;
  bool finished;
};

void RunCatchingExceptions(void* parameter) {
  GuardedCall& call = *static_cast<GuardedCall*>(parameter);
  try {
    call.work(call.context);
    call.finished = true;
  } catch (...) {
  }
}

FrameAction CatchAllButNotices(EXCEPTION_RECORD* exception, CONTEXT*, void*) {
  return IsContinuableNotice(exception->ExceptionCode) ? FrameAction::kPassOn : FrameAction::kCatch;
}

}  // namespace

bool RunGuarded(void (*work)(void* context), void* context) {
  GuardedCall call = {work, context, false};
  // Also puts back the guard page an earlier overflow used up: without it the next overflow
  // would end the thread with no word said.
  ReserveStackForHandlers();
  return RunInHandlerFrame(RunCatchingExceptions, &call, CatchAllButNotices, nullptr) && call.finished;
}
