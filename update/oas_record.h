// Update of the on-access scanner record, with its e-mail, download and internet-filter
// sections, from the update script. The product writes every field itself (area code 0).
#pragma once

#include "item_list_row.h"
#include "record_table.h"
#include "result_codes.h"

// The record's 193 fields in update order; offsets from the record address in word 2 of the
// OptionsBlock. Three block rows place ReportBlock.
extern const RecordTable OASTaskFields;

// The on-access excluded items, rebuilt after the fields: product list 2, no count.
extern const ItemListRow OASExcludedItems;

// 0; 2 when GetOptions fails; 3 when the options area is not 53788 bytes (nothing written).
ResultCode UpdateOASTask();
