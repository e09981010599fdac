// The sequence check where the end-to-end watch does not reach: gaps across the wrap or before
// the first message, a gap of one, and numbers outside 1..255.
#include "tarnmon/sequence_check.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using Verdict = tarnmon::SequenceVerdict;

TEST(SequenceCheckTest, VerdictOnTheLastNumberAfterAnInOrderRunFromOne) {
  const struct {
    unsigned inOrder;  // 1, 2, ... this many first
    std::vector<unsigned> then;
    Verdict::Kind kind;
    unsigned missing, first, last;
  } cases[] = {
      {2, {5, 6}, Verdict::kInOrder, 0, 0, 0},  // counting goes on from the gap
      {253, {2}, Verdict::kGap, 3, 254, 1},     // 254, 255 and 1 went missing
      {0, {7}, Verdict::kGap, 6, 1, 6},         // never received
      {1, {3}, Verdict::kGap, 1, 2, 2},
      {1, {0}, Verdict::kInvalid, 0, 0, 0},
      {1, {256}, Verdict::kInvalid, 0, 0, 0},
      {1, {0, 2}, Verdict::kInOrder, 0, 0, 0},  // an invalid number leaves the count where it was
  };
  for (const auto& each : cases) {
    tarnmon::SequenceCheck check;
    for (unsigned sequence = 1; sequence <= each.inOrder; ++sequence) check.Next(sequence);
    Verdict verdict;
    for (const unsigned sequence : each.then) verdict = check.Next(sequence);
    EXPECT_EQ(std::make_tuple(verdict.kind, verdict.missing, verdict.firstMissing, verdict.lastMissing),
              std::make_tuple(each.kind, each.missing, each.first, each.last)) << "case " << &each - cases;
  }
}

}  // namespace
