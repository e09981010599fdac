// Scripts with known problems: each script in checker-scripts announces the findings it must
// give in ";!" comments (";! warning: text" for the next line that is no such comment,
// ";!! error: text" for the script as a whole; "text$" when the message ends there), and must
// give no other. UTF-16, byte-order marks, NUL bytes and a long list are built here.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tarncheck/script_check.h"
#include "testtools/checker_test_support.h"

namespace {

using namespace std::string_literals;

struct Expected {
  int line;
  Severity severity;
  std::string text;  // a part of the message; its end when the text ends in '$'
};

std::vector<Expected> Announced(const std::string& script) {
  std::vector<Expected> expected;
  std::vector<Expected> pending;
  std::istringstream lines(script);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    const bool whole = line.rfind(";!! ", 0) == 0;
    if (!whole && line.rfind(";! ", 0) != 0) {
      for (Expected& announced : pending) announced.line = number;
      expected.insert(expected.end(), pending.begin(), pending.end());
      pending.clear();
      continue;
    }
    const std::string rest = line.substr(whole ? 4 : 3);
    const bool error = rest.rfind("error: ", 0) == 0;
    EXPECT_TRUE(error || rest.rfind("warning: ", 0) == 0) << "bad announcement: " << line;
    const Severity severity = error ? Severity::kError : Severity::kWarning;
    (whole ? expected : pending).push_back({0, severity, rest.substr(rest.find(": ") + 2)});
  }
  EXPECT_TRUE(pending.empty()) << "an announcement at the end of the script names no line";
  return expected;
}

// Every expected finding is there, once, and nothing else is.
void ExpectFindings(const Findings& findings, const std::vector<Expected>& expected) {
  std::vector<bool> matched(findings.size(), false);
  for (const Expected& want : expected) {
    const bool atEnd = want.text.back() == '$';
    const std::string text = atEnd ? want.text.substr(0, want.text.size() - 1) : want.text;
    bool found = false;
    for (std::size_t i = 0; i < findings.size() && !found; ++i) {
      const std::size_t at = atEnd ? findings[i].message.rfind(text) : findings[i].message.find(text);
      found = !matched[i] && findings[i].line == want.line && findings[i].severity == want.severity &&
              at != std::string::npos && (!atEnd || at + text.size() == findings[i].message.size());
      matched[i] = matched[i] || found;
    }
    EXPECT_TRUE(found) << "missing at line " << want.line << ": " << want.text;
  }
  for (std::size_t i = 0; i < findings.size(); ++i) {
    EXPECT_TRUE(matched[i]) << "not expected: " << FormatFinding(findings[i]);
  }
}

TEST(CheckerScripts, EachScriptGivesExactlyTheFindingsItAnnounces) {
  int scripts = 0;
  for (const auto& file : std::filesystem::directory_iterator(ProgramBesideTest("checker-scripts"))) {
    SCOPED_TRACE(file.path().filename().string());
    const std::string script = ReadBytes(file.path().string());
    ++scripts;
    ExpectFindings(CheckScript(script), Announced(script));
    // Windows and old Mac line ends change nothing.
    for (const char* end : {"\r\n", "\r"}) {
      std::string changed;
      for (char c : script) changed += c == '\n' ? std::string(end) : std::string(1, c);
      ExpectFindings(CheckScript(changed), Announced(script));
    }
  }
  EXPECT_GE(scripts, 15) << "the scripts were not copied beside the test";
}

TEST(CheckerScripts, EncodingsTheProfileFunctionsReadOtherwiseAreFound) {
  const std::string oas = "[TARNUPDATE]\r\nUpdateType=OAS\r\n[ExcludedItems]\r\n";
  const std::wstring wide = L"[TARNUPDATE]\r\nUpdateType=OAS\r\n[ExcludedItems]\r\n";
  // UTF-16 is read converted to the ANSI code page: only characters it changes are found.
  const std::wstring outside = L"; \u0141\r\nExcludedItem_0=C:\\Donn\u00E9es\\\u0141\u4E2D\r\n";
  const Expected changed = {5, Severity::kWarning, "(1252): U+0141 becomes \"L\", U+4E2D becomes \"?\"; write"};
  const Expected nul = {0, Severity::kError, "the script holds NUL bytes (UTF-16 without a byte-order mark?)"};
  const std::string mark = "UTF-8 byte-order mark: Windows reads it as part of line 1";
  const Expected harmlessMark = {1, Severity::kWarning, mark + " (Wine skips it)"};
  const std::vector<std::pair<std::string, std::vector<Expected>>> cases = {
      {"\xFF\xFE" + checker_test::Encoded(wide, 1200), {}},
      {"\xFE\xFF" + checker_test::Encoded(wide, 1201), {}},
      {"\xFF\xFE" + checker_test::Encoded(wide + outside, 1200), {changed}},
      {"\xFE\xFF" + checker_test::Encoded(wide + outside, 1201), {changed}},
      {checker_test::Encoded(wide, 1200), {nul}},
      {checker_test::Encoded(wide, 1201), {nul}},
      // A stray NUL byte ends the name or value it stands in: an error only when the update
      // type is lost with it.
      {oas + std::string(1, '\0'),
       {{4, Severity::kWarning, "a NUL byte (character 1): \"<NUL>\" is neither a [section] nor a key = value line"}}},
      {oas + "; old\0\r\nExcludedItem_0=C:\\Temp\0\\Old\r\n"s,
       {{4, Severity::kWarning, "a NUL byte (character 6) in a comment: the profile functions still ignore the line"},
        {5, Severity::kWarning, "(character 23): the profile functions read this line as [ExcludedItems] "
                                "ExcludedItem_0 = C:\\Temp$"}}},
      {"[TARNUPDATE]\r\nUpdateType=OAS\r\n\0[ExcludedItems]\r\nExcludedItem_0=C:\\Temp\r\n"s,
       {{0, Severity::kWarning, "no [ExcludedItems] section: the agent empties the on-access excluded items list"},
        {3, Severity::kWarning, "(character 1): \"<NUL>[ExcludedItems]\" is neither a [section] nor"},
        {4, Severity::kWarning, "[TARNUPDATE] ExcludedItem_0 is never read by update type OAS"}}},
      {"[TARN\0UPDATE]\r\nUpdateType=OAS\r\n"s,
       {{0, Severity::kError, "no [TARNUPDATE] section: the agent reads the update type as UNKNOWN"},
        {1, Severity::kWarning, "(character 6): the profile functions read this header as [TARN]"},
        {1, Severity::kWarning, "section [TARN] is never read by any update type"}}},
      // The rest is still checked, with the mark taken off.
      {"\xEF\xBB\xBF" + oas + "[General]\r\nbEnabled=TRUE\r\n",
       {{1, Severity::kError, mark + ", so what line 1 holds is lost there (Wine skips it)"},
        {5, Severity::kWarning, "[General] bEnabled = TRUE is read as 0 (FALSE)"}}},
      {"\xEF\xBB\xBF; settings\r\n" + oas, {harmlessMark}},
      // After a mark Wine converts UTF-8 text, where Windows takes its bytes.
      {"\xEF\xBB\xBF; settings\r\n" + oas + "ExcludedItem_0=C:\\Donn\xC3\xA9" "es\r\n",
       {harmlessMark, {5, Severity::kWarning, "(bytes C3 A9): Wine converts them to the ANSI code page as \"\xE9\", "
                                              "while Windows hands the bytes over as they are, which the product "
                                              "shows as \"\xC3\xA9\" rather than \"\xE9\""}}},
      {"\xEF\xBB\xBF\r\n" + oas, {harmlessMark}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE("case " + std::to_string(i));
    ExpectFindings(CheckScript(cases[i].first), cases[i].second);
  }
}

// One pass over the script, however long: 100,000 items, half of them after a gap, within
// seconds on a busy machine.
TEST(CheckerScripts, LongListIsCheckedWithinSeconds) {
  std::string script = "[TARNUPDATE]\r\nUpdateType=OAS\r\n[ExcludedItems]\r\n";
  for (int item = 0; item <= 100000; ++item) {
    if (item != 50000) script += "ExcludedItem_" + std::to_string(item) + "=C:\\Data\\" + std::to_string(item) + "\r\n";
  }
  const ULONGLONG started = GetTickCount64();
  const Findings findings = CheckScript(script);
  const ULONGLONG elapsed = GetTickCount64() - started;
  std::printf("100,000 items checked in %llu ms\n", elapsed);
  EXPECT_LT(elapsed, 5000u);
  ASSERT_EQ(findings.size(), 50000u);
  EXPECT_EQ(FormatFinding(findings.front()), "line 50004: warning: [ExcludedItems] ExcludedItem_50001 is never read: "
                                             "the list ends before it, at the missing ExcludedItem_50000");
}

}  // namespace
