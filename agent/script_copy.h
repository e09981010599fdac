// The update script as the agent held it when LC_UPDATE= was recognised. The profile functions
// open the path they are given on every read, so reading the script by its own path would read
// whatever a user made of that path meanwhile (a folder of it turned into a junction to another
// script, say). They read a private copy instead, made through the handle the agent holds: a
// file only SYSTEM and Administrators can use, in a folder of its own below the Windows temp
// folder, removed when the last copy of the run lets go of it. A run ended by a time-out or a
// fault leaves it behind; the next LC_UPDATE= run removes it.
#pragma once

#include <memory>
#include <string>

#include "foundation/result_codes.h"
#include "foundation/secure_file.h"
#include "foundation/sha256.h"
#include "foundation/text_string.h"
#include "foundation/trusted_folder.h"
#include "foundation/unique_handle.h"

class ScriptCopy {
 public:
  ScriptCopy() = default;
  ~ScriptCopy();
  ScriptCopy(const ScriptCopy&) = delete;
  ScriptCopy& operator=(const ScriptCopy&) = delete;

  // Opens the script at `scriptPath`, sharing reads only, and copies it: 0, or 6 with a status
  // line saying why not; `missing` then says whether the script was not there at all.
  ResultCode Make(const char* scriptPath, bool& missing);
  // The copy's path, for the profile functions.
  const char* path() const { return path_.c_str(); }
  // The SHA-256 of the copy's bytes, read back as the profile functions will read them; false
  // when they cannot be read or hashed (GetLastError says why).
  bool Digest(Sha256Digest& digest);
  // The script as held, to tell whether a path found later names the same file.
  HANDLE script() const { return script_.get(); }
  // Once every key is read: the script itself is free again (the copy stays until the end).
  void LetGoOfScript() { script_.reset(); }

 private:
  KernelHandle script_;  // the script as given: nobody can rewrite or delete it while held
  KernelHandle copy_;    // held for reading: no other run's clean-up can remove it meanwhile
  TrustedFolder folder_;
  TextString name_;  // the copy's name in the folder
  TextString path_;
};

// A file that comes with the script (its signature), held as the script is, sharing reads only,
// a link refused, and read whole through that handle: what is checked is what was held.
FileStatus ReadHeldFile(const char* path, std::string& bytes);
