// The worker thread that holds the whole conversation with the product's sync library:
// load it, obtain AVSIF_MANAGEMENTPORT, carry out one command, release, unload.
#pragma once

#include "agent/command_run.h"
#include "foundation/result_codes.h"
#include "product_api/sync_library.h"

// The product as a command's worker part meets it: the library's interface request and the
// AVSIF_MANAGEMENTPORT table it filled.
struct ProductSession {
  AvSyncGetIFaceFn getIFace;
  ManagementPortTable port;
};

using ProductWork = ResultCode (*)(const CommandRun& run, ProductSession& product);

struct WorkerOutcome {
  ResultCode result;
  // The wait ended before the worker did: it may still be running, on its own copy of the run.
  bool abandoned;
};

// Runs `work` on a new worker thread and waits for it at most run.funcTimeout milliseconds:
// 11 when it overran or could not be started.
WorkerOutcome RunOnWorker(const CommandRun& run, ProductWork work);

// The worker's routine; its result is the thread's exit code.
ResultCode WorkerSession(const CommandRun& run, ProductWork work);
