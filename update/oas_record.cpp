#include "foundation/trace_log.h"
#include "update/record_tables.h"
#include "update/record_updates.h"
#include "update/script_readers.h"

ResultCode UpdateOASTask(UpdateContext& run) {
  OptionsBlock block{};
  const ResultCode options = GetCheckedOptions(run, block);
  if (options != kResultSuccess) return options;
  BYTE* record = block.oasTaskRecord;
  TraceStatus("OAS Task Ptr = %p\n", static_cast<void*>(record));
  ApplyFields(run, record, OASTaskFields, kAreaOASTaskRecord);
  const ItemListRow& list = OASExcludedItems;
  AddToList(run, list.listId, list.section, list.stem, record);
  return kResultSuccess;
}
