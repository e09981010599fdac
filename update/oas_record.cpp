#include "oas_record.h"

#include "trace_log.h"

ResultCode UpdateOASTask() {
  // PENDING: the on-access scanner record is not updated yet; this must not report success until it is.
  TraceStatus("UpdateOASTask is not built yet.\n");
  return kResultBadCommandLine;
}
