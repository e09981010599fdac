#include "tarnmon/line_format.h"

#include <cstdio>

namespace tarnmon {

std::string FormatLine(const SYSTEMTIME& time, int sequence, const char* stream, const std::string& text) {
  char number[8] = "";
  if (sequence != kNoSequence) std::snprintf(number, sizeof(number), "#%d", sequence);
  char head[64];
  std::snprintf(head, sizeof(head), "%02u:%02u:%02u.%03u %-4s %-7s ", unsigned{time.wHour}, unsigned{time.wMinute},
                unsigned{time.wSecond}, unsigned{time.wMilliseconds}, number, stream);
  return head + text;
}

}  // namespace tarnmon
