#include "oas_record.h"

#include "script_readers.h"
#include "sync_library.h"
#include "sync_loader.h"
#include "trace_log.h"

ResultCode UpdateOASTask() {
  OptionsBlock block{};
  DWORD size = 0;
  if (!ManagementPort.GetOptions(&block, &size)) return kResultGetOptionsFailed;
  if (size != kOptionsAreaSize) {
    // The offsets below hold for that one size only: write nothing into another layout.
    TraceStatus("AV Data Size = %d Tarn Data Size = %d\n", static_cast<int>(size), static_cast<int>(kOptionsAreaSize));
    return kResultSizeMismatch;
  }
  BYTE* record = block.oasTaskRecord;
  TraceStatus("OAS Task Ptr = %p\n", static_cast<void*>(record));
  ApplyFields(record, OASTaskFields, kAreaOASTaskRecord);
  const ItemListRow& list = OASExcludedItems;
  AddToList(block, list.listId, list.section, list.stem, record);
  return kResultSuccess;
}
