// An update script split into lines the way the profile functions read it: a line ends at
// CR LF, CR or LF; blank lines, ';' comments, [section] headers (name between '[' and the last
// ']', trimmed), key=value lines (name and value trimmed, one pair of surrounding quotes taken
// off the value) and anything else, which they ignore. A NUL byte ends a section name, key name
// or value where it stands (the rest of the line is kept but never compared or returned), and
// the quotes are looked for in what is left. The profile functions see only the first section
// of a name and, in it, only the first key of a name; FindSection and FindKey find exactly
// those, through indexes built once by ParseScript.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

enum class LineKind {
  kBlank,
  kComment,
  kSection,
  kKey,
  kOther,  // no '=' and no header: ignored by the profile functions
};

struct ScriptLine {
  int number = 0;  // 1-based
  LineKind kind = LineKind::kBlank;
  std::string text;              // kOther: the line without its end and surrounding blanks, NUL bytes as <NUL>
  std::string name;              // kSection: the section name; kKey: the key name
  std::string value;             // kKey: the value as a text read gives it (before any cut)
  int header = -1;               // index of the header of the section the line lies in; -1 before any
  int nul = 0;                   // 1-based character of the line's first NUL byte; 0 when it has none
  bool textAfterHeader = false;  // kSection: something follows the closing ']'
  bool unclosedHeader = false;   // kOther: begins with '[' but has no ']'
};

// The keys of the first section of a name.
struct SectionKeys {
  std::vector<int> lines;                      // indexes of its key lines, in file order
  std::unordered_map<std::string, int> first;  // lower-cased key name: index of its first line
};

struct ParsedScript {
  std::vector<ScriptLine> lines;
  std::unordered_map<std::string, int> firstSection;  // lower-cased name: index of its first header
  std::unordered_map<int, SectionKeys> sectionKeys;   // by the index of a first header
};

// Takes one line, without its end, off the front of `text`.
std::string_view TakeLine(std::string_view& text);

// `text` is the script's 8-bit text, any byte-order mark already taken off.
ParsedScript ParseScript(std::string_view text);

// The header of the first section of that name, or null.
const ScriptLine* FindSection(const ParsedScript& script, std::string_view section);
// The key line the profile functions read for (section, key), or null when they find none.
const ScriptLine* FindKey(const ParsedScript& script, std::string_view section, std::string_view key);
// The section name a line lies in ("" before the first header).
const std::string& SectionOf(const ParsedScript& script, const ScriptLine& line);
// True when the line is the one the profile functions read for its section and key.
bool IsReadKey(const ParsedScript& script, const ScriptLine& line);
// Key lines of the first section of that name, in file order.
std::vector<const ScriptLine*> KeysOf(const ParsedScript& script, std::string_view section);
