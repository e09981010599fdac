// What an update run has done so far, for whoever reports the run: counted as the engine goes,
// with interlocked operations only, so that another thread (a reporter after a time-out, the
// fault report) may read it at any moment while the engine still runs, without waiting.
#pragma once

#include <windows.h>

struct UpdateTally {
  // UpdateKind + 1 once the script's type is read; 0 before, kTallyNoKind for none of them.
  volatile LONG kind = 0;
  volatile LONG keysWritten = 0;
  volatile LONG keysChanged = 0;    // written keys whose field holds another value than before
  volatile LONG keysAbsent = 0;
  volatile LONG keysFailed = 0;     // a fault inside the field write stopped it
  volatile LONG listsReplaced = 0;  // bit 1 << list id, once the list is filled again
  volatile LONG tasksStored = 0;    // kTallyTask... bits
  volatile LONG committed = 0;      // SetOptions was called
};

constexpr LONG kTallyNoKind = -1;
constexpr LONG kTallyUpdateTask = 1;
constexpr LONG kTallyUpgradeTask = 2;
constexpr LONG kTallyODSTask = 4;

// Each does nothing without a tally: tarnplan's runs keep none.
inline void TallyCount(UpdateTally* tally, volatile LONG UpdateTally::*counter) {
  if (tally != nullptr) InterlockedIncrement(&(tally->*counter));
}
inline void TallySet(UpdateTally* tally, volatile LONG UpdateTally::*bits, LONG bit) {
  if (tally != nullptr) InterlockedOr(&(tally->*bits), bit);
}
