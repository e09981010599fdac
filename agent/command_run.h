// One run of the agent: what the entry point read before the command and what the command
// found out on its way, for the command's handlers and the result text. Built by the entry
// point and handed down; nothing of it is process-wide.
#pragma once

#include <windows.h>

#include <memory>

#include "foundation/text_string.h"

struct Command;
struct RunDetails;

constexpr int kPathBufferSize = 260;
constexpr int kRequiredVersionBufferSize = 24;  // the longest LC_VERSION= argument taken, and its end
constexpr DWORD kDefaultFuncTimeout = 240000;

// What one command takes and finds out for itself (its argument, the file it works on), in a
// type of its own in the command's file: made by its part on the entry thread, read by its part
// with the product and by its result text.
struct CommandArguments {
  virtual ~CommandArguments() = default;
};

struct CommandRun {
  HMODULE module = nullptr;             // the agent's own module: its string table
  const char* commandLine = "";         // the command line as given
  const char* upperCommandLine = "";    // the command line, upper-cased
  DWORD funcTimeout = kDefaultFuncTimeout;
  TextString noExtensionString;         // LC_UPDATE\NoExtensionString
  TextString productVersion;            // the product's version text, may be empty
  const Command* command = nullptr;     // the command line's row in the command table, if any
  // The command's own arguments, shared by the entry thread's run and the worker's copy: they
  // go when both have let go of them.
  std::shared_ptr<CommandArguments> arguments;
  // A command's part on the entry thread gave up on a thread it started, which may still be
  // inside a system library: the process ends at once after the result.
  bool workAbandoned = false;
  TextString undoFolder;                // LC_UPDATE\UndoFolder; empty: no undo points
  DWORD undoKeep = 0;                   // LC_UPDATE\UndoKeep, undo points kept of each type
  // What the run's report tells beyond the result; shared by the entry thread and the worker's
  // copy of the run, and read while the worker may still write it (see agent/run_event.h).
  RunDetails* details = nullptr;
  // A status line about how the command line was read that the run's event carries too.
  TextString commandLineNote;
};
