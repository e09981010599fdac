// The settings store against the real registry of the test prefix, below a vendor path of the
// tests' own so that the agent's key is never disturbed.
#include "settings_key.h"

#include <gtest/gtest.h>

#include "test_registry.h"

namespace {

constexpr char kVendor[] = "TarnTests\\Unit";
constexpr char kAgent[] = "Settings Agent";
const std::string kVendorKey = std::string("Software\\") + kVendor;
const std::string kAgentKey = kVendorKey + "\\" + kAgent;

class SettingsKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_registry::DeleteTree("Software\\TarnTests");
    settings_.SetVendorPath(kVendor);
    settings_.SetAgentName(kAgent);
  }
  void TearDown() override { test_registry::DeleteTree("Software\\TarnTests"); }

  SettingsKey settings_;
};

TEST_F(SettingsKeyTest, ReadOfAbsentValueCreatesKeysButWritesNoDefault) {
  EXPECT_EQ(settings_.ReadDword("Debug", "Output", 0), 0u);
  EXPECT_EQ(settings_.ReadDword("SyncUtil", "Func Timeout", 240000), 240000u);
  EXPECT_TRUE(test_registry::KeyExists(kAgentKey + "\\Debug"));
  EXPECT_FALSE(test_registry::ValueExists(kAgentKey + "\\Debug", "Output"));
  EXPECT_FALSE(test_registry::ValueExists(kAgentKey + "\\SyncUtil", "Func Timeout"));
  EXPECT_EQ(std::string(settings_.ReadString("LC_UPDATE", "NoExtensionString", "")), "");
  EXPECT_EQ(std::string(settings_.ReadString("LC_UPDATE", "Other", "fallback")), "fallback");
}

TEST_F(SettingsKeyTest, ReadsTakeRawBytesWhateverTheType) {
  test_registry::SetString(kAgentKey + "\\T", "LongText", "12345");
  EXPECT_EQ(settings_.ReadDword("T", "LongText", 77), 77u);  // more than four bytes: default

  test_registry::SetBinary(kAgentKey + "\\T", "TwoBytes", std::string("\x34\x12", 2));
  EXPECT_EQ(settings_.ReadDword("T", "TwoBytes", 77), 0x1234u);  // the rest reads as zero

  test_registry::SetDword(kAgentKey + "\\T", "Number", 0x31);
  EXPECT_EQ(std::string(settings_.ReadString("T", "Number", "")), "1");  // bytes up to the first zero
}

TEST_F(SettingsKeyTest, WritesRoundTripAndWriteStringDeletes) {
  ASSERT_TRUE(settings_.WriteDword("LC_EXEC", "ReturnCode", 0xFFFFFFFBu));
  EXPECT_EQ(test_registry::GetDword(kAgentKey + "\\LC_EXEC", "ReturnCode"), 0xFFFFFFFBu);
  ASSERT_TRUE(settings_.WriteString("TARNUPDATE", "ReturnString", "[0] Command successful."));
  EXPECT_EQ(test_registry::GetString(kAgentKey + "\\TARNUPDATE", "ReturnString"), "[0] Command successful.");

  EXPECT_TRUE(settings_.WriteString("TARNUPDATE", "ReturnString", nullptr));
  EXPECT_FALSE(test_registry::ValueExists(kAgentKey + "\\TARNUPDATE", "ReturnString"));
  EXPECT_TRUE(test_registry::KeyExists(kAgentKey + "\\TARNUPDATE"));
  EXPECT_FALSE(settings_.WriteString("TARNUPDATE", "ReturnString", nullptr));  // already gone

  EXPECT_TRUE(settings_.WriteString("TARNUPDATE", nullptr, "ignored"));
  EXPECT_FALSE(test_registry::KeyExists(kAgentKey + "\\TARNUPDATE"));
}

TEST_F(SettingsKeyTest, MachineReadsNeverCreateAndTakeOnlyPlainStrings) {
  const std::string key = "Software\\TarnTests\\Product";
  EXPECT_FALSE(MachineKeyExists(key.c_str()));
  TextString out("untouched");
  EXPECT_FALSE(ReadMachineString(key.c_str(), "szCurrentVersionNumber", out));
  EXPECT_FALSE(test_registry::KeyExists(key));
  EXPECT_EQ(std::string(out), "untouched");

  test_registry::SetString(key, "Expand", "%SystemRoot%", REG_EXPAND_SZ);
  EXPECT_TRUE(MachineKeyExists(key.c_str()));
  EXPECT_FALSE(ReadMachineString(key.c_str(), "Expand", out));
  EXPECT_EQ(std::string(out), "untouched");

  test_registry::SetString(key, "szCurrentVersionNumber", "4.5.0.534");
  EXPECT_TRUE(ReadMachineString(key.c_str(), "szCurrentVersionNumber", out));
  EXPECT_EQ(std::string(out), "4.5.0.534");
}

}  // namespace
