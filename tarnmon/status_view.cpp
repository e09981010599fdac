#include "tarnmon/status_view.h"

#include <nlohmann/json.hpp>

#include "foundation/json_schema.h"
#include "foundation/utf8_text.h"
#include "tarnmon/line_format.h"
#include "tarnmon/status_mailslot.h"
#include "foundation/trace_log.h"
#include "tool_cli/tool_cli.h"

namespace tarnmon {
namespace {

using json = nlohmann::ordered_json;

// One line of JSON Lines: the version and the time first, then the line's own members.
void PrintJsonLine(std::FILE* out, const json& members) {
  SYSTEMTIME now;
  GetSystemTime(&now);
  json line = {{"schemaVersion", kJsonSchemaVersion}, {"time", tool_cli::IsoTime(now)}};
  for (const auto& member : members.items()) line[member.key()] = member.value();
  // Never an exception: a byte that is no UTF-8 becomes U+FFFD.
  std::fprintf(out, "%s\n", line.dump(-1, ' ', false, json::error_handler_t::replace).c_str());
}

}  // namespace

void StatusView::StatusMessage(const std::string& message) {
  // Not even a sequence number: said once, and left out of the count.
  if (message.empty()) {
    Note("an empty status message");
    return;
  }
  const tarnmon::StatusMessage split = SplitStatusMessage(message, kStatusPrefix);
  const SequenceVerdict verdict = sequence_.Next(split.sequence);
  switch (verdict.kind) {
    case SequenceVerdict::kGap: {
      if (form_ == Form::kJsonLines) {
        PrintJsonLine(out_, {{"missing", verdict.missing}});
        break;
      }
      std::string text = std::to_string(verdict.missing) + (verdict.missing == 1 ? " message" : " messages") +
                         " missing: #" + std::to_string(verdict.firstMissing);
      if (verdict.missing > 1) text += " to #" + std::to_string(verdict.lastMissing);
      Print(kNoSequence, "lost", text);
      break;
    }
    case SequenceVerdict::kRestart:
      Note("numbering starts again at 1: a new run");
      break;
    case SequenceVerdict::kInvalid:
      Note("the next message carries no valid sequence number");
      break;
    case SequenceVerdict::kInOrder:
      break;
  }
  Print(static_cast<int>(split.sequence), "status", split.text);
}

void StatusView::DebugString(const std::string& text) { Print(kNoSequence, "debug", text); }

void StatusView::Exception(const EXCEPTION_DEBUG_INFO& exception) {
  char text[96];
  std::snprintf(text, sizeof(text), "exception 0x%08lX at %p (%s)",
                static_cast<unsigned long>(exception.ExceptionRecord.ExceptionCode),
                exception.ExceptionRecord.ExceptionAddress,
                exception.dwFirstChance != 0 ? "first chance, passed to the program" : "not handled by the program");
  Print(kNoSequence, "debug", text);
}

void StatusView::Note(const std::string& text) { Print(kNoSequence, "tarnmon", text); }

void StatusView::Print(int sequence, const char* stream, const std::string& text) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const bool jsonLines = form_ == Form::kJsonLines;
  std::size_t start = 0;
  do {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!jsonLines) {
      std::fprintf(out_, "%s\n", FormatLine(now, sequence, stream, line).c_str());
    } else if (sequence != kNoSequence) {
      PrintJsonLine(out_, {{"source", stream}, {"sequence", sequence}, {"text", AnsiToUtf8(line)}});
    } else {
      PrintJsonLine(out_, {{"source", stream}, {"text", AnsiToUtf8(line)}});
    }
    start = end + 1;
  } while (start < text.size());
  std::fflush(out_);
}

}  // namespace tarnmon
