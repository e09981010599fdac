// LC_FILEVER: the version of LC_FILEVER\FilePath, from Windows Installer, in four numbers.
#include <cstdio>
#include <cstring>
#include <memory>

#include "agent/commands/commands.h"
#include "foundation/secure_file.h"
#include "foundation/agent_settings.h"
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

// One reading of a version on a thread of its own, which the entry thread may stop waiting for:
// shared, so that whichever of the two ends last frees it.
struct VersionReading {
  TextString path;
  char versionText[kPathBufferSize] = {};
  ResultCode result = kResultInstallerFailed;
};

DWORD WINAPI ReadVersionThread(LPVOID parameter) {
  const std::unique_ptr<std::shared_ptr<VersionReading>> share(static_cast<std::shared_ptr<VersionReading>*>(parameter));
  VersionReading& reading = **share;
  reading.result = GetFileVer(reading.path, reading.versionText, kPathBufferSize);
  return 0;
}

// The installer's read, ended within `waitMs`: a file server or filter that never answers must
// not hold the run for ever. False when it did not end; the thread is then left to the end of
// the process.
bool ReadVersionWithin(const std::shared_ptr<VersionReading>& reading, DWORD waitMs) {
  auto threadShare = std::make_unique<std::shared_ptr<VersionReading>>(reading);
  const KernelHandle thread(CreateThread(nullptr, 0, ReadVersionThread, threadShare.get(), 0, nullptr));
  if (!thread) {
    reading->result = GetFileVer(reading->path, reading->versionText, kPathBufferSize);
    return true;
  }
  threadShare.release();  // the thread's from here
  return WaitForSingleObject(thread.get(), waitMs) == WAIT_OBJECT_0;
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
  run.targetPath = Settings().ReadPath(agent_setting::kFilePath, "");
  for (const SettingName& part : agent_setting::kFileVersionParts) Settings().WriteDword(part, 0);

  // Opened once first, allowing a pipe server identification only, and held against deletion
  // while the installer reads it. A name that is no file at all is left to the installer, which
  // says so as it always has.
  KernelHandle file;
  const FileStatus opened =
      NamesDevice(run.targetPath) ? FileStatus{FileRefusal::kNotOnDisk, 0}
                                  : OpenOutsideFile(run.targetPath, FILE_SHARE_READ | FILE_SHARE_WRITE, file);
  if (opened.refusal == FileRefusal::kNotOnDisk) {
    TraceStatus("GetFileVer - %s is no file on a disk.\n", run.targetPath.c_str());
    return kResultInstallerFailed;
  }
  const DWORD error = opened.error;
  if (!opened.ok() && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_INVALID_NAME) {
    TraceStatus("GetFileVer - %s cannot be opened (error %lu).\n", run.targetPath.c_str(), opened.error);
    return kResultInstallerFailed;
  }
  const auto reading = std::make_shared<VersionReading>();
  reading->path = run.targetPath;
  if (!ReadVersionWithin(reading, run.funcTimeout)) {
    TraceStatus("GetFileVer - reading the version of %s did not end within %lu ms.\n", run.targetPath.c_str(),
                run.funcTimeout);
    run.workAbandoned = true;
    return kResultInstallerFailed;
  }
  const ResultCode result = reading->result;
  int parts[4] = {0, 0, 0, 0};
  std::sscanf(reading->versionText, "%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3]);
  for (int i = 0; i < 4; ++i) Settings().WriteDword(agent_setting::kFileVersionParts[i], static_cast<DWORD>(parts[i]));
  return result;
}
