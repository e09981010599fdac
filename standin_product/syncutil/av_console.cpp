// AVSIF_AVCONSOL: scheduled tasks and the on-demand task. Unlike options, these are stored
// the moment they are set.
#include "standin_product/core/state_file.h"
#include "standin_product/syncutil/entry_points.h"
#include "standin_product/syncutil/session.h"

#include <cstring>
#include <vector>

namespace syncutil {
namespace {

std::size_t BytesChanged(const BYTE* before, const BYTE* after, std::size_t size) {
  std::size_t changed = 0;
  for (std::size_t i = 0; i < size; ++i) {
    changed += before[i] != after[i] ? 1 : 0;
  }
  return changed;
}

bool TaskIndexInRange(DWORD index, CallRecord& record) {
  const std::size_t count = TheSession().working.tasks.size();
  record.Line().Number("index", index);
  if (index < count) {
    return true;
  }
  record.Error("task index %lu out of range (%u tasks)", static_cast<unsigned long>(index),
               static_cast<unsigned>(count));
  return false;
}

}  // namespace

DWORD WINAPI ReleaseAvConsole() { return ReleaseInterface(kAvConsole, AVSIF_AVCONSOL); }

int WINAPI GetTaskCount() {
  SessionGuard guard;
  CallRecord record("GetTaskCount");
  if (!RequireLive(kAvConsole, "GetTaskCount", record)) {
    return 0;
  }
  const int count = static_cast<int>(TheSession().working.tasks.size());
  record.Line().Number("result", count);
  return count;
}

BOOL WINAPI GetTask(TaskRecord* task, DWORD index) {
  SessionGuard guard;
  Session& session = TheSession();
  CallRecord record("GetTask");
  if (!RequireLive(kAvConsole, "GetTask", record) || !TaskIndexInRange(index, record)) {
    return FALSE;
  }
  if (task == nullptr) {
    record.Error("GetTask with a null record pointer");
    return FALSE;
  }
  if (session.faults.getTaskFails) {
    record.Line().Text("fault", "fails").Number("result", 0);
    return FALSE;
  }
  *task = session.working.tasks[index];
  record.Line().Number("kind", TaskKindOf(*task)).Number("result", 1);
  return TRUE;
}

BOOL WINAPI SetTask(TaskRecord task, DWORD index) {
  SessionGuard guard;
  Session& session = TheSession();
  CallRecord record("SetTask");
  if (!RequireLive(kAvConsole, "SetTask", record) || !TaskIndexInRange(index, record)) {
    return FALSE;
  }
  record.Line().Number("kind", TaskKindOf(task));
  if (session.faults.setTaskFails) {
    record.Line().Text("fault", "fails").Number("result", 0);
    return FALSE;
  }
  TaskRecord& held = session.working.tasks[index];
  record.Line().Number("changed", BytesChanged(held.bytes, task.bytes, sizeof task.bytes));
  const bool stored = standin::UpdateState([&](standin::ProductState& state) {
    if (index >= state.tasks.size()) {
      return false;
    }
    state.tasks[index] = task;
    return true;
  });
  if (stored) {
    held = task;
  }
  record.Line().Number("result", stored ? 1 : 0);
  if (session.faults.setTaskDelayMs != 0) {
    guard.Unlock();
    Sleep(session.faults.setTaskDelayMs);
  }
  return stored ? TRUE : FALSE;
}

BOOL WINAPI GetODSTask(ODSTaskRecord* task) {
  SessionGuard guard;
  Session& session = TheSession();
  CallRecord record("GetODSTask");
  if (!RequireLive(kAvConsole, "GetODSTask", record)) {
    return FALSE;
  }
  if (task == nullptr) {
    record.Error("GetODSTask with a null record pointer");
    return FALSE;
  }
  if (session.faults.getODSTaskFails) {
    record.Line().Text("fault", "fails").Number("result", 0);
    return FALSE;
  }
  std::memcpy(task->bytes, session.working.odsTask.data(), sizeof task->bytes);
  record.Line().Number("result", 1);
  return TRUE;
}

DWORD WINAPI SetODSTask(ODSTaskRecord* task) {
  SessionGuard guard;
  Session& session = TheSession();
  CallRecord record("SetODSTask");
  if (!RequireLive(kAvConsole, "SetODSTask", record)) {
    return 0;
  }
  if (task == nullptr) {
    record.Error("SetODSTask with a null record pointer");
    return 0;
  }
  std::vector<BYTE>& held = session.working.odsTask;
  record.Line().Number("changed", BytesChanged(held.data(), task->bytes, sizeof task->bytes));
  const bool stored = standin::UpdateState([&](standin::ProductState& state) {
    std::memcpy(state.odsTask.data(), task->bytes, sizeof task->bytes);
    return true;
  });
  if (stored) {
    std::memcpy(held.data(), task->bytes, sizeof task->bytes);
  }
  record.Line().Number("result", stored ? 1 : 0);
  return stored ? 1 : 0;
}

}  // namespace syncutil
