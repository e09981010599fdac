// The readers against real INI files read by the system's profile functions: what each stores
// into the agent's own copy (area code 4), what it hands to the stand-in library (any other
// area code), and the detail lines it traces.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "agent_harness.h"
#include "process_state.h"
#include "script_readers.h"
#include "update_test_support.h"

namespace {

using update_test::CountOf;
using update_test::CountStartingWith;
using update_test::DebugLines;
using update_test::ScriptFile;

constexpr BYTE kUntouched = 0xAA;

DWORD WordAt(const std::vector<BYTE>& record, std::size_t offset) {
  DWORD value = 0;
  std::memcpy(&value, record.data() + offset, sizeof value);
  return value;
}

class ReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    NoExtensionString = "";
    ProductVersion = "";
  }
  void TearDown() override {
    NoExtensionString = "";
    ProductVersion = "";
  }

  // A section S of the given "key=value" lines, as the script. Each script has a name of its
  // own: the profile functions may keep a file they read a moment ago.
  void Script(const std::string& lines) {
    script_.reset(new ScriptFile(std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                                     std::to_string(++scripts_),
                                 "[TARNUPDATE]\r\nUpdateType=OAS\r\n[S]\r\n" + lines));
    script_->Use();
  }

  std::vector<BYTE> record_ = std::vector<BYTE>(2048, kUntouched);
  BYTE* Field(std::size_t offset) { return record_.data() + offset; }

  DebugLines debug_;
  std::unique_ptr<ScriptFile> script_;
  int scripts_ = 0;
};

TEST_F(ReaderTest, BooleanStoresTheNumberAsReadAndTakesMinusOneForMissing) {
  Script("minus=-1\r\nzero=0\r\ntwo=2\r\nword=yes\r\nallbits=4294967295\r\nhex=0x10\r\n");
  UpdateBoolean(Field(0), "S", "minus", 4);
  UpdateBoolean(Field(4), "S", "zero", 4);
  UpdateBoolean(Field(8), "S", "two", 4);
  UpdateBoolean(Field(12), "S", "word", 4);
  UpdateBoolean(Field(16), "S", "allbits", 4);
  UpdateBoolean(Field(20), "S", "hex", 4);
  UpdateBoolean(Field(24), "S", "absent", 4);

  EXPECT_EQ(WordAt(record_, 0), 0xAAAAAAAAu);
  EXPECT_EQ(WordAt(record_, 4), 0u);
  EXPECT_EQ(WordAt(record_, 8), 2u);
  EXPECT_EQ(WordAt(record_, 12), 0u);
  EXPECT_EQ(WordAt(record_, 16), 0xAAAAAAAAu);  // all 32 bits set reads as -1
  EXPECT_EQ(WordAt(record_, 20), 16u);
  EXPECT_EQ(WordAt(record_, 24), 0xAAAAAAAAu);
  EXPECT_EQ(debug_.Take(), (std::vector<std::string>{
                               "MISSING [S] minus\n", "[S] zero = FALSE\n", "[S] two = TRUE\n",
                               "[S] word = FALSE\n", "MISSING [S] allbits\n", "[S] hex = TRUE\n",
                               "MISSING [S] absent\n"}));
}

TEST_F(ReaderTest, NumbersStoreZeroAndTopBitValuesAndTraceThemBySign) {
  Script("zero=0\r\none=1\r\ntop=2147483648\r\nallbits=4294967295\r\nnegative=-7\r\nwrapped=4294967297\r\n");
  UpdateUInt(Field(0), "S", "zero", 4);
  UpdateDWord(Field(4), "S", "zero", 4);
  UpdateUInt(Field(8), "S", "one", 4);
  UpdateUInt(Field(12), "S", "top", 4);
  UpdateDWord(Field(16), "S", "top", 4);
  UpdateUInt(Field(20), "S", "allbits", 4);
  UpdateDWord(Field(24), "S", "negative", 4);
  UpdateUInt(Field(28), "S", "absent", 4);
  UpdateDWord(Field(32), "S", "absent", 4);
  UpdateDWord(Field(36), "S", "wrapped", 4);

  EXPECT_EQ(WordAt(record_, 0), 0u);
  EXPECT_EQ(WordAt(record_, 4), 0u);
  EXPECT_EQ(WordAt(record_, 8), 1u);
  EXPECT_EQ(WordAt(record_, 12), 0x80000000u);
  EXPECT_EQ(WordAt(record_, 16), 0x80000000u);
  EXPECT_EQ(WordAt(record_, 20), 0xFFFFFFFFu);
  EXPECT_EQ(WordAt(record_, 24), 0xFFFFFFF9u);
  EXPECT_EQ(WordAt(record_, 28), 0xAAAAAAAAu);
  EXPECT_EQ(WordAt(record_, 32), 0xAAAAAAAAu);
  // Beyond 32 bits the profile functions keep the low 32 bits; the trace shows what was stored.
  const std::vector<std::string> lines = debug_.Take();
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[9], "[S] wrapped = " + std::to_string(static_cast<int>(WordAt(record_, 36))) + "\n");
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 9),
            (std::vector<std::string>{"[S] zero = 0\n", "[S] zero = 0\n", "[S] one = 1\n", "[S] top = 2147483648\n",
                                      "[S] top = -2147483648\n", "[S] allbits = 4294967295\n",
                                      "[S] negative = -7\n", "MISSING [S] absent\n", "MISSING [S] absent\n"}));
}

TEST_F(ReaderTest, TextIsCutTo511CharactersAndTheSentinelCountsAsMissing) {
  const std::string long600(600, 'x');
  Script("sentinel=$#@NONE@#$\r\nempty=\r\nlong=" + long600 + "\r\nplain=C:\\Program Files\\Lumicor\r\n");
  UpdateString(Field(0), "S", "sentinel", 4);
  UpdateString(Field(0), "S", "absent", 4);
  EXPECT_EQ(record_, std::vector<BYTE>(2048, kUntouched));

  UpdateString(Field(0), "S", "empty", 4);
  EXPECT_EQ(record_[0], 0);
  EXPECT_EQ(record_[1], kUntouched);  // the terminator and nothing more

  UpdateString(Field(100), "S", "long", 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(Field(100))), long600.substr(0, 511));
  EXPECT_EQ(record_[100 + 512], kUntouched);

  UpdateString(Field(1024), "s", "PLAIN", 4);  // names in any letter case
  EXPECT_STREQ(reinterpret_cast<const char*>(Field(1024)), "C:\\Program Files\\Lumicor");
  EXPECT_EQ(debug_.Take(), (std::vector<std::string>{"MISSING [S] sentinel\n", "MISSING [S] absent\n",
                                                     "[S] empty = \n", "[S] long = " + long600.substr(0, 511) + "\n",
                                                     "[s] PLAIN = C:\\Program Files\\Lumicor\n"}));
}

TEST_F(ReaderTest, ByteStringsDecodeHexPairsAndStoreExactlyThoseBytes) {
  std::string hex511;
  for (int i = 0; i < 255; ++i) hex511 += i % 2 == 0 ? "4a" : "5B";
  hex511 += "7";
  Script("mixed=0A1bFF\r\nodd=0A1\r\nempty=\r\nfull=" + hex511 + "\r\ntext=414243\r\nnonhex=zz41G1\r\n");
  UpdateByteString(Field(0), "S", "mixed", 4);
  EXPECT_EQ(std::vector<BYTE>(record_.begin(), record_.begin() + 4), (std::vector<BYTE>{0x0A, 0x1B, 0xFF, kUntouched}));
  UpdateByteString(Field(10), "S", "odd", 4);
  EXPECT_EQ(std::vector<BYTE>(record_.begin() + 10, record_.begin() + 12), (std::vector<BYTE>{0x0A, kUntouched}));
  UpdateByteString(Field(20), "S", "empty", 4);
  EXPECT_EQ(record_[20], kUntouched);
  UpdateByteString(Field(100), "S", "full", 4);
  EXPECT_EQ(record_[100 + 254], 0x4A);
  EXPECT_EQ(record_[100 + 255], kUntouched);
  UpdateByteString(Field(400), "S", "nonhex", 4);
  // A pair without a hexadecimal digit gives 0; a pair with a leading digit gives that digit.
  EXPECT_EQ(std::vector<BYTE>(record_.begin() + 400, record_.begin() + 404), (std::vector<BYTE>{0x00, 0x41, 0x00, kUntouched}));

  const std::vector<std::string> lines = debug_.Take();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "[S] mixed = \x0A\x1B\xFF\n");
  EXPECT_EQ(lines[2], "[S] empty = \n");
  EXPECT_EQ(lines[4], "[S] nonhex = \n");  // the bytes as text, up to the first zero
  UpdateByteString(Field(30), "S", "text", 4);
  EXPECT_EQ(debug_.Take(), std::vector<std::string>{"[S] text = ABC\n"});
}

struct ExtensionCase {
  const char* productVersion;
  const char* value;
  const char* stored;
};

TEST_F(ReaderTest, ExtensionListsLoseTheNoExtensionEntriesUnlessTheProductIs450WithABuild) {
  NoExtensionString = "W";
  const ExtensionCase cases[] = {
      {"4.5.0.0", "W EXE COM", "EXE COM"},  {"4.5.0.0", "EXE COM W", "EXE COM W"},
      {"4.5.0.0", "EXE W DLL W COM", "EXE DLL COM"}, {"4.5.0.0", "EXW COM", "EXCOM"},
      {"4.5.0.12", "W EXE COM", "W EXE COM"}, {"4.6.0.12", "W EXE COM", "EXE COM"},
      {"4.5", "W EXE COM", "EXE COM"},      {"", "W EXE COM", "EXE COM"},
  };
  for (const ExtensionCase& each : cases) {
    ProductVersion = each.productVersion;
    Script(std::string("ext=") + each.value + "\r\n");
    UpdateFileExtString(Field(0), "S", "ext", 4);
    EXPECT_STREQ(reinterpret_cast<const char*>(Field(0)), each.stored) << each.productVersion << " " << each.value;
    const std::vector<std::string> lines = debug_.Take();
    const bool removed = std::strcmp(each.value, each.stored) != 0;
    EXPECT_EQ(CountOf(lines, "Removed 'W ' from the file extension list.\n"), removed ? 1 : 0) << each.value;
    EXPECT_EQ(lines.back(), std::string("[S] ext = ") + each.stored + "\n");
  }
  NoExtensionString = "";
  ProductVersion = "4.6.0.1";
  Script("ext=W EXE COM\r\n");
  UpdateFileExtString(Field(0), "S", "ext", 4);
  EXPECT_STREQ(reinterpret_cast<const char*>(Field(0)), "W EXE COM");
  EXPECT_EQ(debug_.Take(), std::vector<std::string>{"[S] ext = W EXE COM\n"});
}

TEST_F(ReaderTest, ProductBuildIsReadFromFourNumbers) {
  struct {
    const char* version;
    bool at450;
    int build;
  } const cases[] = {{"4.5.0.534", true, 534}, {"4.5.0.0x10", true, 16}, {"4.5.0", false, 0}, {"", false, 0},
                     {"4.6.0.7", false, 7},    {"v4.5.0.1", false, 0},   {"04.05.00.010", true, 8}};
  for (const auto& each : cases) {
    ProductVersion = each.version;
    int build = -1;
    EXPECT_EQ(GetProductBuild(build), each.at450) << each.version;
    EXPECT_EQ(build, each.build) << each.version;
  }
}

// Runs in a child process of its own (see below), so the once-only flag starts clear.
TEST_F(ReaderTest, DISABLED_ChildReadsThreeExtensionValues) {
  NoExtensionString = std::getenv("TARN_TEST_NO_EXTENSION") != nullptr ? std::getenv("TARN_TEST_NO_EXTENSION") : "";
  ProductVersion = "4.5.0.12";
  Script("a=W EXE\r\nb=W COM\r\nc=W DLL\r\n");
  for (const char* key : {"a", "b", "c"}) UpdateFileExtString(Field(0), "S", key, 4);
}

TEST(ProductBuildTrace, IsTracedOnceAProcessAndOnlyWhenThereIsSomethingToRemove) {
  const std::string arguments =
      "--gtest_also_run_disabled_tests --gtest_filter=ReaderTest.DISABLED_ChildReadsThreeExtensionValues";
  SetEnvironmentVariableA("TARN_TEST_NO_EXTENSION", "W");
  AgentRun run = RunProgram(ProgramBesideTest("update_reader_tests.exe"), arguments);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(CountStartingWith(run.debugOutput, "Lumicor Build No = "), 1);
  EXPECT_EQ(CountOf(run.debugOutput, "Lumicor Build No = 12\n"), 1);
  EXPECT_EQ(CountOf(run.debugOutput, "[S] a = W EXE\n"), 1);

  SetEnvironmentVariableA("TARN_TEST_NO_EXTENSION", nullptr);
  run = RunProgram(ProgramBesideTest("update_reader_tests.exe"), arguments);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(CountStartingWith(run.debugOutput, "Lumicor Build No = "), 0);
  EXPECT_EQ(CountOf(run.debugOutput, "[S] c = W DLL\n"), 1);
}

}  // namespace
