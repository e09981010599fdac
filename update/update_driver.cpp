#include "update/update_driver.h"

#include <windows.h>

#include "foundation/trace_log.h"
#include "update/record_updates.h"
#include "update/script_readers.h"
#include "update/update_kind.h"

namespace {

ResultCode RunRecordUpdates(UpdateContext& run, const char* updateType) {
  UpdateKind kind = UpdateKind::kOAS;
  const bool known = FindUpdateKind(updateType, kind);
  if (run.tally != nullptr) InterlockedExchange(&run.tally->kind, known ? static_cast<LONG>(kind) + 1 : kTallyNoKind);
  if (known && run.undo != nullptr) run.undo->SetKind(kind);
  if (!known) {
    // A script that names no known type (or none at all) has changed nothing: no success.
    TraceStatus("Update type \"%s\" is none of OAS, ODS and SCHEDULE: nothing was updated.\n", updateType);
    return kResultUnknownUpdateType;
  }
  switch (kind) {
    case UpdateKind::kOAS: {
      TraceStatus("Updating On Access Scanner Data.\n");
      const ResultCode result = UpdateGeneralRecord(run);
      return result != kResultSuccess ? result : UpdateOASTask(run);
    }
    case UpdateKind::kODS: {
      TraceStatus("Updating On Demand Scanner Data.\n");
      const ResultCode result = UpdateGeneralRecord(run);
      return result != kResultSuccess ? result : UpdateODSTask(run);
    }
    case UpdateKind::kSchedule:
      TraceStatus("Updating Schedule Data.\n");
      return UpdateScheduledTasks(run);
  }
  return kResultUnknownUpdateType;  // every kind is handled above
}

}  // namespace

ResultCode ApplyUpdateScript(UpdateContext& run) {
  char updateType[kScriptTextBufferSize];
  GetPrivateProfileStringA("TARNUPDATE", "UpdateType", "UNKNOWN", updateType, kScriptTextBufferSize,
                           run.scriptPath);
  TraceStatus("UpdateType = %s\n", updateType);
  run.undoPoint = GetPrivateProfileIntA("TARNUPDATE", kUndoPointKey, 0, run.scriptPath) == 1;
  const ResultCode result = RunRecordUpdates(run, updateType);
  // Nothing already handed to the library is taken back; it is just never committed.
  if (result != kResultSuccess) return result;
  if (run.mayCommit && !run.mayCommit()) {
    TraceStatus("The update was given up on: nothing was committed.\n");
    return kResultCommitGivenUp;
  }
  if (run.undo != nullptr) run.undo->BeforeStore();
  run.product->SetOptions();
  TallySet(run.tally, &UpdateTally::committed, 1);
  return kResultSuccess;
}
