// One unit per option record: each reads the record's keys from the run's script and hands
// them to the run's target.
#pragma once

#include <windows.h>

#include "foundation/result_codes.h"
#include "update/update_context.h"

// The options area from GetOptions, checked to be the one size the record layouts hold for:
// 0; 2 when GetOptions fails; 3 (traced) when the area is of another size.
ResultCode GetCheckedOptions(UpdateContext& run, OptionsBlock& block);

// The general record (area code 1). 0; 2 when GetOptions fails; 3 when the options area is not
// 53788 bytes long (nothing written then).
ResultCode UpdateGeneralRecord(UpdateContext& run);

// The on-access record, written field by field by the product (area code 0), then its excluded
// items. 0; 2 when GetOptions fails; 3 when the options area is not 53788 bytes (nothing written).
ResultCode UpdateOASTask(UpdateContext& run);

// The on-demand task: fetched whole, changed in the agent's own copy (area code 4), its two
// item lists rebuilt, handed back. 0; 2 when GetOptions fails or the product gives no
// on-demand task; 4 when the console is refused (any answer but 0).
ResultCode UpdateODSTask(UpdateContext& run);

// The scheduled Update and Upgrade tasks through the console: each found by its kind, copied,
// changed in the copy (area code 4) and handed back by value. 0; 1 when the console is
// refused; 9 or 10 when the Update or the Upgrade task is missing or the product does not
// store it. The Upgrade task is left alone after a 9.
ResultCode UpdateScheduledTasks(UpdateContext& run);
// One task by kind (2 Update, 3 Upgrade), with the console already obtained: 0, or 9 / 10.
ResultCode UpdateTask(UpdateContext& run, DWORD kind);
