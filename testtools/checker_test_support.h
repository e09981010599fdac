// What the checker tests share: temporary scripts, the programs beside the test run as people
// run them, and the example scripts; the build copies the examples and the scripts with known
// problems beside the test programs (testtools' ProgramBesideTest and ReadBytes find and read them).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "testtools/agent_harness.h"

namespace checker_test {

// Writes bytes to a file in the temporary folder; gives its path.
std::string WriteTemporary(const std::string& name, const std::string& bytes);

// `text` in a code page's bytes (CP_ACP, CP_UTF8), or in 1200 and 1201, UTF-16 little- and
// big-endian; without a byte-order mark.
std::string Encoded(const std::wstring& text, UINT codePage);

// A program beside the test run as people run it from a prompt (started directly: a command
// prompt in between is one more process for the test to depend on). Standard error goes into
// `out` too, in order, when `joined`.
struct ProgramOutput {
  int exitCode;
  std::string out, err;
};
ProgramOutput RunBesideTest(const std::string& program, const std::string& arguments, bool joined = false);

// The examples (each named by its update type first) and the start of the one warning each explains.
struct Example { std::string name, warning; };
inline const std::vector<Example> kExamples = {{"oas", ""}, {"ods", ""}, {"schedule", ""}, {"oas_add_exclusions", ""},
    {"oas_put_back", ""}, {"oas_scan_timeout", "no [ExcludedItems] section: the agent empties the on-access"}};

}  // namespace checker_test
