// The product's option records as data: for each record, its script keys in update order with
// the offset each is stored at. The agent runs them; the script checker reads them.
#pragma once

#include "update/item_list_row.h"
#include "update/record_table.h"

// The general record: version texts, places, messages, program names, web addresses, switches
// and start-up delays, from section CurrentVer; offsets from the record's start.
extern const RecordTable GeneralRecordFields;

// The on-access scanner record with its e-mail, download and internet-filter sections: 193
// fields, offsets from the record address in word 2 of the OptionsBlock. Three block rows
// place ReportBlock.
extern const RecordTable OASTaskFields;
// The on-access excluded items, rebuilt after the fields: product list 2, no count.
extern const ItemListRow OASExcludedItems;

// The on-demand scan task's 60 option fields (rows 1 to 60), offsets from its start.
extern const RecordTable ODSTaskFields;
// Rows 61 and 62: the excluded items (list 0) and the scan items (list 1), rebuilt after the
// fields, with their counts stored into the record.
extern const ItemListRow ODSTaskLists[2];
// Every item list of every record, for those that look one up by its product list id.
extern const ItemListRow* const kAllItemLists[3];

// The 16 schedule fields of a TaskRecord, without a section of their own, and the same
// under the section of each task: "Update" and "Upgrade".
extern const RecordTable TaskScheduleFields;
extern const RecordTable UpdateTaskFields;
extern const RecordTable UpgradeTaskFields;
