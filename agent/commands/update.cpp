// LC_UPDATE=path: the update script applied to the live product by the update engine.
#include "agent/commands/commands.h"
#include "agent/command_word.h"
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
  LiveProduct target(product.getIFace, product.port);
  UpdateContext update{run.scriptPath, run.noExtensionString, run.productVersion, &target};
  update.mayCommit = [&product] { return product.gate->ClaimCommit(); };
  return ApplyUpdateScript(update);
}
