#include "tarnmon/sequence_check.h"

namespace tarnmon {

namespace {
constexpr unsigned kHighest = 255;
}

SequenceVerdict SequenceCheck::Next(unsigned sequence) {
  SequenceVerdict verdict;
  if (sequence == 0 || sequence > kHighest) {
    verdict.kind = SequenceVerdict::kInvalid;
    return verdict;
  }
  const unsigned expected = last_ % kHighest + 1;
  last_ = sequence;
  if (sequence == expected) return verdict;
  if (sequence == 1) {
    verdict.kind = SequenceVerdict::kRestart;
    return verdict;
  }
  verdict.kind = SequenceVerdict::kGap;
  verdict.firstMissing = expected;
  verdict.missing = (sequence + kHighest - expected) % kHighest;
  verdict.lastMissing = (sequence + kHighest - 2) % kHighest + 1;
  return verdict;
}

}  // namespace tarnmon
