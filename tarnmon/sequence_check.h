// Finds lost status messages from their sequence numbers. A writer numbers its messages
// 1..255 and round again to 1, never 0; a new run of the agent starts again at 1, which is a
// new beginning, not a loss.
#pragma once

namespace tarnmon {

struct SequenceVerdict {
  enum Kind { kInOrder, kRestart, kGap, kInvalid };
  Kind kind = kInOrder;
  unsigned missing = 0;       // kGap: how many numbers were skipped
  unsigned firstMissing = 0;  // kGap: the first of them
  unsigned lastMissing = 0;   // kGap: and the last
};

class SequenceCheck {
 public:
  // The verdict on the next message's number; an invalid number leaves the count where it was.
  SequenceVerdict Next(unsigned sequence);

 private:
  unsigned last_ = 0;  // 0: no message seen yet, so 1 is expected
};

}  // namespace tarnmon
