// Carries out the recognised command by its row in the command table.
#pragma once

#include "agent/command_run.h"
#include "agent/worker.h"

// Runs run.command (nothing when there is none): its argument taken, its entry part, then its
// work with the product.
WorkerOutcome DispatchCommand(CommandRun& run);
