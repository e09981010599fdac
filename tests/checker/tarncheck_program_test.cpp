// tarncheck.exe as people run it: what it prints, and its exit code, for scripts and bad command
// lines (its reference, byte for byte, is the CTest test checker.reference).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

#include "tarncheck/findings.h"
#include "testtools/checker_test_support.h"

namespace {


TEST(TarncheckProgram, ExitCodeSaysCleanWarningsOrErrorsAndTheOutputSaysWhy) {
  const std::string values = ProgramBesideTest("checker-scripts\\values_oas.ini");
  const std::string unknown = ProgramBesideTest("checker-scripts\\type_unknown.ini");
  const std::string missing = ProgramBesideTest("no-such-script.ini");
  const std::string usage = "usage: tarncheck SCRIPT ";
  // Arguments, exit code, and the output: all of it when the text ends a line, else a part.
  std::vector<std::tuple<std::string, int, std::string>> cases = {
      {"\"" + values + "\"", kExitWarnings, "\r\n" + values + ": 0 errors, "},
      {"\"" + unknown + "\"", kExitErrors,
       "line 3: error: [TARNUPDATE] UpdateType = OSA is none of OAS, ODS and SCHEDULE: the agent updates nothing; "
       "did you mean OAS?\r\nline 5: warning: [TARNUPDATE] UpdateType is given again (first at line 3): only the "
       "first value, \"OSA\", is read\r\n" + unknown + ": 1 error, 1 warning\r\n"},
      {"\"" + missing + "\"", kExitErrors, missing + ": error: cannot read the script\r\n"},
      {"", kExitErrors, usage},
      {"--nonsense", kExitErrors, usage},
      {"a.ini b.ini", kExitErrors, usage},
  };
  for (const checker_test::Example& x : checker_test::kExamples) {
    const std::string file = ProgramBesideTest("examples\\" + x.name + ".ini");
    cases.emplace_back("\"" + file + "\"", x.warning.empty() ? kExitClean : kExitWarnings,
                       x.warning.empty() ? file + ": no problems found\r\n" : "warning: " + x.warning);
  }
  for (const auto& [arguments, exitCode, output] : cases) {
    SCOPED_TRACE("tarncheck " + arguments);
    const checker_test::ProgramOutput run = checker_test::RunBesideTest("tarncheck.exe", arguments, true);
    EXPECT_EQ(run.exitCode, exitCode);
    if (output.back() == '\n') {
      EXPECT_EQ(run.out, output);
    } else {
      EXPECT_NE(run.out.find(output), std::string::npos) << run.out;
    }
  }
}

}  // namespace
