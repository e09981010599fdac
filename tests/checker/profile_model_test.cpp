// The checker's model of the profile functions against the system's own: the values of the
// tricky cases read as GetPrivateProfileIntA and GetPrivateProfileStringA read them, and keys
// are found (or not) where the system finds them. The model covers the names a reader can ask
// for: the system also finds comment lines as keys named ";...", keys before the first header
// under the section "", and names asked for with blanks around them, none of which a reader
// ever asks for.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "checker_test_support.h"
#include "profile_values.h"
#include "script_parser.h"
#include "value_checks.h"

namespace {

const std::vector<std::string> kValues = {
    " 12",
    "-1",
    "0x10",
    "12abc",
    "4294967296",
    "TRUE",
    "yes",
    "",
    "0",
    "+5",
    "0X1f",
    "0o17",
    "0b101",
    "-0x10",
    "0x",
    "0b",
    "--1",
    "- 5",
    "+-1",
    "1.5",
    "1e3",
    "010",
    "0xAbC",
    "0B11",
    "\"9\"",
    "'10'",
    "\"a\" b \"c\"",
    "\"abc",
    "abc'",
    "0xFFFFFFFF",
    "0x100000000",
    "4294967295",
    "-2147483648",
    "-2147483649",
    "99999999999",
    "1 ; on",
    "  7  ",
    "\t8",
    std::string(27, '0') + "12",
    std::string(28, '0') + "12",
    "1" + std::string(29, '0'),
    std::string(600, 'x'),
    std::string(511, 'y'),
    std::string(512, 'z'),
    "$#@NONE@#$",
};

std::string SystemText(const std::string& section, const std::string& key, const std::string& path) {
  char text[512];
  GetPrivateProfileStringA(section.c_str(), key.c_str(), kMissingMark, text, sizeof text, path.c_str());
  return text;
}

TEST(ProfileModel, ValuesReadAsTheSystemReadsThem) {
  std::string script = "[S]\r\n";
  for (std::size_t i = 0; i < kValues.size(); ++i) script += "k" + std::to_string(i) + "=" + kValues[i] + "\r\n";
  const std::string path = checker_test::WriteTemporary("checker_values.ini", script);
  const ParsedScript parsed = ParseScript(script);

  for (std::size_t i = 0; i < kValues.size(); ++i) {
    SCOPED_TRACE("value \"" + kValues[i].substr(0, 40) + "\"");
    const std::string key = "k" + std::to_string(i);
    const ScriptLine* line = FindKey(parsed, "S", key);
    ASSERT_NE(line, nullptr);
    for (const int fallback : {-1, 0, 1}) {
      EXPECT_EQ(GetPrivateProfileIntA("S", key.c_str(), fallback, path.c_str()),
                ProfileNumber(line->value, static_cast<std::uint32_t>(fallback)))
          << "default " << fallback;
    }
    EXPECT_EQ(SystemText("S", key, path), ProfileText(line->value));
  }
  DeleteFileA(path.c_str());
}

TEST(ProfileModel, SectionsAndKeysAreFoundWhereTheSystemFindsThem) {
  const std::string script =
      "before=0\r\n"
      "[A]\r\n"
      "k=1\r\n"
      "K=2\r\n"
      "  spaced key  =  3  \r\n"
      ";c=4\r\n"
      "   ;d=5\r\n"
      "noequals\r\n"
      "[B\r\n"
      "e=6\r\n"
      "[ C ]\r\n"
      "f=7\r\n"
      "[D]trailing\r\n"
      "g=8\r\n"
      "[a]\r\n"
      "later=9\r\n"
      "k=10\r\n"
      "=11\r\n"
      "  [E]  \r\n"
      "h = \"quoted\"\r\n";
  const std::vector<std::pair<std::string, std::string>> queries = {
      {"A", "k"},     {"a", "K"},      {"A", "spaced key"}, {"A", "c"}, {"A", "d"}, {"A", "noequals"},
      {"A", "e"},     {"B", "e"},      {"[B", "e"},         {"C", "f"}, {"D", "g"}, {"A", "later"},
      {"a", "later"}, {"A", "before"}, {"E", "h"},          {"A", ""},
  };
  const std::string path = checker_test::WriteTemporary("checker_structure.ini", script);
  const ParsedScript parsed = ParseScript(script);
  for (const auto& [section, key] : queries) {
    SCOPED_TRACE("[" + section + "] " + key);
    const ScriptLine* line = FindKey(parsed, section, key);
    EXPECT_EQ(SystemText(section, key, path), line != nullptr ? line->value : std::string(kMissingMark));
  }
  DeleteFileA(path.c_str());
}

}  // namespace
