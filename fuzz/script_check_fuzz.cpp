// The whole check of an update script (tarncheck SCRIPT) on any bytes. Beyond what the
// sanitizers catch: the exit code agrees with the findings, findings come sorted by line and
// name only lines the script has, and how the lines end (CR LF, CR or LF) changes nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "tarncheck/findings.h"
#include "tarncheck/script_check.h"

namespace {

// The script with every line end, CR LF, lone CR or LF, written as LF.
std::string WithLfEnds(const std::string& bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text += bytes[i] == '\r' ? '\n' : bytes[i];
  }
  return text;
}

bool SameFindings(const Findings& a, const Findings& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].line != b[i].line || a[i].severity != b[i].severity || a[i].message != b[i].message) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const Findings findings = CheckScript(bytes);

  const std::string lfText = WithLfEnds(bytes);
  const int lines = static_cast<int>(std::count(lfText.begin(), lfText.end(), '\n')) + 1;
  bool error = false;
  int previousLine = 0;
  for (const Finding& finding : findings) {
    FUZZ_CHECK(!finding.message.empty());
    FUZZ_CHECK(finding.line >= previousLine && finding.line <= lines);
    previousLine = finding.line;
    error = error || finding.severity == Severity::kError;
  }
  FUZZ_CHECK(ExitCodeOf(findings) == (error ? kExitErrors : findings.empty() ? kExitClean : kExitWarnings));
  FUZZ_CHECK(!Summary(findings).empty());

  // NUL bytes are left out: their share of the text (a sign of UTF-16) depends on its length;
  // so is UTF-16 with its mark, whose line ends are two bytes each.
  const bool utf16 = bytes.rfind("\xFF\xFE", 0) == 0 || bytes.rfind("\xFE\xFF", 0) == 0;
  if (lfText.size() != bytes.size() && bytes.find('\0') == std::string::npos && !utf16) {
    FUZZ_CHECK(SameFindings(CheckScript(lfText), findings));
  }
  return 0;
}
