// tarncheck.exe as people run it: what it prints, and its exit code, for scripts and bad command
// lines (its reference, byte for byte, is the CTest test checker.reference).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <tuple>
#include <vector>

#include "tarncheck/findings.h"
#include "testtools/checker_test_support.h"
#include "testtools/unix_link.h"

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
  for (const std::string& name : checker_test::kExamples) {
    const std::string example = ProgramBesideTest("examples\\" + name + ".ini");
    cases.emplace_back("\"" + example + "\"", kExitClean, example + ": no problems found\r\n");
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

// tarnplan sign's signature as openssl and tarncheck read it, for the script as signed and changed.
TEST(TarncheckProgram, ReportsTheSignatureTarnplanSignWrote) {
  const std::string fixtures = ProgramBesideTest("signatures\\");
  const std::string script = checker_test::WriteTemporary("signed.ini", ReadBytes(fixtures + "script.ini"));
  DeleteFileA((script + ".p7s").c_str());
  std::string signer = ReadBytes(fixtures + "signer.sha256").substr(0, 64);
  std::transform(signer.begin(), signer.end(), signer.begin(), [](char c) { return std::toupper(c); });
  SetEnvironmentVariableA("TARN_TEST_PFX_PASSWORD", "tarn test");
  const std::string sign = "sign \"" + script + "\" --pfx \"" + fixtures + "signer.pfx\" --password-env ";
  EXPECT_EQ(checker_test::RunBesideTest("tarnplan.exe", sign + "TARN_TEST_NO_SUCH_VARIABLE").exitCode, 2);
  const checker_test::ProgramOutput signing =
      checker_test::RunBesideTest("tarnplan.exe", sign + "TARN_TEST_PFX_PASSWORD");
  ASSERT_EQ(signing.exitCode, 0) << signing.out << signing.err;
  EXPECT_EQ(signing.out, script + ".p7s written: signed by the certificate " + signer + "\r\n");
  EXPECT_TRUE(RunUnix({"openssl", "cms", "-verify", "-binary", "-inform", "DER", "-in", UnixName(script + ".p7s"),
                       "-content", UnixName(script), "-noverify", "-out", "/dev/null"}));

  // Changed or not, text or JSON: exit code and a part of the output.
  const std::vector<std::tuple<bool, std::string, int, std::string>> rows = {
      {false, "", 0, ".p7s: valid signature by the certificate " + signer + "; "},
      {false, " --format json", 0, "\"valid\": true,\r\n    \"signer\": \"" + signer + "\",\r\n    \"reason\": null"},
      {true, "", 2, ".p7s: error: the signature is not valid: the script is not the one signed"},
      {true, " --format json", 2, "\"valid\": false,\r\n    \"signer\": \"" + signer + "\",\r\n    \"reason\": \"the"},
  };
  for (const auto& [changed, format, exitCode, output] : rows) {
    SCOPED_TRACE(std::to_string(changed) + format);
    std::string bytes = ReadBytes(fixtures + "script.ini");
    if (changed) bytes.back() = ' ';
    checker_test::WriteTemporary("signed.ini", bytes);
    const checker_test::ProgramOutput run = checker_test::RunBesideTest("tarncheck.exe", "\"" + script + "\"" + format);
    EXPECT_EQ(run.exitCode, exitCode);
    EXPECT_NE(run.out.find(output), std::string::npos) << run.out;
  }
  DeleteFileA((script + ".p7s").c_str());
}

}  // namespace
