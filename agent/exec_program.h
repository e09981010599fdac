// LC_EXEC: runs the program named in the settings and records its exit code.
#pragma once

#include "result_codes.h"

// 0 when the program ran (whatever its exit code), 8 when it cannot be started.
ResultCode ExecProgram();
