// tarnupd.msi in the test prefix as an administrator uses it: msiexec installs the programs into
// their folder, the agent runs from there, and msiexec removes them again, leaving the agent's
// settings and results.
#include <windows.h>

#include <gtest/gtest.h>
#include <msi.h>

#include <string>

#include "testtools/agent_result.h"

namespace {

constexpr char kProductCode[] = "{12CFD443-AA2F-43C2-9ADD-90CE2C9E5B42}";

// msiexec with its standard handles on NUL: Wine's helper processes inherit them, and a pipe
// they kept open would hold up whoever reads the test's output.
DWORD Msiexec(const std::string& arguments) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  return WaitForExit(StartProcess("\"" + std::string(system) + "\\msiexec.exe\" " + arguments), 5 * 60 * 1000);
}

std::string ProductInfo(const char* property) {
  char value[64] = {};
  DWORD size = sizeof(value);
  return MsiGetProductInfoA(kProductCode, property, value, &size) == ERROR_SUCCESS ? value : "";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class PackageInstallTest : public ::testing::Test {
 protected:
  // A package left by an interrupted run is removed first; none is left behind.
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    Msiexec(std::string("/x ") + kProductCode + " /qn");
    test_registry::DeleteTree(kAgentKeyPath);
  }
};

TEST_F(PackageInstallTest, InstallsRunsAndUninstallsCleanly) {
  ASSERT_EQ(Msiexec("/i \"" + ProgramBesideTest("tarnupd.msi") + "\" /qn"), 0u);
  EXPECT_EQ(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT);
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_PRODUCTNAME), "Tarnwell Configuration Agent");
  EXPECT_EQ(ProductInfo(INSTALLPROPERTY_VERSIONSTRING), "1.0.15");

  char programFiles[MAX_PATH] = {};
  ExpandEnvironmentStringsA("%ProgramFiles%", programFiles, MAX_PATH);
  const std::string folder = std::string(programFiles) + "\\Velmora\\Tarn Configuration Agent\\";
  // tarncheck.exe is in the package whenever the build has it, as the build tells wixl.
  const bool expected[] = {true, true, TARN_PACKAGE_HAS_CHECKER != 0};
  const char* const programs[] = {"tarnupd.exe", "tarnmon.exe", "tarncheck.exe"};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Exists(folder + programs[i]), expected[i]) << programs[i];

  ExpectAgentResult(RunProgram(folder + "tarnupd.exe", "LC_VERSION=1.0.16"), 12,
                    "[12] TARNUPDATE version incorrect. Script requires version 1.0.16.");

  ASSERT_EQ(Msiexec(std::string("/x ") + kProductCode + " /qn"), 0u);
  EXPECT_EQ(MsiQueryProductStateA(kProductCode), INSTALLSTATE_UNKNOWN);
  for (const char* program : programs) EXPECT_FALSE(Exists(folder + program)) << program;
  EXPECT_FALSE(Exists(folder));
  EXPECT_EQ(test_registry::GetDword(test_registry::AgentSubkey("TARNUPDATE"), "ReturnCode"), 12u);  // still there
}

}  // namespace
