#include "tarncheck/value_checks.h"

#include <cctype>
#include <cstdint>
#include <cstdio>

#include "tarncheck/line_warning.h"
#include "update/hex_pairs.h"
#include "tarncheck/profile_values.h"

namespace {

constexpr std::size_t kShownValue = 60;

std::string NumberText(std::uint32_t number, ValueKind kind) {
  return kind == ValueKind::kUInt ? std::to_string(number) : std::to_string(static_cast<std::int32_t>(number));
}

bool LooksDecimal(std::string_view value) {
  if (!value.empty() && (value.front() == '+' || value.front() == '-')) value.remove_prefix(1);
  if (value.empty()) return false;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

void CheckBoolean(const ScriptLine& line, const std::string& section, Findings& findings) {
  const std::uint32_t number = ProfileNumber(line.value, 0xFFFFFFFFu);
  if (number == 0xFFFFFFFFu) {
    Warn(line, Rule::kValueMisread,
         Quoted(section, line) +
             " is read as -1, which the agent takes for an absent key: the field is left as it is; write 1 "
             "for TRUE or 0 for FALSE",
         findings);
  } else if (!IsPlainNumber(line.value)) {
    Warn(line, Rule::kValueMisread,
         Quoted(section, line) + " is read as " + NumberText(number, ValueKind::kDWord) +
             (number != 0 ? " (TRUE)" : " (FALSE)") + "; write 1 for TRUE or 0 for FALSE",
         findings);
  }
}

void CheckNumber(const ScriptLine& line, const std::string& section, ValueKind kind, Findings& findings) {
  if (IsPlainNumber(line.value)) return;
  const std::string number = NumberText(ProfileNumber(line.value, 0), kind);
  if (line.value.size() > kNumberTextLimit) {
    Warn(line, Rule::kValueMisread,
         Quoted(section, line) + " is longer than 29 characters, and only those are read: it is read as " + number,
         findings);
  } else if (LooksDecimal(line.value)) {
    Warn(line, Rule::kValueMisread, Quoted(section, line) + " does not fit in 32 bits: it is read as " + number, findings);
  } else {
    Warn(line, Rule::kValueMisread, Quoted(section, line) + " is read as " + number + "; write the number in decimal digits", findings);
  }
}

// Three decimal numbers, as the agent compares them, and short enough for it to read whole.
void CheckAgentVersion(const ScriptLine& line, const std::string& section, Findings& findings) {
  constexpr std::size_t kVersionLimit = 22;
  constexpr std::size_t kPartDigits = 9;  // each part fits the agent's int
  int parts = 0;
  std::size_t digits = 0;
  if (line.value.empty()) return;  // the agent takes an empty value for none
  bool wellFormed = line.value.size() <= kVersionLimit;
  for (char c : line.value) {
    if (c >= '0' && c <= '9') {
      wellFormed = wellFormed && ++digits <= kPartDigits;
    } else {
      wellFormed = wellFormed && c == '.' && digits > 0 && parts < 2;
      ++parts;
      digits = 0;
    }
  }
  if (wellFormed && parts == 2 && digits > 0) return;
  findings.push_back({line.number, Severity::kError, Rule::kAgentVersionMalformed,
                      Quoted(section, line) + " is no agent version a.b.c: the agent refuses the script with 1 and "
                                              "touches nothing",
                      "", ""});
}

void CheckText(const ScriptLine& line, const std::string& section, Findings& findings) {
  if (line.value.size() > kTextLimit) {
    Warn(line, Rule::kValueCut,
         Named(section, line) + " is " + std::to_string(line.value.size()) +
             " characters long: only the first 511 are stored",
         findings);
  }
  const std::size_t comment = line.value.find(';');
  if (comment != std::string::npos && comment > 0 &&
      std::isspace(static_cast<unsigned char>(line.value[comment - 1]))) {
    Warn(line, Rule::kSemicolonInValue,
         Named(section, line) + ": ';' starts no comment inside a value, so the text stored is \"" +
             ProfileText(line.value).substr(0, kShownValue) + "\"",
         findings);
  }
}

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

void CheckBytes(const ScriptLine& line, const std::string& section, Findings& findings) {
  const std::string text = ProfileText(line.value);
  if (line.value.size() > kTextLimit) {
    Warn(line, Rule::kValueCut,
         Named(section, line) + " has " + std::to_string(line.value.size()) +
             " characters: only the first 511 are read, and they give 255 bytes",
         findings);
  } else if (text.size() % 2 != 0) {
    Warn(line, Rule::kBytesOdd,
         Named(section, line) + " has an odd number of characters (" + std::to_string(text.size()) +
             "): the last one, '" + text.back() + "', is dropped",
         findings);
  }
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    if (IsHexDigit(text[i]) && IsHexDigit(text[i + 1])) continue;
    char stored[8];
    std::snprintf(stored, sizeof stored, "0x%02X", DecodeHexPair(text[i], text[i + 1]));
    Warn(line, Rule::kBytesNotHex,
         Named(section, line) + ": \"" + text.substr(i, 2) + "\" (characters " + std::to_string(i + 1) + " and " +
             std::to_string(i + 2) + ") is not a pair of hexadecimal digits: it is stored as " + stored,
         findings);
    return;
  }
}

}  // namespace

std::string Named(const std::string& section, const ScriptLine& line) { return "[" + section + "] " + line.name; }

std::string Quoted(const std::string& section, const ScriptLine& line) {
  const std::string shown =
      line.value.size() > kShownValue ? line.value.substr(0, kShownValue - 3) + "..." : line.value;
  return Named(section, line) + " = " + shown;
}

void CheckValue(const ScriptLine& line, const std::string& section, ValueKind kind, Findings& findings) {
  if (line.value == kMissingMark) {
    Warn(line, Rule::kAbsentMark, Quoted(section, line) + " is the agent's mark of an absent key: the field is left as it is", findings);
    return;
  }
  const bool number = kind == ValueKind::kBoolean || kind == ValueKind::kUInt || kind == ValueKind::kDWord;
  if (number && line.value.empty()) {
    // GetPrivateProfileIntA gives its default for an empty value.
    Warn(line, Rule::kValueEmpty, Named(section, line) + " has no value: the agent takes the key for absent and leaves the field as it is",
         findings);
    return;
  }
  switch (kind) {
    case ValueKind::kBoolean:
      CheckBoolean(line, section, findings);
      break;
    case ValueKind::kUInt:
    case ValueKind::kDWord:
      CheckNumber(line, section, kind, findings);
      break;
    case ValueKind::kText:
    case ValueKind::kExtensionText:
    case ValueKind::kListItem:
      CheckText(line, section, findings);
      break;
    case ValueKind::kBytes:
      CheckBytes(line, section, findings);
      break;
    case ValueKind::kAgentVersion:
      CheckAgentVersion(line, section, findings);
      break;
    case ValueKind::kUpdateType:
      break;
  }
}
