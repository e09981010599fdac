// tarncheck SCRIPT: checks an update script without touching the product; exit code 0 when
// clean, 1 with warnings, 2 with errors (or when the script cannot be read). With --format json
// the findings are one JSON object instead of lines of text.
// tarncheck --reference: prints the update script reference in Markdown.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "tarncheck/findings.h"
#include "tarncheck/json_report.h"
#include "tarncheck/reference_text.h"
#include "tarncheck/script_check.h"
#include "tarncheck/script_signature.h"

namespace {

constexpr char kUsage[] =
    "usage: tarncheck SCRIPT [--format text|json]  check an update script (exit 0 clean, 1 warnings, 2 errors)\n"
    "       tarncheck --reference                   print the update script reference (Markdown)\n";

int PrintReference() {
  // The reference is checked in with Unix line ends: no CR LF from the runtime's text mode.
  _setmode(_fileno(stdout), _O_BINARY);
  const std::string text = ReferenceMarkdown();
  std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0 ? kExitClean : kExitErrors;
}

int CheckFile(const char* path, bool json) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    if (json) {
      std::printf("%s\n", FindingsJson(path, "", {{0, Severity::kError, "cannot read the script"}}).dump(2).c_str());
    } else {
      std::printf("%s: error: cannot read the script\n", path);
    }
    return kExitErrors;
  }
  std::ostringstream bytes;
  bytes << file.rdbuf();
  const Findings findings = CheckScript(bytes.str());
  const ScriptSignature signature = CheckScriptSignature(path, bytes.str());
  const int exitCode = ExitCodeWith(ExitCodeOf(findings), signature);
  if (json) {
    nlohmann::ordered_json report = FindingsJson(path, bytes.str(), findings);
    report["signature"] = SignatureJson(signature);
    report["exitCode"] = exitCode;
    std::printf("%s\n", report.dump(2).c_str());
    return exitCode;
  }
  for (const Finding& finding : findings) std::printf("%s\n", FormatFinding(finding).c_str());
  if (signature.present) std::printf("%s\n", SignatureText(signature).c_str());
  std::printf("%s: %s\n", path, Summary(findings).c_str());
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--reference") == 0) return PrintReference();
  // The script, and --format text|json before or after it.
  const char* script = nullptr;
  const char* format = "text";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--format") == 0 && i + 1 < argc && std::strcmp(format, "text") == 0) {
      format = argv[++i];
    } else if (script == nullptr && argv[i][0] != '-') {
      script = argv[i];
    } else {
      script = nullptr;
      break;
    }
  }
  const bool json = std::strcmp(format, "json") == 0;
  if (script == nullptr || (!json && std::strcmp(format, "text") != 0)) {
    std::fputs(kUsage, stderr);
    return kExitErrors;
  }
  return CheckFile(script, json);
}
