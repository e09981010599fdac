#include "agent/script_copy.h"

#include <windows.h>

#include <cstring>

#include "foundation/secure_file.h"
#include "foundation/trace_log.h"

namespace {

constexpr char kScriptsFolder[] = "\\Scripts";
constexpr int kNameTries = 8;

bool IsScriptCopyName(const char* name) {
  const std::size_t length = std::strlen(name);
  return length > 4 && _stricmp(name + length - 4, ".INI") == 0;
}

FileStatus CopyWhole(HANDLE from, HANDLE to) {
  return ReadInChunks(from, [to](const char* bytes, DWORD size) {
    DWORD written = 0;
    return WriteFile(to, bytes, size, &written, nullptr) && written == size;
  });
}

}  // namespace

ScriptCopy::~ScriptCopy() {
  copy_.reset();
  if (!name_.IsEmpty()) folder_.RemoveFile(name_);
}

ResultCode ScriptCopy::Make(const char* scriptPath, bool& missing) {
  missing = false;
  FileStatus status = OpenOutsideFile(scriptPath, FILE_SHARE_READ, script_);
  if (status.refusal == FileRefusal::kNotOnDisk) {
    TraceStatus("The script %s is no file on a disk: nothing was updated.\n", scriptPath);
    return kResultScriptMissing;
  }
  if (!status.ok()) {
    missing = status.error == ERROR_FILE_NOT_FOUND || status.error == ERROR_PATH_NOT_FOUND;
    TraceStatus("The script cannot be held for reading (error %lu): nothing was updated.\n", status.error);
    return kResultScriptMissing;
  }
  status = folder_.Open(AgentStateFolder() + kScriptsFolder);
  TextString reason;
  if (status.ok()) {
    // Copies that runs ended by a time-out or a fault left behind; a run still at work holds
    // its own without delete sharing, so it stays.
    folder_.RemoveFiles(IsScriptCopyName);
    KernelHandle writer;
    status = {FileRefusal::kExists, 0};
    for (int attempt = 0;
         attempt < kNameTries && (status.refusal == FileRefusal::kExists || status.refusal == FileRefusal::kLink);
         ++attempt) {
      name_.Format("%lx.%lx.INI", GetCurrentProcessId(), GetTickCount() + attempt);
      path_ = folder_.PathOf(name_);
      status = CreateNewFile(path_, FileReaders::kAdministrators, GENERIC_WRITE, writer);
    }
    if (!status.ok()) name_ = "";
    if (status.ok()) status = CopyWhole(script_.get(), writer.get());
    if (status.ok()) {
      // Read access only while the profile functions read it, however they share it. Opened by
      // its path, which is safe here: every folder on the way is the agent's own and held.
      copy_.reset(CreateFileA(path_, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!copy_) status = {FileRefusal::kFailed, GetLastError()};
    }
    reason = status.Reason();
  } else {
    reason = folder_.Refusal(status);
  }
  if (!status.ok()) {
    TraceStatus("The script cannot be copied for reading: %s. Nothing was updated.\n", reason.c_str());
    return kResultScriptMissing;
  }
  return kResultSuccess;
}

bool ScriptCopy::Digest(Sha256Digest& digest) {
  std::string bytes;
  if (!copy_ || SetFilePointer(copy_.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return false;
  if (!ReadToEnd(copy_.get(), bytes).ok()) return false;
  return Sha256Of(bytes.data(), bytes.size(), digest);
}

FileStatus ReadHeldFile(const char* path, std::string& bytes) {
  KernelHandle held;
  const FileStatus status = OpenOutsideFile(path, FILE_SHARE_READ, held, true);
  return status.ok() ? ReadToEnd(held.get(), bytes) : status;
}
