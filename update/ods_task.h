// Update of the on-demand scan task from the update script. The agent fetches the task as a
// whole record, writes the script's values into its own copy (area code 4), rebuilds the two
// item lists and hands the record back.
#pragma once

#include "item_list_row.h"
#include "record_table.h"
#include "result_codes.h"

// The record's 60 option fields in update order (rows 1 to 60), offsets from its start.
extern const RecordTable ODSTaskFields;
// Rows 61 and 62: the excluded items (list 0) and the scan items (list 1), rebuilt after the
// fields, with their counts stored into the record.
extern const ItemListRow ODSTaskLists[2];

// 0; 2 when GetOptions fails or the product gives no on-demand task; 4 when the console
// interface is refused (any result but 0).
ResultCode UpdateODSTask();
