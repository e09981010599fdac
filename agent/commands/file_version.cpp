// LC_FILEVER: the version of LC_FILEVER\FilePath, from Windows Installer, in four numbers.
#include <cstdio>

#include "agent/commands/commands.h"
#include "foundation/settings_key.h"
#include "foundation/unique_handle.h"

namespace {

using MsiGetFileVersionAFn = UINT(WINAPI*)(LPCSTR path, LPSTR version, LPDWORD versionCapacity, LPSTR language,
                                           LPDWORD languageCapacity);

// Reads the version text of a file: 0 when read, 8 otherwise.
ResultCode GetFileVer(const char* path, char* versionText, unsigned int capacity) {
  const LoadedModule msi(LoadLibraryA("MSI.DLL"));
  if (!msi) {
    TraceStatus("GetFileVer - MSI.DLL missing.\n");
    return kResultInstallerFailed;
  }
  const auto getFileVersion = FindExport<MsiGetFileVersionAFn>(msi.get(), "MsiGetFileVersionA");
  if (getFileVersion == nullptr) {
    TraceStatus("GetFileVer - MsiGetFileVersionA() function missing.\n");
    return kResultInstallerFailed;
  }
  DWORD versionCapacity = capacity;
  if (getFileVersion(path, versionText, &versionCapacity, nullptr, nullptr) == ERROR_SUCCESS) {
    TraceStatus("GetFileVer - MsiGetFileVersionA() returned %s.\n", versionText);
    return kResultSuccess;
  }
  TraceStatus("GetFileVer - MsiGetFileVersionA() function failed.\n");
  return kResultInstallerFailed;
}

}  // namespace

ResultCode ReadFileVersion(CommandRun& run) {
  constexpr char kSubkey[] = "LC_FILEVER";
  constexpr const char* kValues[] = {"FileVersionMajor", "FileVersionMinor", "FileVersionBuild", "FileVersionExtra"};
  run.targetPath = Settings().ReadString(kSubkey, "FilePath", "");
  for (const char* value : kValues) Settings().WriteDword(kSubkey, value, 0);

  char versionText[kPathBufferSize] = {};
  const ResultCode result = GetFileVer(run.targetPath, versionText, kPathBufferSize);
  int parts[4] = {0, 0, 0, 0};
  std::sscanf(versionText, "%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3]);
  for (int i = 0; i < 4; ++i) Settings().WriteDword(kSubkey, kValues[i], static_cast<DWORD>(parts[i]));
  return result;
}
