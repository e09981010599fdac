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

// Names and values are kept as C strings, so a NUL byte ends them; blanks before it stay.
std::string_view CutAtNul(std::string_view text) { return text.substr(0, text.find('\0')); }

// A value written "like this" or 'like this' is read without its quotes.
std::string_view WithoutQuotes(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// The line as it can be shown: NUL bytes would end a message.
std::string Shown(std::string_view text) {
  std::string shown;
  for (char c : text) {
    if (c == '\0') {
      shown += "<NUL>";
    } else {
      shown += c;
    }
  }
  return shown;
}

ScriptLine ParseLine(std::string_view raw, int number, int header) {
  ScriptLine line;
  line.number = number;
  line.header = header;
  line.nul = static_cast<int>(raw.find('\0') + 1);  // npos + 1 is 0
  const std::string_view text = Trimmed(raw);
  if (text.empty()) return line;
  if (text.front() == ';') {
    line.kind = LineKind::kComment;
    return line;
  }
  if (text.front() == '[') {
    const std::size_t close = text.rfind(']');
    if (close != std::string_view::npos) {
      line.kind = LineKind::kSection;
      line.name = std::string(CutAtNul(Trimmed(text.substr(1, close - 1))));
      line.textAfterHeader = close + 1 < text.size();
      return line;
    }
  }
  const std::size_t equals = text.find('=');
  if (equals == std::string_view::npos) {
    line.kind = LineKind::kOther;
    line.text = Shown(text);
    line.unclosedHeader = text.front() == '[';
    return line;
  }
  line.kind = LineKind::kKey;
  line.name = std::string(CutAtNul(Trimmed(text.substr(0, equals))));
  line.value = std::string(WithoutQuotes(CutAtNul(Trimmed(text.substr(equals + 1)))));
  return line;
}

// The first section of each name, and the first key of each name in it.
void BuildIndexes(ParsedScript& script) {
  for (std::size_t i = 0; i < script.lines.size(); ++i) {
    const ScriptLine& line = script.lines[i];
    const int index = static_cast<int>(i);
    if (line.kind == LineKind::kSection) {
      if (script.firstSection.emplace(LowerCase(line.name), index).second) {
        script.sectionKeys.emplace(index, SectionKeys());
      }
    } else if (line.kind == LineKind::kKey && line.header >= 0) {
      const auto keys = script.sectionKeys.find(line.header);
      if (keys == script.sectionKeys.end()) continue;  // a repeated section: never read
      keys->second.lines.push_back(index);
      keys->second.first.emplace(LowerCase(line.name), index);
    }
  }
}

// The keys of the first section of that name, or null.
const SectionKeys* KeysIndex(const ParsedScript& script, std::string_view section) {
  const auto found = script.firstSection.find(LowerCase(section));
  return found == script.firstSection.end() ? nullptr : &script.sectionKeys.at(found->second);
}

}  // namespace

std::string_view TakeLine(std::string_view& text) {
  const std::size_t end = text.find_first_of("\r\n");
  const std::string_view line = text.substr(0, end);
  if (end == std::string_view::npos) {
    text = std::string_view();
  } else {
    text.remove_prefix(end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1));
  }
  return line;
}

ParsedScript ParseScript(std::string_view text) {
  ParsedScript script;
  int header = -1;
  int number = 0;
  while (!text.empty() || number == 0) {
    ScriptLine line = ParseLine(TakeLine(text), ++number, header);
    if (line.kind == LineKind::kSection) {
      header = static_cast<int>(script.lines.size());
      line.header = header;
    }
    script.lines.push_back(std::move(line));
  }
  BuildIndexes(script);
  return script;
}

const ScriptLine* FindSection(const ParsedScript& script, std::string_view section) {
  const auto found = script.firstSection.find(LowerCase(section));
  return found == script.firstSection.end() ? nullptr : &script.lines[static_cast<std::size_t>(found->second)];
}

std::vector<const ScriptLine*> KeysOf(const ParsedScript& script, std::string_view section) {
  std::vector<const ScriptLine*> keys;
  if (const SectionKeys* index = KeysIndex(script, section)) {
    for (int line : index->lines) keys.push_back(&script.lines[static_cast<std::size_t>(line)]);
  }
  return keys;
}

const ScriptLine* FindKey(const ParsedScript& script, std::string_view section, std::string_view key) {
  const SectionKeys* index = KeysIndex(script, section);
  if (index == nullptr) return nullptr;
  const auto found = index->first.find(LowerCase(key));
  return found == index->first.end() ? nullptr : &script.lines[static_cast<std::size_t>(found->second)];
}

const std::string& SectionOf(const ParsedScript& script, const ScriptLine& line) {
  static const std::string kNone;
  return line.header < 0 ? kNone : script.lines[static_cast<std::size_t>(line.header)].name;
}

bool IsReadKey(const ParsedScript& script, const ScriptLine& line) {
  return line.kind == LineKind::kKey && line.header >= 0 &&
         FindKey(script, SectionOf(script, line), line.name) == &line;
}
