// Update of the scheduled Update and Upgrade tasks from the update script.
#pragma once

#include "result_codes.h"

ResultCode UpdateScheduledTasks();
