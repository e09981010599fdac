// The checker's model of the profile functions against the system's own: values read as
// GetPrivateProfileIntA and GetPrivateProfileStringA read them, and keys found (or not) where
// the system finds them, with Windows, Unix, old Mac and mixed line ends and with stray NUL
// bytes. Only names a reader can ask for: the system also finds comment lines as keys named
// ";...", keys before the first header under the section "", and names asked for with blanks
// around them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tarncheck/profile_values.h"
#include "tarncheck/script_parser.h"
#include "tarncheck/value_checks.h"
#include "testtools/checker_test_support.h"

namespace {

using namespace std::string_literals;

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
    // A NUL byte ends the value before its quotes are looked for; blanks before it stay.
    "7\0" "8"s, "\0" "9"s, "\"a\0\""s, "' b \0'"s, " 6 \0 x"s, "0x1\0" "F"s,
};

// Each "\r\n" of the script replaced by the next of `ends`, in turn.
std::string WithLineEnds(const std::string& script, const std::vector<std::string>& ends) {
  std::string changed;
  std::size_t count = 0;
  for (std::size_t at = 0; at < script.size(); ++at) {
    const bool end = script.compare(at, 2, "\r\n") == 0;
    changed += end ? ends[count++ % ends.size()] : std::string(1, script[at]);
    at += end ? 1 : 0;
  }
  return changed;
}

TEST(ProfileModel, ValuesAndKeysReadAsTheSystemReadsThem) {
  std::string script =
      "before=0\r\n[A]\r\nk=1\r\nK=2\r\n  spaced key  =  3  \r\n;c=4\r\n   ;d=5\r\nnoequals\r\n[B\r\ne=6\r\n"
      "[ C ]\r\nf=7\r\n[D]trailing\r\ng=8\r\n[a]\r\nlater=9\r\nk=10\r\n=11\r\n  [E]  \r\nh = \"quoted\"\r\n"
      // NUL bytes in a comment, in names, before a key and a header (whose keys then stay in
      // [N]), and inside headers.
      "[N]\r\n;c\0=1\r\nn\0m=2\r\no \0p=3\r\n\0q=4\r\n\0[O]\r\nr=5\r\n[P\0Q]\r\ns=6\r\n[ R \0]\r\nt=7\r\n[S]\r\n"s;
  std::vector<std::pair<std::string, std::string>> queries = {
      {"A", "k"}, {"a", "K"}, {"A", "spaced key"}, {"A", "c"},     {"A", "d"},      {"A", "noequals"},
      {"A", "e"}, {"B", "e"}, {"[B", "e"},         {"C", "f"},     {"D", "g"},      {"A", "later"},
      {"E", "h"}, {"A", ""},  {"A", "before"},     {"a", "later"}, {"S", "absent"}, {"N", "n"},
      {"N", "o"}, {"N", "q"}, {"N", "r"},          {"O", "r"},     {"P", "s"},      {"R", "t"},
  };
  for (std::size_t i = 0; i < kValues.size(); ++i) {
    script += "k" + std::to_string(i) + "=" + kValues[i] + "\r\n";
    queries.push_back({"S", "k" + std::to_string(i)});
  }
  const std::vector<std::vector<std::string>> lineEnds = {{"\r\n"}, {"\n"}, {"\r"}, {"\n", "\r\n", "\r", "\n\r"}};
  for (std::size_t variant = 0; variant < lineEnds.size(); ++variant) {
    SCOPED_TRACE("line ends " + std::to_string(variant));
    const std::string changed = WithLineEnds(script, lineEnds[variant]);
    // A file of its own each time: the system keeps what it read of a file for a while.
    const std::string path =
        checker_test::WriteTemporary("checker_profile" + std::to_string(variant) + ".ini", changed);
    const ParsedScript parsed = ParseScript(changed);
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
}

}  // namespace
