// tarnupd.msi in the test prefix as an administrator uses it: msiexec installs the programs
// into their folder, the agent runs from there, and msiexec removes every trace again.
#include <windows.h>

#include <gtest/gtest.h>
#include <msi.h>

#include <string>

#include "agent_harness.h"
#include "owned_handle.h"
#include "test_registry.h"

namespace {

constexpr char kProductCode[] = "{12CFD443-AA2F-43C2-9ADD-90CE2C9E5B42}";
constexpr DWORD kMsiexecTimeoutMs = 5 * 60 * 1000;
const char* const kPrograms[] = {"tarnupd.exe", "tarnmon.exe", "tarncheck.exe"};

// Whether this build's package carries tarncheck.exe: the build says so, as it does to wixl.
bool PackageHasChecker() { return TARN_PACKAGE_HAS_CHECKER != 0; }

std::string ProgramFolder() {
  char programFiles[MAX_PATH] = {};
  ExpandEnvironmentStringsA("%ProgramFiles%", programFiles, sizeof(programFiles));
  return std::string(programFiles) + "\\Velmora\\Tarn Configuration Agent";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// msiexec with its standard handles on NUL: Wine's helper processes inherit them, and a pipe
// they kept open would hold up whoever reads the test's output.
DWORD Msiexec(const std::string& arguments) {
  char systemFolder[MAX_PATH] = {};
  GetSystemDirectoryA(systemFolder, sizeof(systemFolder));
  std::string commandLine = "\"" + std::string(systemFolder) + "\\msiexec.exe\" " + arguments;
  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  const tarnmon::OwnedHandle nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             &inheritable, OPEN_EXISTING, 0, nullptr));
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nul.Get();
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                      &startup, &info)) {
    return GetLastError();
  }
  const tarnmon::OwnedHandle process(info.hProcess);
  const tarnmon::OwnedHandle thread(info.hThread);
  DWORD exitCode = WAIT_TIMEOUT;
  if (WaitForSingleObject(process.Get(), kMsiexecTimeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process.Get(), &exitCode);
  return exitCode;
}

DWORD Uninstall() { return Msiexec(std::string("/x ") + kProductCode + " /qn"); }

class PackageInstallTest : public ::testing::Test {
 protected:
  // A package left by an interrupted run is removed first; none is left behind.
  void SetUp() override {
    Uninstall();
    test_registry::DeleteTree(kAgentKeyPath);
  }
  void TearDown() override {
    Uninstall();
    test_registry::DeleteTree(kAgentKeyPath);
  }
};

TEST_F(PackageInstallTest, InstallsRunsAndUninstallsCleanly) {
  ASSERT_EQ(Msiexec("/i \"" + ProgramBesideTest("tarnupd.msi") + "\" /qn"), 0u);

  EXPECT_EQ(MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT);
  char version[32] = {};
  DWORD size = sizeof(version);
  EXPECT_EQ(MsiGetProductInfoA(kProductCode, INSTALLPROPERTY_VERSIONSTRING, version, &size), 0u);
  EXPECT_STREQ(version, "1.0.15");

  const std::string folder = ProgramFolder();
  for (const char* program : kPrograms) {
    const bool expected = std::string(program) != "tarncheck.exe" || PackageHasChecker();
    EXPECT_EQ(Exists(folder + "\\" + program), expected) << program;
  }

  const AgentRun run = RunProgram(folder + "\\tarnupd.exe", "LC_VERSION=1.0.15");
  EXPECT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  ASSERT_FALSE(run.StatusLines().empty());
  EXPECT_EQ(run.StatusLines().back(), "[0] Command successful.\n");

  ASSERT_EQ(Uninstall(), 0u);
  EXPECT_EQ(MsiQueryProductStateA(kProductCode), INSTALLSTATE_UNKNOWN);
  for (const char* program : kPrograms) EXPECT_FALSE(Exists(folder + "\\" + program)) << program;
  EXPECT_FALSE(Exists(folder));
}

}  // namespace
