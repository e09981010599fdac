// The status mailslot seen from the collector's side: whoever creates it is its only reader,
// and the agent posts one message per status line into it while it exists.
#pragma once

#include <functional>
#include <string>

#include "foundation/unique_handle.h"

namespace tarnmon {

enum MailslotResult : int {
  kMailslotCreated = 0,
  kMailslotInUse = 1,  // another collector holds the name
  kMailslotFailed = 2,
};

class StatusMailslot {
 public:
  // Creates the mailslot with reads that never wait; one of MailslotResult.
  int Create(const char* name);
  bool IsOpen() const { return static_cast<bool>(handle_); }

  // Reads every message waiting now, oldest first, each with all its bytes (NUL included).
  // Under Wine a writer blocks once a few hundred messages wait unread, so a collector calls
  // this all the time while a writer may be at work, not only at the end.
  void Drain(const std::function<void(const std::string& message)>& onMessage);

 private:
  KernelHandle handle_;
};

// A message taken apart: the sequence byte (0 for an empty message), then the text without the
// trailing NUL and without `prefix` where the text begins with it. A line's "\n" stays.
struct StatusMessage {
  unsigned sequence = 0;
  std::string text;
};
StatusMessage SplitStatusMessage(const std::string& message, const char* prefix);

}  // namespace tarnmon
