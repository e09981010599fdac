#include "agent/undo_point.h"

#include <algorithm>
#include <vector>

#include "agent/run_event.h"
#include "agent/commands/update.h"
#include "agent_version.h"
#include "foundation/secure_file.h"
#include "foundation/trace_log.h"
#include "foundation/unique_handle.h"

namespace {

// A reader of the LAST- file (tarnplan, an administrator's editor) holds it for a moment at
// most: its removal is tried a few times.
constexpr int kRemoveTries = 5;
constexpr DWORD kRemovePauseMs = 20;

void Publish(const CommandRun& run, volatile LONG RunDetails::*field, LONG value) {
  InterlockedExchange(&(run.details->*field), value);
}

}  // namespace

UndoPoints::UndoPoints(const CommandRun& run)
    : run_(run), capture_([this](const UndoCapture& capture) { Keep(capture); }) {}

void UndoPoints::Fail(const TextString& reason, bool folderTrusted) {
  if (!failed_) {
    TraceStatus("No undo point could be written in %s: %s. The update goes on.\n", run_.undoFolder.c_str(),
                reason.c_str());
  }
  failed_ = true;
  Publish(run_, &RunDetails::undoState, kUndoFailed);
  // A folder that is not the agent's own is not touched at all.
  if (folderTrusted) MakeLast();
}

void UndoPoints::MakeLast() {
  const std::string last = folder_.PathOf(LastUndoPointName(capture_.kind()).c_str()).c_str();
  // The script this run applies may be that very file: the copy is what is read from here on.
  UpdateArgumentsOf(run_)->scriptCopy->LetGoOfScript();
  if (!failed_) {
    const FileStatus written =
        WriteWholeFile(last.c_str(), text_.data(), text_.size(), FileReaders::kAdministrators, true);
    if (written.ok()) return;
    TraceStatus("%s could not be written: %s.\n", last.c_str(), written.Reason().c_str());
  }
  bool removed = false;
  for (int attempt = 0; attempt < kRemoveTries && !removed; ++attempt) {
    if (attempt > 0) Sleep(kRemovePauseMs);
    removed = folder_.RemoveFile(LastUndoPointName(capture_.kind()).c_str());
  }
  if (removed) {
    TraceStatus("%s is removed: it would put back an earlier update than this one.\n", last.c_str());
    Publish(run_, &RunDetails::lastState, kLastRemoved);
  } else {
    TraceStatus("%s could not be removed (error %lu): it puts back an earlier update than this one.\n", last.c_str(),
                GetLastError());
    Publish(run_, &RunDetails::lastState, kLastStale);
  }
}

void UndoPoints::Keep(const UndoCapture& capture) {
  if (failed_) return;
  SYSTEMTIME now;
  GetSystemTime(&now);
  UndoPointInfo info;
  info.agentVersion = std::to_string(TARN_VERSION_MAJOR) + "." + std::to_string(TARN_VERSION_MINOR) + "." +
                      std::to_string(TARN_VERSION_BUILD);
  info.time = UndoPointTime(now);
  info.script = UpdateArgumentsOf(run_)->scriptPath.c_str();
  info.updateType = UpdateKindName(capture.kind());
  const ScriptWriter script = UndoPointScript(capture, info);
  text_ = script.Text();

  // A later store of the same run (the Upgrade task after the Update task) rewrites the same point.
  const bool first = name_.empty();
  if (first) {
    const FileStatus opened = folder_.Open(run_.undoFolder);
    if (!opened.ok()) return Fail(folder_.Refusal(opened), false);
    name_ = UndoPointName(now, capture.kind());
  }
  const std::string path = folder_.PathOf(name_.c_str()).c_str();
  const FileStatus written =
      WriteWholeFile(path.c_str(), text_.data(), text_.size(), FileReaders::kAdministrators, !first);
  if (!written.ok()) return Fail(written.Reason(), true);
  MakeLast();
  // Said once each, though a later store of the run rewrites the point with them again.
  const std::vector<NotWritten>& leftOut = script.notWritten();
  for (std::size_t i = leftOutSaid_; i < leftOut.size(); ++i) {
    TraceStatus("The undo point %s cannot carry [%s] %s: %s.\n", path.c_str(), leftOut[i].section.c_str(),
                leftOut[i].key.c_str(), leftOut[i].reason.c_str());
  }
  leftOutSaid_ = std::max(leftOutSaid_, leftOut.size());
  Publish(run_, &RunDetails::undoLeftOut, static_cast<LONG>(leftOut.size()));
  if (first && path.size() < sizeof run_.details->undoFile) {
    // The name first, then the state that lets a reporter read it.
    std::copy(path.begin(), path.end(), run_.details->undoFile);
    run_.details->undoFile[path.size()] = '\0';
    Publish(run_, &RunDetails::undoState, kUndoWritten);
  }
}

void UndoPoints::Finish() {
  if (name_.empty() || failed_) return;
  PruneUndoPoints(folder_, capture_.kind(), name_, run_.undoKeep);
}
