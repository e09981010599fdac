// AVSIF_MANAGEMENTPORT: options hand-out, commit, and the visible control state.
#include "standin_product/core/state_file.h"
#include "standin_product/syncutil/entry_points.h"
#include "standin_product/syncutil/raised_faults.h"
#include "standin_product/syncutil/session.h"

namespace syncutil {
namespace {

// The agent only ever passes 1; anything else means it built the call wrongly.
constexpr DWORD kControlFlag = 1;

template <typename Edit>
DWORD ControlCall(const char* name, standin::ControlCall which, const DWORD* flag, Edit edit) {
  SessionGuard guard;
  Session& session = TheSession();
  CallRecord record(name);
  if (flag != nullptr) {
    record.Line().Number("flag", *flag);
    if (*flag != kControlFlag) {
      record.Error("%s flag %lu, expected %lu", name, static_cast<unsigned long>(*flag),
                   static_cast<unsigned long>(kControlFlag));
    }
  }
  if (!RequireLive(kManagementPort, name, record)) {
    return 0;
  }
  if (session.faults.hangIn == which) {
    record.Line().Text("fault", "hang");
    record.Flush();
    guard.Unlock();
    Sleep(INFINITE);
  }
  if (session.faults.raiseIn == which) {
    record.Line().Text("fault", standin::FieldFaultName(session.faults.raiseKind));
    record.Flush();
    guard.Unlock();
    RaiseUnhandled(session.faults.raiseKind);
  }
  if (session.faults.lateFault && which == standin::ControlCall::kStartLC) FaultLater(session.faults.lateFaultMs);
  edit(session.working);
  const bool stored = standin::UpdateState([&](standin::ProductState& state) {
    edit(state);
    return true;
  });
  record.Line().Number("result", stored ? 1 : 0);
  return stored ? 1 : 0;
}

}  // namespace

BOOL WINAPI GetOptions(OptionsBlock* block, DWORD* size) {
  SessionGuard guard;
  Session& session = TheSession();
  CallRecord record("GetOptions");
  if (!RequireLive(kManagementPort, "GetOptions", record)) {
    return FALSE;
  }
  if (block == nullptr || size == nullptr) {
    record.Error("GetOptions with a null %s pointer", block == nullptr ? "block" : "size");
    return FALSE;
  }
  if (session.faults.getOptionsFails) {
    record.Line().Text("fault", "fails").Number("result", 0);
    return FALSE;
  }
  if (session.faults.handledFault) {
    record.Line().Text("fault", FaultAndRecover() ? "access violation handled" : "no access violation");
  }
  BYTE* area = session.working.options.data();
  *block = OptionsBlock{};
  block->generalRecord = area + standin::kGeneralRecordOffset;
  block->oasTaskRecord = area + standin::kOASRecordOffset;
  block->AddItem = AddItem;
  block->RemoveItem = RemoveItem;
  block->GetItem = GetItem;
  block->GetItemCount = GetItemCount;
  *size = session.faults.getOptionsWrongSize ? session.faults.getOptionsSize : kOptionsAreaSize;
  record.Line()
      .Hex("general", reinterpret_cast<ULONG_PTR>(block->generalRecord))
      .Hex("oas", reinterpret_cast<ULONG_PTR>(block->oasTaskRecord))
      .Number("size", *size)
      .Number("result", 1);
  return TRUE;
}

DWORD WINAPI StartLC() {
  return ControlCall("StartLC", standin::ControlCall::kStartLC, nullptr,
                     [](standin::ProductState& state) { state.running = true; });
}

DWORD WINAPI StopLC() {
  return ControlCall("StopLC", standin::ControlCall::kStopLC, nullptr,
                     [](standin::ProductState& state) { state.running = false; });
}

DWORD WINAPI EnableLC(DWORD flag) {
  return ControlCall("EnableLC", standin::ControlCall::kEnableLC, &flag,
                     [](standin::ProductState& state) { state.enabled = true; });
}

DWORD WINAPI DisableLC(DWORD flag) {
  return ControlCall("DisableLC", standin::ControlCall::kDisableLC, &flag,
                     [](standin::ProductState& state) { state.enabled = false; });
}

DWORD WINAPI SetOptions() {
  SessionGuard guard;
  Session& session = TheSession();
  CallRecord record("SetOptions");
  if (!RequireLive(kManagementPort, "SetOptions", record)) {
    return 0;
  }
  const standin::ProductState& working = session.working;
  const bool stored = standin::UpdateState([&](standin::ProductState& state) {
    state.options = working.options;
    state.lists = working.lists;
    return true;
  });
  record.Line().Number("result", stored ? 1 : 0);
  return stored ? 1 : 0;
}

DWORD WINAPI ReleaseManagementPort() { return ReleaseInterface(kManagementPort, AVSIF_MANAGEMENTPORT); }

}  // namespace syncutil
