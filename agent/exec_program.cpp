#include "exec_program.h"

ResultCode ExecProgram() {
  // PENDING: the exec command is not built yet; it must not report success until it is.
  return kResultInstallerFailed;
}
