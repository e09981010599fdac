// Work on a thread of its own that the starter waits for only so long: a library that never
// answers must not hold the run for ever. What the thread works on is shared between the two,
// so that whichever ends last frees it; a thread given up on is left to the end of the process.
#pragma once

#include <windows.h>

#include <memory>

#include "foundation/unique_handle.h"

template <typename Job>
class DeadlineThread {
 public:
  using Routine = DWORD (*)(Job& job);

  // Starts routine(*job) on a new thread; false (GetLastError says why) when none could be made.
  bool Start(const std::shared_ptr<Job>& job, Routine routine) {
    auto start = std::make_unique<ThreadStart>(ThreadStart{job, routine});
    thread_.reset(CreateThread(nullptr, 0, Run, start.get(), 0, nullptr));
    if (!thread_) return false;
    start.release();  // the thread's from here
    return true;
  }

  // Waits at most `waitMs` for the thread to end: WAIT_OBJECT_0 when it has, WAIT_TIMEOUT not yet.
  DWORD Wait(DWORD waitMs) const { return WaitForSingleObject(thread_.get(), waitMs); }

  // The routine's answer, once the thread has ended; false when the system cannot tell it.
  bool ExitCode(DWORD& code) const { return GetExitCodeThread(thread_.get(), &code) != FALSE; }

 private:
  struct ThreadStart {
    std::shared_ptr<Job> job;
    Routine routine;
  };

  static DWORD WINAPI Run(LPVOID parameter) {
    const std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    return start->routine(*start->job);
  }

  KernelHandle thread_;
};
