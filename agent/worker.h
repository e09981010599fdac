// The worker thread that holds the whole conversation with the product's sync library:
// load it, obtain AVSIF_MANAGEMENTPORT, carry out one command, release, unload.
#pragma once

#include "command_word.h"
#include "result_codes.h"

// Runs the command on a new worker thread and waits for it at most FuncTimeout milliseconds;
// 11 when it overran.
ResultCode RunOnWorker(CommandWord word);

// The worker's routine; its result is the thread's exit code.
ResultCode WorkerSession(CommandWord word);
