// Update of the on-access scanner record from the update script.
#pragma once

#include "result_codes.h"

ResultCode UpdateOASTask();
