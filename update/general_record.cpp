#include "update/record_updates.h"

#include "foundation/trace_log.h"
#include "update/record_tables.h"
#include "update/script_readers.h"

ResultCode GetCheckedOptions(UpdateContext& run, OptionsBlock& block) {
  DWORD size = 0;
  if (!run.product->GetOptions(&block, &size)) return kResultGetOptionsFailed;
  if (size != kOptionsAreaSize) {
    // The record offsets hold for that one size only: write nothing into another layout.
    TraceStatus("AV Data Size = %d Tarn Data Size = %d\n", static_cast<int>(size), static_cast<int>(kOptionsAreaSize));
    return kResultSizeMismatch;
  }
  return kResultSuccess;
}

ResultCode UpdateGeneralRecord(UpdateContext& run) {
  OptionsBlock block = {};
  const ResultCode options = GetCheckedOptions(run, block);
  if (options != kResultSuccess) return options;
  // A block without the record's address is as good as no options at all.
  if (block.generalRecord == nullptr) return kResultGetOptionsFailed;
  ApplyFields(run, block.generalRecord, GeneralRecordFields, kAreaGeneralRecord);
  return kResultSuccess;
}
