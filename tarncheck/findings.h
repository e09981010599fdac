// What a check of an update script finds: each finding has a line (0 for the script as a
// whole), the section and key it is about, the kind of finding, a severity and a message saying
// what the agent will really do with the line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class Severity { kWarning, kError };

// The kinds of finding, each with a stable id for programs that read the findings. The ids are
// kept as they are once published; a new kind gets a new id at the end.
enum class Rule {
  kScriptUnreadable,
  kUtf16Script,
  kUtf16WithoutMark,
  kUtf8Mark,
  kUtf8Text,
  kNulByte,
  kLineIgnored,
  kHeaderUnclosed,
  kTextAfterHeader,
  kSectionRepeated,
  kKeyRepeated,
  kKeyBeforeSection,
  kUpdateTypeMissing,
  kUpdateTypeUnknown,
  kSectionUnread,
  kKeyUnread,
  kValueMisread,
  kValueEmpty,
  kAbsentMark,
  kValueCut,
  kSemicolonInValue,
  kBytesOdd,
  kBytesNotHex,
  kListReplaced,
  kListItemUnread,
  kListItemEmpty,
  kSignatureInvalid,
  kAgentVersionMalformed,
};

struct RuleText {
  const char* id;
  const char* meaning;
};

// In the order of Rule.
constexpr RuleText kRules[] = {
    {"script-unreadable", "the script cannot be read"},
    {"utf16-script", "a UTF-16 script is converted to the ANSI code page, and a character outside it changes"},
    {"utf16-without-mark", "UTF-16 without a byte-order mark: the profile functions find no section"},
    {"utf8-mark", "a UTF-8 byte-order mark: Windows reads it as part of line 1, Wine skips it"},
    {"utf8-text", "UTF-8 characters reach the product in a form that depends on the system"},
    {"nul-byte", "a NUL byte ends the name or value it stands in"},
    {"line-ignored", "a line that is no section, key or comment: ignored"},
    {"header-unclosed", "a section header without ']': no header"},
    {"text-after-header", "text after a section header's ']': ignored"},
    {"section-repeated", "a section given again: only the first is read"},
    {"key-repeated", "a key given again in its section: only the first is read"},
    {"key-before-section", "a key before any section: never read"},
    {"update-type-missing", "no update type: the agent updates nothing"},
    {"update-type-unknown", "an update type other than OAS, ODS and SCHEDULE: the agent updates nothing"},
    {"section-unread", "a section the script's update type never reads"},
    {"key-unread", "a key the script's update type never reads in its section"},
    {"value-misread", "a number or flag read as another value than the text seems to say"},
    {"value-empty", "a number or flag without a value: the field is left as it is"},
    {"absent-mark", "the agent's mark of an absent key: the field is left as it is, or a list ends"},
    {"value-cut", "a value longer than the agent reads: the rest is lost"},
    {"semicolon-in-value", "';' inside a value starts no comment: it is part of the value"},
    {"bytes-odd", "a byte string of an odd number of digits: the last is dropped"},
    {"bytes-not-hex", "a byte string holding other characters than hexadecimal digits"},
    {"list-replaced", "a list section absent from a script of its update type: the product's list is emptied"},
    {"list-item-unread", "a list item the agent never reaches"},
    {"list-item-empty", "an empty list item: an empty item is added"},
    {"signature-invalid", "the signature beside the script does not verify: an agent that requires signers refuses it"},
    {"agent-version-malformed", "a RequiresAgent that is no version a.b.c: the agent refuses the script with 1"},
};
static_assert(sizeof kRules / sizeof kRules[0] == static_cast<std::size_t>(Rule::kAgentVersionMalformed) + 1,
              "one text for each rule");

inline const char* RuleId(Rule rule) { return kRules[static_cast<std::size_t>(rule)].id; }

struct Finding {
  int line;  // 1-based; 0 when the finding is about the script as a whole
  Severity severity;
  Rule rule;
  std::string message;
  std::string section;  // the section the finding is about, or empty
  std::string key;      // the key the finding is about, or empty
};

using Findings = std::vector<Finding>;

// Exit codes of tarncheck: nothing found, warnings only, at least one error.
constexpr int kExitClean = 0;
constexpr int kExitWarnings = 1;
constexpr int kExitErrors = 2;

int ExitCodeOf(const Findings& findings);

// Whole-script findings first, then by line; findings of one line keep their order.
void SortFindings(Findings& findings);

// "line 7: warning: <message>", or "error: <message>" for a whole-script finding.
std::string FormatFinding(const Finding& finding);

// "3 errors, 1 warning" or "no problems found".
std::string Summary(const Findings& findings);
