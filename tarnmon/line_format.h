// How tarnmon shows a line: local time, the sequence number where the line has one, the stream
// it came from, then the text, so that the streams read apart at a glance:
//   10:41:07.214      debug   [12] TARNUPDATE version incorrect. Script requires version 1.0.16.
//   10:41:07.215 #3   status  [12] TARNUPDATE version incorrect. Script requires version 1.0.16.
#pragma once

#include <windows.h>

#include <string>

namespace tarnmon {

constexpr int kNoSequence = -1;

// One line of output without its "\n"; `text` is a single line.
std::string FormatLine(const SYSTEMTIME& time, int sequence, const char* stream, const std::string& text);

}  // namespace tarnmon
