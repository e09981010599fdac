// LC_UPDATE=: applies the run's update script to the run's target.
#pragma once

#include "foundation/result_codes.h"
#include "update/update_context.h"

// Reads UpdateType, updates the records it names in order and, only when every one gave 0,
// commits them with SetOptions. Gives the ResultCode.
ResultCode ApplyUpdateScript(UpdateContext& run);
