// tarncheck.exe as people run it: what it prints, and its exit code, for scripts and bad command
// lines (its reference, byte for byte, is the CTest test checker.reference).
#include <gtest/gtest.h>
#include <windows.h>

#include <nlohmann/json.hpp>

#include <string>
#include <tuple>
#include <vector>

#include "tarncheck/findings.h"
#include "testtools/checker_test_support.h"

namespace {

// Each finding of tarncheck's JSON as "line section key rule severity suggestion", "-" for null.
std::string Members(const std::string& out) {
  std::string all;
  const nlohmann::json report = nlohmann::json::parse(out);
  for (const nlohmann::json& finding : report["findings"]) {
    EXPECT_FALSE(finding["message"].get<std::string>().empty());
    std::string row;
    for (const char* name : {"line", "section", "key", "rule", "severity", "suggestion"}) {
      const nlohmann::json& value = finding[name];
      row += (row.empty() ? "" : " ") + (value.is_null() ? "-" : value.is_string() ? value.get<std::string>() : value.dump());
    }
    all += (all.empty() ? "" : "|") + row;
  }
  return all;
}

TEST(TarncheckProgram, ExitCodeSaysCleanWarningsOrErrorsAndTheOutputSaysWhy) {
  const std::string values = ProgramBesideTest("checker-scripts\\values_oas.ini");
  const std::string unknown = ProgramBesideTest("checker-scripts\\type_unknown.ini");
  const std::string missing = ProgramBesideTest("no-such-script.ini");
  const std::string usage = "usage: tarncheck SCRIPT ";
  const std::string misread = checker_test::WriteTemporary(
      "misread.ini", "[TARNUPDATE]\nUpdateType=OAS\n[DetectionOptions]\nuScanArchiveTimeout=2 minutes\n[ExcludedItems]\n");
  const std::string json = "--format json \"";
  // Arguments, exit code, the output (all of it when the text ends a line, else a part) and, for
  // JSON, the findings' members.
  std::vector<std::tuple<std::string, int, std::string, std::string>> cases = {
      {"\"" + values + "\"", kExitWarnings, "\r\n" + values + ": 0 errors, ", ""},
      {json + unknown + "\"", kExitErrors, "{",
       "3 TARNUPDATE UpdateType update-type-unknown error did you mean OAS?|"
       "5 TARNUPDATE UpdateType key-repeated warning -"},
      {json + ProgramBesideTest("checker-scripts\\no_list_oas.ini") + "\"", kExitWarnings, "{",
       "- ExcludedItems - list-replaced warning add an empty [ExcludedItems] section to show that this is meant"},
      {json + misread + "\"", kExitWarnings, "{",
       "4 DetectionOptions uScanArchiveTimeout value-misread warning write the number in decimal digits"},
      {json + missing + "\"", kExitErrors, "{", "- - - script-unreadable error -"},
      {"\"" + unknown + "\"", kExitErrors,
       "line 3: error: [TARNUPDATE] UpdateType = OSA is none of OAS, ODS and SCHEDULE: the agent updates nothing; "
       "did you mean OAS?\r\nline 5: warning: [TARNUPDATE] UpdateType is given again (first at line 3): only the "
       "first value, \"OSA\", is read\r\n" + unknown + ": 1 error, 1 warning\r\n", ""},
      {"\"" + missing + "\"", kExitErrors, missing + ": error: cannot read the script\r\n", ""},
      {"", kExitErrors, usage, ""},
      {"--nonsense", kExitErrors, usage, ""},
      {"a.ini b.ini", kExitErrors, usage, ""},
  };
  for (const std::string& name : checker_test::kExamples) {
    const std::string example = ProgramBesideTest("examples\\" + name + ".ini");
    cases.emplace_back("\"" + example + "\"", kExitClean, example + ": no problems found\r\n", "");
  }
  for (const auto& [arguments, exitCode, output, members] : cases) {
    SCOPED_TRACE("tarncheck " + arguments);
    const checker_test::ProgramOutput run = checker_test::RunBesideTest("tarncheck.exe", arguments, true);
    EXPECT_EQ(run.exitCode, exitCode);
    if (output.back() == '\n') {
      EXPECT_EQ(run.out, output);
    } else {
      EXPECT_NE(run.out.find(output), std::string::npos) << run.out;
    }
    EXPECT_EQ(members.empty() ? "" : Members(run.out), members) << run.out;
  }
}

}  // namespace
