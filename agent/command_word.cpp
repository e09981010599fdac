#include "agent/command_word.h"

#include <cstring>

#include "foundation/trace_log.h"

namespace {

struct WordText {
  CommandWord word;
  const char* text;
};

// In search order.
constexpr WordText kWords[] = {
    {CommandWord::kStart, "LC_START"},     {CommandWord::kStop, "LC_STOP"},
    {CommandWord::kUpdate, "LC_UPDATE="},  {CommandWord::kExec, "LC_EXEC"},
    {CommandWord::kFileVersion, "LC_FILEVER"}, {CommandWord::kDebug, "LC_DEBUG"},
    {CommandWord::kRestore, "LC_RESTORE"}, {CommandWord::kEnable, "LC_ENABLE"},
    {CommandWord::kDisable, "LC_DISABLE"}, {CommandWord::kVersion, "LC_VERSION="},
};

const char* TextOf(CommandWord word) {
  for (const WordText& known : kWords) {
    if (known.word == word) return known.text;
  }
  return "";
}

}  // namespace

CommandWord RecogniseCommand(const char* upperCommandLine) {
  for (const WordText& word : kWords) {
    if (std::strstr(upperCommandLine, word.text) != nullptr) return word.word;
  }
  return CommandWord::kNone;
}

const char* CommandArgument(const char* upperCommandLine, CommandWord word) {
  const std::size_t skip = std::strlen(TextOf(word));
  const std::size_t length = std::strlen(upperCommandLine);
  return upperCommandLine + (length < skip ? length : skip);
}

bool CopyCommandArgument(const char* upperCommandLine, CommandWord word, char* buffer, std::size_t size) {
  const char* argument = CommandArgument(upperCommandLine, word);
  const std::size_t length = std::strlen(argument);
  if (length >= size) {
    TraceStatus("%s argument of %u characters refused: at most %u are allowed.\n", TextOf(word),
                static_cast<unsigned>(length), static_cast<unsigned>(size - 1));
    return false;
  }
  std::memcpy(buffer, argument, length + 1);
  return true;
}
