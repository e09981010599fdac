// Files the agent creates or reads where others can reach. It runs as SYSTEM (or an
// administrator runs its tools), so a link or junction that a user planted on the way, a
// name taken in advance, or a pipe in place of a file would have it act for that user:
// - files it creates are new, made in a folder that is no link, never through a link
//   themselves, with their own access list instead of the folder's inherited one;
// - files it reads from outside are opened once, allowing a pipe server identification only,
//   and must be files on a disk.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

#include "foundation/text_string.h"
#include "foundation/unique_handle.h"

// Why a file was not created or opened; kNone when it was.
enum class FileRefusal : int {
  kNone = 0,
  kExists,      // a file or folder of that name is there already
  kLink,        // the name is a link or junction
  kFolderLink,  // the folder it lies in is a link or junction
  kNoFolder,    // the folder it lies in is missing or no folder
  kForeign,     // an existing folder that another account made
  kOthersMayChange,  // a folder whose access list lets other accounts change it
  kNotOnDisk,   // a device, pipe or console, not a file on a disk
  kFailed,      // the system refused: `error` says why
};

struct FileStatus {
  FileRefusal refusal = FileRefusal::kNone;
  DWORD error = 0;  // the system's error number with kFailed

  bool ok() const { return refusal == FileRefusal::kNone; }
  // The reason for a status line, to follow a colon: "it is a link or junction".
  TextString Reason() const;
};

// Reads `file` from where it stands to its end, in chunks, each handed to `take`, which says
// whether it kept it.
template <typename Take>
FileStatus ReadInChunks(HANDLE file, Take take) {
  constexpr DWORD kChunk = 64 * 1024;
  std::unique_ptr<char[]> buffer(new char[kChunk]);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, buffer.get(), kChunk, &read, nullptr)) return {FileRefusal::kFailed, GetLastError()};
    if (read == 0) return {};
    if (!take(buffer.get(), read)) return {FileRefusal::kFailed, GetLastError()};
  }
}

// The rest of `file` as bytes.
inline FileStatus ReadToEnd(HANDLE file, std::string& bytes) {
  bytes.clear();
  return ReadInChunks(file, [&bytes](const char* chunk, DWORD size) {
    bytes.append(chunk, size);
    return true;
  });
}

// Who may read what the agent creates: SYSTEM and Administrators always have full control.
enum class FileReaders {
  kAdministrators,  // no one else
  kUsers,           // local users read it too
};

// Creates `path` as a new file, opened with `access` and shared for reading only. Refused when
// anything of that name exists (a dangling link included) or the folder is a link.
FileStatus CreateNewFile(const char* path, FileReaders readers, DWORD access, KernelHandle& file);

// Creates `path` as CreateNewFile does and writes `size` bytes into it; a file that could not
// be written whole is removed again.
FileStatus WriteNewFile(const char* path, const void* data, std::size_t size, FileReaders readers);

// Writes `size` bytes as the whole of `path`: a new file under a temporary name in the same
// folder, moved into place once complete, so `path` never holds half a file. With `replace`,
// an existing file of that name is replaced (a link there is refused, never followed); without,
// an existing name is refused.
FileStatus WriteWholeFile(const char* path, const void* data, std::size_t size, FileReaders readers, bool replace);

// Opens the folder at `path` as itself (a link is opened, never followed) with `access`, held
// without delete sharing, so that nobody can rename or replace it while it is held. A link is
// kLink (except at a drive's root, `isRoot`), anything but a folder kExists, nothing kNoFolder.
FileStatus OpenFolderItself(const char* path, DWORD access, bool isRoot, KernelHandle& folder);

// Marks an open file (opened with DELETE) to go when its last handle closes: what goes is the
// file that handle holds, whatever happens to names meanwhile.
bool RemoveOnClose(HANDLE file);

// Opens a path that comes from outside for reading, sharing with `share` only, allowing a pipe
// server identification, never impersonation; refused unless it is a file on a disk. With
// `refuseLink`, a name that is a link is refused (kLink) rather than followed.
FileStatus OpenOutsideFile(const char* path, DWORD share, KernelHandle& file, bool refuseLink = false);
