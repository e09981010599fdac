// The agent's result: written to the registry and returned as the exit code. Each code has
// its message at string-table id code + 4. Parts of the agent and the update engine give them.
#pragma once

enum ResultCode : int {
  kResultSuccess = 0,
  kResultBadCommandLine = 1,
  kResultGetOptionsFailed = 2,
  kResultSizeMismatch = 3,
  kResultGetIFaceFailed = 4,
  kResultSyncLibraryNotLoaded = 5,
  kResultScriptMissing = 6,
  kResultProgramMissing = 7,
  kResultInstallerFailed = 8,
  kResultUpdateTaskNotFound = 9,
  kResultUpgradeTaskNotFound = 10,
  kResultTimedOut = 11,
  kResultVersionTooOld = 12,
  // Exit code when the command line cannot even be copied.
  kResultNoMemory = -1,
};

constexpr ResultCode kResultLast = kResultVersionTooOld;
