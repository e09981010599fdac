// Result texts from the string table linked into this program, as into the agent.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "message_ids.h"
#include "process_state.h"
#include "result_report.h"

namespace {

constexpr unsigned kLongMessageId = 200;  // test_messages.rc: exactly 255 characters

class ResultTextTest : public ::testing::Test {
 protected:
  void SetUp() override { InstanceHandle = GetModuleHandleA(nullptr); }
};

TEST_F(ResultTextTest, EveryCodeHasItsMessage) {
  EXPECT_EQ(std::string(ResultText(0)), "[0] Command successful.");
  EXPECT_EQ(std::string(ResultText(5)), "[5] Management Port Dll failed to load.");
  EXPECT_EQ(std::string(ResultText(11)), "[11] Management Port function did not complete.");
  for (int code = 0; code <= 12; ++code) {
    const std::string text(ResultText(code));
    EXPECT_EQ(text.rfind("[" + std::to_string(code) + "] ", 0), 0u) << text;
  }
}

TEST_F(ResultTextTest, PathsAndVersionFillTheirMessagesLiterally) {
  std::strcpy(ScriptPath, "C:\\MISSING.INI");
  EXPECT_EQ(std::string(ResultText(6)), "[6] Configuration file C:\\MISSING.INI is missing.");
  TargetPath = "C:\\TOOLS\\100%S.EXE";
  EXPECT_EQ(std::string(ResultText(7)), "[7] Executable file C:\\TOOLS\\100%S.EXE is missing.");
  std::strcpy(RequiredVersion, "1.1.0");
  EXPECT_EQ(std::string(ResultText(12)), "[12] TARNUPDATE version incorrect. Script requires version 1.1.0.");
}

TEST_F(ResultTextTest, CodesOutsideTheTableAreUnrecognised) {
  EXPECT_EQ(std::string(ResultText(13)), "[13] Unrecognised error.");
  EXPECT_EQ(std::string(ResultText(-5)), "[-5] Unrecognised error.");
}

TEST_F(ResultTextTest, LoadMessageTakesLongTextsWholeAndReportsMissingOnes) {
  TextString text;
  EXPECT_TRUE(LoadMessage(text, kLongMessageId));
  EXPECT_EQ(text.Length(), 255);
  EXPECT_EQ(text.c_str()[254], 'Z');

  EXPECT_TRUE(LoadMessage(text, IDS_TOLVRSIL_TEMPLATE));
  EXPECT_EQ(std::string(text).rfind("[Run unInstallShield]\nCmdType=Run\n", 0), 0u);

  EXPECT_FALSE(LoadMessage(text, 99));     // block exists, string does not
  EXPECT_FALSE(LoadMessage(text, 5000));   // no such block
  EXPECT_TRUE(text.IsEmpty());
}

}  // namespace
