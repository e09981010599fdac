// LC_UPDATE=: applies the update script named by ScriptPath to the product.
#pragma once

#include "result_codes.h"

// Runs on the worker thread with the AVSIF_MANAGEMENTPORT table filled. Gives the ResultCode.
ResultCode ApplyUpdateScript();
