// The console tools as people run them: tarncheck's output and exit code for scripts, and the
// command-line convention every tool keeps (its reference, byte for byte, is the CTest test
// checker.reference).
#include <gtest/gtest.h>
#include <windows.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "tarncheck/findings.h"
#include "testtools/checker_test_support.h"
#include "testtools/unix_link.h"
#include "tool_cli/tool_cli.h"

namespace {

using checker_test::RunBesideTest;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

TEST(TarncheckProgram, ExitCodeSaysCleanWarningsOrErrorsAndTheOutputSaysWhy) {
  const std::string values = ProgramBesideTest("checker-scripts\\values_oas.ini");
  const std::string unknown = ProgramBesideTest("checker-scripts\\type_unknown.ini");
  const std::string missing = ProgramBesideTest("no-such-script.ini");
  const std::string clean = ProgramBesideTest("examples\\oas.ini");
  const std::string unreadable =
      "error: cannot read the script: " + tool_cli::SystemMessage(ERROR_FILE_NOT_FOUND) + "\r\n" + missing +
      ": 1 error, 0 warnings\r\n";
  // Arguments, exit code, and the output: all of it when the text ends a line, else a part.
  std::vector<std::tuple<std::string, int, std::string>> cases = {
      {Quoted(values), kExitWarnings, "\r\n" + values + ": 0 errors, "},
      {Quoted(unknown), kExitErrors,
       "line 3: error: [TARNUPDATE] UpdateType = OSA is none of OAS, ODS and SCHEDULE: the agent updates nothing; "
       "did you mean OAS?\r\nline 5: warning: [TARNUPDATE] UpdateType is given again (first at line 3): only the "
       "first value, \"OSA\", is read\r\n" + unknown + ": 1 error, 1 warning\r\n"},
      {Quoted(missing), kExitErrors, unreadable},
      // Several scripts: each in turn, a total, and the worst verdict wherever it comes.
      {Quoted(clean) + " " + Quoted(missing), kExitErrors,
       clean + ": no problems found\r\n" + unreadable + "2 scripts: 1 error, 0 warnings\r\n"},
      {Quoted(missing) + " " + Quoted(values), kExitErrors, "\r\n2 scripts: 1 error, "},
      {Quoted(clean) + " " + Quoted(values), kExitWarnings, "\r\n2 scripts: 0 errors, "},
  };
  for (const checker_test::Example& x : checker_test::kExamples) {
    const std::string file = ProgramBesideTest("examples\\" + x.name + ".ini");
    cases.emplace_back("\"" + file + "\"", x.warning.empty() ? kExitClean : kExitWarnings,
                       x.warning.empty() ? file + ": no problems found\r\n" : "warning: " + x.warning);
  }
  for (const auto& [arguments, exitCode, output] : cases) {
    SCOPED_TRACE("tarncheck " + arguments);
    const checker_test::ProgramOutput run = RunBesideTest("tarncheck.exe", arguments, true);
    EXPECT_EQ(run.exitCode, exitCode);
    if (output.back() == '\n') {
      EXPECT_EQ(run.out, output);
    } else {
      EXPECT_NE(run.out.find(output), std::string::npos) << run.out;
    }
  }
}

// Each finding of one script's JSON as "line section key rule severity suggestion", "-" for null.
std::string Members(const nlohmann::json& script) {
  std::string all;
  for (const nlohmann::json& finding : script["findings"]) {
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

// One document for all scripts, whichever way JSON is asked for, each finding with its members.
TEST(TarncheckProgram, JsonIsOneDocumentOverAllScripts) {
  const std::string misread = checker_test::WriteTemporary(
      "misread.ini", "[TARNUPDATE]\nUpdateType=OAS\n[DetectionOptions]\nuScanArchiveTimeout=2 minutes\n[ExcludedItems]\n");
  const std::pair<std::string, std::string> scripts[] = {
      {ProgramBesideTest("checker-scripts\\type_unknown.ini"),
       "3 TARNUPDATE UpdateType update-type-unknown error did you mean OAS?|"
       "5 TARNUPDATE UpdateType key-repeated warning -"},
      {ProgramBesideTest("checker-scripts\\no_list_oas.ini"),
       "- ExcludedItems - list-replaced warning add an empty [ExcludedItems] section to show that this is meant"},
      {misread, "4 DetectionOptions uScanArchiveTimeout value-misread warning write the number in decimal digits"},
      {"none.ini", "- - - script-unreadable error -"},
  };
  std::string arguments;
  for (const auto& script : scripts) arguments += Quoted(script.first) + " ";
  for (const std::string option : {"--json", "--format json"}) {
    SCOPED_TRACE(option);
    const checker_test::ProgramOutput run = RunBesideTest("tarncheck.exe", arguments + option);
    const nlohmann::ordered_json document = nlohmann::ordered_json::parse(run.out);
    EXPECT_EQ(document.begin().key() + document.begin()->dump(), "schemaVersion1");
    EXPECT_EQ(document["exitCode"], kExitErrors);
    EXPECT_EQ(document["scripts"][1]["exitCode"], kExitWarnings);
    EXPECT_EQ(document["scripts"][3]["script"], "none.ini");
    int warnings = 0;
    for (std::size_t i = 0; i < std::size(scripts); ++i) {
      EXPECT_EQ(Members(document["scripts"][i]), scripts[i].second) << i;
      warnings += document["scripts"][i]["counts"]["warnings"].get<int>();
    }
    EXPECT_EQ(document["counts"]["warnings"], warnings);
  }
}

// tarnplan sign's signature as openssl and tarncheck read it, for the script as signed and changed.
TEST(TarncheckProgram, ReportsTheSignatureTarnplanSignWrote) {
  const std::string fixtures = ProgramBesideTest("signatures\\");
  const std::string script = checker_test::WriteTemporary("signed.ini", ReadBytes(fixtures + "script.ini"));
  DeleteFileA((script + ".p7s").c_str());
  std::string signer = ReadBytes(fixtures + "signer.sha256").substr(0, 64);
  std::transform(signer.begin(), signer.end(), signer.begin(), [](char c) { return std::toupper(c); });
  SetEnvironmentVariableA("TARN_TEST_PFX_PASSWORD", "tarn test");
  const std::string sign = "sign " + Quoted(script) + " --pfx " + Quoted(fixtures + "signer.pfx") + " --password-env ";
  EXPECT_EQ(RunBesideTest("tarnplan.exe", sign + "TARN_TEST_NO_SUCH_VARIABLE").exitCode, 2);
  const checker_test::ProgramOutput signing = RunBesideTest("tarnplan.exe", sign + "TARN_TEST_PFX_PASSWORD");
  ASSERT_EQ(signing.exitCode, 0) << signing.out << signing.err;
  EXPECT_EQ(signing.out, script + ".p7s written: signed by the certificate " + signer + "\r\n");
  EXPECT_TRUE(RunUnix({"openssl", "cms", "-verify", "-binary", "-inform", "DER", "-in", UnixName(script + ".p7s"),
                       "-content", UnixName(script), "-noverify", "-out", "/dev/null"}));

  // As signed and changed: the exit code, a part of the text, and the JSON's signature member.
  for (const bool changed : {false, true}) {
    SCOPED_TRACE(changed ? "changed" : "as signed");
    std::string bytes = ReadBytes(fixtures + "script.ini");
    if (changed) bytes.back() = ' ';
    checker_test::WriteTemporary("signed.ini", bytes);
    const checker_test::ProgramOutput text = RunBesideTest("tarncheck.exe", Quoted(script));
    EXPECT_EQ(text.exitCode, changed ? kExitErrors : kExitClean);
    const std::string line = changed ? "error: the signature " + script + ".p7s is not valid: the script is not the one signed"
                                     : ".p7s: valid signature by the certificate " + signer + "; ";
    EXPECT_NE(text.out.find(line), std::string::npos) << text.out;
    const nlohmann::json json = nlohmann::json::parse(RunBesideTest("tarncheck.exe", Quoted(script) + " --json").out);
    const nlohmann::json& signature = json["scripts"][0]["signature"];
    EXPECT_EQ(signature["valid"], !changed);
    EXPECT_EQ(signature["signer"], signer);
    EXPECT_EQ(signature["reason"].is_null(), !changed);
    EXPECT_EQ(json["exitCode"], text.exitCode);
  }
  DeleteFileA((script + ".p7s").c_str());
}

// Help on standard output with 0; a wrong command line named in one line, then the usage, with 64.
TEST(ToolCommandLines, HelpExitsZeroAndAWrongLineIsNamedWithExitCode64) {
  const struct { std::string program, arguments, problem; } cases[] = {
      {"tarncheck", "--help", ""},
      {"tarncheck", "/?", ""},
      {"tarncheck", "--jsn x.ini", "unknown option --jsn"},
      {"tarncheck", "--format xml x.ini", "--format needs json or text"},
      {"tarncheck", "--json", "no SCRIPT given"},
      {"tarnplan", "--help", ""},
      {"tarnplan", "preview -h", ""},
      {"tarnplan", "preview none.ini --jsn", "unknown option --jsn"},
      {"tarnplan", "preview --json", "preview needs a SCRIPT"},
      {"tarnplan", "export", "export needs an update type: OAS, ODS or SCHEDULE"},
      {"tarnplan", "review none.ini", "unknown command review"},
      {"tarnplan", "preview none.ini --out x.ini", "preview takes no --out"},
      {"tarnplan", "sign none.ini", "sign needs --pfx FILE"},
      {"tarnplan", "last --jsn", "unknown option --jsn"},
      {"tarnplan", "last now", "unexpected argument now"},
      {"tarnmon", "--json -h", ""},
      {"tarnmon", "/?", ""},
      {"tarnmon", "--jsn tarnupd.exe", "unknown option --jsn"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program + " " + c.arguments);
    const checker_test::ProgramOutput run = RunBesideTest(c.program + ".exe", c.arguments);
    const std::string usage = "usage: " + c.program + " ";
    if (c.problem.empty()) {
      EXPECT_EQ(run.exitCode, 0);
      EXPECT_EQ(run.out.rfind(usage, 0), 0u) << run.out;
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_EQ(run.exitCode, tool_cli::kExitUsage);
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(run.err.rfind(c.program + ": " + c.problem + "\r\n" + usage, 0), 0u) << run.err;
    }
  }
}

}  // namespace
