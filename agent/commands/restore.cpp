// LC_RESTORE: the legacy installation's uninstall scripts put back; always 0.
#include "agent/commands/commands.h"
#include "uninstall_scripts/uninstall_restore.h"

ResultCode RestoreUninstall(CommandRun& run, const char*) {
  RestoreLegacyUninstall(run.module);
  return kResultSuccess;
}
