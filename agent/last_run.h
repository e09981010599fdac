// The record every run leaves for a fleet's tools (the table: foundation/run_record.h): its
// values below TARNUPDATE, written with the result by whoever claimed it, and LastRun.json in
// the agent's state folder, which a collector reads without registry access.
#pragma once

#include "agent/command_run.h"
#include "agent/run_event.h"
#include "foundation/result_codes.h"

// Opens and holds the state folder for the file at the run's start, where the run may still
// allocate and wait; what refused it is kept for the status line at the end.
void OpenLastRunFolder(RunDetails& details);

// Deletes every value of the previous run's record from the registry; false when one stays.
bool ClearLastRun();

// Writes every value of the record below TARNUPDATE (false when the registry refused one), then
// the file, whole or not at all, with one status line when it cannot. Called once, by the
// claimant of the result, possibly on a thread that faulted: it keeps its texts in static
// storage, not on the stack.
bool WriteLastRun(const CommandRun& run, ResultCode code, const char* resultText, TimeOutCause cause);
