// LC_FILEVER: the version of LC_FILEVER\FilePath, from Windows Installer, in four numbers.
#include <cstdio>
#include <cstring>
#include <memory>

#include "agent/commands/commands.h"
#include "foundation/deadline_thread.h"
#include "foundation/secure_file.h"
#include "foundation/agent_settings.h"
#include "foundation/system_library.h"
#include "foundation/unique_handle.h"

namespace {

using MsiGetFileVersionAFn = UINT(WINAPI*)(LPCSTR path, LPSTR version, LPDWORD versionCapacity, LPSTR language,
                                           LPDWORD languageCapacity);

// Reads the version text of a file: 0 when read, the cause of 8 otherwise.
ResultCode GetFileVer(const char* path, char* versionText, unsigned int capacity) {
  LoadedModule msi;
  MsiGetFileVersionAFn getFileVersion = nullptr;
  const ResultCode installer = LoadInstallerFunction("GetFileVer", "MsiGetFileVersionA", msi, getFileVersion);
  if (installer != kResultSuccess) return installer;
  DWORD versionCapacity = capacity;
  if (getFileVersion(path, versionText, &versionCapacity, nullptr, nullptr) == ERROR_SUCCESS) {
    TraceStatus("GetFileVer - MsiGetFileVersionA() returned %s.\n", versionText);
    return kResultSuccess;
  }
  TraceStatus("GetFileVer - MsiGetFileVersionA() function failed.\n");
  return kResultFileVersionUnread;
}

// One reading of a version on a thread of its own, which the entry thread may stop waiting for.
struct VersionReading {
  TextString path;
  char versionText[kPathBufferSize] = {};
  ResultCode result = kResultFileVersionUnread;
};

DWORD ReadVersionThread(VersionReading& reading) {
  reading.result = GetFileVer(reading.path, reading.versionText, kPathBufferSize);
  return 0;
}

// The installer's read, ended within `waitMs`: a file server or filter that never answers must
// not hold the run for ever. False when it did not end; the thread is then left to the end of
// the process.
bool ReadVersionWithin(const std::shared_ptr<VersionReading>& reading, DWORD waitMs) {
  DeadlineThread<VersionReading> thread;
  if (!thread.Start(reading, ReadVersionThread)) {
    ReadVersionThread(*reading);
    return true;
  }
  return thread.Wait(waitMs) == WAIT_OBJECT_0;
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

ResultCode ReadFileVersion(CommandRun& run, const char*) {
  const TextString path = Settings().ReadPath(agent_setting::kFilePath, "");
  for (const SettingName& part : agent_setting::kFileVersionParts) Settings().WriteDword(part, 0);

  // Opened once first, allowing a pipe server identification only, and held against deletion
  // while the installer reads it. A name that is no file at all is left to the installer, which
  // says so as it always has.
  KernelHandle file;
  const FileStatus opened =
      NamesDevice(path) ? FileStatus{FileRefusal::kNotOnDisk, 0}
                        : OpenOutsideFile(path, FILE_SHARE_READ | FILE_SHARE_WRITE, file);
  if (opened.refusal == FileRefusal::kNotOnDisk) {
    TraceStatus("GetFileVer - %s is no file on a disk.\n", path.c_str());
    return kResultNoFileOnDisk;
  }
  const DWORD error = opened.error;
  if (!opened.ok() && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_INVALID_NAME) {
    TraceStatus("GetFileVer - %s cannot be opened (error %lu).\n", path.c_str(), opened.error);
    return kResultFileNotOpened;
  }
  const auto reading = std::make_shared<VersionReading>();
  reading->path = path;
  if (!ReadVersionWithin(reading, run.funcTimeout)) {
    TraceStatus("GetFileVer - reading the version of %s did not end within %lu ms.\n", path.c_str(), run.funcTimeout);
    run.workAbandoned = true;
    return kResultFileVersionOverran;
  }
  const ResultCode result = reading->result;
  int parts[4] = {0, 0, 0, 0};
  std::sscanf(reading->versionText, "%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3]);
  for (int i = 0; i < 4; ++i) Settings().WriteDword(agent_setting::kFileVersionParts[i], static_cast<DWORD>(parts[i]));
  return result;
}
