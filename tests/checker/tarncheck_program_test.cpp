// tarncheck.exe as people run it: its output and exit codes, and the reference it prints.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "checker_test_support.h"
#include "findings.h"
#include "reference_text.h"

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

UniqueHandle Inheritable(const char* path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE handle = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

struct ProgramRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;  // standard output and error, in order
};

ProgramRun RunTarncheck(const std::string& arguments) {
  ProgramRun run;
  const std::string outputPath = checker_test::WriteTemporary("tarncheck_output.txt", "");
  {
    const UniqueHandle output = Inheritable(outputPath.c_str(), GENERIC_WRITE, CREATE_ALWAYS);
    const UniqueHandle input = Inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
    if (!output || !input) {
      ADD_FAILURE() << "cannot open the standard handles";
      return run;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    std::string commandLine = "\"" + checker_test::BesideTest("tarncheck.exe") + "\" " + arguments;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
      ADD_FAILURE() << "cannot start tarncheck.exe";
      return run;
    }
    const UniqueHandle processHandle(process.hProcess);
    const UniqueHandle threadHandle(process.hThread);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
  }
  run.output = checker_test::ReadBytes(outputPath);
  DeleteFileA(outputPath.c_str());
  return run;
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

TEST(TarncheckProgram, ExitCodeSaysCleanWarningsOrErrorsAndLinesSayWhy) {
  const std::string example = checker_test::BesideTest("examples\\oas.ini");
  const ProgramRun clean = RunTarncheck(Quoted(example));
  EXPECT_EQ(clean.exitCode, static_cast<DWORD>(kExitClean));
  EXPECT_EQ(clean.output, example + ": no problems found\r\n");

  const ProgramRun warnings = RunTarncheck(Quoted(checker_test::BesideTest("checker-scripts\\values_oas.ini")));
  EXPECT_EQ(warnings.exitCode, static_cast<DWORD>(kExitWarnings));
  EXPECT_NE(warnings.output.find("line 7: warning: [DetectionOptions] bScanAllFiles = TRUE is read as 0 (FALSE)"),
            std::string::npos)
      << warnings.output;
  EXPECT_NE(warnings.output.find(": 0 errors, "), std::string::npos) << warnings.output;

  const ProgramRun errors = RunTarncheck(Quoted(checker_test::BesideTest("checker-scripts\\type_unknown.ini")));
  EXPECT_EQ(errors.exitCode, static_cast<DWORD>(kExitErrors));
  EXPECT_NE(errors.output.find("line 3: error: [TARNUPDATE] UpdateType = OSA is none of OAS, ODS and SCHEDULE"),
            std::string::npos)
      << errors.output;
}

TEST(TarncheckProgram, UnreadableScriptsAndBadArgumentsAreErrors) {
  const ProgramRun missing = RunTarncheck(Quoted(checker_test::BesideTest("no-such-script.ini")));
  EXPECT_EQ(missing.exitCode, static_cast<DWORD>(kExitErrors));
  EXPECT_NE(missing.output.find("error: cannot read the script"), std::string::npos) << missing.output;

  for (const char* arguments : {"", "--nonsense", "a.ini b.ini"}) {
    const ProgramRun usage = RunTarncheck(arguments);
    EXPECT_EQ(usage.exitCode, static_cast<DWORD>(kExitErrors)) << arguments;
    EXPECT_NE(usage.output.find("usage: tarncheck SCRIPT"), std::string::npos) << arguments;
  }
}

TEST(TarncheckProgram, ReferenceIsPrintedWithUnixLineEnds) {
  const ProgramRun reference = RunTarncheck("--reference");
  EXPECT_EQ(reference.exitCode, static_cast<DWORD>(kExitClean));
  EXPECT_EQ(reference.output, ReferenceMarkdown());
}

}  // namespace
