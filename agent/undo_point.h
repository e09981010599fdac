// Undo points: with LC_UPDATE\UndoFolder set, an LC_UPDATE= run keeps, before each change the
// product stores, an update script that puts back everything the run has replaced up to then
// (YYYYMMDD-HHMMSS-mmm-TYPE.INI, UTC), and LAST-TYPE.INI as a copy of the newest of its type.
// The folder and the files are for SYSTEM and Administrators only: they hold the product's
// settings. An undo point that cannot be written never stops the update.
#pragma once

#include <string>

#include "agent/command_run.h"
#include "update/undo_capture.h"

constexpr DWORD kDefaultUndoKeep = 20;

class UndoPoints {
 public:
  explicit UndoPoints(const CommandRun& run);
  UndoPoints(const UndoPoints&) = delete;
  UndoPoints& operator=(const UndoPoints&) = delete;

  // What the update engine fills; none when the run keeps no undo point.
  UndoCapture* capture() { return run_.undoFolder.IsEmpty() ? nullptr : &capture_; }
  // Once the run has let go of its script, which may be a LAST- file itself: LAST-TYPE.INI,
  // and the oldest undo points of the type beyond LC_UPDATE\UndoKeep removed.
  void Finish();

 private:
  void Keep(const UndoCapture& capture);
  void Fail(const TextString& reason);

  const CommandRun& run_;
  UndoCapture capture_;
  std::string path_;  // this run's undo point, once named
  std::string text_;  // what it holds
  bool failed_ = false;
};
