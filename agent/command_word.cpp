#include "agent/command_word.h"

#include <cstring>

#include "foundation/trace_log.h"

const char* CommandArgument(const char* upperCommandLine, const char* word) {
  const std::size_t skip = std::strlen(word);
  const std::size_t length = std::strlen(upperCommandLine);
  return upperCommandLine + (length < skip ? length : skip);
}

const char* TakeCommandArgument(const char* upperCommandLine, const char* word, std::size_t capacity) {
  const char* argument = CommandArgument(upperCommandLine, word);
  const std::size_t length = std::strlen(argument);
  if (length >= capacity) {
    TraceStatus("%s argument of %u characters refused: at most %u are allowed.\n", word,
                static_cast<unsigned>(length), static_cast<unsigned>(capacity - 1));
    return nullptr;
  }
  return argument;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool ArgumentMisplaced(const char* upperCommandLine, const char* word) {
  const char first = *CommandArgument(upperCommandLine, word);
  return std::strstr(upperCommandLine, word) != upperCommandLine || first == '=' || first == '"' || IsBlank(first);
}

std::string MeantArgument(const char* commandLine, const char* upperCommandLine, const char* word) {
  const char* found = std::strstr(upperCommandLine, word);
  if (found == nullptr) return std::string();
  const char* begin = commandLine + (found - upperCommandLine) + std::strlen(word);
  const char* end = begin + std::strlen(begin);
  while (begin < end && (IsBlank(*begin) || *begin == '"')) ++begin;
  while (end > begin && (IsBlank(end[-1]) || end[-1] == '"')) --end;
  return std::string(begin, end);
}
