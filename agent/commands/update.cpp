// LC_UPDATE=path: the update script applied to the live product by the update engine.
#include "agent/commands/commands.h"
#include "agent/command_word.h"
#include "agent/run_event.h"
#include "agent/undo_point.h"
#include "foundation/unique_handle.h"
#include "update/live_product.h"
#include "update/update_driver.h"

ResultCode PrepareUpdate(CommandRun& run) {
  if (!CopyCommandArgument(run.upperCommandLine, CommandWord::kUpdate, run.scriptPath, sizeof run.scriptPath)) {
    return kResultBadCommandLine;
  }
  if (!PathExists(run.scriptPath)) return kResultScriptMissing;
  return kResultSuccess;
}

ResultCode ApplyUpdate(const CommandRun& run, ProductSession& product) {
  UndoPoints undo(run);
  ResultCode result = kResultSuccess;
  {
    // Held open, sharing reads only, for the whole update: the profile functions still do every
    // read, but nobody can delete or rewrite the script half-way and have a half-read one
    // committed.
    const KernelHandle script(CreateFileA(run.scriptPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!script) {
      TraceStatus("The script cannot be held for reading (error %lu): nothing was updated.\n", GetLastError());
      return kResultScriptMissing;
    }
    LiveProduct target(product.getIFace, product.port);
    UpdateContext update{run.scriptPath, run.noExtensionString, run.productVersion, &target};
    update.mayCommit = [&product] { return product.gate->ClaimCommit(); };
    if (run.details != nullptr) update.tally = &run.details->update;
    update.undo = undo.capture();
    result = ApplyUpdateScript(update);
  }
  // Let go of: the script may be the LAST- file of its type.
  undo.Finish();
  return result;
}
