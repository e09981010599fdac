#include "worker.h"

#include <windows.h>

#include <cstdint>

#include "kernel_handle.h"
#include "loaded_module.h"
#include "process_state.h"
#include "sync_loader.h"
#include "trace_log.h"
#include "update_driver.h"

namespace {

ResultCode CarryOut(CommandWord word) {
  switch (word) {
    case kCommandStart:
      TraceDebug("Before StartLC...\n");
      ManagementPort.StartLC();
      TraceDebug("After StartLC\n");
      return kResultSuccess;
    case kCommandStop:
      TraceDebug("Before StopLC...\n");
      ManagementPort.StopLC();
      TraceDebug("After StopLC\n");
      return kResultSuccess;
    case kCommandUpdate:
      return ApplyUpdateScript();
    case kCommandEnable:
      TraceDebug("Before EnableLC...\n");
      ManagementPort.EnableLC(1);
      TraceDebug("After EnableLC\n");
      return kResultSuccess;
    case kCommandDisable:
      TraceDebug("Before DisableLC...\n");
      ManagementPort.DisableLC(1);
      TraceDebug("After DisableLC\n");
      return kResultSuccess;
    default:
      return kResultSuccess;
  }
}

DWORD WINAPI WorkerThread(LPVOID parameter) {
  return static_cast<DWORD>(WorkerSession(static_cast<CommandWord>(reinterpret_cast<std::intptr_t>(parameter))));
}

}  // namespace

ResultCode WorkerSession(CommandWord word) {
  HMODULE loaded = nullptr;
  const int loadResult = LoadSyncUtil(loaded);
  // Owned from here: a library loaded without its export goes again quietly.
  LoadedModule library(loaded);
  if (loadResult != 0) return kResultSyncLibraryNotLoaded;

  const int interfaceResult = AvSyncGetIFace(AVSIF_MANAGEMENTPORT, &ManagementPort);
  TraceStatus("AvSync_GetIFace AVSIF_MANAGEMENTPORT returned %d\n", interfaceResult);
  ResultCode result = kResultGetIFaceFailed;
  if (interfaceResult == 0) {
    result = CarryOut(word);
    TraceStatus("Releasing AvSync_GetIFace AVSIF_MANAGEMENTPORT\n");
    ManagementPort.ReleaseIFace();
  }
  TraceStatus("Unloading SYNCUTIL.DLL\n");
  FreeSyncUtil(library.release());
  return result;
}

ResultCode RunOnWorker(CommandWord word) {
  KernelHandle worker(CreateThread(nullptr, 0, WorkerThread, reinterpret_cast<LPVOID>(static_cast<std::intptr_t>(word)),
                                   0, nullptr));
  if (!worker) {
    // Without a worker the command never ran: that is no success.
    TraceStatus("The worker thread could not be created (error %lu).\n", GetLastError());
    return kResultTimedOut;
  }
  // On a time-out the worker is left running; the end of the process stops it.
  if (WaitForSingleObject(worker.get(), FuncTimeout) == WAIT_TIMEOUT) return kResultTimedOut;
  DWORD exitCode = 0;
  if (!GetExitCodeThread(worker.get(), &exitCode)) return kResultSuccess;
  return static_cast<ResultCode>(exitCode);
}
