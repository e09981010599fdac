#include "worker.h"

#include "trace_log.h"

ResultCode RunOnWorker(CommandWord word) {
  // PENDING: the product commands are not built yet; they must not report success until they are.
  TraceStatus("Command %d needs the product library, which this build does not load yet.\n", word);
  return kResultSyncLibraryNotLoaded;
}
