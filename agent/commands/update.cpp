// LC_UPDATE=path: the update script applied to the live product by the update engine.
#include "agent/commands/commands.h"
#include "agent/command_word.h"
#include "agent/run_event.h"
#include "agent/script_copy.h"
#include "agent/undo_point.h"
#include "update/live_product.h"
#include "update/update_driver.h"

ResultCode PrepareUpdate(CommandRun& run) {
  if (!CopyCommandArgument(run.upperCommandLine, CommandWord::kUpdate, run.scriptPath, sizeof run.scriptPath)) {
    return kResultBadCommandLine;
  }
  if (!PathExists(run.scriptPath)) return kResultScriptMissing;
  // Held, sharing reads only, from here to the end of the run, before the wait for the product
  // and its library: nobody can delete or rewrite the script meanwhile, and every key is read
  // from a copy made through this handle, so the script read is the one held.
  auto copy = std::make_shared<ScriptCopy>();
  bool missing = false;
  const ResultCode made = copy->Make(run.scriptPath, missing);
  if (made != kResultSuccess) {
    run.scriptUnreadable = !missing;
    return made;
  }
  run.scriptCopy = std::move(copy);
  return kResultSuccess;
}

ResultCode ApplyUpdate(const CommandRun& run, ProductSession& product) {
  UndoPoints undo(run);
  LiveProduct target(product.getIFace, product.port);
  UpdateContext update{run.scriptCopy->path(), run.noExtensionString, run.productVersion, &target};
  update.mayCommit = [&product] { return product.gate->ClaimCommit(); };
  if (run.details != nullptr) update.tally = &run.details->update;
  update.undo = undo.capture();
  const ResultCode result = ApplyUpdateScript(update);
  // Let go of: the script may be the LAST- file of its type, which the new undo point replaces.
  run.scriptCopy->LetGoOfScript();
  undo.Finish();
  return result;
}
