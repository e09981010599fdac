// LC_RESTORE: puts back the uninstall scripts of the product's legacy installation when they
// have gone missing, so that its uninstaller can still run.
#pragma once

#include <windows.h>

#include "foundation/text_string.h"

enum class UninstallScript {
  kTolvr,     // TOLVR.INI: runs the product's own SETUP.EXE, with the system uninstaller as fallback
  kTolvrSil,  // TOLVRSIL.INI: runs the system uninstaller silently
};

// Looks at the two legacy uninstall keys, each on its own, and writes whichever script is
// missing beside the SETUP.EXE their UninstallString names. The templates are strings of
// `messages`.
void RestoreLegacyUninstall(HMODULE messages);

// Writes one script into `productDirectory` (ending in a backslash, upper case), taking the
// highest install log DEISL9.ISU .. DEISL0.ISU found there. Writes nothing when there is no
// log. The caller has refused directories too long for the script's path.
void RestoreUninstallScript(HMODULE messages, TextString productDirectory, UninstallScript variant);
