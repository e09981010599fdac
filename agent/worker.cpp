#include "agent/worker.h"

#include <memory>

#include "agent/sync_loader.h"
#include "foundation/trace_log.h"
#include "foundation/unique_handle.h"

namespace {

// What the worker owns: its own copy of the run, so nothing it reads belongs to the entry
// thread, which may stop waiting and end the process while the worker goes on.
struct WorkerJob {
  CommandRun run;
  ProductWork work;
};

DWORD WINAPI WorkerThread(LPVOID parameter) {
  const std::unique_ptr<WorkerJob> job(static_cast<WorkerJob*>(parameter));
  return static_cast<DWORD>(WorkerSession(job->run, job->work));
}

}  // namespace

ResultCode WorkerSession(const CommandRun& run, ProductWork work) {
  LoadedModule library;
  ProductSession product = {};
  if (LoadSyncUtil(library, product.getIFace) != 0) return kResultSyncLibraryNotLoaded;

  const int interfaceResult = product.getIFace(AVSIF_MANAGEMENTPORT, &product.port);
  TraceStatus("AvSync_GetIFace AVSIF_MANAGEMENTPORT returned %d\n", interfaceResult);
  ResultCode result = kResultGetIFaceFailed;
  if (interfaceResult == 0) {
    result = work(run, product);
    TraceStatus("Releasing AvSync_GetIFace AVSIF_MANAGEMENTPORT\n");
    product.port.ReleaseIFace();
  }
  TraceStatus("Unloading SYNCUTIL.DLL\n");
  library.reset();
  return result;
}

WorkerOutcome RunOnWorker(const CommandRun& run, ProductWork work) {
  std::unique_ptr<WorkerJob> job(new WorkerJob{run, work});
  const KernelHandle worker(CreateThread(nullptr, 0, WorkerThread, job.get(), 0, nullptr));
  if (!worker) {
    // Without a worker the command never ran: that is no success.
    TraceStatus("The worker thread could not be created (error %lu).\n", GetLastError());
    return {kResultTimedOut, false};
  }
  job.release();  // the worker's from here
  if (WaitForSingleObject(worker.get(), run.funcTimeout) == WAIT_TIMEOUT) return {kResultTimedOut, true};
  DWORD exitCode = 0;
  if (!GetExitCodeThread(worker.get(), &exitCode)) return {kResultSuccess, false};
  return {static_cast<ResultCode>(exitCode), false};
}
