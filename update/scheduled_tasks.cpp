#include <cstring>

#include "foundation/trace_log.h"
#include "update/record_tables.h"
#include "update/record_updates.h"
#include "update/script_readers.h"

ResultCode UpdateTask(UpdateContext& run, DWORD kind) {
  const bool update = kind == kTaskKindUpdate;
  const ResultCode notFound = update ? kResultUpdateTaskNotFound : kResultUpgradeTaskNotFound;

  const int count = run.product->GetTaskCount();
  TraceStatus("Get Task Count = %d\n", count);
  TaskRecord task;
  int found = -1;
  for (int i = 0; i < count && found < 0; ++i) {
    // Zeroed each time, so no byte of an earlier task can go back under this index.
    std::memset(&task, 0, sizeof task);
    if (run.product->GetTask(&task, static_cast<DWORD>(i)) && TaskKindOf(task) == kind) found = i;
  }
  if (found < 0) return notFound;

  ApplyFields(run, task.bytes, update ? UpdateTaskFields : UpgradeTaskFields, kAreaAgentCopy);
  if (run.undo != nullptr) run.undo->BeforeStore();
  if (!run.product->SetTask(task, static_cast<DWORD>(found))) return notFound;
  TallySet(run.tally, &UpdateTally::tasksStored, update ? kTallyUpdateTask : kTallyUpgradeTask);
  return kResultSuccess;
}

ResultCode UpdateScheduledTasks(UpdateContext& run) {
  const int console = run.product->OpenConsole();
  TraceStatus("AvSync_GetIFace AVSIF_AVCONSOL returned %d\n", console);
  if (console != kGetIFaceOk) return kResultConsoleRefused;

  ResultCode result = UpdateTask(run, kTaskKindUpdate);
  if (result == kResultSuccess) result = UpdateTask(run, kTaskKindUpgrade);

  TraceStatus("Releasing AvSync_GetIFace AVSIF_AVCONSOL\n");
  run.product->ReleaseConsole();
  return result;
}
