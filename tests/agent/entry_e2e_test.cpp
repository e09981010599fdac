// The real tarnupd.exe under the eyes of a management system: exit code, registry result,
// status mailslot and debugger output.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent_harness.h"
#include "agent_result.h"
#include "test_registry.h"

namespace {

using test_registry::AgentSubkey;

const std::string kProductKey = "Software\\Velmora\\Brask\\Lumicor";

class AgentEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_registry::DeleteTree(kAgentKeyPath);
    test_registry::DeleteTree(kProductKey);
  }
  void TearDown() override {
    test_registry::DeleteTree(kAgentKeyPath);
    test_registry::DeleteTree(kProductKey);
  }

  static AgentRun Run(const std::string& arguments) {
    AgentRun run = RunAgent(arguments);
    EXPECT_TRUE(run.finished) << arguments;
    return run;
  }

};

TEST_F(AgentEntryTest, EmptyCommandLineSucceedsWithExactStatusMessages) {
  const AgentRun run = Run("");
  ExpectAgentResult(run, 0, "[0] Command successful.");

  const std::vector<std::string> expected = {
      std::string("\x01[TarnUpdate] Tarnwell Configuration Agent - v1.0.15\n") + '\0',
      std::string("\x02[TarnUpdate] Lumicor Version = v\n") + '\0',
      std::string("\x03[TarnUpdate] [0] Command successful.\n") + '\0',
  };
  EXPECT_EQ(run.statusMessages, expected);
  EXPECT_TRUE(run.debugOutput.empty());  // debug output is off by default
}

TEST_F(AgentEntryTest, UnrecognisedCommandLineDoesNothingAndSucceeds) {
  ExpectAgentResult(Run("HELLO WORLD"), 0, "[0] Command successful.");
}

TEST_F(AgentEntryTest, VersionCheckComparesEachPartOnItsOwn) {
  struct Case {
    const char* arguments;
    DWORD code;
  };
  const Case cases[] = {
      {"LC_VERSION=1.0.15", 0}, {"LC_VERSION=1.0.15.7", 0}, {"LC_VERSION= 1.0.14", 0}, {"LC_VERSION=1.0.16", 12},
      {"LC_VERSION=2.0.0", 12}, {"LC_VERSION=0.9.0", 12},   {"LC_VERSION=1.0", 1},     {"LC_VERSION=ABC", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run(c.arguments).exitCode, c.code) << c.arguments;
  }
  ExpectAgentResult(Run("lc_version=1.1.0"), 12, "[12] TARNUPDATE version incorrect. Script requires version 1.1.0.");
  ExpectAgentResult(Run("LC_VERSION=1.0"), 1, "[1] Missing or incorrect command line.");
}

TEST_F(AgentEntryTest, MissingScriptIsReportedWithItsUpperCasedPath) {
  ExpectAgentResult(Run("LC_UPDATE=c:\\missing.ini"), 6, "[6] Configuration file C:\\MISSING.INI is missing.");
  // A percent sign in the path is part of the text, never a format.
  ExpectAgentResult(Run("LC_UPDATE=c:\\100%s.ini"), 6, "[6] Configuration file C:\\100%S.INI is missing.");
}

TEST_F(AgentEntryTest, OverlongArgumentsAreRefusedNotCut) {
  const std::string longPath = "C:\\" + std::string(300, 'A') + ".INI";
  const AgentRun update = Run("LC_UPDATE=" + longPath);
  ExpectAgentResult(update, 1, "[1] Missing or incorrect command line.");
  const std::vector<std::string> lines = update.StatusLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "LC_UPDATE= argument of 307 characters refused: at most 259 are allowed.\n");

  // 259 characters still fit the path buffer: the file is merely missing.
  const std::string fitting = "C:\\" + std::string(252, 'B') + ".INI";
  ASSERT_EQ(fitting.size(), 259u);
  EXPECT_EQ(Run("LC_UPDATE=" + fitting).exitCode, 6u);

  ExpectAgentResult(Run("LC_VERSION=1.0.15" + std::string(20, ' ') + "/TRAILING"), 1,
               "[1] Missing or incorrect command line.");
  EXPECT_EQ(Run("LC_VERSION=1.0.16 /TRAILING").exitCode, 12u);  // 23 characters fit
}

TEST_F(AgentEntryTest, DebugToggleSwitchesDebuggerOutputForThisAndLaterRuns) {
  const AgentRun on = Run("LC_DEBUG");
  ExpectAgentResult(on, 0, "[0] Command successful.");
  EXPECT_EQ(test_registry::GetDword(AgentSubkey("Debug"), "Output"), 1u);
  // The switch was off at start, so only the toggle's own line and the result reach the debugger.
  EXPECT_EQ(on.debugOutput, (std::vector<std::string>{"Debug State = ON\n", "[0] Command successful.\n"}));

  const AgentRun withDebug = Run("");
  EXPECT_EQ(withDebug.debugOutput,
            (std::vector<std::string>{"Tarnwell Configuration Agent - v1.0.15\n", "Lumicor Version = v\n",
                                      "[0] Command successful.\n"}));

  const AgentRun off = Run("lc_debug");
  EXPECT_EQ(test_registry::GetDword(AgentSubkey("Debug"), "Output"), 0u);
  ASSERT_FALSE(off.debugOutput.empty());
  EXPECT_EQ(off.debugOutput.back(), "Debug State = OFF\n");
  EXPECT_EQ(off.StatusLines().size(), 3u);  // the mailslot gets its lines whatever the switch says
}

TEST_F(AgentEntryTest, FuncTimeoutOf30000IsReplacedForLaterRuns) {
  test_registry::SetDword(AgentSubkey("SyncUtil"), "Func Timeout", 30000);
  Run("");
  EXPECT_EQ(test_registry::GetDword(AgentSubkey("SyncUtil"), "Func Timeout"), 240000u);

  test_registry::SetDword(AgentSubkey("SyncUtil"), "Func Timeout", 0);
  Run("");
  EXPECT_EQ(test_registry::GetDword(AgentSubkey("SyncUtil"), "Func Timeout"), 0u);
}

TEST_F(AgentEntryTest, ProductVersionIsTracedOnlyFromAPlainString) {
  test_registry::SetString(kProductKey, "szCurrentVersionNumber", "4.5.0.534");
  std::vector<std::string> lines = Run("").StatusLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Lumicor Version = v4.5.0.534\n");

  test_registry::SetString(kProductKey, "szCurrentVersionNumber", "%ProgramFiles%", REG_EXPAND_SZ);
  lines = Run("").StatusLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Lumicor Version = v\n");
}

TEST_F(AgentEntryTest, EveryRunReplacesThePreviousResult) {
  Run("LC_VERSION=9.0.0");
  ExpectAgentResult(Run("LC_VERSION=1.0.0"), 0, "[0] Command successful.");
}

}  // namespace
