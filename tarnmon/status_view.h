// What a person watching the agent sees: every status message and debugger text as a numbered,
// time-stamped line as it arrives, and a word wherever status messages went missing. For a
// program reading along, each line is one JSON object instead (JSON Lines), timed in UTC.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

#include "tarnmon/sequence_check.h"

namespace tarnmon {

class StatusView {
 public:
  enum class Form { kText, kJsonLines };
  explicit StatusView(std::FILE* out, Form form = Form::kText) : out_(out), form_(form) {}

  // A raw mailslot message: sequence byte, text, NUL; or empty.
  void StatusMessage(const std::string& message);
  void DebugString(const std::string& text);
  void Exception(const EXCEPTION_DEBUG_INFO& exception);
  // tarnmon's own remarks: what it runs, how it ended.
  void Note(const std::string& text);

 private:
  // Prints each line of `text` on a line of its own, at once: the reader may be a pipe.
  void Print(int sequence, const char* stream, const std::string& text);

  std::FILE* out_;
  Form form_;
  SequenceCheck sequence_;
};

}  // namespace tarnmon
