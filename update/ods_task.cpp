#include "ods_task.h"

#include "trace_log.h"

ResultCode UpdateODSTask() {
  // PENDING: the on-demand scan task is not updated yet; this must not report success until it is.
  TraceStatus("UpdateODSTask is not built yet.\n");
  return kResultBadCommandLine;
}
