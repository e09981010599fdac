// The worker thread that holds the whole conversation with the product's sync library:
// load it, obtain AVSIF_MANAGEMENTPORT, carry out one command, release, unload.
#pragma once

#include <windows.h>

#include "agent/command_run.h"
#include "foundation/unique_handle.h"
#include "foundation/result_codes.h"
#include "product_api/sync_library.h"

// Whether a worker's changes may still be committed. The entry thread that gives up waiting
// and a worker about to commit race for it once; only one of them wins.
class CommitGate {
 public:
  bool ClaimCommit() { return InterlockedCompareExchange(&state_, kCommitting, kOpen) == kOpen; }
  bool Abandon() { return InterlockedCompareExchange(&state_, kAbandoned, kOpen) == kOpen; }

 private:
  enum : LONG { kOpen, kCommitting, kAbandoned };
  volatile LONG state_ = kOpen;
};

// The product as a command's worker part meets it: the library's interface request, the
// AVSIF_MANAGEMENTPORT table it filled, and the gate to pass before committing.
struct ProductSession {
  AvSyncGetIFaceFn getIFace;
  ManagementPortTable port;
  CommitGate* gate;
};

using ProductWork = ResultCode (*)(const CommandRun& run, ProductSession& product);

struct WorkerOutcome {
  ResultCode result;
  // The wait ended before the worker did: it may still be running, on its own copy of the run.
  bool abandoned;
};

// The mutex that lets one agent run at a time work with the product. It lives in a private
// namespace whose boundary is the Administrators group: only an administrator (SYSTEM is one)
// can create that namespace, and only SYSTEM and Administrators may open it or the mutex, so no
// user can create and hold the mutex first and stall every product command. Where the system
// has no private namespaces (Wine's boundary descriptor is a stub that gives none), a global
// name serves, never the one earlier versions used.
class ProductMutex {
 public:
  ProductMutex();
  ProductMutex(const ProductMutex&) = delete;
  ProductMutex& operator=(const ProductMutex&) = delete;
  HANDLE get() const { return mutex_.get(); }
  DWORD error() const { return error_; }  // why there is no mutex

 private:
  BoundaryDescriptor boundary_;
  PrivateNamespace namespace_;  // held as long as the mutex: it goes with its last handle
  KernelHandle mutex_;
  DWORD error_ = 0;
};

// The global name of the product mutex where there are no private namespaces.
constexpr char kGlobalProductMutexName[] = "Global\\TarnConfigurationAgent.ProductLock";

// Waits at most run.funcTimeout milliseconds for the product to be free of other agent runs,
// then runs `work` on a new worker thread and waits for it at most as long again: 11 when
// another run held the product, the worker overran, or it could not be started.
WorkerOutcome RunOnWorker(const CommandRun& run, ProductWork work);

// The worker's routine; its result is the thread's exit code.
ResultCode WorkerSession(const CommandRun& run, ProductWork work, CommitGate& gate);
