#include "update/field_values.h"

#include <cstdio>
#include <cstring>

#include "update/script_readers.h"

namespace {

DWORD Number(const BYTE* field) {
  DWORD number;
  std::memcpy(&number, field, sizeof number);
  return number;
}

bool IsText(FieldType type) { return type == FieldType::kText || type == FieldType::kExtensionText; }

// The profile functions' blanks: white space and the old end-of-file mark Ctrl-Z.
bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a'; }

}  // namespace

std::string FieldContent(FieldType type, const BYTE* field) {
  const char* bytes = reinterpret_cast<const char*>(field);
  if (IsText(type)) return std::string(bytes, strnlen(bytes, kScriptTextBufferSize));
  return std::string(bytes, type == FieldType::kBytes ? kScriptBytesLimit : sizeof(DWORD));
}

std::size_t ShownBytes(const BYTE* field) {
  std::size_t count = kScriptBytesLimit;
  while (count > 1 && field[count - 1] == 0) --count;
  return count;
}

std::string HexPairs(const BYTE* bytes, std::size_t count) {
  std::string text;
  char pair[3];
  for (std::size_t i = 0; i < count; ++i) {
    std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
    text += pair;
  }
  return text;
}

long long NumberValue(FieldType type, const BYTE* field) {
  const DWORD number = Number(field);
  return type == FieldType::kUInt ? static_cast<long long>(number) : static_cast<long long>(static_cast<LONG>(number));
}

std::string ShownValue(FieldType type, const BYTE* field, std::size_t bytes) {
  if (type == FieldType::kBytes) return HexPairs(field, bytes);
  if (IsText(type)) return "\"" + FieldContent(type, field) + "\"";
  return std::to_string(NumberValue(type, field));
}

// The profile functions take the blanks off both ends of a value, then one pair of quotes
// that encloses all of it: a value that would lose either is written inside quotes of its own.
bool NeedsQuotes(const std::string& value) {
  if (value.empty()) return false;
  if (IsBlank(value.front()) || IsBlank(value.back())) return true;
  return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
}

bool ScriptText(const std::string& value, std::string& text, std::string& whyNot) {
  const bool quoted = NeedsQuotes(value);
  text = quoted ? "\"" + value + "\"" : value;
  // The quotes too must fit the reader's buffer, or the closing one is cut off and stays.
  if (text.size() >= kScriptTextBufferSize) {
    whyNot = quoted ? "it is longer than the 509 characters a script value holds inside the quotes it needs"
                    : "it is longer than the 511 characters a script value holds";
  } else if (value == kMissingSentinel) {
    whyNot = "it is $#@NONE@#$, the agent's mark of an absent key";
  } else if (value.find_first_of("\r\n") != std::string::npos) {
    whyNot = "it holds a line break, which ends a script line";
  } else {
    return true;
  }
  return false;
}

bool ScriptValue(FieldType type, const BYTE* field, std::string& text, std::string& whyNot) {
  if (type == FieldType::kBytes) {
    // Every byte a script reaches, zeros too: fewer would leave the rest as the target has it.
    text = HexPairs(field, kScriptBytesLimit);
    return true;
  }
  if (IsText(type)) {
    return ScriptText(FieldContent(type, field), text, whyNot);
  }
  if (type == FieldType::kBoolean && Number(field) == 0xFFFFFFFF) {
    whyNot = "it holds -1, which the agent takes for an absent Boolean";
    return false;
  }
  text = std::to_string(NumberValue(type, field));
  return true;
}
