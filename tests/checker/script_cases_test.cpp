// Scripts with known problems: each script in checker-scripts announces the findings it must
// give in ";!" comments (";! warning: text" for the next line, ";!! error: text" for the
// script as a whole), and must give no other. Encodings are built here, byte by byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checker_test_support.h"
#include "key_suggestions.h"
#include "script_check.h"

namespace {

using checker_test::BesideTest;
using checker_test::ReadBytes;

struct Expected {
  int line;
  Severity severity;
  std::string text;
};

bool ParseAnnotation(const std::string& line, const std::string& mark, Severity& severity, std::string& text) {
  if (line.rfind(mark + " ", 0) != 0) return false;
  const std::string rest = line.substr(mark.size() + 1);
  for (const auto& [word, kind] :
       {std::pair{"warning: ", Severity::kWarning}, std::pair{"error: ", Severity::kError}}) {
    if (rest.rfind(word, 0) == 0) {
      severity = kind;
      text = rest.substr(std::string(word).size());
      while (!text.empty() && (text.back() == '\r' || text.back() == ' ')) text.pop_back();
      return true;
    }
  }
  ADD_FAILURE() << "bad annotation: " << line;
  return false;
}

std::vector<Expected> AnnouncedFindings(const std::string& script) {
  std::vector<Expected> expected;
  std::vector<Expected> pending;
  int number = 0;
  std::size_t start = 0;
  while (start < script.size()) {
    std::size_t end = script.find('\n', start);
    if (end == std::string::npos) end = script.size();
    const std::string line = script.substr(start, end - start);
    start = end + 1;
    ++number;
    Severity severity;
    std::string text;
    if (ParseAnnotation(line, ";!!", severity, text)) {
      expected.push_back({0, severity, text});
    } else if (ParseAnnotation(line, ";!", severity, text)) {
      pending.push_back({0, severity, text});
    } else {
      for (Expected& announced : pending) announced.line = number;
      expected.insert(expected.end(), pending.begin(), pending.end());
      pending.clear();
    }
  }
  EXPECT_TRUE(pending.empty()) << "an annotation at the end of the script names no line";
  return expected;
}

// Every announced finding is there, once, and nothing else is.
void ExpectAnnounced(const std::string& script, const Findings& findings) {
  std::vector<bool> matched(findings.size(), false);
  for (const Expected& announced : AnnouncedFindings(script)) {
    bool found = false;
    for (std::size_t i = 0; i < findings.size() && !found; ++i) {
      const Finding& finding = findings[i];
      found = !matched[i] && finding.line == announced.line && finding.severity == announced.severity &&
              finding.message.find(announced.text) != std::string::npos;
      matched[i] = matched[i] || found;
    }
    EXPECT_TRUE(found) << "missing at line " << announced.line << ": " << announced.text;
  }
  for (std::size_t i = 0; i < findings.size(); ++i) {
    EXPECT_TRUE(matched[i]) << "not announced: " << FormatFinding(findings[i]);
  }
}

std::string ToCrLf(const std::string& text) {
  std::string converted;
  for (char c : text) converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return converted;
}

TEST(CheckerScripts, EachScriptGivesExactlyTheFindingsItAnnounces) {
  const std::string folder = BesideTest("checker-scripts");
  const std::vector<std::string> names = checker_test::FilesIn(folder, "*.ini");
  ASSERT_GE(names.size(), 12u) << "the scripts were not copied beside the test";
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const std::string script = ReadBytes(folder + "\\" + name);
    ExpectAnnounced(script, CheckScript(script));
    // Windows line ends change nothing.
    ExpectAnnounced(script, CheckScript(ToCrLf(script)));
  }
}

TEST(CheckerScripts, ExitCodeFollowsTheWorstFinding) {
  const std::string folder = BesideTest("checker-scripts") + "\\";
  EXPECT_EQ(ExitCodeOf(CheckScript(ReadBytes(folder + "clean_schedule.ini"))), kExitClean);
  EXPECT_EQ(ExitCodeOf(CheckScript(ReadBytes(folder + "values_oas.ini"))), kExitWarnings);
  EXPECT_EQ(ExitCodeOf(CheckScript(ReadBytes(folder + "type_unknown.ini"))), kExitErrors);
}

const std::string kCleanOAS =
    "[TARNUPDATE]\r\nUpdateType=OAS\r\n[ActionOptions]\r\nszMoveToFolder=C:\\Q\r\n"
    "[ExcludedItems]\r\n";

std::string Utf16(const std::string& ascii, bool bigEndian) {
  std::string bytes;
  for (char c : ascii) bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
  return bytes;
}

TEST(CheckerEncodings, Utf16AndNulBytesAreErrorsThatEndTheCheck) {
  for (const std::string& bytes : {"\xFF\xFE" + Utf16(kCleanOAS, false), "\xFE\xFF" + Utf16(kCleanOAS, true)}) {
    const Findings findings = CheckScript(bytes);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].severity, Severity::kError);
    EXPECT_NE(findings[0].message.find("UTF-16"), std::string::npos);
  }
  const Findings withoutMark = CheckScript(Utf16(kCleanOAS, false));
  ASSERT_EQ(withoutMark.size(), 1u);
  EXPECT_NE(withoutMark[0].message.find("NUL bytes"), std::string::npos);
  EXPECT_EQ(ExitCodeOf(withoutMark), kExitErrors);
}

TEST(CheckerEncodings, Utf8MarkIsAnErrorWhenLineOneHoldsWhatWindowsWouldLose) {
  const Findings header = CheckScript("\xEF\xBB\xBF" + kCleanOAS + "[General]\r\nbEnabled=TRUE\r\n");
  ASSERT_EQ(header.size(), 2u);
  EXPECT_EQ(header[0].line, 1);
  EXPECT_EQ(header[0].severity, Severity::kError);
  EXPECT_NE(header[0].message.find("byte-order mark"), std::string::npos);
  // The rest is still checked, with the mark taken off.
  EXPECT_EQ(header[1].line, 7);

  const Findings comment = CheckScript("\xEF\xBB\xBF; settings\r\n" + kCleanOAS);
  ASSERT_EQ(comment.size(), 1u);
  EXPECT_EQ(comment[0].severity, Severity::kWarning);
}

TEST(CheckerEncodings, Utf8CharactersInValuesAreWarnedAndAnsiOnesAreNot) {
  const Findings utf8 = CheckScript(kCleanOAS +
                                    "; caf\xC3\xA9 in a comment\r\n[EMailAlertOptions]\r\n"
                                    "szCustomMessage=caf\xC3\xA9\r\n");
  ASSERT_EQ(utf8.size(), 1u);
  EXPECT_EQ(utf8[0].line, 8);
  EXPECT_NE(utf8[0].message.find("bytes C3 A9"), std::string::npos);
  EXPECT_TRUE(CheckScript("[TARNUPDATE]\r\nUpdateType=OAS\r\n[ActionOptions]\r\nszCustomMessage=caf\xE9\r\n"
                          "[ExcludedItems]\r\n")
                  .empty());
}

TEST(KeySuggestions, SlipsAreNearAndOtherNamesAreNot) {
  EXPECT_EQ(NameDistance("bSacnAllFiles", "bScanAllFiles"), 1u);
  EXPECT_EQ(NameDistance("BSCANALLFILES", "bScanAllFiles"), 0u);
  EXPECT_EQ(NameDistance("", "abc"), 3u);
  EXPECT_EQ(NearestName("bScanAllFile", {"bScanAllOLE", "bScanAllFiles"}), "bScanAllFiles");
  EXPECT_EQ(NearestName("bLogFiles", {"bScanAllFiles", "bEnabled"}), "");
  EXPECT_EQ(NearestName("OSA", {"OAS", "ODS", "SCHEDULE"}), "OAS");
}

}  // namespace
