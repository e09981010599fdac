// The agent's packages in the test prefix as an administrator uses them: msiexec installs the
// programs into their folder, a later version replaces an earlier one and an older one is
// refused, the agent runs from there, and msiexec removes them again, leaving the agent's
// settings and results.
#include <windows.h>

#include <gtest/gtest.h>
#include <msi.h>

#include <iterator>
#include <string>
#include <vector>

#include "testtools/agent_result.h"

namespace {

// Every package build has a product code of its own; the upgrade code finds them all.
constexpr char kUpgradeCode[] = "{9EBEF2ED-916B-4446-98D3-78765FA5F813}";
// Where the package names the agent's undo folder.
const std::string kUndoSettings = test_registry::AgentSubkey("LC_UPDATE");
// The agent's event source, which names the installed agent as the file of its messages.
constexpr char kEventSource[] = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\TarnUpdate";

// msiexec with its standard handles on NUL: Wine's helper processes inherit them, and a pipe
// they kept open would hold up whoever reads the test's output.
DWORD Msiexec(const std::string& arguments) {
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  return WaitForExit(StartProcess("\"" + std::string(system) + "\\msiexec.exe\" " + arguments), 5 * 60 * 1000);
}

std::string PackagePath(const char* fileName) { return "\"" + ProgramBesideTest(fileName) + "\""; }

std::vector<std::string> InstalledProducts() {
  std::vector<std::string> products;
  char code[39] = {};
  for (DWORD i = 0; MsiEnumRelatedProductsA(kUpgradeCode, 0, i, code) == ERROR_SUCCESS; ++i) products.push_back(code);
  return products;
}

std::string ProductInfo(const std::string& product, const char* property) {
  char value[64] = {};
  DWORD size = sizeof(value);
  return MsiGetProductInfoA(product.c_str(), property, value, &size) == ERROR_SUCCESS ? value : "";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class PackageInstallTest : public ::testing::Test {
 protected:
  // A package left by an interrupted run is removed first; none is left behind.
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    for (const std::string& product : InstalledProducts()) Msiexec("/x " + product + " /qn");
    test_registry::DeleteTree(kAgentKeyPath);
  }
};

TEST_F(PackageInstallTest, UpgradesRunsAndUninstallsCleanly) {
  char programFiles[MAX_PATH] = {};
  ExpandEnvironmentStringsA("%ProgramFiles%", programFiles, MAX_PATH);
  const std::string folder = std::string(programFiles) + "\\Velmora\\Tarn Configuration Agent\\";
  char programData[MAX_PATH] = {};
  ExpandEnvironmentStringsA("%ProgramData%", programData, MAX_PATH);
  const std::string undoFolder = std::string(programData) + "\\Velmora\\Tarn Configuration Agent\\Undo";
  // tarncheck.exe is in the package whenever the build has it, as the build tells wixl.
  const bool expected[] = {true, true, true, TARN_PACKAGE_HAS_CHECKER != 0};
  const char* const programs[] = {"tarnupd.exe", "tarnmon.exe", "tarnplan.exe", "tarncheck.exe"};

  // Each package in turn, and the one product installed after it: an older version never
  // replaces a newer one (1603, from the package's launch condition).
  const struct {
    const char* package;
    DWORD exitCode;
    const char* version;
  } steps[] = {{"tarnupd.msi", 0, "1.0.15"}, {"tarnupd-1.0.16.msi", 0, "1.0.16"}, {"tarnupd.msi", 1603, "1.0.16"}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.package);
    ASSERT_EQ(Msiexec("/i " + PackagePath(step.package) + " /qn"), step.exitCode);
    const std::vector<std::string> products = InstalledProducts();
    ASSERT_EQ(products.size(), 1u);
    EXPECT_EQ(ProductInfo(products[0], INSTALLPROPERTY_PRODUCTNAME), "Tarnwell Configuration Agent");
    EXPECT_EQ(ProductInfo(products[0], INSTALLPROPERTY_VERSIONSTRING), step.version);
    for (std::size_t i = 0; i < std::size(programs); ++i) EXPECT_EQ(Exists(folder + programs[i]), expected[i]) << programs[i];
    EXPECT_EQ(test_registry::GetString(kEventSource, "EventMessageFile"), folder + "tarnupd.exe");
    EXPECT_EQ(test_registry::GetDword(kEventSource, "TypesSupported"), 7u);
    EXPECT_EQ(test_registry::GetString(kUndoSettings, "UndoFolder"), undoFolder);
    ExpectAgentResult(RunProgram(folder + "tarnupd.exe", "LC_VERSION=1.0.16"), 12,
                      "[12] TARNUPDATE version incorrect. Script requires version 1.0.16.");
  }

  // The package that installed it removes it; the administrator needs no product code.
  ASSERT_EQ(Msiexec("/x " + PackagePath("tarnupd-1.0.16.msi") + " /qn"), 0u);
  EXPECT_TRUE(InstalledProducts().empty());
  for (const char* program : programs) EXPECT_FALSE(Exists(folder + program)) << program;
  EXPECT_FALSE(Exists(folder));
  EXPECT_FALSE(test_registry::KeyExists(kEventSource));
  EXPECT_FALSE(test_registry::ValueExists(kUndoSettings, "UndoFolder"));
  EXPECT_EQ(test_registry::GetDword(test_registry::AgentSubkey("TARNUPDATE"), "ReturnCode"), 12u);  // still there
}

}  // namespace
