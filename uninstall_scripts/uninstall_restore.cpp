#include "uninstall_scripts/uninstall_restore.h"

#include <windows.h>

#include "resources/message_ids.h"
#include "foundation/messages.h"
#include "foundation/secure_file.h"
#include "foundation/settings_key.h"
#include "foundation/trace_log.h"

namespace {

constexpr const char* kUninstallKeys[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvane Lumicor",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Ostrander's Lumicor",
};

constexpr char kSetupProgram[] = "SETUP.EXE";
constexpr char kTolvrName[] = "TOLVR.INI";
constexpr char kTolvrSilName[] = "TOLVRSIL.INI";
constexpr int kHighestLogNumber = 9;
constexpr UINT kWindowsDirectorySize = MAX_PATH;
// The longest name put after the product directory is TOLVRSIL.INI; the install logs
// (DEISLn.ISU) are shorter.
constexpr int kLongestDirectory = MAX_PATH - 1 - static_cast<int>(sizeof(kTolvrSilName) - 1);

bool FileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// The directory of the product's SETUP.EXE, as the uninstall string names it (a leading quote
// stays). The string comes from another program's key: a directory whose script paths would
// not fit the path limit is refused, since a cut path could name another file.
bool ProductDirectoryOf(const char* keyPath, TextString& directory) {
  if (!MachineKeyExists(keyPath)) return false;
  TextString uninstall;
  if (!ReadMachineString(keyPath, "UninstallString", uninstall)) return false;
  uninstall.MakeUpper();
  const int position = uninstall.Find(kSetupProgram);
  if (position <= 0) return false;
  if (position > kLongestDirectory) {
    TraceStatus("LC_RESTORE directory of %d characters refused: at most %d are allowed.\n", position,
                kLongestDirectory);
    return false;
  }
  directory = uninstall.Left(position);
  return true;
}

// The highest n from 9 down to 0 for which the directory holds DEISLn.ISU.
bool FindInstallLog(const TextString& directory, int& logNumber) {
  for (int n = kHighestLogNumber; n >= 0; --n) {
    TextString log;
    log.Format("%sDEISL%d.ISU", directory.c_str(), n);
    if (FileExists(log)) {
      logNumber = n;
      return true;
    }
  }
  return false;
}

}  // namespace

void RestoreUninstallScript(HMODULE messages, TextString productDirectory, UninstallScript variant) {
  const bool tolvr = variant == UninstallScript::kTolvr;
  TextString scriptTemplate;
  LoadMessage(messages, tolvr ? IDS_TOLVR_TEMPLATE : IDS_TOLVRSIL_TEMPLATE, scriptTemplate);

  char windowsDirectory[kWindowsDirectorySize] = {};
  const UINT length = GetWindowsDirectoryA(windowsDirectory, kWindowsDirectorySize);
  if (length == 0 || length >= kWindowsDirectorySize) return;

  int logNumber = 0;
  if (!FindInstallLog(productDirectory, logNumber)) return;

  // The directory is only ever an argument: a percent sign in it stays as it is.
  const char* directory = productDirectory.c_str();
  TextString script;
  if (tolvr) {
    script.Format(scriptTemplate, directory, directory, windowsDirectory, directory, logNumber);
  } else {
    script.Format(scriptTemplate, windowsDirectory, directory, logNumber);
  }

  // The uninstaller reads CR LF lines.
  script.Replace("\n", "\r\n");
  const TextString path = productDirectory + (tolvr ? kTolvrName : kTolvrSilName);
  // The folder may be one users can write: the script is made new, never through a link a user
  // left there, and only administrators may change it, since the uninstaller runs its CmdProg.
  const FileStatus written =
      WriteNewFile(path, script.c_str(), static_cast<std::size_t>(script.Length()), FileReaders::kUsers);
  if (!written.ok()) {
    TraceStatus("LC_RESTORE did not write %s: %s.\n", path.c_str(), written.Reason().c_str());
    return;
  }
  TraceStatus("LC_RESTORE Replaced %s\n", path.c_str());
}

void RestoreLegacyUninstall(HMODULE messages) {
  for (const char* keyPath : kUninstallKeys) {
    TextString directory;
    if (!ProductDirectoryOf(keyPath, directory)) continue;
    if (!FileExists(directory + kTolvrName)) RestoreUninstallScript(messages, directory, UninstallScript::kTolvr);
    if (!FileExists(directory + kTolvrSilName)) RestoreUninstallScript(messages, directory, UninstallScript::kTolvrSil);
  }
}
