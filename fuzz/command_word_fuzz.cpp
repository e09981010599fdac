// The command line's word and the arguments of LC_UPDATE= and LC_VERSION=, on any line: the
// argument is the text after the word's length from the start of the line (empty when the line
// is shorter) and is copied whole into the agent's buffers, or refused, never cut, with a
// status line naming its length.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "agent/command_run.h"
#include "agent/command_word.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/trace_stand_in.h"

namespace {

void CheckArgument(const std::string& line, CommandWord word, const char* text, std::size_t bufferSize) {
  const std::string argument = line.substr(std::min(line.size(), std::strlen(text)));
  FUZZ_CHECK(CommandArgument(line.c_str(), word) == line.c_str() + (line.size() - argument.size()));

  // Exactly the agent's size, so that the address sanitizer sees a write past it; the
  // filling shows whether a refused copy wrote anything.
  std::vector<char> buffer(bufferSize, '#');
  g_lastStatus.clear();
  if (CopyCommandArgument(line.c_str(), word, buffer.data(), buffer.size())) {
    FUZZ_CHECK(argument.size() < bufferSize && buffer.data() == argument);
  } else {
    FUZZ_CHECK(argument.size() >= bufferSize);
    FUZZ_CHECK(std::all_of(buffer.begin(), buffer.end(), [](char c) { return c == '#'; }));
    FUZZ_CHECK(g_lastStatus.find(" " + std::to_string(argument.size()) + " characters") != std::string::npos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The agent hands the command line over as a C string.
  const std::string line(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
  const CommandWord word = RecogniseCommand(line.c_str());
  CommandArgument(line.c_str(), word);
  CheckArgument(line, CommandWord::kUpdate, "LC_UPDATE=", kPathBufferSize);
  CheckArgument(line, CommandWord::kVersion, "LC_VERSION=", kRequiredVersionBufferSize);
  return 0;
}
