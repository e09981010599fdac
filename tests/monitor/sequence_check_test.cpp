// Lost status messages are told apart from the numbering's wrap and from a new run.
#include "sequence_check.h"

#include <gtest/gtest.h>

namespace {

using tarnmon::SequenceCheck;
using tarnmon::SequenceVerdict;

void ExpectGap(const SequenceVerdict& verdict, unsigned missing, unsigned first, unsigned last) {
  EXPECT_EQ(verdict.kind, SequenceVerdict::kGap);
  EXPECT_EQ(verdict.missing, missing);
  EXPECT_EQ(verdict.firstMissing, first);
  EXPECT_EQ(verdict.lastMissing, last);
}

TEST(SequenceCheckTest, WrapFrom255To1AndANewRunAreNoLoss) {
  SequenceCheck check;
  for (unsigned sequence = 1; sequence <= 255; ++sequence) {
    ASSERT_EQ(check.Next(sequence).kind, SequenceVerdict::kInOrder) << sequence;
  }
  EXPECT_EQ(check.Next(1).kind, SequenceVerdict::kInOrder);  // the wrap
  EXPECT_EQ(check.Next(2).kind, SequenceVerdict::kInOrder);
  EXPECT_EQ(check.Next(3).kind, SequenceVerdict::kInOrder);
  EXPECT_EQ(check.Next(1).kind, SequenceVerdict::kRestart);  // the next run
  EXPECT_EQ(check.Next(2).kind, SequenceVerdict::kInOrder);
}

TEST(SequenceCheckTest, GapsGiveCountAndRangeAlsoAcrossTheWrap) {
  SequenceCheck check;
  check.Next(1);
  check.Next(2);
  ExpectGap(check.Next(5), 2, 3, 4);
  EXPECT_EQ(check.Next(6).kind, SequenceVerdict::kInOrder);  // counting goes on from the gap

  SequenceCheck wrapped;
  for (unsigned sequence = 1; sequence <= 253; ++sequence) wrapped.Next(sequence);
  ExpectGap(wrapped.Next(2), 3, 254, 1);  // 254, 255 and 1 went missing
}

TEST(SequenceCheckTest, AFirstMessageAboveOneShowsWhatWasNeverReceived) {
  SequenceCheck check;
  ExpectGap(check.Next(7), 6, 1, 6);
}

TEST(SequenceCheckTest, NumbersOutsideOneTo255AreInvalidAndDoNotMoveTheCount) {
  SequenceCheck check;
  check.Next(1);
  EXPECT_EQ(check.Next(0).kind, SequenceVerdict::kInvalid);
  EXPECT_EQ(check.Next(256).kind, SequenceVerdict::kInvalid);
  EXPECT_EQ(check.Next(2).kind, SequenceVerdict::kInOrder);
}

}  // namespace
