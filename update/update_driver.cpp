#include "update_driver.h"

#include "trace_log.h"

ResultCode ApplyUpdateScript() {
  // PENDING: update scripts are not applied yet; this must not report success until they are.
  TraceStatus("Update scripts are not applied by this build.\n");
  return kResultBadCommandLine;
}
