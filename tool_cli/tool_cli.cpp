#include "tool_cli/tool_cli.h"

#include <cstdio>

namespace tool_cli {

bool IsHelpWord(const std::string& argument) { return argument == "--help" || argument == "-h" || argument == "/?"; }

bool AsksForHelp(int argc, char** argv, int first) {
  for (int i = first; i < argc; ++i) {
    if (IsHelpWord(argv[i])) return true;
  }
  return false;
}

int ShowHelp(const Tool& tool) {
  std::fputs(tool.usage.c_str(), stdout);
  std::fflush(stdout);
  return 0;
}

int UsageError(const Tool& tool, const std::string& problem) {
  std::fprintf(stderr, "%s: %s\n%s", tool.name, problem.c_str(), tool.usage.c_str());
  std::fflush(stderr);
  return kExitUsage;
}

std::string SystemMessage(DWORD error) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
      0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length > 0 ? std::string(buffer, length) : "error " + std::to_string(error);
  LocalFree(buffer);
  // The system's messages end in CR LF, some in a blank too.
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
  return text;
}

std::string IsoTime(const SYSTEMTIME& utc) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", unsigned{utc.wYear}, unsigned{utc.wMonth},
                unsigned{utc.wDay}, unsigned{utc.wHour}, unsigned{utc.wMinute}, unsigned{utc.wSecond},
                unsigned{utc.wMilliseconds});
  return text;
}

}  // namespace tool_cli
