// The library's one export. Built without it (SYNCUTIL_NO_EXPORT) for the package that
// lets the agent meet a library lacking its entry point.
#include "standin_product/syncutil/entry_points.h"
#include "standin_product/syncutil/session.h"

#include <cstring>

namespace syncutil {

void FillManagementPort(ManagementPortTable* table) {
  std::memset(table, 0, sizeof *table);
  table->GetOptions = GetOptions;
  table->StartLC = StartLC;
  table->StopLC = StopLC;
  table->EnableLC = EnableLC;
  table->DisableLC = DisableLC;
  table->SetOptions = SetOptions;
  table->ReleaseIFace = ReleaseManagementPort;
  table->SetFieldString = SetFieldString;
  table->SetFieldValue = SetFieldValue;
  table->SetFieldBytes = SetFieldBytes;
}

void FillAvConsole(AvConsoleTable* table) {
  std::memset(table, 0, sizeof *table);
  table->ReleaseIFace = ReleaseAvConsole;
  table->GetTaskCount = GetTaskCount;
  table->SetTask = SetTask;
  table->GetTask = GetTask;
  table->GetODSTask = GetODSTask;
  table->SetODSTask = SetODSTask;
}

int GetInterface(DWORD interfaceId, void* table) {
  SessionGuard guard;
  Session& session = TheSession();
  const bool faultsRead = session.Refresh();
  CallRecord record("AvSync_GetIFace");
  record.Line().Number("id", interfaceId).Hex("table", reinterpret_cast<ULONG_PTR>(table));
  if (!faultsRead) {
    record.Line().Text("faults", "unreadable");
  }
  int result = kGetIFaceFailed;
  if (table == nullptr) {
    record.Error("null table pointer for interface %lu", static_cast<unsigned long>(interfaceId));
  } else if (session.faults.refuseInterface && session.faults.refusedInterfaceId == interfaceId) {
    result = session.faults.refuseResult;
    record.Line().Text("fault", "refused");
  } else if (session.faults.emptyInterface && session.faults.emptyInterfaceId == interfaceId) {
    result = kGetIFaceOk;  // a yes with nothing behind it
    record.Line().Text("fault", "empty table");
  } else if (interfaceId == AVSIF_MANAGEMENTPORT || interfaceId == AVSIF_AVCONSOL) {
    // A fresh session starts from the committed state; a nested one shares the working copy.
    if (!session.AnyLive() && !session.ReloadWorkingCopy()) {
      record.Line().Text("state", "unreadable, defaults used");
    }
    if (interfaceId == AVSIF_MANAGEMENTPORT) {
      FillManagementPort(static_cast<ManagementPortTable*>(table));
      session.Obtained(kManagementPort);
    } else {
      FillAvConsole(static_cast<AvConsoleTable*>(table));
      session.Obtained(kAvConsole);
    }
    result = kGetIFaceOk;
  }
  record.Line().Number("result", result);
  return result;
}

}  // namespace syncutil

#ifndef SYNCUTIL_NO_EXPORT
extern "C" int WINAPI AvSync_GetIFace(DWORD interfaceId, void* table) {
  return syncutil::GetInterface(interfaceId, table);
}
#endif
