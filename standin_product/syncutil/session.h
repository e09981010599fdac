// The library's per-process state: the working copy the agent edits, the fault switches read
// when an interface was obtained, which interfaces are live, and the open journal.
#pragma once

#include "standin_product/core/fault_config.h"
#include "standin_product/core/journal_format.h"
#include "standin_product/core/product_state.h"
#include "foundation/unique_handle.h"

#include <string>

namespace syncutil {

enum Interface { kManagementPort = 0, kAvConsole = 1, kInterfaceCount = 2 };

class Session {
 public:
  // Working copy: options area and lists are edited here and committed by SetOptions; tasks,
  // on-demand task and control state mirror what was last loaded or stored.
  standin::ProductState working;
  standin::Faults faults;

  DWORD Pid() const { return pid_; }

  // Called on every AvSync_GetIFace: reopens the journal if the state folder moved and
  // rereads the faults. Gives false when the fault file could not be read.
  bool Refresh();
  // Replaces the working copy with the committed state; the options area keeps its address,
  // since the agent holds pointers into it. False (and defaults) when the state is unreadable.
  bool ReloadWorkingCopy();

  void AppendToJournal(const std::string& text);

  int LiveCount(Interface which) const { return live_[which]; }
  bool EverObtained(Interface which) const { return everObtained_[which]; }
  bool AnyLive() const { return live_[kManagementPort] + live_[kAvConsole] > 0; }
  void Obtained(Interface which);
  void Released(Interface which);

 private:
  DWORD pid_ = GetCurrentProcessId();
  KernelHandle journal_;
  std::string journalPath_;
  int live_[kInterfaceCount] = {0, 0};
  bool everObtained_[kInterfaceCount] = {false, false};
};

Session& TheSession();

// Serialises the calls of the agent's threads. Unlock() lets a call that is about to hang or
// fault leave the library usable for the others. Every call holds one from its start to its end,
// so with STANDIN_CALL_TIMES set it also counts the time spent in the library (see call_timing.h).
class SessionGuard {
 public:
  SessionGuard();
  ~SessionGuard();
  SessionGuard(const SessionGuard&) = delete;
  SessionGuard& operator=(const SessionGuard&) = delete;
  void Unlock();

 private:
  bool locked_ = true;
  LONGLONG entered_ = 0;
};

// One call's journal line and the protocol errors found in it, appended with one write so a
// killed process loses no more than the call it was in.
class CallRecord {
 public:
  explicit CallRecord(const char* call);
  ~CallRecord() { Flush(); }
  CallRecord(const CallRecord&) = delete;
  CallRecord& operator=(const CallRecord&) = delete;

  standin::JournalLine& Line() { return line_; }
  void Error(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
  bool HasErrors() const { return !errors_.empty(); }
  void Flush();

 private:
  const char* call_;
  standin::JournalLine line_;
  std::string errors_;
  bool flushed_ = false;
};

// Records a protocol error and gives false when the interface is not live in this process.
bool RequireLive(Interface which, const char* call, CallRecord& record);

// ReleaseIFace of either table: 1 when the interface was live.
DWORD ReleaseInterface(Interface which, DWORD interfaceId);

}  // namespace syncutil
