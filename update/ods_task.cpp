#include "foundation/trace_log.h"
#include "update/record_tables.h"
#include "update/record_updates.h"
#include "update/script_readers.h"

ResultCode UpdateODSTask(UpdateContext& run) {
  // Only for the list operations: the task itself comes from the console.
  OptionsBlock block{};
  DWORD size = 0;
  if (!run.product->GetOptions(&block, &size)) return kResultGetOptionsFailed;

  const int console = run.product->OpenConsole();
  TraceStatus("AvSync_GetIFace AVSIF_AVCONSOL returned %d\n", console);
  // Any result but 0 may have left the table unfilled: call nothing of it, release nothing.
  if (console != kGetIFaceOk) return kResultGetIFaceFailed;

  ResultCode result = kResultSuccess;
  ODSTaskRecord task{};
  if (run.product->GetODSTask(&task)) {
    TraceStatus("ODS Task Ptr = %p\n", static_cast<void*>(&task));
    ApplyFields(run, task.bytes, ODSTaskFields, kAreaAgentCopy);
    for (const ItemListRow& list : ODSTaskLists) {
      AddToList(run, list.listId, list.section, list.stem, task.bytes);
    }
    if (run.undo != nullptr) run.undo->BeforeStore();
    run.product->SetODSTask(&task);
    TallySet(run.tally, &UpdateTally::tasksStored, kTallyODSTask);
  } else {
    // Nothing of the script reached the product: that is no success, and without one the
    // driver does not commit the general record either.
    result = kResultGetOptionsFailed;
  }
  run.product->ReleaseConsole();
  return result;
}
