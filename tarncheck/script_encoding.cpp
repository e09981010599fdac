#include "tarncheck/script_encoding.h"

#include <cstdio>

namespace {

constexpr char kUtf8Mark[] = "\xEF\xBB\xBF";

bool StartsWith(const std::string& bytes, const char* prefix) { return bytes.rfind(prefix, 0) == 0; }

// Line 1 after the mark holds something the profile functions would use.
bool FirstLineMatters(const std::string& text) {
  const std::string first = text.substr(0, text.find('\n'));
  const std::size_t start = first.find_first_not_of(" \t\r");
  return start != std::string::npos && first[start] != ';';
}

// Length of the UTF-8 sequence of two or more bytes at `at`, or 0.
std::size_t Utf8SequenceAt(const std::string& text, std::size_t at) {
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

std::string HexBytes(const std::string& text, std::size_t at, std::size_t length) {
  std::string hex;
  char pair[4];
  for (std::size_t i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : " %02X", static_cast<unsigned char>(text[at + i]));
    hex += pair;
  }
  return hex;
}

// One warning for each line (outside comments) that holds UTF-8 characters.
void CheckUtf8Lines(const std::string& text, Findings& findings) {
  int number = 1;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::size_t first = text.find_first_not_of(" \t", start);
    const bool comment = first < end && text[first] == ';';
    for (std::size_t at = start; !comment && at < end; ++at) {
      const std::size_t length = Utf8SequenceAt(text, at);
      if (length == 0) continue;
      findings.push_back({number, Severity::kWarning,
                          "UTF-8 characters (bytes " + HexBytes(text, at, length) +
                              "): the agent hands the bytes over as they are and the product reads them in the "
                              "ANSI code page, one character per byte; save the script as ANSI text"});
      break;
    }
    start = end + 1;
    ++number;
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
  if (bytes.find('\0') != std::string::npos) {
    findings.push_back({0, Severity::kError,
                        "the script holds NUL bytes (UTF-16 without a byte-order mark?): the profile functions "
                        "find no section in it; save it as ANSI text"});
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
