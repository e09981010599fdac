#include "sync_loader.h"

int GetFileVer(const char*, char*, unsigned int) {
  // PENDING: the installer lookup is not built yet; report the installer failure until it is.
  return kResultInstallerFailed;
}
