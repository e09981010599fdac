// The product's general record: version texts, places, messages, program names, web
// addresses, switches and start-up delays, from section CurrentVer of the update script.
#pragma once

#include "record_table.h"
#include "result_codes.h"

// The record's keys in update order, with their offsets from the start of the record.
extern const RecordTable GeneralRecordFields;

// Writes the script's CurrentVer keys through the sync library (area code 1). 0; 2 when
// GetOptions fails; 3 when the options area is not 53788 bytes long (nothing written then).
ResultCode UpdateGeneralRecord();
