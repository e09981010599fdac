#include "update/update_driver.h"

#include <windows.h>

#include "foundation/trace_log.h"
#include "update/record_updates.h"
#include "update/script_readers.h"

namespace {

// Names matched in any letter case; the system's C runtime compares in its "C" locale.
bool SameWord(const char* text, const char* word) { return _stricmp(text, word) == 0; }

ResultCode RunRecordUpdates(UpdateContext& run, const char* updateType) {
  if (SameWord(updateType, "OAS")) {
    TraceStatus("Updating On Access Scanner Data.\n");
    const ResultCode result = UpdateGeneralRecord(run);
    return result != kResultSuccess ? result : UpdateOASTask(run);
  }
  if (SameWord(updateType, "ODS")) {
    TraceStatus("Updating On Demand Scanner Data.\n");
    const ResultCode result = UpdateGeneralRecord(run);
    return result != kResultSuccess ? result : UpdateODSTask(run);
  }
  if (SameWord(updateType, "SCHEDULE")) {
    TraceStatus("Updating Schedule Data.\n");
    return UpdateScheduledTasks(run);
  }
  // A script that names no known type (or none at all) has changed nothing: no success.
  TraceStatus("Update type \"%s\" is none of OAS, ODS and SCHEDULE: nothing was updated.\n", updateType);
  return kResultBadCommandLine;
}

}  // namespace

ResultCode ApplyUpdateScript(UpdateContext& run) {
  char updateType[kScriptTextBufferSize];
  GetPrivateProfileStringA("TARNUPDATE", "UpdateType", "UNKNOWN", updateType, kScriptTextBufferSize,
                           run.scriptPath);
  TraceStatus("UpdateType = %s\n", updateType);
  const ResultCode result = RunRecordUpdates(run, updateType);
  // Nothing already handed to the library is taken back; it is just never committed.
  if (result != kResultSuccess) return result;
  if (run.mayCommit && !run.mayCommit()) {
    TraceStatus("The update was given up on: nothing was committed.\n");
    return kResultTimedOut;
  }
  run.product->SetOptions();
  return kResultSuccess;
}
