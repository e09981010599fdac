#include "tarncheck/script_encoding.h"

#include <algorithm>
#include <cstdio>

#include "tarncheck/code_page.h"
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

bool IsComment(std::string_view line) {
  const std::size_t first = line.find_first_not_of(" \t");
  return first != std::string_view::npos && line[first] == ';';
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

std::string CodePoint(std::u16string_view character) {
  const unsigned long point =
      character.size() == 2 ? 0x10000 + ((character[0] - 0xD800ul) << 10) + (character[1] - 0xDC00ul) : character[0];
  char text[16];
  std::snprintf(text, sizeof text, "U+%04lX", point);
  return text;
}

// "U+0141 becomes "L", U+4E2D becomes "?"": the characters of a line the conversion changes.
std::string ChangedCharacters(std::u16string_view line) {
  std::string changed;
  for (std::size_t at = 0; at < line.size();) {
    const bool pair = line[at] >= 0xD800 && line[at] <= 0xDBFF && at + 1 < line.size() && line[at + 1] >= 0xDC00 &&
                      line[at + 1] <= 0xDFFF;
    const std::u16string_view character = line.substr(at, pair ? 2 : 1);
    at += character.size();
    if (character[0] < 0x80) continue;
    const std::string ansi = ToAnsi(character);
    if (ToUtf16(CodePage::kAnsi, ansi) == character) continue;
    changed += (changed.empty() ? "" : ", ") + CodePoint(character) + " becomes \"" + ansi + "\"";
  }
  return changed;
}

// Takes one line, without its end, off the front of `text`, as TakeLine does.
std::u16string_view TakeWideLine(std::u16string_view& text) {
  const std::size_t end = text.find_first_of(u"\r\n");
  const std::u16string_view line = text.substr(0, end);
  if (end == std::u16string_view::npos) {
    text = std::u16string_view();
  } else {
    text.remove_prefix(end + (text.compare(end, 2, u"\r\n") == 0 ? 2 : 1));
  }
  return line;
}

// UTF-16 after its mark, in the ANSI code page; one warning for each line (outside comments)
// whose characters the conversion changes.
std::string ConvertUtf16(std::string_view bytes, bool bigEndian, Findings& findings) {
  std::u16string wide(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const unsigned char first = static_cast<unsigned char>(bytes[2 * i]);
    const unsigned char second = static_cast<unsigned char>(bytes[2 * i + 1]);
    wide[i] = static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
  }
  std::u16string_view rest = wide;
  for (int number = 1; !rest.empty(); ++number) {
    const std::u16string_view line = TakeWideLine(rest);
    const std::string changed = ChangedCharacters(line);
    if (changed.empty() || IsComment(ToAnsi(line))) continue;
    findings.push_back({number, Severity::kWarning, Rule::kUtf16Script,
                        "the script is UTF-16, which the profile functions convert to the ANSI code page (" +
                            std::to_string(AnsiCodePageNumber()) + "): " + changed +
                            "; write characters of that code page, or save the script as ANSI text of the "
                            "code page the product reads",
                        "", ""});
  }
  return ToAnsi(wide);
}

// One warning for each line (outside comments) that holds UTF-8 characters, saying what
// becomes of its first sequence where the script is read.
void CheckUtf8Lines(std::string_view text, bool marked, Findings& findings) {
  for (int number = 1; !text.empty(); ++number) {
    const std::string_view line = TakeLine(text);
    for (std::size_t at = 0; !IsComment(line) && at < line.size(); ++at) {
      const std::size_t length = Utf8SequenceAt(line, at);
      if (length == 0) continue;
      const std::string bytes(line.substr(at, length));
      const std::string meant = ToAnsi(ToUtf16(CodePage::kUtf8, bytes));
      const std::string shown = "\"" + bytes + "\" rather than \"" + meant + "\"";
      findings.push_back(
          {number, Severity::kWarning, Rule::kUtf8Text,
           "UTF-8 characters (bytes " + HexBytes(line, at, length) + "): " +
               (marked ? "Wine converts them to the ANSI code page as \"" + meant +
                             "\", while Windows hands the bytes over as they are, which the product shows as " + shown
                       : "the agent hands the bytes over as they are, and the product reads them in the ANSI code "
                         "page, one character per byte, as " + shown) +
               "; save the script as ANSI text or as UTF-16 with a byte-order mark",
           "", ""});
      break;
    }
  }
}

}  // namespace

ScriptText CheckEncoding(const std::string& bytes, Findings& findings) {
  ScriptText script;
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    script.text = ConvertUtf16(std::string_view(bytes).substr(2), bytes[0] == '\xFE', findings);
    return script;
  }
  const bool marked = StartsWith(bytes, kUtf8Mark);
  script.text = marked ? bytes.substr(3) : bytes;
  if (marked) {
    const bool matters = FirstLineMatters(script.text);
    findings.push_back({1, matters ? Severity::kError : Severity::kWarning, Rule::kUtf8Mark,
                        std::string("UTF-8 byte-order mark: Windows reads it as part of line 1") +
                            (matters ? ", so what line 1 holds is lost there" : "") +
                            " (Wine skips it); save the script as ANSI text without a byte-order mark",
                        "", ""});
  }
  CheckUtf8Lines(script.text, marked, findings);
  return script;
}

bool LooksLikeUnmarkedUtf16(std::string_view text) {
  return !text.empty() && static_cast<std::size_t>(std::count(text.begin(), text.end(), '\0')) * 4 >= text.size();
}

void AddUnmarkedUtf16(Findings& findings) {
  findings.push_back({0, Severity::kError, Rule::kUtf16WithoutMark,
                      "the script holds NUL bytes (UTF-16 without a byte-order mark?): the profile functions "
                      "find no section in it, so the agent reads the update type as UNKNOWN and updates nothing; "
                      "save it as UTF-16 with a byte-order mark, or as ANSI text",
                      "", ""});
}
