#include "update_driver.h"

#include <windows.h>

#include <cstring>

#include "general_record.h"
#include "oas_record.h"
#include "ods_task.h"
#include "process_state.h"
#include "scheduled_tasks.h"
#include "script_readers.h"
#include "sync_loader.h"
#include "trace_log.h"

namespace {

// Names matched in any letter case; the system's C runtime compares in its "C" locale.
bool SameWord(const char* text, const char* word) { return _stricmp(text, word) == 0; }

ResultCode RunRecordUpdates(const char* updateType) {
  if (SameWord(updateType, "OAS")) {
    TraceStatus("Updating On Access Scanner Data.\n");
    const ResultCode result = UpdateGeneralRecord();
    return result != kResultSuccess ? result : UpdateOASTask();
  }
  if (SameWord(updateType, "ODS")) {
    TraceStatus("Updating On Demand Scanner Data.\n");
    const ResultCode result = UpdateGeneralRecord();
    return result != kResultSuccess ? result : UpdateODSTask();
  }
  if (SameWord(updateType, "SCHEDULE")) {
    TraceStatus("Updating Schedule Data.\n");
    return UpdateScheduledTasks();
  }
  // A script that names no known type (or none at all) has changed nothing: no success.
  TraceStatus("Update type \"%s\" is none of OAS, ODS and SCHEDULE: nothing was updated.\n", updateType);
  return kResultBadCommandLine;
}

}  // namespace

ResultCode ApplyUpdateScript() {
  char updateType[kScriptTextBufferSize];
  GetPrivateProfileStringA("TARNUPDATE", "UpdateType", "UNKNOWN", updateType, kScriptTextBufferSize, ScriptPath);
  TraceStatus("UpdateType = %s\n", updateType);
  const ResultCode result = RunRecordUpdates(updateType);
  // Nothing already handed to the library is taken back; it is just never committed.
  if (result != kResultSuccess) return result;
  ManagementPort.SetOptions();
  return kResultSuccess;
}
