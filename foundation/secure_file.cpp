#include "foundation/secure_file.h"

#include <cstring>
#include <vector>

#include "foundation/sddl_security.h"

namespace {

// Protected access lists, so nothing is inherited from a folder a user may have made.
constexpr char kAdministratorsFile[] = "D:P(A;;FA;;;SY)(A;;FA;;;BA)";
constexpr char kUsersReadFile[] = "D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FR;;;BU)";
constexpr int kTemporaryNameTries = 8;

FileStatus Failed(DWORD error) { return {FileRefusal::kFailed, error}; }
FileStatus Refused(FileRefusal refusal) { return {refusal, 0}; }

bool IsLinkAttributes(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// The folder part of a path, without its last separator; "." for a bare name.
TextString FolderOf(const char* path) {
  const char* slash = std::strrchr(path, '\\');
  const char* forward = std::strrchr(path, '/');
  if (forward != nullptr && (slash == nullptr || forward > slash)) slash = forward;
  if (slash == nullptr) return ".";
  TextString folder(path);
  // A drive's root keeps its separator: "C:" alone is the drive's current folder.
  const int length = static_cast<int>(slash - path);
  return folder.Left(length == 0 || path[length - 1] == ':' ? length + 1 : length);
}

// Opens the folder `path` lies in, refusing a link or junction, and holds it without delete
// sharing: while it is held, nobody can rename it or put a junction in its place.
FileStatus HoldFolderOf(const char* path, KernelHandle& folder) {
  const FileStatus status = OpenFolderItself(FolderOf(path), FILE_READ_ATTRIBUTES, false, folder);
  if (status.refusal == FileRefusal::kLink) return Refused(FileRefusal::kFolderLink);
  if (status.refusal == FileRefusal::kExists) return Refused(FileRefusal::kNoFolder);
  return status;
}

// What stands at a name that could not be created: a link (one whose target is missing reads
// as nothing at all) or anything else.
FileRefusal WhatExistsAt(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  if (IsLinkAttributes(attributes)) return FileRefusal::kLink;
  if (attributes != INVALID_FILE_ATTRIBUTES) return FileRefusal::kExists;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileRefusal::kLink : FileRefusal::kExists;
}

// A name that reads as nothing yet cannot be made new is a link whose target is missing (where
// the system does not show links as such, as Wine does not). The file the test makes when the
// name is free goes again as it is closed.
bool IsDanglingLink(const char* path) {
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES || GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  const KernelHandle probe(CreateFileA(path, DELETE, 0, nullptr, CREATE_NEW,
                                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  const DWORD error = GetLastError();
  return !probe && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
}

FileStatus WriteAll(HANDLE file, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = size > 0x100000 ? 0x100000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) return Failed(GetLastError());
    bytes += written;
    size -= written;
  }
  if (!FlushFileBuffers(file)) return Failed(GetLastError());
  return {};
}


// Gives the open file `file` the name `path`, in the same folder, by its handle: what is moved
// is the file written, whatever happens to names meanwhile. A link at `path` is replaced, never
// followed.
FileStatus RenameOpenFile(HANDLE file, const char* path, bool replace) {
  // A full path: how a relative one is read differs between the system's layers.
  char full[MAX_PATH] = {};
  const DWORD fullLength = GetFullPathNameA(path, MAX_PATH, full, nullptr);
  if (fullLength == 0 || fullLength >= MAX_PATH) return Failed(fullLength == 0 ? GetLastError() : ERROR_FILENAME_EXCED_RANGE);
  const int length = MultiByteToWideChar(CP_ACP, 0, full, -1, nullptr, 0);
  if (length <= 0) return Failed(GetLastError());
  std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + static_cast<std::size_t>(length) * sizeof(WCHAR));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = replace ? TRUE : FALSE;
  rename->FileNameLength = static_cast<DWORD>(length - 1) * sizeof(WCHAR);
  MultiByteToWideChar(CP_ACP, 0, full, -1, rename->FileName, length);
  if (!SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()))) {
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return Refused(WhatExistsAt(path));
    return Failed(error);
  }
  return {};
}

}  // namespace

TextString FileStatus::Reason() const {
  TextString reason;
  switch (refusal) {
    case FileRefusal::kNone: reason = "it was written"; break;
    case FileRefusal::kExists: reason = "something of that name is there already"; break;
    case FileRefusal::kLink: reason = "it is a link or junction"; break;
    case FileRefusal::kFolderLink: reason = "its folder is a link or junction"; break;
    case FileRefusal::kNoFolder: reason = "its folder is missing"; break;
    case FileRefusal::kForeign: reason = "another account made it"; break;
    case FileRefusal::kOthersMayChange: reason = "other accounts may change it"; break;
    case FileRefusal::kNotOnDisk: reason = "it is no file on a disk"; break;
    case FileRefusal::kFailed: reason.Format("error %lu", error); break;
  }
  return reason;
}

FileStatus CreateNewFile(const char* path, FileReaders readers, DWORD access, KernelHandle& file) {
  KernelHandle folder;
  const FileStatus held = HoldFolderOf(path, folder);
  if (!held.ok()) return held;
  SddlSecurity security(readers == FileReaders::kUsers ? kUsersReadFile : kAdministratorsFile);
  if (security.get() == nullptr) return Failed(GetLastError());
  // CREATE_NEW with the link itself opened: a link of that name, dangling or not, makes it fail
  // rather than create the file where the link leads.
  file.reset(CreateFileA(path, access, FILE_SHARE_READ, security.get(), CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (file) return {};
  const DWORD error = GetLastError();
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return Refused(WhatExistsAt(path));
  return Failed(error);
}

FileStatus WriteNewFile(const char* path, const void* data, std::size_t size, FileReaders readers) {
  KernelHandle file;
  FileStatus status = CreateNewFile(path, readers, GENERIC_WRITE | DELETE, file);
  if (status.ok()) status = WriteAll(file.get(), data, size);
  if (file && !status.ok()) RemoveOnClose(file.get());
  return status;
}

FileStatus WriteWholeFile(const char* path, const void* data, std::size_t size, FileReaders readers, bool replace) {
  if (replace) {
    // Replacing a link would never write where it leads, but whoever planted it meant harm.
    const DWORD attributes = GetFileAttributesA(path);
    if (IsLinkAttributes(attributes) || IsDanglingLink(path)) return Refused(FileRefusal::kLink);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return Refused(FileRefusal::kExists);
    }
  }
  KernelHandle file;
  TextString temporary;
  FileStatus status;
  for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    temporary.Format("%s.%lx-%x.tmp", path, GetCurrentProcessId(), static_cast<unsigned>(GetTickCount() + attempt));
    status = CreateNewFile(temporary, readers, GENERIC_WRITE | DELETE, file);
    if (status.refusal != FileRefusal::kExists && status.refusal != FileRefusal::kLink) break;
  }
  if (!status.ok()) return status;
  status = WriteAll(file.get(), data, size);
  if (status.ok()) status = RenameOpenFile(file.get(), path, replace);
  if (!status.ok()) RemoveOnClose(file.get());
  return status;
}

FileStatus OpenFolderItself(const char* path, DWORD access, bool isRoot, KernelHandle& folder) {
  // The name's own attributes as well as the handle's: where the system opens a link's target
  // in spite of the flag (Wine does), only the name shows the link.
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Refused(FileRefusal::kNoFolder)
                                                                         : Failed(error);
  }
  // A drive's root is the volume itself: where the system maps a drive to a folder it may show
  // the root as a link, which no user can make it.
  if (!isRoot && IsLinkAttributes(attributes)) return Refused(FileRefusal::kLink);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return Refused(FileRefusal::kExists);
  folder.reset(CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!folder) return Failed(GetLastError());
  BY_HANDLE_FILE_INFORMATION information = {};
  if (!GetFileInformationByHandle(folder.get(), &information)) return Failed(GetLastError());
  if (!isRoot && IsLinkAttributes(information.dwFileAttributes)) return Refused(FileRefusal::kLink);
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return Refused(FileRefusal::kExists);
  return {};
}

bool RemoveOnClose(HANDLE file) {
  FILE_DISPOSITION_INFO remove = {TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &remove, sizeof remove) != FALSE;
}

FileStatus OpenOutsideFile(const char* path, DWORD share, KernelHandle& file, bool refuseLink) {
  // The link itself is opened, and its name looked at before and after: where the system opens
  // a link's target in spite of the flag (Wine does), only the name shows the link.
  if (refuseLink && IsLinkAttributes(GetFileAttributesA(path))) return Refused(FileRefusal::kLink);
  // Identification only: a pipe server at that name may learn who opened it, not act as it.
  file.reset(CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION |
                             (refuseLink ? FILE_FLAG_OPEN_REPARSE_POINT : 0),
                         nullptr));
  if (!file) return Failed(GetLastError());
  if (GetFileType(file.get()) != FILE_TYPE_DISK) {
    file.reset();
    return Refused(FileRefusal::kNotOnDisk);
  }
  if (refuseLink) {
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!GetFileInformationByHandle(file.get(), &information)) {
      const DWORD error = GetLastError();
      file.reset();
      return Failed(error);
    }
    if (IsLinkAttributes(information.dwFileAttributes) || IsLinkAttributes(GetFileAttributesA(path))) {
      file.reset();
      return Refused(FileRefusal::kLink);
    }
  }
  return {};
}
