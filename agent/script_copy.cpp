#include "agent/script_copy.h"

#include <windows.h>

#include "foundation/secure_file.h"
#include "foundation/trace_log.h"

namespace {

constexpr char kFolderPrefix[] = "TarnUpdate.";
constexpr char kCopyName[] = "\\SCRIPT.INI";
constexpr int kFolderNameTries = 8;
constexpr DWORD kCopyChunk = 64 * 1024;

// The Windows temp folder, with a trailing separator: the system's, not the environment's.
TextString TempFolder() {
  char windows[MAX_PATH] = {};
  const UINT length = GetSystemWindowsDirectoryA(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "";
  return TextString(windows) + "\\TEMP\\";
}

// Copies left by runs that ended without removing theirs. A run still at work holds its copy
// open without delete sharing, so its copy, and with it its folder, stays.
void RemoveLeftoverCopies(const TextString& temp) {
  WIN32_FIND_DATAA found = {};
  const TextString pattern = temp + kFolderPrefix + "*";
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const DWORD attributes = found.dwFileAttributes;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) continue;
    const TextString folder = temp + found.cFileName;
    if (DeleteFileA(folder + kCopyName)) RemoveDirectoryA(folder);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

FileStatus CopyWhole(HANDLE from, HANDLE to) {
  char buffer[kCopyChunk];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(from, buffer, kCopyChunk, &read, nullptr)) return {FileRefusal::kFailed, GetLastError()};
    if (read == 0) return {};
    DWORD written = 0;
    if (!WriteFile(to, buffer, read, &written, nullptr) || written != read) return {FileRefusal::kFailed, GetLastError()};
  }
}

}  // namespace

ScriptCopy::~ScriptCopy() {
  copy_.reset();
  if (!path_.IsEmpty()) DeleteFileA(path_);
  if (!folder_.IsEmpty()) RemoveDirectoryA(folder_);
}

ResultCode ScriptCopy::Make(const char* scriptPath) {
  FileStatus status = OpenOutsideFile(scriptPath, FILE_SHARE_READ, script_);
  if (status.refusal == FileRefusal::kNotOnDisk) {
    TraceStatus("The script %s is no file on a disk: nothing was updated.\n", scriptPath);
    return kResultScriptMissing;
  }
  if (!status.ok()) {
    TraceStatus("The script cannot be held for reading (error %lu): nothing was updated.\n", status.error);
    return kResultScriptMissing;
  }
  const TextString temp = TempFolder();
  RemoveLeftoverCopies(temp);
  status = {FileRefusal::kNoFolder, 0};
  for (int attempt = 0; attempt < kFolderNameTries && !status.ok(); ++attempt) {
    folder_.Format("%s%s%lx.%lx", temp.c_str(), kFolderPrefix, GetCurrentProcessId(), GetTickCount() + attempt);
    status = CreatePrivateFolder(folder_, false);
  }
  if (!status.ok()) folder_ = "";
  KernelHandle writer;
  if (status.ok()) {
    path_ = folder_ + kCopyName;
    status = CreateNewFile(path_, FileReaders::kAdministrators, GENERIC_WRITE, writer);
  }
  if (status.ok()) status = CopyWhole(script_.get(), writer.get());
  if (status.ok()) {
    // Read access only while the profile functions read it, however they share it.
    copy_.reset(CreateFileA(path_, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!copy_) status = {FileRefusal::kFailed, GetLastError()};
  }
  if (!status.ok()) {
    TraceStatus("The script cannot be copied for reading: %s. Nothing was updated.\n", status.Reason().c_str());
    return kResultScriptMissing;
  }
  return kResultSuccess;
}
