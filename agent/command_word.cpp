#include "command_word.h"

#include <cstring>

namespace {

// In search order; the index is the CommandWord.
constexpr const char* kWords[] = {
    nullptr,      "LC_START",   "LC_STOP",  "LC_UPDATE=", "LC_EXEC",    "LC_FILEVER",
    "LC_DEBUG",   "LC_RESTORE", "LC_ENABLE", "LC_DISABLE", "LC_VERSION=",
};

}  // namespace

CommandWord RecogniseCommand(const char* upperCommandLine) {
  for (CommandWord word = kCommandStart; word <= kCommandVersion; ++word) {
    if (std::strstr(upperCommandLine, kWords[word]) != nullptr) return word;
  }
  return kCommandNone;
}

const char* CommandArgument(const char* upperCommandLine, CommandWord word) {
  const std::size_t skip = std::strlen(kWords[word]);
  const std::size_t length = std::strlen(upperCommandLine);
  return upperCommandLine + (length < skip ? length : skip);
}
