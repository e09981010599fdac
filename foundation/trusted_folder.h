// Folders the agent keeps its own files in (script copies, undo points): what it reads back
// from them as SYSTEM must be what it wrote there, and what it removes there must be its own.
// So before anything in such a folder is used, every folder on the way from the drive's root
// is checked:
// - none is a link or junction;
// - each belongs to SYSTEM, Administrators, TrustedInstaller or the agent's own account, so a
//   user cannot have made it in advance;
// - nobody else may delete, rename or re-permit anything in it (folders above may let users
//   add folders of their own, as C:\ and C:\ProgramData do: a folder a user adds belongs to
//   that user and fails the owner check);
// - the folder itself, and every folder the agent makes on the way, lets nobody else write.
// Missing folders are made for SYSTEM and Administrators only. Each folder on the way stays
// open without delete sharing while the object lives, so none can be renamed or replaced
// between the check and the use.
#pragma once

#include <vector>

#include "foundation/secure_file.h"
#include "foundation/text_string.h"
#include "foundation/unique_handle.h"

class TrustedFolder {
 public:
  TrustedFolder() = default;
  TrustedFolder(TrustedFolder&&) = default;
  TrustedFolder& operator=(TrustedFolder&&) = default;

  // Checks, makes and holds the folder `path`, which WhyNotLocalFolder accepts. On a refusal,
  // failedAt() names the folder that was refused.
  FileStatus Open(const char* path);
  bool IsOpen() const { return !held_.empty(); }
  const TextString& path() const { return path_; }
  const TextString& failedAt() const { return failedAt_; }
  // "C:\X: it is a link or junction", for a status line.
  TextString Refusal(const FileStatus& status) const;

  // Removes the files of the folder whose names `matches` accepts, each opened as itself (a
  // link is removed, never followed) and removed through that handle. A file another handle
  // holds without delete sharing stays, and nothing is waited for.
  void RemoveFiles(bool (*matches)(const char* name)) const;
  // Removes the file `name` of the folder the same way: true when it is gone.
  bool RemoveFile(const char* name) const;
  // The path of `name` in the folder.
  TextString PathOf(const char* name) const { return path_ + "\\" + name; }

 private:
  std::vector<KernelHandle> held_;  // from the drive's root down to the folder
  TextString path_;
  TextString failedAt_;
};

// Why `path` is no absolute folder path on a local drive (X:\...) whose every component names
// a folder by itself, or null when it is one. A share or a device is no place for files only
// this machine's administrators may use; an empty, "." or ".." component would have the system
// resolve another folder than the one checked.
const char* WhyNotLocalFolder(const char* path);

// The agent's own folder below the machine's program data folder (C:\ProgramData\Velmora\Tarn
// Configuration Agent); empty when the system does not say where that is.
TextString AgentStateFolder();
