// The agent's result: written to the registry and returned as the exit code. Each code has
// its message at string-table id code + 4. Parts of the agent and the update engine give them.
// The numbers and their texts are what management systems read; several causes share one, so
// each cause has a name of its own where it arises, mapping to its number ("Where 1, 8, 11 and 13
// come from" in docs/development.md lists them).
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
  kResultScriptNotAuthentic = 13,
  // Exit code when the command line cannot even be copied.
  kResultNoMemory = -1,

  // 1: the command line, or what the script asks for, cannot be carried out.
  kResultArgumentTooLong = kResultBadCommandLine,            // LC_UPDATE= or LC_VERSION= argument too long
  kResultCommandLineNotConvertible = kResultBadCommandLine,  // not exact in the system code page
  kResultVersionNotThreeNumbers = kResultBadCommandLine,     // LC_VERSION= without a.b.c
  kResultUnknownUpdateType = kResultBadCommandLine,          // the script's UpdateType is none we know
  kResultConsoleRefused = kResultBadCommandLine,             // AVSIF_AVCONSOL refused for a schedule update

  // 5: the product's sync library cannot be used.
  kResultSyncLibraryMissing = kResultSyncLibraryNotLoaded,         // not installed, or not loadable
  kResultSyncLibraryWithoutGetIFace = kResultSyncLibraryNotLoaded,  // loaded, without AvSync_GetIFace

  // 8: Windows Installer, or a file or program the command works on, failed it.
  kResultInstallerMissing = kResultInstallerFailed,          // MSI.DLL not loadable from the system folder
  kResultInstallerFunctionMissing = kResultInstallerFailed,  // MSI.DLL without the function needed
  kResultFileVersionUnread = kResultInstallerFailed,         // MsiGetFileVersionA failed
  kResultFileVersionOverran = kResultInstallerFailed,        // the version read did not end within Func Timeout
  kResultNoFileOnDisk = kResultInstallerFailed,              // LC_FILEVER names a device or pipe
  kResultFileNotOpened = kResultInstallerFailed,             // LC_FILEVER file there but not openable
  kResultProgramNotHeld = kResultInstallerFailed,            // LC_EXEC program there but not holdable
  kResultProgramNotStarted = kResultInstallerFailed,         // CreateProcess refused the LC_EXEC program

  // 11: the product's command did not complete.
  kResultProductMutexUnmade = kResultTimedOut,    // the product's mutex could not be made
  kResultProductBusy = kResultTimedOut,           // another run held the product for Func Timeout
  kResultWorkerNotStarted = kResultTimedOut,      // the worker thread could not be created
  kResultWorkerOverran = kResultTimedOut,         // the worker did not end within Func Timeout
  kResultCommitGivenUp = kResultTimedOut,         // the worker found the run given up on before committing
  kResultUnhandledException = kResultTimedOut,    // the fault report's result

  // 13: the script is not the one the management system named; nothing of the product is touched.
  kResultScriptHashUnread = kResultScriptNotAuthentic,      // LC_UPDATE\ScriptSha256 of the wrong type
  kResultScriptHashMalformed = kResultScriptNotAuthentic,   // ScriptSha256 is no 64 hexadecimal digits
  kResultScriptHashMismatch = kResultScriptNotAuthentic,    // the private copy's SHA-256 is another
  kResultScriptDigestFailed = kResultScriptNotAuthentic,    // the system could not compute a SHA-256
  kResultNoTrustedSigner = kResultScriptNotAuthentic,       // TrustedSigners set, but no entry is a thumbprint
  kResultSignatureMissing = kResultScriptNotAuthentic,      // no <script>.p7s beside the script
  kResultSignatureUnheld = kResultScriptNotAuthentic,       // the .p7s is a link, or cannot be held and read
  kResultSignatureInvalid = kResultScriptNotAuthentic,      // unparsable, another content, a bad signature
  kResultSignerUntrusted = kResultScriptNotAuthentic,       // signed by a certificate not in TrustedSigners
};

constexpr ResultCode kResultLast = kResultScriptNotAuthentic;

// Which of the causes of 11 a run ended on. The number stays 11 for all of them; the status line,
// the run's event and the run record tell them apart, and which of them a retry may cure.
enum class TimeOutCause : long {
  kNone,
  kProductBusy,         // kResultProductBusy
  kWorkerOverran,       // kResultWorkerOverran
  kCommitGivenUp,       // kResultCommitGivenUp
  kProductMutexUnmade,  // kResultProductMutexUnmade
  kWorkerNotStarted,    // kResultWorkerNotStarted
  kUnhandledException,  // kResultUnhandledException
};
