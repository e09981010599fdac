#include "ods_task.h"

#include "script_readers.h"
#include "sync_library.h"
#include "sync_loader.h"
#include "trace_log.h"

ResultCode UpdateODSTask() {
  // Only for the list operations: the task itself comes from the console.
  OptionsBlock block{};
  DWORD size = 0;
  if (!ManagementPort.GetOptions(&block, &size)) return kResultGetOptionsFailed;

  const int console = AvSyncGetIFace(AVSIF_AVCONSOL, &AvConsole);
  TraceStatus("AvSync_GetIFace AVSIF_AVCONSOL returned %d\n", console);
  // Any result but 0 may have left the table unfilled: call nothing of it, release nothing.
  if (console != kGetIFaceOk) return kResultGetIFaceFailed;

  ResultCode result = kResultSuccess;
  ODSTaskRecord task{};
  if (AvConsole.GetODSTask(&task)) {
    TraceStatus("ODS Task Ptr = %p\n", static_cast<void*>(&task));
    ApplyFields(task.bytes, ODSTaskFields, kAreaAgentCopy);
    for (const ItemListRow& list : ODSTaskLists) {
      AddToList(block, list.listId, list.section, list.stem, task.bytes);
    }
    AvConsole.SetODSTask(&task);
  } else {
    // Nothing of the script reached the product: that is no success, and without one the
    // driver does not commit the general record either.
    result = kResultGetOptionsFailed;
  }
  AvConsole.ReleaseIFace();
  return result;
}
