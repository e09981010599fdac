// The checker's model of the profile functions against the system's own: values read as
// GetPrivateProfileIntA and GetPrivateProfileStringA read them, and keys found (or not) where
// the system finds them. Only names a reader can ask for: the system also finds comment lines
// as keys named ";...", keys before the first header under the section "", and names asked for
// with blanks around them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tarncheck/profile_values.h"
#include "tarncheck/script_parser.h"
#include "tarncheck/value_checks.h"
#include "tests/checker/checker_test_support.h"

namespace {

const std::vector<std::string> kValues = {
    // Signs, bases and where the digits end; ':' to '@' and '[' to '`' lie between the digits
    // and the letters of ASCII and end a number like any other character.
    " 12", "-1", "0x10", "12abc", "4294967296", "TRUE", "yes", "", "0", "+5", "0X1f", "0o17", "0b101", "-0x10",
    "0x", "0b", "--1", "- 5", "+-1", "1.5", "1e3", "010", "0xAbC", "0B11", "0o8", "0b2", "0xg", "12:", "7@",
    "5;", "9?", "0x1F:", "0x2@", "0xA[", "0xf`", "0xF{", "0b1:", "0o7=",
    // Quotes, blanks and comments.
    "\"9\"", "'10'", "\"a\" b \"c\"", "\"abc", "abc'", "1 ; on", "  7  ", "\t8", "9\x1a", "\x1a 7",
    // 32 bits, 29 characters and 511 characters.
    "0xFFFFFFFF", "0x100000000", "4294967295", "-2147483648", "-2147483649", "99999999999",
    std::string(27, '0') + "12", std::string(28, '0') + "12", "1" + std::string(29, '0'), std::string(600, 'x'),
    std::string(511, 'y'), std::string(512, 'z'), kMissingMark,
};

TEST(ProfileModel, ValuesAndKeysReadAsTheSystemReadsThem) {
  std::string script =
      "before=0\r\n[A]\r\nk=1\r\nK=2\r\n  spaced key  =  3  \r\n;c=4\r\n   ;d=5\r\nnoequals\r\n[B\r\ne=6\r\n"
      "[ C ]\r\nf=7\r\n[D]trailing\r\ng=8\r\n[a]\r\nlater=9\r\nk=10\r\n=11\r\n  [E]  \r\nh = \"quoted\"\r\n[S]\r\n";
  std::vector<std::pair<std::string, std::string>> queries = {
      {"A", "k"}, {"a", "K"}, {"A", "spaced key"}, {"A", "c"},     {"A", "d"},     {"A", "noequals"},
      {"A", "e"}, {"B", "e"}, {"[B", "e"},         {"C", "f"},     {"D", "g"},     {"A", "later"},
      {"E", "h"}, {"A", ""},  {"A", "before"},     {"a", "later"}, {"S", "absent"},
  };
  for (std::size_t i = 0; i < kValues.size(); ++i) {
    script += "k" + std::to_string(i) + "=" + kValues[i] + "\r\n";
    queries.push_back({"S", "k" + std::to_string(i)});
  }
  const std::string path = checker_test::WriteTemporary("checker_profile.ini", script);
  const ParsedScript parsed = ParseScript(script);
  for (const auto& [section, key] : queries) {
    const ScriptLine* line = FindKey(parsed, section, key);
    SCOPED_TRACE("[" + section + "] " + key + " = " + (line != nullptr ? line->value.substr(0, 40) : "(none)"));
    char text[512];
    GetPrivateProfileStringA(section.c_str(), key.c_str(), kMissingMark, text, sizeof text, path.c_str());
    EXPECT_EQ(text, line != nullptr ? ProfileText(line->value) : std::string(kMissingMark));
    for (const int fallback : {-1, 0, 1}) {
      const auto expected = static_cast<std::uint32_t>(fallback);
      EXPECT_EQ(GetPrivateProfileIntA(section.c_str(), key.c_str(), fallback, path.c_str()),
                line != nullptr ? ProfileNumber(line->value, expected) : expected)
          << "default " << fallback;
    }
  }
  DeleteFileA(path.c_str());
}

}  // namespace
