#include "agent/worker.h"

#include <memory>

#include "agent/fault_report.h"
#include "agent/run_event.h"
#include "foundation/deadline_thread.h"
#include "foundation/sddl_security.h"
#include "foundation/trace_log.h"
#include "foundation/unique_handle.h"
#include "product_api/sync_loader.h"

namespace {

// What the worker works on: its own copy of the run, so nothing it reads belongs to the entry
// thread, which may stop waiting and end the process while the worker goes on. Shared with
// the entry thread only for the gate.
struct WorkerJob {
  CommandRun run;
  ProductWork work;
  CommitGate gate;
};

DWORD WorkerThread(WorkerJob& job) {
  return static_cast<DWORD>(RunReportingFaults(job.run, [&] { return WorkerSession(job.run, job.work, job.gate); }));
}

constexpr wchar_t kProductNamespace[] = L"TarnConfigurationAgent";
constexpr wchar_t kProductMutexName[] = L"TarnConfigurationAgent\\Product";
constexpr char kAdministratorsOnly[] = "D:P(A;;GA;;;SY)(A;;GA;;;BA)";
// Another run may close the namespace between this one's create and open: try again.
constexpr int kNamespaceTries = 4;

// Owns the product for this run, or says why it could not.
class ProductLock {
 public:
  explicit ProductLock(DWORD waitMs) {
    if (!mutex_.get()) {
      TraceStatus("The product's mutex cannot be made (error %lu).\n", mutex_.error());
      return;
    }
    const DWORD wait = WaitForSingleObject(mutex_.get(), waitMs);
    // An abandoned mutex is the product left by a run that ended: it is ours now.
    held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
  }
  ~ProductLock() {
    if (held_) ReleaseMutex(mutex_.get());
  }
  ProductLock(const ProductLock&) = delete;
  ProductLock& operator=(const ProductLock&) = delete;
  bool held() const { return held_; }
  bool made() const { return mutex_.get() != nullptr; }

 private:
  ProductMutex mutex_;
  bool held_ = false;
};

// An 11 whose cause the run's report tells; set on the entry thread only, before it claims the
// result, so the cause is always the one of the code claimed.
WorkerOutcome TimedOut(const CommandRun& run, TimeOutCause cause, bool abandoned) {
  if (run.details != nullptr) run.details->timeOutCause = cause;
  return {kResultTimedOut, abandoned};
}

}  // namespace

ProductMutex::ProductMutex() {
  SddlSecurity security(kAdministratorsOnly);
  // Without its access list the mutex would get the default one: none is made instead.
  if (security.get() == nullptr) {
    error_ = GetLastError();
    return;
  }
  boundary_.reset(CreateBoundaryDescriptorW(kProductNamespace, 0));
  if (!boundary_) {
    mutex_.reset(CreateMutexA(security.get(), FALSE, kGlobalProductMutexName));
    if (!mutex_) error_ = GetLastError();
    return;
  }
  BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
  DWORD size = sizeof administrators;
  HANDLE boundary = boundary_.get();
  if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) ||
      !AddSIDToBoundaryDescriptor(&boundary, administrators)) {
    error_ = GetLastError();
    return;
  }
  boundary_.release();
  boundary_.reset(boundary);  // adding may have moved it
  for (int attempt = 0; attempt < kNamespaceTries && !namespace_; ++attempt) {
    namespace_.reset(CreatePrivateNamespaceW(security.get(), boundary_.get(), kProductNamespace));
    if (!namespace_ && GetLastError() == ERROR_ALREADY_EXISTS) {
      namespace_.reset(OpenPrivateNamespaceW(boundary_.get(), kProductNamespace));
    }
  }
  if (!namespace_) {
    error_ = GetLastError();
    return;
  }
  mutex_.reset(CreateMutexW(security.get(), FALSE, kProductMutexName));
  if (!mutex_) error_ = GetLastError();
}

ResultCode WorkerSession(const CommandRun& run, ProductWork work, CommitGate& gate) {
  LoadedModule library;
  ProductSession product = {};
  product.gate = &gate;
  const ResultCode loaded = LoadSyncUtil(library, product.getIFace);
  if (loaded != kResultSuccess) return loaded;

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
  RestoreFaultFilter();
  return result;
}

WorkerOutcome RunOnWorker(const CommandRun& run, ProductWork work) {
  const ProductLock lock(run.funcTimeout);
  if (!lock.held()) {
    if (!lock.made()) return TimedOut(run, TimeOutCause::kProductMutexUnmade, false);
    TraceStatus("Another run of the agent holds the product: this one gave up waiting.\n");
    return TimedOut(run, TimeOutCause::kProductBusy, false);
  }
  const auto job = std::make_shared<WorkerJob>(WorkerJob{run, work, {}});
  DeadlineThread<WorkerJob> worker;
  if (!worker.Start(job, WorkerThread)) {
    // Without a worker the command never ran: that is no success.
    TraceStatus("The worker thread could not be created (error %lu).\n", GetLastError());
    return TimedOut(run, TimeOutCause::kWorkerNotStarted, false);
  }
  DWORD wait = worker.Wait(run.funcTimeout);
  if (wait == WAIT_TIMEOUT) {
    // Given up on: the worker must not commit from now on. If it is committing already, its
    // commit is what happened, so its result is waited for, once more at most as long.
    if (job->gate.Abandon()) return TimedOut(run, TimeOutCause::kWorkerOverran, true);
    wait = worker.Wait(run.funcTimeout);
    if (wait == WAIT_TIMEOUT) return TimedOut(run, TimeOutCause::kWorkerOverran, true);
  }
  DWORD exitCode = 0;
  if (!worker.ExitCode(exitCode)) return {kResultSuccess, false};
  // The only 11 a worker gives of its own: it found the run given up on before committing.
  if (exitCode == static_cast<DWORD>(kResultTimedOut)) return TimedOut(run, TimeOutCause::kCommitGivenUp, false);
  return {static_cast<ResultCode>(exitCode), false};
}
