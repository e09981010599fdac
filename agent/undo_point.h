// Undo points: with LC_UPDATE\UndoFolder set, an LC_UPDATE= run keeps, before each change the
// product stores, an update script that puts back everything the run has changed up to then
// (named, headed and pruned as update/undo_points.h says), and LAST-TYPE.INI as a copy of it.
// LAST-TYPE.INI is what a fleet applies to undo the last update of a type, so it never names an
// earlier update than the last one that stored a change: it is replaced before the store it
// protects, and removed when this run's point cannot be written. A run that changes nothing keeps no point.
// The folder, each folder on its way and the files are checked and made as the agent's own
// (foundation/trusted_folder.h): they hold the product's settings and are applied as SYSTEM.
// An undo point that cannot be written never stops the update.
#pragma once

#include <string>

#include "agent/command_run.h"
#include "foundation/trusted_folder.h"
#include "update/undo_capture.h"
#include "update/undo_points.h"

class UndoPoints {
 public:
  explicit UndoPoints(const CommandRun& run);
  UndoPoints(const UndoPoints&) = delete;
  UndoPoints& operator=(const UndoPoints&) = delete;

  // What the update engine fills; none when the run keeps no undo point.
  UndoCapture* capture() { return run_.undoFolder.IsEmpty() ? nullptr : &capture_; }
  // At the end of the run: the oldest undo points of the type beyond LC_UPDATE\UndoKeep
  // removed, never this run's own.
  void Finish();

 private:
  void Keep(const UndoCapture& capture);
  void Fail(const TextString& reason, bool folderTrusted);
  // LAST-TYPE.INI made this run's point, or else removed; says so when neither can be done.
  void MakeLast();

  const CommandRun& run_;
  UndoCapture capture_;
  TrustedFolder folder_;
  std::string name_;  // this run's undo point in the folder, once named
  std::string text_;  // what it holds
  bool failed_ = false;
  std::size_t leftOutSaid_ = 0;  // values the point cannot carry, said in status lines
};
