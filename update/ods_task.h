// Update of the on-demand scan task from the update script.
#pragma once

#include "result_codes.h"

ResultCode UpdateODSTask();
