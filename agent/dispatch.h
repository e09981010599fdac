// Carries out the recognised command by its row in the command table.
#pragma once

#include "agent/command_run.h"
#include "agent/command_word.h"
#include "agent/worker.h"

WorkerOutcome DispatchCommand(CommandRun& run, CommandWord word);
