// tarncheck SCRIPT: checks an update script without touching the product; exit code 0 when
// clean, 1 with warnings, 2 with errors (or when the script cannot be read).
// tarncheck --reference: prints the update script reference in Markdown.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "tarncheck/findings.h"
#include "tarncheck/reference_text.h"
#include "tarncheck/script_check.h"

namespace {

constexpr char kUsage[] =
    "usage: tarncheck SCRIPT       check an update script (exit 0 clean, 1 warnings, 2 errors)\n"
    "       tarncheck --reference  print the update script reference (Markdown)\n";

int PrintReference() {
  // The reference is checked in with Unix line ends: no CR LF from the runtime's text mode.
  _setmode(_fileno(stdout), _O_BINARY);
  const std::string text = ReferenceMarkdown();
  std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0 ? kExitClean : kExitErrors;
}

int CheckFile(const char* path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    std::printf("%s: error: cannot read the script\n", path);
    return kExitErrors;
  }
  std::ostringstream bytes;
  bytes << file.rdbuf();
  const Findings findings = CheckScript(bytes.str());
  for (const Finding& finding : findings) std::printf("%s\n", FormatFinding(finding).c_str());
  std::printf("%s: %s\n", path, Summary(findings).c_str());
  return ExitCodeOf(findings);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--reference") == 0) return PrintReference();
  if (argc != 2 || argv[1][0] == '-') {
    std::fputs(kUsage, stderr);
    return kExitErrors;
  }
  return CheckFile(argv[1]);
}
