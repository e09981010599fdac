// LC_EXEC with the real tarnupd.exe: the program named in the settings runs, its exit code is
// traced and recorded, and a path that cannot be run is reported.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "agent_harness.h"
#include "test_registry.h"

namespace {

using test_registry::AgentSubkey;

const std::string kResultKey = AgentSubkey("TARNUPDATE");
const std::string kExecKey = AgentSubkey("LC_EXEC");
const std::string kNotAProgram = ProgramBesideTest("tarn_not_a_program.txt");

std::string UpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

class ExecCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { test_registry::DeleteTree(kAgentKeyPath); }
  void TearDown() override {
    test_registry::DeleteTree(kAgentKeyPath);
    std::remove(kNotAProgram.c_str());
  }

  static AgentRun RunExec(const std::string& filePath, const std::string& commandLine) {
    test_registry::SetString(kExecKey, "ExecFilePath", filePath);
    test_registry::SetString(kExecKey, "ExecCmdLine", commandLine);
    AgentRun run = RunAgent("LC_EXEC");
    EXPECT_TRUE(run.finished) << filePath << " " << commandLine;
    return run;
  }

  // A program that did not run leaves the earlier run's exit code in place.
  static void ExpectNotRun(const std::string& filePath, DWORD code, const std::string& text) {
    test_registry::SetDword(kExecKey, "ReturnCode", 1234);
    EXPECT_EQ(RunExec(filePath, "3").exitCode, code) << filePath;
    EXPECT_EQ(test_registry::GetString(kResultKey, "ReturnString"), text);
    EXPECT_EQ(test_registry::GetDword(kExecKey, "ReturnCode"), 1234u);
  }
};

TEST_F(ExecCommandTest, ProgramExitCodeIsTracedAndRecorded) {
  const std::string program = ProgramBesideTest("exit_with.exe");
  struct Case {
    const char* arguments;
    int exitCode;
  };
  const Case cases[] = {
      {"3", 3},
      {"", 100},  // only the trailing blank: the program sees no argument
      {"-2", -2},
      {"5 100%s%n", 5},  // a percent sign is text, never a format
  };
  for (const Case& c : cases) {
    const AgentRun run = RunExec(program, c.arguments);
    EXPECT_EQ(run.exitCode, 0u) << c.arguments;
    EXPECT_EQ(test_registry::GetDword(kExecKey, "ReturnCode"), static_cast<DWORD>(c.exitCode)) << c.arguments;
    const std::vector<std::string> expected = {"Executing \"" + UpperCase(program) + " " + c.arguments + "\"\n",
                                               "Execution Returned " + std::to_string(c.exitCode) + "\n",
                                               "[0] Command successful.\n"};
    const std::vector<std::string> lines = run.StatusLines();
    ASSERT_EQ(lines.size(), 5u) << c.arguments;
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()), expected);
  }
}

TEST_F(ExecCommandTest, PathThatCannotBeRunIsReported) {
  std::ofstream(kNotAProgram) << "not a program\n";
  ExpectNotRun(kNotAProgram, 8, "[8] Installer Dll failed to load.");
  // Quotes are part of the path: even around an existing program, no such file exists.
  const std::string quoted = "\"" + ProgramBesideTest("exit_with.exe") + "\"";
  ExpectNotRun(quoted, 7, "[7] Executable file " + UpperCase(quoted) + " is missing.");
  ExpectNotRun("c:\\no\\such.exe", 7, "[7] Executable file C:\\NO\\SUCH.EXE is missing.");
}

}  // namespace
