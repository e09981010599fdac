// The agent's result: written to the registry and returned as the exit code. Each code has
// its message at string-table id code + 4.
#pragma once

using ResultCode = int;

constexpr ResultCode kResultSuccess = 0;
constexpr ResultCode kResultBadCommandLine = 1;
constexpr ResultCode kResultGetOptionsFailed = 2;
constexpr ResultCode kResultSizeMismatch = 3;
constexpr ResultCode kResultGetIFaceFailed = 4;
constexpr ResultCode kResultSyncLibraryNotLoaded = 5;
constexpr ResultCode kResultScriptMissing = 6;
constexpr ResultCode kResultProgramMissing = 7;
constexpr ResultCode kResultInstallerFailed = 8;
constexpr ResultCode kResultUpdateTaskNotFound = 9;
constexpr ResultCode kResultUpgradeTaskNotFound = 10;
constexpr ResultCode kResultTimedOut = 11;
constexpr ResultCode kResultVersionTooOld = 12;

constexpr ResultCode kResultLast = kResultVersionTooOld;
// Exit code when the command line cannot even be copied.
constexpr ResultCode kResultNoMemory = -1;
