#include "foundation/trusted_folder.h"

#include <aclapi.h>

#include <cstring>

#include "foundation/sddl_security.h"

namespace {

constexpr char kPrivateFolder[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
constexpr char kTrustedInstaller[] = "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// What nobody but the trusted may do to a folder on the way: replace what is in it, or change
// who may. In the folder itself, they may not add or change anything either.
constexpr DWORD kReplaceRights = DELETE | FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER | GENERIC_ALL;
constexpr DWORD kWriteRights = kReplaceRights | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_WRITE_EA |
                               FILE_WRITE_ATTRIBUTES | GENERIC_WRITE;

FileStatus Failed(DWORD error) { return {FileRefusal::kFailed, error}; }
FileStatus Refused(FileRefusal refusal) { return {refusal, 0}; }

class TrustedAccounts {
 public:
  TrustedAccounts() {
    DWORD size = sizeof system_;
    CreateWellKnownSid(WinLocalSystemSid, nullptr, system_, &size);
    size = sizeof administrators_;
    CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators_, &size);
    PSID installer = nullptr;
    if (ConvertStringSidToSidA(kTrustedInstaller, &installer)) {
      CopySid(sizeof installer_, installer_, installer);
      LocalFree(installer);
    }
    HANDLE tokenHandle = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &tokenHandle)) {
      const KernelHandle token(tokenHandle);
      DWORD length = 0;
      if (GetTokenInformation(token.get(), TokenUser, user_, sizeof user_, &length)) {
        own_ = reinterpret_cast<TOKEN_USER*>(user_)->User.Sid;
      }
    }
  }
  bool Trusts(PSID sid) const {
    if (sid == nullptr || !IsValidSid(sid)) return false;
    const PSID accounts[] = {const_cast<BYTE*>(system_), const_cast<BYTE*>(administrators_),
                             const_cast<BYTE*>(installer_), own_};
    for (PSID trusted : accounts) {
      if (trusted != nullptr && IsValidSid(trusted) && EqualSid(sid, trusted)) return true;
    }
    return false;
  }

 private:
  BYTE system_[SECURITY_MAX_SID_SIZE] = {};
  BYTE administrators_[SECURITY_MAX_SID_SIZE] = {};
  BYTE installer_[SECURITY_MAX_SID_SIZE] = {};
  BYTE user_[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE] = {};
  PSID own_ = nullptr;
};

// Whether an entry of `dacl` that applies to the folder itself gives any of `rights` to an
// account not trusted. Deny entries only take away, so they are passed over; no list at all
// lets everyone do everything.
bool OthersMay(const ACL* dacl, DWORD rights, const TrustedAccounts& trusted) {
  if (dacl == nullptr) return true;
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* entry = nullptr;
    if (!GetAce(const_cast<ACL*>(dacl), index, &entry)) return true;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    if ((header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_ALLOWED_CALLBACK_ACE_TYPE) continue;
    const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
    if ((allowed->Mask & rights) != 0 && !trusted.Trusts(const_cast<DWORD*>(&allowed->SidStart))) return true;
  }
  return false;
}

// The folder as itself (a link is opened, not followed), held without delete sharing.
FileStatus HoldFolder(const char* path, bool isRoot, KernelHandle& folder) {
  // The name's own attributes as well as the handle's: where the system opens a link's target
  // in spite of the flag (Wine does), only the name shows the link.
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Refused(FileRefusal::kNoFolder)
                                                                         : Failed(error);
  }
  if (!isRoot && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return Refused(FileRefusal::kLink);
  folder.reset(CreateFileA(path, READ_CONTROL | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!folder) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Refused(FileRefusal::kNoFolder)
                                                                         : Failed(error);
  }
  BY_HANDLE_FILE_INFORMATION information = {};
  if (!GetFileInformationByHandle(folder.get(), &information)) return Failed(GetLastError());
  // A drive's root is the volume itself: where the system maps a drive to a folder it may show
  // the root as a link, which no user can make it.
  if (!isRoot && (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return Refused(FileRefusal::kLink);
  }
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return Refused(FileRefusal::kExists);
  return {};
}

FileStatus CheckFolder(HANDLE folder, DWORD forbidden, const TrustedAccounts& trusted) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error = GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                      &owner, nullptr, &dacl, nullptr, &descriptor);
  if (error != ERROR_SUCCESS) return Failed(error);
  FileStatus status;
  if (!trusted.Trusts(owner)) {
    status = Refused(FileRefusal::kForeign);
  } else if (OthersMay(dacl, forbidden, trusted)) {
    status = Refused(FileRefusal::kOthersMayChange);
  }
  LocalFree(descriptor);
  return status;
}

// The length of the drive part "X:\" of an absolute local path; 0 for any other path.
std::size_t DriveRootLength(const char* path) {
  const bool letter = (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
  return letter && path[1] == ':' && path[2] == '\\' ? 3 : 0;
}

// Whether every component of a relative path names a folder by itself: none empty, "." or
// "..", which the system would resolve to another folder than the one checked, and no "/".
bool HasPlainComponents(const char* rest) {
  if (std::strchr(rest, '/') != nullptr) return false;
  while (*rest != '\0') {
    const char* end = std::strchr(rest, '\\');
    const std::size_t size = end == nullptr ? std::strlen(rest) : static_cast<std::size_t>(end - rest);
    if (size == 0 || (size == 1 && rest[0] == '.') || (size == 2 && rest[0] == '.' && rest[1] == '.')) return false;
    rest += size + (end == nullptr ? 0 : 1);
  }
  return true;
}

// Opens the file at `path` as itself for deletion and marks it to go when closed.
bool RemoveEntry(const TextString& path) {
  const KernelHandle entry(CreateFileA(path, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!entry) return GetLastError() == ERROR_FILE_NOT_FOUND;
  FILE_DISPOSITION_INFO remove = {TRUE};
  return SetFileInformationByHandle(entry.get(), FileDispositionInfo, &remove, sizeof remove) != FALSE;
}

}  // namespace

FileStatus TrustedFolder::Open(const char* path) {
  held_.clear();
  failedAt_ = path;
  std::size_t length = std::strlen(path);
  const std::size_t root = DriveRootLength(path);
  if (length > root && path[length - 1] == '\\') --length;  // "C:\X\" is "C:\X"
  path_ = TextString(path).Left(static_cast<int>(length));
  if (root == 0 || !HasPlainComponents(path_.c_str() + root)) {
    return Refused(FileRefusal::kNoFolder);
  }
  const TrustedAccounts trusted;
  SddlSecurity security(kPrivateFolder);
  if (security.get() == nullptr) return Failed(GetLastError());
  std::vector<KernelHandle> held;
  // Each folder on the way ends at a separator after the root, the last at the path's end.
  for (std::size_t end = root; end <= length; ++end) {
    if (end != root && end != length && path[end] != '\\') continue;
    const bool isRoot = end == root;
    failedAt_ = path_.Left(static_cast<int>(end));
    KernelHandle folder;
    FileStatus status = HoldFolder(failedAt_, isRoot, folder);
    bool made = false;
    if (status.refusal == FileRefusal::kNoFolder && !isRoot) {
      if (!CreateDirectoryA(failedAt_, security.get()) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return Failed(GetLastError());
      }
      made = true;
      status = HoldFolder(failedAt_, false, folder);
    }
    if (!status.ok()) return status;
    status = CheckFolder(folder.get(), end == length || made ? kWriteRights : kReplaceRights, trusted);
    if (!status.ok()) return status;
    held.push_back(std::move(folder));
  }
  failedAt_ = "";
  held_ = std::move(held);
  return {};
}

TextString TrustedFolder::Refusal(const FileStatus& status) const {
  return failedAt_.IsEmpty() ? status.Reason() : failedAt_ + ": " + status.Reason();
}

void TrustedFolder::RemoveFiles(bool (*matches)(const char* name)) const {
  if (!IsOpen()) return;
  WIN32_FIND_DATAA found = {};
  const FileSearch search(FindFirstFileA(path_ + "\\*", &found));
  if (!search) return;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && matches(found.cFileName)) {
      RemoveEntry(path_ + "\\" + found.cFileName);
    }
  } while (FindNextFileA(search.get(), &found));
}

bool TrustedFolder::RemoveFile(const char* name) const { return IsOpen() && RemoveEntry(path_ + "\\" + name); }

TextString AgentStateFolder() {
  // Where the system keeps its program data folder (%SystemDrive%\ProgramData, expanded by the
  // call): the shell's folder functions would bring in a library of their own.
  char data[MAX_PATH] = {};
  DWORD size = sizeof data;
  if (RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", "ProgramData",
                   RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
    return "";
  }
  return TextString(data) + "\\Velmora\\Tarn Configuration Agent";
}
