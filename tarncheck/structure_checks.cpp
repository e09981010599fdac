#include "tarncheck/structure_checks.h"

#include "tarncheck/line_warning.h"
#include "tarncheck/value_checks.h"

namespace {

std::string Where(const ParsedScript& script, const ScriptLine& line) {
  return line.header < 0 ? "lie before any section" : "stay in [" + SectionOf(script, line) + "]";
}

void CheckSectionLine(const ParsedScript& script, const ScriptLine& line, Findings& findings) {
  if (line.textAfterHeader) Warn(line, Rule::kTextAfterHeader, "the text after ']' of [" + line.name + "] is ignored", findings);
  const ScriptLine* first = FindSection(script, line.name);
  if (first != &line) {
    Warn(line, Rule::kSectionRepeated,
         "section [" + line.name + "] appears again (first at line " + std::to_string(first->number) +
             "): the profile functions read only the first, so no key below this header is read",
         findings);
  }
}

// A NUL byte ends the name or value it stands in; what the profile functions make of the line.
void CheckNul(const ParsedScript& script, const ScriptLine& line, Findings& findings) {
  const std::string nul = "a NUL byte (character " + std::to_string(line.nul) + ")";
  switch (line.kind) {
    case LineKind::kComment:
      Warn(line, Rule::kNulByte, nul + " in a comment: the profile functions still ignore the line", findings);
      break;
    case LineKind::kSection:
      Warn(line, Rule::kNulByte, nul + ": the profile functions read this header as [" + line.name + "]", findings);
      break;
    case LineKind::kKey:
      Warn(line, Rule::kNulByte,
           nul + ": the profile functions read this line as " +
               (line.name.empty() ? "a key without a name"
                : line.header < 0 ? "key " + line.name
                                  : Quoted(SectionOf(script, line), line)),
           findings);
      break;
    case LineKind::kOther:
      Warn(line, Rule::kNulByte, nul + ": \"" + line.text + "\" is neither a [section] nor a key = value line: it is ignored",
           findings);
      break;
    case LineKind::kBlank:
      break;
  }
}

void CheckKeyLine(const ParsedScript& script, const ScriptLine& line, Findings& findings) {
  if (line.header < 0) {
    Warn(line, Rule::kKeyBeforeSection, line.name + " lies before any section: it is never read", findings);
    return;
  }
  const std::string& section = SectionOf(script, line);
  // Keys of a repeated section are covered by that section's own warning.
  if (FindSection(script, section) != &script.lines[static_cast<std::size_t>(line.header)]) return;
  const ScriptLine* first = FindKey(script, section, line.name);
  if (first != &line) {
    Warn(line, Rule::kKeyRepeated,
         "[" + section + "] " + line.name + " is given again (first at line " + std::to_string(first->number) +
             "): only the first value, \"" + first->value + "\", is read",
         findings);
  }
}

}  // namespace

void CheckStructure(const ParsedScript& script, Findings& findings) {
  for (const ScriptLine& line : script.lines) {
    if (line.nul > 0) CheckNul(script, line, findings);
    switch (line.kind) {
      case LineKind::kSection:
        CheckSectionLine(script, line, findings);
        break;
      case LineKind::kKey:
        CheckKeyLine(script, line, findings);
        break;
      case LineKind::kOther:
        if (line.nul > 0) break;  // said with the NUL byte
        Warn(line, line.unclosedHeader ? Rule::kHeaderUnclosed : Rule::kLineIgnored,
             line.unclosedHeader
                 ? "\"" + line.text + "\" has no closing ']': it is no section header, and the keys below it " +
                       Where(script, line)
                 : "\"" + line.text + "\" is neither a [section], a key = value line nor a ';' comment: it is ignored",
             findings);
        break;
      case LineKind::kBlank:
      case LineKind::kComment:
        break;
    }
  }
}
