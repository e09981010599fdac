// LC_UPDATE= end to end: the real tarnupd.exe applies scripts to the stand-in product
// installed in the test prefix; the journal shows each call, the committed state what stuck.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "agent_harness.h"
#include "core/state_file.h"
#include "test_registry.h"
#include "update_test_support.h"

namespace {

using standin::JournalEntry;
using test_registry::AgentSubkey;
using update_test::CountOf;
using update_test::FieldWrites;
using update_test::GeneralField;
using update_test::kGeneralNumberFields;
using update_test::kGeneralTextFields;
using update_test::ScriptFile;

constexpr const char* kNumberValues[] = {"1", "0", "2", "16", "1000", "-1", "30", "4294967295", "-5", "2147483648"};
constexpr DWORD kNumbersStored[] = {1, 0, 2, 16, 1000, 0xFFFFFFFF, 30, 0xFFFFFFFF, 0xFFFFFFFB, 0x80000000};

std::string TextValue(const GeneralField& field) {
  // One value of 600 characters: only its first 511 are stored.
  if (std::strcmp(field.key, "szInstallDir") == 0) {
    std::string value;
    while (value.size() < 600) value += "C:\\Program Files\\Velmora\\Lumicor\\";
    return value.substr(0, 600);
  }
  return std::string("value of ") + field.key;
}

std::string CurrentVerSection() {
  std::string text = "[CurrentVer]\r\n";
  for (const GeneralField& field : kGeneralTextFields) text += std::string(field.key) + "=" + TextValue(field) + "\r\n";
  for (std::size_t i = 0; i < std::size(kGeneralNumberFields); ++i) {
    text += std::string(kGeneralNumberFields[i].key) + "=" + kNumberValues[i] + "\r\n";
  }
  return text;
}

std::string Script(const std::string& updateType, const std::string& more = CurrentVerSection()) {
  return "[TARNUPDATE]\r\nUpdateType=" + updateType + "\r\n" + more;
}

// A patterned options area, so a byte written where it should not be shows.
BYTE PatternByte(std::size_t offset) { return static_cast<BYTE>(0x21 + offset * 7 % 0xDB); }

// The options area after the script's general record went in; `skipped` keeps its pattern.
std::vector<BYTE> ExpectedOptions(const std::string& skipped = "") {
  std::vector<BYTE> options(kOptionsAreaSize);
  for (std::size_t i = 0; i < options.size(); ++i) options[i] = PatternByte(i);
  const std::size_t base = standin::RecordOffset(kAreaGeneralRecord);
  for (const GeneralField& field : kGeneralTextFields) {
    if (field.key == skipped) continue;
    const std::string text = TextValue(field).substr(0, 511);
    std::memcpy(&options[base + field.offset], text.c_str(), text.size() + 1);
  }
  for (std::size_t i = 0; i < std::size(kGeneralNumberFields); ++i) {
    if (kGeneralNumberFields[i].key == skipped) continue;
    std::memcpy(&options[base + kGeneralNumberFields[i].offset], &kNumbersStored[i], 4);
  }
  return options;
}

class UpdateDriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_registry::DeleteTree(kAgentKeyPath);
    test_registry::SetDword(AgentSubkey("Debug"), "Output", 1);
    ASSERT_TRUE(standin::ResetState());
    ASSERT_TRUE(standin::UpdateState([](standin::ProductState& state) {
      for (std::size_t i = 0; i < state.options.size(); ++i) state.options[i] = PatternByte(i);
      return true;
    }));
  }
  void TearDown() override {
    standin::ClearFaults();
    test_registry::DeleteTree(kAgentKeyPath);
  }

  static AgentRun Run(const std::string& script) {
    const ScriptFile file(::testing::UnitTest::GetInstance()->current_test_info()->name(), script);
    AgentRun run = RunAgent("LC_UPDATE=" + file.Path());
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(test_registry::GetDword(AgentSubkey("TARNUPDATE"), "ReturnCode"), run.exitCode);
    EXPECT_EQ(standin::ProtocolErrorCount(), 0);
    return run;
  }

  static std::vector<BYTE> CommittedOptions() {
    standin::ProductState state;
    EXPECT_TRUE(standin::ReadState(&state));
    return state.options;
  }

  // Status lines between "AvSync_GetIFace ... returned 0" and "Releasing ...".
  static std::vector<std::string> UpdateLines(const AgentRun& run) {
    const std::vector<std::string> lines = run.StatusLines();
    auto first = std::find(lines.begin(), lines.end(), "AvSync_GetIFace AVSIF_MANAGEMENTPORT returned 0\n");
    auto last = std::find(lines.begin(), lines.end(), "Releasing AvSync_GetIFace AVSIF_MANAGEMENTPORT\n");
    if (first == lines.end() || last < first) return {};
    return std::vector<std::string>(first + 1, last);
  }
};

TEST_F(UpdateDriverTest, OasRunWritesTheGeneralRecordFirstAndCommitsItWithSetOptions) {
  const AgentRun run = Run(Script("OAS"));
  EXPECT_EQ(run.exitCode, 0u);
  const std::vector<std::string> lines = UpdateLines(run);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "UpdateType = OAS\n");
  EXPECT_EQ(lines[1], "Updating On Access Scanner Data.\n");

  // A number of -1 is a present key for the number readers (only the flags take it as missing).
  std::vector<JournalEntry> general;
  for (const JournalEntry& write : FieldWrites()) {
    if (write.Number("area") == kAreaGeneralRecord) general.push_back(write);
  }
  ASSERT_EQ(general.size(), 28u);
  for (std::size_t i = 0; i < std::size(kGeneralTextFields); ++i) {
    EXPECT_EQ(general[i].call, "SetFieldString") << kGeneralTextFields[i].key;
    EXPECT_EQ(general[i].Number("offset"), static_cast<long long>(kGeneralTextFields[i].offset)) << kGeneralTextFields[i].key;
  }
  for (std::size_t i = 0; i < std::size(kGeneralNumberFields); ++i) {
    const JournalEntry& write = general[std::size(kGeneralTextFields) + i];
    EXPECT_EQ(write.call, "SetFieldValue") << kGeneralNumberFields[i].key;
    EXPECT_EQ(write.Number("offset"), static_cast<long long>(kGeneralNumberFields[i].offset)) << kGeneralNumberFields[i].key;
    EXPECT_EQ(write.Number("value"), static_cast<long long>(kNumbersStored[i])) << kGeneralNumberFields[i].key;
  }
  EXPECT_EQ(CountOf(run.debugOutput, "[CurrentVer] bPalisorEnabled = TRUE\n"), 1);
  EXPECT_EQ(CountOf(run.debugOutput, "[CurrentVer] dwNotifiedTime = -2147483648\n"), 1);

  // The general record before the on-access record; one SetOptions, last.
  std::vector<std::string> calls = update_test::Calls();
  const std::vector<JournalEntry> journal = update_test::Journal();
  std::size_t lastGeneral = 0;
  std::size_t firstOnAccess = journal.size();
  for (std::size_t i = 0; i < journal.size(); ++i) {
    if (journal[i].call.compare(0, 8, "SetField") != 0) continue;
    if (journal[i].Number("area") == kAreaGeneralRecord) lastGeneral = i;
    if (journal[i].Number("area") == kAreaOASTaskRecord) firstOnAccess = std::min(firstOnAccess, i);
  }
  EXPECT_LT(lastGeneral, firstOnAccess);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "SetOptions"), 1);
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2], "SetOptions");

  // Committed: exactly the script's values at their offsets, every other byte as it was
  // (the on-access record gets nothing from a script without its sections).
  const std::vector<BYTE> committed = CommittedOptions();
  EXPECT_TRUE(committed == ExpectedOptions());
  const std::string installDir(reinterpret_cast<const char*>(&committed[standin::RecordOffset(kAreaGeneralRecord) + 4096]));
  EXPECT_EQ(installDir.size(), 511u);
}

TEST_F(UpdateDriverTest, UpdateTypesAreMatchedInAnyLetterCase) {
  AgentRun run = Run(Script("Ods"));
  EXPECT_EQ(run.exitCode, 0u);
  std::vector<std::string> lines = UpdateLines(run);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Updating On Demand Scanner Data.\n");
  EXPECT_EQ(FieldWrites().size(), 28u);  // the on-demand task is the agent's own copy
  EXPECT_EQ(CountOf(update_test::Calls(), "SetOptions"), 1);

  // The scheduled tasks touch neither record, yet the run still ends with SetOptions.
  ASSERT_TRUE(standin::ResetState());
  run = Run(Script("schedule"));
  EXPECT_EQ(run.exitCode, 0u);
  lines = UpdateLines(run);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Updating Schedule Data.\n");
  EXPECT_TRUE(FieldWrites().empty());
  EXPECT_EQ(CountOf(update_test::Calls(), "GetOptions"), 0);
  EXPECT_EQ(CountOf(update_test::Calls(), "SetOptions"), 1);
}

TEST_F(UpdateDriverTest, AnUnknownOrMissingUpdateTypeChangesNothingAndIsNoSuccess) {
  AgentRun run = Run(Script("OASX"));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(UpdateLines(run), (std::vector<std::string>{
                                  "UpdateType = OASX\n",
                                  "Update type \"OASX\" is none of OAS, ODS and SCHEDULE: nothing was updated.\n"}));
  EXPECT_EQ(update_test::Calls(), (std::vector<std::string>{"AvSync_GetIFace", "ReleaseIFace"}));

  run = Run("[CurrentVer]\r\nszDAT=1\r\n");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(test_registry::GetString(AgentSubkey("TARNUPDATE"), "ReturnString"),
            "[1] Missing or incorrect command line.");
  const std::vector<std::string> lines = UpdateLines(run);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "UpdateType = UNKNOWN\n");
  EXPECT_EQ(CountOf(update_test::Calls(), "GetOptions"), 0);
}

TEST_F(UpdateDriverTest, AnOptionsAreaOfAnotherSizeGetsNoWriteAndNoCommit) {
  for (DWORD size : {kOptionsAreaSize - 1, kOptionsAreaSize + 1}) {
    standin::Faults faults;
    faults.getOptionsWrongSize = true;
    faults.getOptionsSize = size;
    ASSERT_TRUE(standin::SetFaults(faults));
    const AgentRun run = Run(Script("OAS"));
    EXPECT_EQ(run.exitCode, 3u);
    EXPECT_EQ(test_registry::GetString(AgentSubkey("TARNUPDATE"), "ReturnString"), "[3] Data structure size mismatch.");
    EXPECT_EQ(UpdateLines(run).back(), "AV Data Size = " + std::to_string(size) + " Tarn Data Size = 53788\n");
    EXPECT_TRUE(FieldWrites().empty());
    EXPECT_EQ(CountOf(update_test::Calls(), "SetOptions"), 0);
    ASSERT_TRUE(standin::ResetState());
  }
}

TEST_F(UpdateDriverTest, FailingGetOptionsEndsTheRunWithTwo) {
  standin::Faults faults;
  faults.getOptionsFails = true;
  ASSERT_TRUE(standin::SetFaults(faults));
  const AgentRun run = Run(Script("ODS"));
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_EQ(test_registry::GetString(AgentSubkey("TARNUPDATE"), "ReturnString"), "[2] Call to GetOptions failed.");
  EXPECT_TRUE(FieldWrites().empty());
  EXPECT_EQ(update_test::Calls(), (std::vector<std::string>{"AvSync_GetIFace", "GetOptions", "ReleaseIFace"}));
}

TEST_F(UpdateDriverTest, AFaultInOneFieldWriteLosesOnlyThatField) {
  standin::Faults faults;
  faults.crashOnField = true;
  faults.crashArea = kAreaGeneralRecord;
  faults.crashOffset = 512;  // szDAT
  ASSERT_TRUE(standin::SetFaults(faults));
  const AgentRun run = Run(Script("OAS"));
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(CountOf(run.debugOutput, "UpdateString Exception [CurrentVer] szDAT\n"), 1);
  EXPECT_EQ(CountOf(run.debugOutput, "[CurrentVer] szECClient = value of szECClient\n"), 1);
  EXPECT_EQ(run.StatusLines().back(), "[0] Command successful.\n");

  EXPECT_TRUE(CommittedOptions() == ExpectedOptions("szDAT"));
}

TEST_F(UpdateDriverTest, AScriptWithoutCurrentVerLeavesTheGeneralRecordAndGoesOn) {
  const AgentRun run = Run(Script("OAS", "[DetectionOptions]\r\n"));
  EXPECT_EQ(run.exitCode, 0u);
  int missing = 0;
  for (const std::string& line : run.debugOutput) missing += line.rfind("MISSING [CurrentVer] ", 0) == 0 ? 1 : 0;
  EXPECT_EQ(missing, 28);
  for (const JournalEntry& write : FieldWrites()) EXPECT_NE(write.Number("area"), kAreaGeneralRecord);
  // The on-access update followed.
  EXPECT_EQ(CountOf(update_test::Calls(), "GetOptions"), 2);
  EXPECT_EQ(CountOf(update_test::Calls(), "SetOptions"), 1);
  // Detail lines reach the debugger only, never the mailslot.
  EXPECT_EQ(CountOf(run.StatusLines(), "MISSING [CurrentVer] szDAT\n"), 0);
}

}  // namespace
