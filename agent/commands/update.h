// LC_UPDATE='s own arguments, which the undo points and the run's event read as well.
#pragma once

#include <memory>

#include "agent/command_run.h"
#include "agent/script_copy.h"
#include "foundation/text_string.h"

struct UpdateArguments : CommandArguments {
  TextString scriptPath;  // the argument, as the result text and the undo point name it
  // The script's private copy, once made: the worker reads every key from it.
  std::unique_ptr<ScriptCopy> scriptCopy;
  bool scriptUnreadable = false;  // 6 because the script is there but could not be held or copied
  TextString refusal;  // why the script was refused with 13, for the run's event
  TextString scriptSha256;   // of the private copy, in hexadecimal; empty when not computed
  TextString requiredAgent;  // [TARNUPDATE] RequiresAgent, as the result text 12 names it
};

// Whether the run's command is LC_UPDATE=, taken or not.
bool IsUpdateRun(const CommandRun& run);

// The update's arguments; nullptr when the run is no update or refused its argument.
const UpdateArguments* UpdateArgumentsOf(const CommandRun& run);
