#include "foundation/trusted_folder.h"

#include <aclapi.h>

#include <cstring>

#include "foundation/sddl_security.h"

namespace {

constexpr char kPrivateFolder[] = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
constexpr DWORD kHoldAccess = READ_CONTROL | FILE_READ_ATTRIBUTES;  // its owner and access list
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

// Opens the file at `path` as itself for deletion and marks it to go when closed.
bool RemoveEntry(const TextString& path) {
  const KernelHandle entry(CreateFileA(path, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!entry) return GetLastError() == ERROR_FILE_NOT_FOUND;
  return RemoveOnClose(entry.get());
}

}  // namespace

const char* WhyNotLocalFolder(const char* path) {
  if (path[0] == '\\' && path[1] == '\\') return "it names a share or a device, not a folder on a local drive";
  const bool drive = ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':';
  if (!drive || path[2] != '\\') return "it is no absolute path of the form X:\\...";
  for (const char* c = path + 2; *c != '\0'; ++c) {
    if (static_cast<unsigned char>(*c) < 0x20 || std::strchr("<>:\"|?*/", *c) != nullptr) {
      return "it holds a character no folder name may hold";
    }
  }
  for (const char* part = path + 3; *part != '\0';) {
    const std::size_t size = std::strcspn(part, "\\");
    if (size == 2 && part[0] == '.' && part[1] == '.') return "it has a .. component";
    if (size == 0 || (size == 1 && part[0] == '.')) return "it has an empty or . component";
    part += size;
    if (*part != '\0') ++part;
  }
  return nullptr;
}

FileStatus TrustedFolder::Open(const char* path) {
  held_.clear();
  failedAt_ = path;
  if (WhyNotLocalFolder(path) != nullptr) return Refused(FileRefusal::kNoFolder);
  constexpr std::size_t root = 3;  // "X:\"
  std::size_t length = std::strlen(path);
  if (length > root && path[length - 1] == '\\') --length;  // "C:\X\" is "C:\X"
  path_ = TextString(path).Left(static_cast<int>(length));
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
    FileStatus status = OpenFolderItself(failedAt_, kHoldAccess, isRoot, folder);
    bool made = false;
    if (status.refusal == FileRefusal::kNoFolder && !isRoot) {
      if (!CreateDirectoryA(failedAt_, security.get()) && GetLastError() != ERROR_ALREADY_EXISTS) {
        return Failed(GetLastError());
      }
      made = true;
      status = OpenFolderItself(failedAt_, kHoldAccess, false, folder);
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
      RemoveEntry(PathOf(found.cFileName));
    }
  } while (FindNextFileA(search.get(), &found));
}

bool TrustedFolder::RemoveFile(const char* name) const { return IsOpen() && RemoveEntry(PathOf(name)); }

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
