#include "scheduled_tasks.h"

#include "trace_log.h"

ResultCode UpdateScheduledTasks() {
  // PENDING: the scheduled Update and Upgrade tasks is not updated yet; this must not report success until it is.
  TraceStatus("UpdateScheduledTasks is not built yet.\n");
  return kResultBadCommandLine;
}
