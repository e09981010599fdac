// LC_FILEVER: the version of LC_FILEVER\FilePath, from Windows Installer, in four numbers.
#include <cstdio>
#include <cstring>

#include "agent/commands/commands.h"
#include "foundation/settings_key.h"
#include "foundation/system_library.h"
#include "foundation/unique_handle.h"

namespace {

using MsiGetFileVersionAFn = UINT(WINAPI*)(LPCSTR path, LPSTR version, LPDWORD versionCapacity, LPSTR language,
                                           LPDWORD languageCapacity);

// Reads the version text of a file: 0 when read, 8 otherwise.
ResultCode GetFileVer(const char* path, char* versionText, unsigned int capacity) {
  const LoadedModule msi = LoadSystemLibrary("MSI.DLL");
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

// A device such as COM1, or a pipe that never answers, would hold the installer's read, and
// with it the whole run, for ever: only names of files on a disk go to it.
bool NamesDevice(const char* path) {
  char full[MAX_PATH] = {};
  if (GetFullPathNameA(path, MAX_PATH, full, nullptr) - 1 >= MAX_PATH - 1) return false;  // nothing or too long
  if (std::strncmp(full, "\\\\.\\", 4) == 0 || std::strncmp(full, "\\\\?\\", 4) == 0) return true;
  const DWORD attributes = GetFileAttributesA(full);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DEVICE) != 0;
}

}  // namespace

ResultCode ReadFileVersion(CommandRun& run) {
  constexpr char kSubkey[] = "LC_FILEVER";
  constexpr const char* kValues[] = {"FileVersionMajor", "FileVersionMinor", "FileVersionBuild", "FileVersionExtra"};
  run.targetPath = Settings().ReadString(kSubkey, "FilePath", "");
  for (const char* value : kValues) Settings().WriteDword(kSubkey, value, 0);

  char versionText[kPathBufferSize] = {};
  if (NamesDevice(run.targetPath)) {
    TraceStatus("GetFileVer - %s is no file on a disk.\n", run.targetPath.c_str());
    return kResultInstallerFailed;
  }
  const ResultCode result = GetFileVer(run.targetPath, versionText, kPathBufferSize);
  int parts[4] = {0, 0, 0, 0};
  std::sscanf(versionText, "%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3]);
  for (int i = 0; i < 4; ++i) Settings().WriteDword(kSubkey, kValues[i], static_cast<DWORD>(parts[i]));
  return result;
}
