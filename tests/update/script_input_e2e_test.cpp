// Scripts of awkward shapes through the real agent: each run ends in time with a ResultCode
// of the driver, the registry agrees, the product saw no protocol error, and whatever the
// script does say clearly reaches the product.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "agent_harness.h"
#include "random_scripts.h"
#include "test_registry.h"
#include "update_test_support.h"

namespace {

using standin::JournalEntry;
using update_test::FieldWrites;

const std::set<DWORD> kDriverResults = {0, 1, 2, 3, 4, 9, 10};

// All 28 keys: texts with the given value, flags 1, numbers beyond 32 bits or without digits.
std::string GeneralSection(const std::string& lineEnd, const std::string& textValue = "text") {
  const char* numbers[] = {"1", "1", "1", "1", "99999999999999999999", "-2147483649", "4294967296", "0x100000000",
                           "12abc", "-0"};
  std::string section = "[CurrentVer]" + lineEnd;
  for (const auto& field : update_test::kGeneralTextFields) section += field.key + ("=" + textValue) + lineEnd;
  for (std::size_t i = 0; i < 10; ++i) section += update_test::kGeneralNumberFields[i].key + ("=" + std::string(numbers[i])) + lineEnd;
  return section;
}

std::string OasScript(const std::string& lineEnd, const std::string& textValue = "text") {
  return "[TARNUPDATE]" + lineEnd + "UpdateType=OAS" + lineEnd + GeneralSection(lineEnd, textValue);
}

std::size_t GeneralWrites() {
  std::size_t count = 0;
  for (const JournalEntry& write : FieldWrites()) count += write.Number("area") == kAreaGeneralRecord ? 1 : 0;
  return count;
}

class ScriptInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_registry::DeleteTree(kAgentKeyPath);
    ASSERT_TRUE(standin::ResetState());
  }
  void TearDown() override { test_registry::DeleteTree(kAgentKeyPath); }

  // Runs the script; the run must end in time with a driver's result and a clean protocol.
  static DWORD Run(const std::string& name, const std::string& script) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(standin::ResetState());
    const update_test::ScriptFile file(name + ".ini", script);
    AgentRunOptions options;
    options.timeoutMs = 120000;
    const AgentRun run = RunAgent("LC_UPDATE=" + file.Path(), options);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(kDriverResults.count(run.exitCode), 1u) << run.exitCode;
    EXPECT_EQ(test_registry::GetDword(test_registry::AgentSubkey("TARNUPDATE"), "ReturnCode"), run.exitCode);
    std::vector<std::string> errors;
    EXPECT_TRUE(standin::ReadProtocolErrors(&errors));
    EXPECT_TRUE(errors.empty()) << errors.front();
    return run.exitCode;
  }
};

TEST_F(ScriptInputTest, ScriptsWithoutAnUpdateTypeChangeNothing) {
  std::string binary;
  update_test::Random random(7);
  for (int i = 0; i < 65536; ++i) binary += static_cast<char>(random());
  for (const auto& script : {std::pair<std::string, std::string>{"empty", ""}, {"binary", binary},
                             {"only-nuls", std::string(4096, '\0')}}) {
    EXPECT_EQ(Run(script.first, script.second), 1u) << script.first;
    EXPECT_TRUE(FieldWrites().empty()) << script.first;
  }
}

// Values of 600 characters are cut to 511; numbers beyond 32 bits are still numbers.
TEST_F(ScriptInputTest, EveryLineEndAndAByteOrderMarkEndCleanly) {
  const std::string long600(600, 'v');
  for (const char* lineEnd : {"\r\n", "\n"}) {
    EXPECT_EQ(Run("line-end", OasScript(lineEnd, long600)), 0u);
    const std::vector<JournalEntry> writes = FieldWrites();
    ASSERT_GE(writes.size(), 28u);
    EXPECT_EQ(GeneralWrites(), 28u);
    for (std::size_t i = 0; i < 18; ++i) EXPECT_EQ(writes[i].Arg("text"), std::string(511, 'v')) << i;
    for (std::size_t i = 18; i < 28; ++i) EXPECT_EQ(writes[i].call, "SetFieldValue") << i;
  }
  // How far CR-only line ends and a byte-order mark on the first line are understood is the
  // platform's business (Windows loses a first line behind the mark); the run must end cleanly.
  Run("cr", OasScript("\r"));
  Run("bom", "\xEF\xBB\xBF" + OasScript("\r\n"));
}

TEST_F(ScriptInputTest, DuplicateSectionsAndKeysGiveOneWritePerField) {
  const std::string script = "[TARNUPDATE]\r\nUpdateType=OAS\r\nUpdateType=SCHEDULE\r\n" + GeneralSection("\r\n", "first") +
                             "[CurrentVer]\r\nszDAT=second\r\nszDAT=third\r\n[tarnupdate]\r\nUpdateType=ODS\r\n";
  Run("duplicates", script);
  EXPECT_EQ(GeneralWrites(), 28u);
}

TEST_F(ScriptInputTest, OddAndNonHexByteStringsStoreWhatThePairsHold) {
  Run("bytes", "[TARNUPDATE]\r\nUpdateType=OAS\r\n[EMailActionOptions]\r\nbiMoveToFolderData=0A1\r\n");
  std::vector<JournalEntry> bytes = update_test::JournalOf("SetFieldBytes");
  ASSERT_EQ(bytes.size(), 1u);
  EXPECT_EQ(bytes[0].BytesArg("bytes"), std::vector<BYTE>{0x0A});
  Run("nonhex", "[TARNUPDATE]\r\nUpdateType=OAS\r\n[EMailActionOptions]\r\nbiMoveToFolderData=zz41G\r\n");
  bytes = update_test::JournalOf("SetFieldBytes");
  ASSERT_EQ(bytes.size(), 1u);
  EXPECT_EQ(bytes[0].BytesArg("bytes"), (std::vector<BYTE>{0x00, 0x41}));
}

TEST_F(ScriptInputTest, AScriptOfSomeMegabytesIsReadInTime) {
  std::string filler;
  for (int section = 0; filler.size() < 4u * 1024 * 1024; ++section) {
    filler += "[Filler" + std::to_string(section) + "]\r\n";
    for (int key = 0; key < 200; ++key) filler += "key" + std::to_string(key) + "=" + std::string(80, 'f') + "\r\n";
  }
  const ULONGLONG started = GetTickCount64();
  EXPECT_EQ(Run("huge", "[TARNUPDATE]\r\nUpdateType=OAS\r\n" + filler + GeneralSection("\r\n")), 0u);
  EXPECT_EQ(GeneralWrites(), 28u);
  EXPECT_LT(GetTickCount64() - started, 60000u);
}

TEST_F(ScriptInputTest, RandomScriptsThroughTheWholeAgent) {
  const std::uint32_t seed = update_test::ScriptSeed() + 1;
  SCOPED_TRACE("TARN_SCRIPT_SEED=" + std::to_string(seed - 1));
  update_test::Random random(seed);
  for (int i = 0; i < 24; ++i) Run("random-" + std::to_string(i), update_test::RandomScript(random));
}

}  // namespace
