// The packages in the test prefix: the agent finds the library only through Windows Installer,
// so installing, finding and removing it must work as on a real machine. Runs on the product
// the standin.install fixture installed, and leaves it installed.
#include "standin_state.h"

#include <gtest/gtest.h>

namespace {

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\'));
}

std::string Package(const char* name) { return ProgramFolder() + "\\" + name; }

// Whether the installed library exports AvSync_GetIFace; the module is freed at once so the
// file can be removed afterwards.
bool InstalledLibraryExports(const std::string& path) {
  const HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    ADD_FAILURE() << "cannot load " << path;
    return false;
  }
  const bool exported = GetProcAddress(module, kAvSyncGetIFaceName) != nullptr;
  FreeLibrary(module);
  return exported;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class PackageTest : public ::testing::Test {
 protected:
  // Whatever happened, the next test finds the product as the fixture left it.
  void TearDown() override {
    std::string path;
    if (!standin::FindInstalledLibrary(&path) || !InstalledLibraryExports(path)) {
      standin::UninstallProduct();
      EXPECT_EQ(standin::InstallPackage(Package("syncutil.msi")), 0);
    }
  }
};

TEST_F(PackageTest, InstalledLibraryIsTheComponentKeyPath) {
  std::string path;
  ASSERT_TRUE(standin::FindInstalledLibrary(&path));
  EXPECT_NE(path.find("\\Velmora\\Lumicor\\SYNCUTIL.DLL"), std::string::npos) << path;
  EXPECT_TRUE(InstalledLibraryExports(path));
}

TEST_F(PackageTest, PackagesInstallAndUninstall) {
  std::string installed;
  ASSERT_TRUE(standin::FindInstalledLibrary(&installed));
  ASSERT_EQ(standin::UninstallProduct(), 0);
  std::string path;
  EXPECT_FALSE(standin::FindInstalledLibrary(&path));
  EXPECT_FALSE(FileExists(installed));

  ASSERT_EQ(standin::InstallPackage(Package("syncutil-noexport.msi")), 0);
  ASSERT_TRUE(standin::FindInstalledLibrary(&path));
  EXPECT_EQ(path, installed);
  EXPECT_FALSE(InstalledLibraryExports(path));

  ASSERT_EQ(standin::UninstallProduct(), 0);
  ASSERT_EQ(standin::InstallPackage(Package("syncutil.msi")), 0);
  ASSERT_TRUE(standin::FindInstalledLibrary(&path));
  EXPECT_TRUE(InstalledLibraryExports(path));
}

}  // namespace
