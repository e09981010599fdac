#include "scheduled_tasks.h"

#include <cstring>

#include "sync_library.h"
#include "sync_loader.h"
#include "trace_log.h"

namespace {

DWORD KindOf(const TaskRecord& task) {
  DWORD kind;
  std::memcpy(&kind, task.bytes + kTaskKindOffset, sizeof kind);
  return kind;
}

}  // namespace

ResultCode UpdateTask(DWORD kind) {
  const bool update = kind == kTaskKindUpdate;
  const ResultCode notFound = update ? kResultUpdateTaskNotFound : kResultUpgradeTaskNotFound;

  const int count = AvConsole.GetTaskCount();
  TraceStatus("Get Task Count = %d\n", count);
  TaskRecord task;
  int found = -1;
  for (int i = 0; i < count && found < 0; ++i) {
    // Zeroed each time, so no byte of an earlier task can go back under this index.
    std::memset(&task, 0, sizeof task);
    if (AvConsole.GetTask(&task, static_cast<DWORD>(i)) && KindOf(task) == kind) found = i;
  }
  if (found < 0) return notFound;

  ApplyFields(task.bytes, update ? UpdateTaskFields : UpgradeTaskFields, kAreaAgentCopy);
  return AvConsole.SetTask(task, static_cast<DWORD>(found)) ? kResultSuccess : notFound;
}

ResultCode UpdateScheduledTasks() {
  const int console = AvSyncGetIFace(AVSIF_AVCONSOL, &AvConsole);
  TraceStatus("AvSync_GetIFace AVSIF_AVCONSOL returned %d\n", console);
  if (console != kGetIFaceOk) return kResultBadCommandLine;

  ResultCode result = UpdateTask(kTaskKindUpdate);
  if (result == kResultSuccess) result = UpdateTask(kTaskKindUpgrade);

  TraceStatus("Releasing AvSync_GetIFace AVSIF_AVCONSOL\n");
  AvConsole.ReleaseIFace();
  return result;
}
