// The arguments of LC_UPDATE= and LC_VERSION=, on any line: the argument is the text after the
// word's length from the start of the line (empty when the line is shorter) and is taken whole
// when it fits the command's limit, or refused, never cut, with a status line naming its length.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "agent/command_run.h"
#include "agent/command_word.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/trace_stand_in.h"

namespace {

void CheckArgument(const std::string& line, const char* word, std::size_t capacity) {
  const std::string argument = line.substr(std::min(line.size(), std::strlen(word)));
  FUZZ_CHECK(CommandArgument(line.c_str(), word) == line.c_str() + (line.size() - argument.size()));

  g_lastStatus.clear();
  const char* taken = TakeCommandArgument(line.c_str(), word, capacity);
  if (taken != nullptr) {
    FUZZ_CHECK(argument.size() < capacity && taken == argument && g_lastStatus.empty());
  } else {
    FUZZ_CHECK(argument.size() >= capacity);
    FUZZ_CHECK(g_lastStatus.find(" " + std::to_string(argument.size()) + " characters") != std::string::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The agent hands the command line over as a C string.
  const std::string line(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
  CheckArgument(line, "LC_UPDATE=", kPathBufferSize);
  CheckArgument(line, "LC_VERSION=", kRequiredVersionBufferSize);
  return 0;
}
