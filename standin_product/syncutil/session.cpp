#include "standin_product/syncutil/session.h"

#include "standin_product/core/state_file.h"
#include "standin_product/core/state_paths.h"
#include "standin_product/syncutil/call_timing.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace syncutil {
namespace {

SRWLOCK g_lock = SRWLOCK_INIT;

const char* InterfaceName(Interface which) {
  return which == kManagementPort ? "management port" : "console";
}

}  // namespace

Session& TheSession() {
  static Session session;
  return session;
}

bool Session::Refresh() {
  const std::string path = standin::JournalFilePath();
  if (!journal_ || path != journalPath_) {
    standin::EnsureStateDirectory();
    // Append-only, shared: readers and a reset (which truncates) may open it meanwhile.
    journal_.reset(CreateFileA(path.c_str(), FILE_APPEND_DATA,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    journalPath_ = path;
  }
  return standin::ReadFaultsFile(standin::FaultsFilePath(), &faults);
}

bool Session::ReloadWorkingCopy() {
  standin::ProductState loaded;
  bool ok;
  {
    standin::StateLock lock;
    ok = lock.Held() && standin::LoadState(&loaded);
  }
  if (!ok) {
    loaded = standin::DefaultState();
  }
  std::copy(loaded.options.begin(), loaded.options.end(), working.options.begin());
  working.lists = std::move(loaded.lists);
  working.tasks = std::move(loaded.tasks);
  working.odsTask = std::move(loaded.odsTask);
  working.running = loaded.running;
  working.enabled = loaded.enabled;
  return ok;
}

void Session::AppendToJournal(const std::string& text) {
  if (!journal_) {
    Refresh();
  }
  DWORD written = 0;
  WriteFile(journal_.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void Session::Obtained(Interface which) {
  ++live_[which];
  everObtained_[which] = true;
}

void Session::Released(Interface which) { --live_[which]; }

// The wait for another thread's call counts as time in the library too.
SessionGuard::SessionGuard() : entered_(CallTimingStart()) { AcquireSRWLockExclusive(&g_lock); }

SessionGuard::~SessionGuard() { Unlock(); }

void SessionGuard::Unlock() {
  if (locked_) {
    locked_ = false;
    CallTimingStop(entered_);
    ReleaseSRWLockExclusive(&g_lock);
  }
}

CallRecord::CallRecord(const char* call) : call_(call), line_(TheSession().Pid(), call) {}

void CallRecord::Error(const char* format, ...) {
  char message[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  errors_ += standin::JournalLine(TheSession().Pid(), standin::kProtocolErrorCall)
                 .Text("in", call_)
                 .Text("message", message)
                 .Finish();
}

void CallRecord::Flush() {
  if (!flushed_) {
    flushed_ = true;
    TheSession().AppendToJournal(line_.Finish() + errors_);
  }
}

bool RequireLive(Interface which, const char* call, CallRecord& record) {
  const Session& session = TheSession();
  if (session.LiveCount(which) > 0) {
    return true;
  }
  if (session.EverObtained(which)) {
    record.Error("%s called after the %s interface was released", call, InterfaceName(which));
  } else {
    record.Error("%s called before the %s interface was obtained", call, InterfaceName(which));
  }
  return false;
}

DWORD ReleaseInterface(Interface which, DWORD interfaceId) {
  SessionGuard guard;
  CallRecord record("ReleaseIFace");
  record.Line().Number("id", interfaceId);
  if (!RequireLive(which, "ReleaseIFace", record)) {
    return 0;
  }
  TheSession().Released(which);
  return 1;
}

}  // namespace syncutil
