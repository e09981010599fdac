// The guard around each reader's store: C++ exceptions and hardware faults inside it end the
// guarded work only, as often as they happen, and guards nest.
#include "fault_guard.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>

namespace {

int* volatile g_nowhere = nullptr;
volatile int g_zero = 0;

TEST(FaultGuard, WorkThatEndsNormallyIsReportedAsFinished) {
  int steps = 0;
  auto work = [&] { ++steps; };
  EXPECT_TRUE(RunGuarded(work));
  EXPECT_EQ(steps, 1);
}

TEST(FaultGuard, FaultsAndExceptionsStopOnlyTheGuardedWork) {
  int reached = 0;
  auto accessViolation = [&] {
    *g_nowhere = 1;
    ++reached;
  };
  auto divideByZero = [&] { reached += 10 / g_zero; };
  auto cppException = [&] {
    throw std::runtime_error("thrown");
  };
  // Many times over: each fault must leave the thread as it found it (stack, handlers).
  for (int i = 0; i < 300; ++i) {
    ASSERT_FALSE(RunGuarded(accessViolation)) << i;
    ASSERT_FALSE(RunGuarded(divideByZero)) << i;
    ASSERT_FALSE(RunGuarded(cppException)) << i;
  }
  EXPECT_EQ(reached, 0);
  // C++ exceptions still work normally after all those faults.
  EXPECT_THROW(throw std::logic_error("after"), std::logic_error);
}

TEST(FaultGuard, TheInnermostGuardCatchesAndTheOuterWorkGoesOn) {
  bool innerFinished = true;
  int outerSteps = 0;
  auto outer = [&] {
    auto inner = [&] { *g_nowhere = 2; };
    innerFinished = RunGuarded(inner);
    ++outerSteps;
  };
  EXPECT_TRUE(RunGuarded(outer));
  EXPECT_FALSE(innerFinished);
  EXPECT_EQ(outerSteps, 1);
}

DWORD WINAPI FaultUnderGuard(LPVOID finished) {
  auto work = [] { *g_nowhere = 3; };
  *static_cast<bool*>(finished) = RunGuarded(work);
  return 0;
}

TEST(FaultGuard, EachThreadHasItsOwnGuards) {
  bool finished = true;
  HANDLE thread = CreateThread(nullptr, 0, FaultUnderGuard, &finished, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  auto here = [&] { EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0); };
  EXPECT_TRUE(RunGuarded(here));
  CloseHandle(thread);
  EXPECT_FALSE(finished);
}

}  // namespace
