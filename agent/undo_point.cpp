#include "agent/undo_point.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "agent/run_event.h"
#include "agent_version.h"
#include "foundation/secure_file.h"
#include "foundation/trace_log.h"
#include "foundation/unique_handle.h"

namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The folder, and every missing one above it, each for SYSTEM and Administrators only. An
// existing undo folder must be no link and belong to them; of the folders above, only the one
// it lies in must be no link.
FileStatus CreateFolders(const std::string& folder) {
  const std::size_t parent = folder.find_last_of('\\');
  if (!IsFolder(folder) && parent != std::string::npos && parent > 2 && !IsFolder(folder.substr(0, parent))) {
    const FileStatus above = CreateFolders(folder.substr(0, parent));
    if (!above.ok()) return above;
  }
  return CreatePrivateFolder(folder.c_str(), true);
}

std::string TimeText(const SYSTEMTIME& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%03u UTC", time.wYear, time.wMonth, time.wDay,
                time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
  return text;
}

}  // namespace

UndoPoints::UndoPoints(const CommandRun& run)
    : run_(run), capture_([this](const UndoCapture& capture) { Keep(capture); }) {}

void UndoPoints::Fail(const TextString& reason) {
  if (!failed_) {
    TraceStatus("No undo point could be written in %s: %s. The update goes on.\n", run_.undoFolder.c_str(),
                reason.c_str());
  }
  failed_ = true;
  if (run_.details != nullptr) InterlockedExchange(&run_.details->undoState, kUndoFailed);
}

void UndoPoints::Keep(const UndoCapture& capture) {
  if (failed_) return;
  const std::string folder = run_.undoFolder.c_str();
  SYSTEMTIME now;
  GetSystemTime(&now);
  UndoPointInfo info;
  info.agentVersion = std::to_string(TARN_VERSION_MAJOR) + "." + std::to_string(TARN_VERSION_MINOR) + "." +
                      std::to_string(TARN_VERSION_BUILD);
  info.time = TimeText(now);
  info.script = run_.scriptPath;
  info.updateType = UpdateKindName(capture.kind());
  const ScriptWriter script = UndoPointScript(capture, info);
  text_ = script.Text();

  // A later store of the same run (the Upgrade task after the Update task) rewrites the same point.
  const bool first = path_.empty();
  if (first) {
    const FileStatus folderMade = CreateFolders(folder);
    if (!folderMade.ok()) return Fail(folderMade.Reason());
    path_ = folder + "\\" + UndoPointName(now, capture.kind());
  }
  const FileStatus written =
      WriteWholeFile(path_.c_str(), text_.data(), text_.size(), FileReaders::kAdministrators, !first);
  if (!written.ok()) return Fail(written.Reason());
  if (first && run_.details != nullptr && path_.size() < sizeof run_.details->undoFile) {
    // The name first, then the state that lets a reporter read it.
    std::copy(path_.begin(), path_.end(), run_.details->undoFile);
    run_.details->undoFile[path_.size()] = '\0';
    InterlockedExchange(&run_.details->undoState, kUndoWritten);
  }
}

void UndoPoints::Finish() {
  if (path_.empty() || failed_) return;
  const std::string folder = run_.undoFolder.c_str();
  const std::string suffix = std::string("-") + UpdateKindName(capture_.kind()) + ".INI";
  const std::string last = folder + "\\LAST" + suffix;
  const FileStatus written =
      WriteWholeFile(last.c_str(), text_.data(), text_.size(), FileReaders::kAdministrators, true);
  if (!written.ok()) {
    TraceStatus("%s could not be written: %s.\n", last.c_str(), written.Reason().c_str());
  }

  std::vector<std::string> points;
  WIN32_FIND_DATAA found;
  const FileSearch search(FindFirstFileA((folder + "\\*" + suffix).c_str(), &found));
  if (!search) return;
  do {
    if (IsUndoPointName(found.cFileName)) points.emplace_back(found.cFileName);
  } while (FindNextFileA(search.get(), &found));
  std::sort(points.begin(), points.end());  // oldest first: the names begin with the time
  const std::size_t keep = run_.undoKeep > 0 ? run_.undoKeep : kDefaultUndoKeep;
  for (std::size_t i = 0; i + keep < points.size(); ++i) DeleteFileA((folder + "\\" + points[i]).c_str());
}
