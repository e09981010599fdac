// The worker thread that holds the conversation with the product's sync library.
#pragma once

#include "command_word.h"
#include "result_codes.h"

// Runs the command on the worker and waits for it at most FuncTimeout milliseconds.
ResultCode RunOnWorker(CommandWord word);
