// Everything one update run works with, handed in by whoever runs it: the script, what the
// run must know of the product, and the target its reads and changes go to. Nothing of a run
// outlives it.
#pragma once

#include <functional>

#include "update/product_target.h"
#include "update/undo_capture.h"
#include "update/update_tally.h"

struct UpdateContext {
  const char* scriptPath;         // read only through the system's profile functions
  const char* noExtensionString;  // entry dropped from extension lists; empty for none
  const char* productVersion;     // the product's version text, e.g. "4.5.0.12"
  ProductTarget* product;
  bool buildTraced = false;  // the product's build number is traced once per run
  bool undoPoint = false;    // the script is marked as an undo point: extension lists as written
  // Asked once, right before the commit: false when whoever runs the update has given up on it.
  std::function<bool()> mayCommit = nullptr;
  // Where the run counts what it did, for its report; none for a run nobody reports.
  UpdateTally* tally = nullptr;
  // Takes what the run replaces for an undo point; none when no undo point is kept.
  UndoCapture* undo = nullptr;
};
