// Update of the product's scheduled Update and Upgrade tasks from the update script, through
// the scan-task console (AVSIF_AVCONSOL). Each task is found by its kind, copied, changed in
// the copy (area code 4) and handed back by value.
#pragma once

#include <windows.h>

#include "record_table.h"
#include "result_codes.h"

// The 16 schedule fields of a TaskRecord in update order, without a section of their own.
extern const RecordTable TaskScheduleFields;
// The schedule fields under the section of each task: "Update" and "Upgrade".
extern const RecordTable UpdateTaskFields;
extern const RecordTable UpgradeTaskFields;

// 0; 1 when the console interface is refused; 9 or 10 when the Update or the Upgrade task
// is missing or the product does not store it. The Upgrade task is left alone after a 9.
ResultCode UpdateScheduledTasks();
// One task by kind (2 Update, 3 Upgrade), with the console already obtained: 0, or 9 / 10.
ResultCode UpdateTask(DWORD kind);
