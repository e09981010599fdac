// LC_RESTORE with the real tarnupd.exe: uninstall keys in the registry, product directories below
// the prefix's temp folder, and the scripts and status lines the agent leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "testtools/agent_result.h"
#include "testtools/unix_link.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kKeys[] = {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane Lumicor",
                             "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ostrander's Lumicor"};

Lines Listing(const std::string& directory) { return FilesMatching((fs::path(directory) / "*").string()); }

// A script as the uninstaller must find it: CR LF lines, naming the prefix's own Windows directory.
std::string Script(bool tolvr, const std::string& product, int log) {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string uninstaller = std::string(windows) + "\\UNINST.EXE -";
  const std::string logPath = product + "DEISL" + std::to_string(log) + ".ISU -y\r\n";
  const std::string run = tolvr ? "CmdProg=" + product + "SETUP.EXE -f" + product + "UNINST.INS\r\nOrgProg=" +
                                      uninstaller + "f" + logPath
                                : "CmdProg=" + uninstaller + "a -y -f" + logPath;
  return "[Run unInstallShield]\r\nCmdType=Run\r\n" + run + "\r\n[PackageInfo]\r\nInstallNumber=0\r\n";
}

struct Product {
  std::string name;  // of its directory below the test folder
  Lines files;       // install logs, perhaps a TOLVR.INI of its own
  int named;         // the install log its scripts name; -1: it gets no script
};
bool Kept(const Product& product) { return std::count(product.files.begin(), product.files.end(), "TOLVR.INI") > 0; }

TEST(RestoreCommand, WritesEachMissingScriptOfEachProductDirectoryWithAnInstallLog) {
  const std::string root = (fs::temp_directory_path() / "tarn_restore\\").string();
  fs::remove_all(root);
  fs::create_directories(root + "current");  // the agent's current one, with a log: an empty directory means it
  std::ofstream(root + "current\\DEISL1.ISU") << "log";
  const fs::path previous = fs::current_path();
  fs::current_path(root + "current");
  // dir + "TOLVRSIL.INI" must fit 259 characters: 247 is the longest directory that works. At 248
  // the logs and TOLVR.INI would still fit, so only refusing the whole key keeps a cut path away.
  const std::string fits(247 - root.size() - 1, 'f'), tooLong(248 - root.size() - 1, 'r');
  const struct {
    std::string uninstall[2];  // of each key, "" for a key without one
    std::vector<Product> products;  // in the order the keys name them
    std::string refused = "";
  } cases[] = {
      {{root + "av\\setup.exe /x", ""}, {{"av", {"DEISL1.ISU", "DEISL3.ISU"}, 3}}},
      {{"", root + "zero\\SETUP.EXE"}, {{"zero", {"DEISL0.ISU"}, 0}}},
      {{"", root + "ten\\SETUP.EXE"}, {{"ten", {"DEISL10.ISU"}, -1}}},
      {{"setup.exe /x", root + "other\\UNINST.EXE /x"}, {{"other", {"DEISL1.ISU"}, -1}}},
      {{root + "kept\\SETUP.EXE", Upper(root) + "KEPT\\SETUP.EXE /s"}, {{"kept", {"DEISL2.ISU", "TOLVR.INI"}, 2}}},
      {{root + "100%s\\setup.exe", ""}, {{"100%s", {"DEISL5.ISU"}, 5}}},
      {{root + tooLong + "\\SETUP.EXE", root + fits + "\\SETUP.EXE"},
       {{tooLong, {"DEISL1.ISU"}, -1}, {fits, {"DEISL1.ISU"}, 1}},
       "LC_RESTORE directory of 248 characters refused: at most 247 are allowed.\n"},
  };
  for (const auto& each : cases) {
    SCOPED_TRACE(each.uninstall[0] + " | " + each.uninstall[1]);
    Lines expected = each.refused.empty() ? Lines() : Lines{each.refused};
    for (const Product& product : each.products) {
      fs::create_directories(root + product.name);
      for (const std::string& file : product.files) std::ofstream(root + product.name + "\\" + file) << "before";
      const std::string replaced = "LC_RESTORE Replaced " + Upper(root + product.name + "\\");
      if (product.named >= 0 && !Kept(product)) expected.push_back(replaced + "TOLVR.INI\n");
      if (product.named >= 0) expected.push_back(replaced + "TOLVRSIL.INI\n");
    }
    for (int key = 0; key < 2; ++key) {
      test_registry::DeleteTree(kKeys[key]);
      test_registry::SetString(kKeys[key], each.uninstall[key].empty() ? "DisplayName" : "UninstallString",
                               each.uninstall[key]);
    }
    const AgentRun run = RunAgent("LC_RESTORE");
    ExpectAgentResult(run, 0, kSuccess);
    EXPECT_EQ(CommandLines(run), expected);
    for (const Product& product : each.products) {
      const std::string directory = Upper(root + product.name + "\\");
      const auto script = [&](bool tolvr) { return product.named < 0 ? "" : Script(tolvr, directory, product.named); };
      EXPECT_EQ(ReadBytes(directory + "TOLVR.INI"), Kept(product) ? "before" : script(true));
      EXPECT_EQ(ReadBytes(directory + "TOLVRSIL.INI"), script(false));
      if (product.named < 0) { EXPECT_EQ(Listing(directory), product.files); }  // nothing at all written
    }
    EXPECT_EQ(Listing(root + "current"), Lines{"DEISL1.ISU"});
  }
  fs::current_path(previous);
  fs::remove_all(root);
  for (const std::string& key : kKeys) test_registry::DeleteTree(key);
  test_registry::DeleteTree(kAgentKeyPath);
}

// A user who can write the product's folder plants links for SYSTEM to write through: TOLVR.INI
// a dangling link to a file of their choice, or the whole folder a link to another one.
TEST(RestoreCommand, WritesNoScriptThroughALinkAndSaysWhy) {
  const std::string root = Upper((fs::temp_directory_path() / "tarn_restore_links\\").string());
  RemoveUnixTree(root);
  for (const char* folder : {"AV", "ELSEWHERE", "REAL"}) fs::create_directories(root + folder);
  std::ofstream(root + "AV\\DEISL1.ISU") << "log";
  std::ofstream(root + "REAL\\DEISL1.ISU") << "log";
  ASSERT_TRUE(MakeUnixLink(root + "ELSEWHERE\\TOLVR.INI", root + "AV\\TOLVR.INI"));
  ASSERT_TRUE(MakeUnixLink(root + "REAL", root + "LINKED"));
  test_registry::SetString(kKeys[0], "UninstallString", root + "AV\\SETUP.EXE");
  test_registry::SetString(kKeys[1], "UninstallString", root + "LINKED\\SETUP.EXE");

  const AgentRun run = RunAgent("LC_RESTORE");
  ExpectAgentResult(run, 0, kSuccess);
  EXPECT_EQ(CommandLines(run),
            (Lines{"LC_RESTORE did not write " + root + "AV\\TOLVR.INI: it is a link or junction.\n",
                   "LC_RESTORE Replaced " + root + "AV\\TOLVRSIL.INI\n",
                   "LC_RESTORE did not write " + root + "LINKED\\TOLVR.INI: its folder is a link or junction.\n",
                   "LC_RESTORE did not write " + root + "LINKED\\TOLVRSIL.INI: its folder is a link or junction.\n"}));
  EXPECT_TRUE(Listing(root + "ELSEWHERE").empty());
  EXPECT_EQ(Listing(root + "REAL"), Lines{"DEISL1.ISU"});
  RemoveUnixTree(root);
  for (const std::string& key : kKeys) test_registry::DeleteTree(key);
  test_registry::DeleteTree(kAgentKeyPath);
}

}  // namespace
