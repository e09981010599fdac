// Installing, removing and finding the stand-in product through Windows Installer, the way
// an administrator (msiexec) and the agent (MsiGetComponentPathA) do.
#include "foundation/unique_handle.h"
#include "standin_product/standin_state.h"

#include <msi.h>

namespace standin {
namespace {

constexpr DWORD kMsiexecTimeoutMs = 5 * 60 * 1000;

// Runs msiexec with its standard handles on NUL: Wine's helper processes inherit them, and a
// pipe they kept open would hold up whoever reads our output.
int RunMsiexec(const std::string& arguments) {
  char systemFolder[MAX_PATH];
  const UINT length = GetSystemDirectoryA(systemFolder, sizeof systemFolder);
  if (length == 0 || length >= sizeof systemFolder) {
    return -1;
  }
  std::string commandLine = "\"" + std::string(systemFolder) + "\\msiexec.exe\" " + arguments;

  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  KernelHandle nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                               OPEN_EXISTING, 0, nullptr));
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nul.get();
  PROCESS_INFORMATION info = {};
  if (!nul || !CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                              &startup, &info)) {
    return -1;
  }
  KernelHandle process(info.hProcess);
  KernelHandle thread(info.hThread);
  DWORD exitCode = 0;
  if (WaitForSingleObject(process.get(), kMsiexecTimeoutMs) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.get(), &exitCode)) {
    return -1;
  }
  return static_cast<int>(exitCode);
}

}  // namespace

bool FindInstalledLibrary(std::string* path) {
  char buffer[MAX_PATH];
  DWORD size = sizeof buffer;
  const INSTALLSTATE state = MsiGetComponentPathA(::kProductCode, kSyncLibraryComponentCode, buffer, &size);
  if (state != INSTALLSTATE_LOCAL) {
    return false;
  }
  *path = buffer;
  return true;
}

int InstallPackage(const std::string& packagePath) { return RunMsiexec("/i \"" + packagePath + "\" /qn"); }

int UninstallProduct() { return RunMsiexec(std::string("/x ") + ::kProductCode + " /qn"); }

}  // namespace standin
