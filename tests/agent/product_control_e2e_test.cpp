// The agent reaching the product: installer lookup, library load, interface, control calls,
// and what it reports when any of those fails. Runs the real tarnupd.exe against the
// stand-in product installed in the test prefix.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "agent_harness.h"
#include "agent_result.h"
#include "standin_state.h"
#include "test_registry.h"

namespace {

using test_registry::AgentSubkey;


std::vector<std::string> Calls(const std::vector<standin::JournalEntry>& journal) {
  std::vector<std::string> calls;
  for (const standin::JournalEntry& entry : journal) calls.push_back(entry.call);
  return calls;
}

// The status lines between the two start-up lines and the result line.
std::vector<std::string> CommandLines(const AgentRun& run) {
  std::vector<std::string> lines = run.StatusLines();
  if (lines.size() < 3) return {};
  return std::vector<std::string>(lines.begin() + 2, lines.end() - 1);
}

class ProductControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_registry::DeleteTree(kAgentKeyPath);
    ASSERT_TRUE(standin::ResetState());
    ASSERT_TRUE(standin::FindInstalledLibrary(&libraryPath_)) << "the stand-in product is not installed";
  }
  void TearDown() override {
    standin::ClearFaults();
    test_registry::DeleteTree(kAgentKeyPath);
  }

  static AgentRun Run(const std::string& arguments, DWORD timeoutMs = 60000) {
    AgentRunOptions options;
    options.timeoutMs = timeoutMs;
    AgentRun run = RunAgent(arguments, options);
    EXPECT_TRUE(run.finished) << arguments;
    return run;
  }


  static standin::ProductState State() {
    standin::ProductState state;
    EXPECT_TRUE(standin::ReadState(&state));
    return state;
  }

  static std::vector<std::string> Journal() {
    std::vector<standin::JournalEntry> journal;
    EXPECT_TRUE(standin::ReadJournal(&journal));
    return Calls(journal);
  }

  std::string libraryPath_;
};

TEST_F(ProductControlTest, StartTalksToTheProductInAFixedOrder) {
  const AgentRun run = Run("LC_START");
  ExpectAgentResult(run, 0, "[0] Command successful.");
  EXPECT_EQ(CommandLines(run), (std::vector<std::string>{
                                   "LoadMSIDll \"" + libraryPath_ + "\"\n",
                                   "LoadSyncUtil returned 0\n",
                                   "AvSync_GetIFace AVSIF_MANAGEMENTPORT returned 0\n",
                                   "Releasing AvSync_GetIFace AVSIF_MANAGEMENTPORT\n",
                                   "Unloading SYNCUTIL.DLL\n",
                               }));
  EXPECT_TRUE(run.debugOutput.empty());  // the detail lines only with debug output on
  EXPECT_EQ(Journal(), (std::vector<std::string>{"AvSync_GetIFace", "StartLC", "ReleaseIFace"}));
  EXPECT_TRUE(State().running);
  EXPECT_EQ(standin::ProtocolErrorCount(), 0);
}

TEST_F(ProductControlTest, DetailLinesFrameEachControlCallWithDebugOutputOn) {
  test_registry::SetDword(AgentSubkey("Debug"), "Output", 1);
  const AgentRun run = Run("LC_STOP");
  ExpectAgentResult(run, 0, "[0] Command successful.");
  const std::vector<std::string>& debug = run.debugOutput;
  const auto before = std::find(debug.begin(), debug.end(), "Before StopLC...\n");
  ASSERT_NE(before, debug.end());
  EXPECT_EQ(*(before - 1), "AvSync_GetIFace AVSIF_MANAGEMENTPORT returned 0\n");
  EXPECT_EQ(*(before + 1), "After StopLC\n");
  EXPECT_EQ(*(before + 2), "Releasing AvSync_GetIFace AVSIF_MANAGEMENTPORT\n");
  EXPECT_FALSE(State().running);
}

TEST_F(ProductControlTest, EveryControlWordReachesItsCall) {
  ExpectAgentResult(Run("LC_STOP"), 0, "[0] Command successful.");
  EXPECT_FALSE(State().running);
  ExpectAgentResult(Run("lc_start"), 0, "[0] Command successful.");
  EXPECT_TRUE(State().running);
  ExpectAgentResult(Run("LC_DISABLE"), 0, "[0] Command successful.");
  EXPECT_FALSE(State().enabled);
  ExpectAgentResult(Run("LC_ENABLE"), 0, "[0] Command successful.");
  EXPECT_TRUE(State().enabled);
  // A script named after a command word: LC_STOP is found first.
  ExpectAgentResult(Run("LC_UPDATE=C:\\SCRIPTS\\LC_STOP.INI"), 0, "[0] Command successful.");
  EXPECT_FALSE(State().running);
  EXPECT_EQ(standin::ProtocolErrorCount(), 0);
}

TEST_F(ProductControlTest, RefusedInterfaceIsNotReleasedButTheLibraryIsUnloaded) {
  standin::Faults faults;
  faults.refuseInterface = true;
  faults.refusedInterfaceId = AVSIF_MANAGEMENTPORT;
  faults.refuseResult = 7;  // any non-zero result is a refusal
  ASSERT_TRUE(standin::SetFaults(faults));

  const AgentRun run = Run("LC_START");
  ExpectAgentResult(run, 4, "[4] Call to AvSync_GetIFace failed.");
  const std::vector<std::string> lines = CommandLines(run);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2], "AvSync_GetIFace AVSIF_MANAGEMENTPORT returned 7\n");
  EXPECT_EQ(lines[3], "Unloading SYNCUTIL.DLL\n");
  EXPECT_EQ(Journal(), (std::vector<std::string>{"AvSync_GetIFace"}));
}

TEST_F(ProductControlTest, HungControlCallEndsTheRunAfterFuncTimeout) {
  standin::Faults faults;
  faults.hangIn = standin::ControlCall::kStartLC;
  ASSERT_TRUE(standin::SetFaults(faults));
  test_registry::SetDword(AgentSubkey("SyncUtil"), "Func Timeout", 1500);

  const ULONGLONG started = GetTickCount64();
  const AgentRun run = Run("LC_START", 20000);
  const ULONGLONG elapsed = GetTickCount64() - started;
  ExpectAgentResult(run, 11, "[11] Management Port function did not complete.");
  EXPECT_GE(elapsed, 1400u);
  EXPECT_LT(elapsed, 10000u);
  // The worker never got to release or unload.
  for (const std::string& line : run.StatusLines()) EXPECT_NE(line, "Unloading SYNCUTIL.DLL\n");
}

TEST_F(ProductControlTest, FileVersionOfTheAgentItself) {
  test_registry::SetString(AgentSubkey("LC_FILEVER"), "FilePath", ProgramBesideTest("tarnupd.exe"));
  const AgentRun run = Run("LC_FILEVER");
  ExpectAgentResult(run, 0, "[0] Command successful.");
  const std::string key = AgentSubkey("LC_FILEVER");
  EXPECT_EQ(test_registry::GetDword(key, "FileVersionMajor"), 1u);
  EXPECT_EQ(test_registry::GetDword(key, "FileVersionMinor"), 0u);
  EXPECT_EQ(test_registry::GetDword(key, "FileVersionBuild"), 15u);
  EXPECT_EQ(test_registry::GetDword(key, "FileVersionExtra"), 0u);
  EXPECT_EQ(CommandLines(run), (std::vector<std::string>{"GetFileVer - MsiGetFileVersionA() returned 1.0.15.0.\n"}));
}

TEST_F(ProductControlTest, FileVersionFailuresLeaveFourZeros) {
  const std::string key = AgentSubkey("LC_FILEVER");
  for (const char* value : {"FileVersionMajor", "FileVersionMinor", "FileVersionBuild", "FileVersionExtra"}) {
    test_registry::SetDword(key, value, 99);
  }
  // A file without version information.
  test_registry::SetString(key, "FilePath", ProgramBesideTest("syncutil.msi"));
  const AgentRun run = Run("LC_FILEVER");
  ExpectAgentResult(run, 8, "[8] Installer Dll failed to load.");
  EXPECT_EQ(CommandLines(run), (std::vector<std::string>{"GetFileVer - MsiGetFileVersionA() function failed.\n"}));
  for (const char* value : {"FileVersionMajor", "FileVersionMinor", "FileVersionBuild", "FileVersionExtra"}) {
    EXPECT_EQ(test_registry::GetDword(key, value), 0u) << value;
  }
  // No path at all.
  test_registry::DeleteTree(key);
  ExpectAgentResult(Run("LC_FILEVER"), 8, "[8] Installer Dll failed to load.");
  EXPECT_EQ(test_registry::GetDword(key, "FileVersionMajor"), 0u);
}

// Puts the regular package back whatever a test did to the installation.
class ReinstallOnExit {
 public:
  ~ReinstallOnExit() {
    standin::UninstallProduct();
    standin::InstallPackage(ProgramBesideTest("syncutil.msi"));
  }
};

TEST_F(ProductControlTest, MissingProductAndMissingExportBothMeanTheLibraryDidNotLoad) {
  ReinstallOnExit reinstall;
  ASSERT_EQ(standin::UninstallProduct(), 0);
  AgentRun run = Run("LC_START");
  ExpectAgentResult(run, 5, "[5] Management Port Dll failed to load.");
  EXPECT_EQ(CommandLines(run),
            (std::vector<std::string>{"LoadMSIDll - SYNCUTIL.DLL missing.\n", "LoadSyncUtil returned 2\n"}));

  ASSERT_EQ(standin::InstallPackage(ProgramBesideTest("syncutil-noexport.msi")), 0);
  run = Run("LC_START");
  ExpectAgentResult(run, 5, "[5] Management Port Dll failed to load.");
  const std::vector<std::string> lines = CommandLines(run);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("LoadMSIDll \"", 0), 0u);
  EXPECT_EQ(lines[1], "LoadSyncUtil returned 1\n");
}

}  // namespace
