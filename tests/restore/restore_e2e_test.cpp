// LC_RESTORE with the real tarnupd.exe: uninstall keys in the registry, product directories
// below the prefix's temp folder, and the scripts and status lines the agent leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "agent_harness.h"
#include "test_registry.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

const std::string kFirstKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane Lumicor";
const std::string kSecondKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ostrander's Lumicor";

std::string UpperCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

std::string ReadBytes(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

Lines ListDirectory(const std::string& directory) {
  Lines names;
  for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

// The scripts as the uninstaller must find them: CR LF lines, naming the prefix's own Windows
// directory.
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

Lines BothReplaced(const std::string& product) {
  return {"LC_RESTORE Replaced " + product + "TOLVR.INI\n", "LC_RESTORE Replaced " + product + "TOLVRSIL.INI\n"};
}

class RestoreCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CleanUp();
    char temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    root_ = std::string(temp) + "tarn_restore\\";
    fs::remove_all(root_);
    fs::create_directory(root_);
  }
  void TearDown() override {
    CleanUp();
    fs::remove_all(root_);
  }
  static void CleanUp() {
    test_registry::DeleteTree(kFirstKey);
    test_registry::DeleteTree(kSecondKey);
    test_registry::DeleteTree(kAgentKeyPath);
  }

  // Creates root_ + name + "\" holding the given logs; gives its path as the agent names it.
  std::string MakeProduct(const std::string& name, const Lines& logs) {
    const std::string directory = root_ + name + "\\";
    fs::create_directory(directory);
    for (const std::string& log : logs) WriteBytes(directory + log, "log");
    return UpperCase(directory);
  }

  // Runs LC_RESTORE, which always succeeds, and gives its own status lines.
  static Lines RunRestore() {
    const AgentRun run = RunAgent("LC_RESTORE");
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u);
    Lines lines;
    for (const std::string& line : run.StatusLines()) {
      if (line.rfind("LC_RESTORE", 0) == 0) lines.push_back(line);
    }
    return lines;
  }

  std::string root_;
};

TEST_F(RestoreCommandTest, BothScriptsNameTheHighestInstallLogFromNineDownToZero) {
  const std::string product = MakeProduct("av", {"DEISL1.ISU", "DEISL3.ISU"});
  test_registry::SetString(kFirstKey, "UninstallString", root_ + "av\\setup.exe /x");
  EXPECT_EQ(RunRestore(), BothReplaced(product));
  EXPECT_EQ(ReadBytes(product + "TOLVR.INI"), Script(true, product, 3));
  EXPECT_EQ(ReadBytes(product + "TOLVRSIL.INI"), Script(false, product, 3));

  // The first key names no UninstallString now; the second is handled all the same.
  test_registry::DeleteTree(kFirstKey);
  test_registry::SetString(kFirstKey, "DisplayName", "Orvane Lumicor");
  const std::string zero = MakeProduct("zero", {"DEISL0.ISU"});
  const std::string ten = MakeProduct("ten", {"DEISL10.ISU"});
  test_registry::SetString(kSecondKey, "UninstallString", zero + "SETUP.EXE");
  EXPECT_EQ(RunRestore(), BothReplaced(zero));
  EXPECT_EQ(ReadBytes(zero + "TOLVRSIL.INI"), Script(false, zero, 0));

  test_registry::SetString(kSecondKey, "UninstallString", ten + "SETUP.EXE");
  EXPECT_EQ(RunRestore(), Lines());
  EXPECT_EQ(ListDirectory(ten), Lines{"DEISL10.ISU"});
}

TEST_F(RestoreCommandTest, UninstallStringWithoutSetupBeforeItNamesNoDirectory) {
  // SETUP.EXE at the very start would leave an empty directory, that is the current one.
  const std::string current = MakeProduct("current", {"DEISL1.ISU"});
  const std::string other = MakeProduct("other", {"DEISL1.ISU"});
  const fs::path previous = fs::current_path();
  fs::current_path(current);  // the agent inherits it
  test_registry::SetString(kFirstKey, "UninstallString", "setup.exe /x");
  test_registry::SetString(kSecondKey, "UninstallString", other + "UNINST.EXE /x");
  const Lines lines = RunRestore();
  fs::current_path(previous);
  EXPECT_EQ(lines, Lines());
  EXPECT_EQ(ListDirectory(current), Lines{"DEISL1.ISU"});
  EXPECT_EQ(ListDirectory(other), Lines{"DEISL1.ISU"});
}

TEST_F(RestoreCommandTest, ExistingScriptsAreNeverTouched) {
  const std::string product = MakeProduct("av", {"DEISL2.ISU"});
  WriteBytes(product + "TOLVR.INI", "keep\n");
  // Both keys name the directory: the first writes the one missing script, the second nothing.
  test_registry::SetString(kFirstKey, "UninstallString", product + "SETUP.EXE");
  test_registry::SetString(kSecondKey, "UninstallString", product + "SETUP.EXE /s");
  EXPECT_EQ(RunRestore(), Lines{"LC_RESTORE Replaced " + product + "TOLVRSIL.INI\n"});
  EXPECT_EQ(ReadBytes(product + "TOLVR.INI"), "keep\n");
  EXPECT_EQ(ReadBytes(product + "TOLVRSIL.INI"), Script(false, product, 2));
}

TEST_F(RestoreCommandTest, UntrustedDirectoryIsTextAndNeverCut) {
  const std::string percent = MakeProduct("100%s", {"DEISL5.ISU"});
  ASSERT_NE(percent.find("100%S\\"), std::string::npos);
  test_registry::SetString(kFirstKey, "UninstallString", root_ + "100%s\\setup.exe");
  EXPECT_EQ(RunRestore(), BothReplaced(percent));
  EXPECT_EQ(ReadBytes(percent + "TOLVR.INI"), Script(true, percent, 5));
  EXPECT_EQ(ReadBytes(percent + "TOLVRSIL.INI"), Script(false, percent, 5));

  // dir + "TOLVRSIL.INI" must fit 259 characters: 247 is the longest directory that works. At
  // 248 the logs and TOLVR.INI would still fit, so only refusing the whole key keeps a
  // half-written or cut path away.
  const std::size_t prefix = root_.size() + 1;  // with the directory's own backslash
  ASSERT_LT(prefix, 240u);
  const std::string refused = MakeProduct(std::string(248 - prefix, 'r'), {"DEISL1.ISU"});
  const std::string fitting = MakeProduct(std::string(247 - prefix, 'f'), {"DEISL1.ISU"});
  test_registry::SetString(kFirstKey, "UninstallString", refused + "SETUP.EXE");
  test_registry::SetString(kSecondKey, "UninstallString", fitting + "SETUP.EXE");
  Lines expected = BothReplaced(fitting);
  expected.insert(expected.begin(), "LC_RESTORE directory of 248 characters refused: at most 247 are allowed.\n");
  EXPECT_EQ(RunRestore(), expected);
  EXPECT_EQ(ListDirectory(refused), Lines{"DEISL1.ISU"});
  EXPECT_EQ(ReadBytes(fitting + "TOLVRSIL.INI"), Script(false, fitting, 1));
}

}  // namespace
