#include "tarncheck/script_encoding.h"

#include <algorithm>
#include <cstdio>

#include "tarncheck/script_parser.h"

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

bool StartsWith(const std::string& bytes, const char* prefix) { return bytes.rfind(prefix, 0) == 0; }

// Line 1 after the mark holds something the profile functions would use.
bool FirstLineMatters(std::string_view text) {
  const std::string_view first = TakeLine(text);
  const std::size_t start = first.find_first_not_of(" \t");
  return start != std::string_view::npos && first[start] != ';';
}

// Length of the UTF-8 sequence of two or more bytes at `at`, or 0.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

std::string HexBytes(std::string_view text, std::size_t at, std::size_t length) {
  std::string hex;
  char pair[4];
  for (std::size_t i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : " %02X", static_cast<unsigned char>(text[at + i]));
    hex += pair;
  }
  return hex;
}

// One warning for each line (outside comments) that holds UTF-8 characters.
void CheckUtf8Lines(std::string_view text, Findings& findings) {
  for (int number = 1; !text.empty(); ++number) {
    const std::string_view line = TakeLine(text);
    const std::size_t first = line.find_first_not_of(" \t");
    const bool comment = first != std::string_view::npos && line[first] == ';';
    for (std::size_t at = 0; !comment && at < line.size(); ++at) {
      const std::size_t length = Utf8SequenceAt(line, at);
      if (length == 0) continue;
      findings.push_back({number, Severity::kWarning,
                          "UTF-8 characters (bytes " + HexBytes(line, at, length) +
                              "): the agent hands the bytes over as they are and the product reads them in the "
                              "ANSI code page, one character per byte; save the script as ANSI text"});
      break;
    }
  }
}

}  // namespace

ScriptText CheckEncoding(const std::string& bytes, Findings& findings) {
  ScriptText script;
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    findings.push_back({0, Severity::kError,
                        "the script is UTF-16 (it starts with a byte-order mark): the agent's texts are 8-bit, "
                        "characters outside the ANSI code page reach the product as '?', and tarncheck reads "
                        "8-bit scripts only; save it as ANSI text"});
    return script;
  }
  script.checkable = true;
  if (StartsWith(bytes, kUtf8Mark)) {
    script.text = bytes.substr(3);
    const bool matters = FirstLineMatters(script.text);
    findings.push_back({1, matters ? Severity::kError : Severity::kWarning,
                        std::string("UTF-8 byte-order mark: Windows reads it as part of line 1") +
                            (matters ? ", so what line 1 holds is lost there" : "") +
                            " (Wine skips it); save the script as ANSI text without a byte-order mark"});
    return script;
  }
  script.text = bytes;
  CheckUtf8Lines(script.text, findings);
  return script;
}

bool LooksLikeUnmarkedUtf16(std::string_view text) {
  return !text.empty() && static_cast<std::size_t>(std::count(text.begin(), text.end(), '\0')) * 4 >= text.size();
}

void AddUnmarkedUtf16(Findings& findings) {
  findings.push_back({0, Severity::kError,
                      "the script holds NUL bytes (UTF-16 without a byte-order mark?): the profile functions "
                      "find no section in it; save it as ANSI text"});
}
