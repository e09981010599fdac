#include "tarncheck/script_parser.h"

#include "tarncheck/profile_names.h"

namespace {

// The profile functions' blanks: white space and the old end-of-file mark Ctrl-Z.
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A value written "like this" or 'like this' is read without its quotes.
std::string_view WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

ScriptLine ParseLine(std::string_view raw, int number, int header) {
  ScriptLine line;
  line.number = number;
  line.header = header;
  const std::string_view text = Trimmed(raw);
  line.text = std::string(text);
  if (text.empty()) return line;
  if (text.front() == ';') {
    line.kind = LineKind::kComment;
    return line;
  }
  if (text.front() == '[') {
    const std::size_t close = text.rfind(']');
    if (close != std::string_view::npos) {
      line.kind = LineKind::kSection;
      line.name = std::string(Trimmed(text.substr(1, close - 1)));
      line.textAfterHeader = close + 1 < text.size();
      return line;
    }
  }
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    line.kind = LineKind::kOther;
    line.unclosedHeader = text.front() == '[';
    return line;
  }
  line.kind = LineKind::kKey;
  line.name = std::string(Trimmed(text.substr(0, equals)));
  line.value = std::string(WithoutQuotes(Trimmed(text.substr(equals + 1))));
  return line;
}

}  // namespace

ParsedScript ParseScript(std::string_view text) {
  ParsedScript script;
  int header = -1;
  int number = 0;
  while (!text.empty() || number == 0) {
    const std::size_t end = text.find('\n');
    const std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ScriptLine line = ParseLine(raw, ++number, header);
    if (line.kind == LineKind::kSection) {
      header = static_cast<int>(script.lines.size());
      line.header = header;
    }
    script.lines.push_back(std::move(line));
  }
  return script;
}

const ScriptLine* FindSection(const ParsedScript& script, std::string_view section) {
  for (const ScriptLine& line : script.lines) {
    if (line.kind == LineKind::kSection && SameName(line.name, section)) return &line;
  }
  return nullptr;
}

std::vector<const ScriptLine*> KeysOf(const ParsedScript& script, std::string_view section) {
  std::vector<const ScriptLine*> keys;
  const ScriptLine* header = FindSection(script, section);
  if (header == nullptr) return keys;
  const int index = static_cast<int>(header - script.lines.data());
  for (const ScriptLine& line : script.lines) {
    if (line.kind == LineKind::kKey && line.header == index) keys.push_back(&line);
  }
  return keys;
}

const ScriptLine* FindKey(const ParsedScript& script, std::string_view section, std::string_view key) {
  for (const ScriptLine* line : KeysOf(script, section)) {
    if (SameName(line->name, key)) return line;
  }
  return nullptr;
}

const std::string& SectionOf(const ParsedScript& script, const ScriptLine& line) {
  static const std::string kNone;
  return line.header < 0 ? kNone : script.lines[static_cast<std::size_t>(line.header)].name;
}

bool IsReadKey(const ParsedScript& script, const ScriptLine& line) {
  return line.kind == LineKind::kKey && line.header >= 0 &&
         FindKey(script, SectionOf(script, line), line.name) == &line;
}
