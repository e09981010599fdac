// LC_UPDATE=path: the update script applied to the live product by the update engine.
#include "agent/commands/update.h"

#include "agent/commands/commands.h"
#include "agent/run_event.h"
#include "agent/script_trust.h"
#include "agent/undo_point.h"
#include "resources/message_ids.h"
#include "update/live_product.h"
#include "update/update_driver.h"
#include "update/update_kind.h"

bool IsUpdateRun(const CommandRun& run) { return run.command != nullptr && run.command->onEntry == PrepareUpdate; }

const UpdateArguments* UpdateArgumentsOf(const CommandRun& run) {
  return IsUpdateRun(run) ? ArgumentsOf<UpdateArguments>(run) : nullptr;
}

const char* UpdateResultArgument(const CommandRun& run, ResultCode code, unsigned int& message) {
  const UpdateArguments* update = UpdateArgumentsOf(run);
  if (update == nullptr) return "";
  if (code == kResultScriptMissing && update->scriptUnreadable) message = IDS_SCRIPT_UNREADABLE;
  if (code == kResultVersionTooOld) return update->requiredAgent.c_str();
  return update->scriptPath.c_str();
}

namespace {

// A script that names a newer agent than this one touches nothing; one whose version is no
// a.b.c is a script to correct, refused as LC_VERSION= refuses its argument.
ResultCode CheckRequiredAgent(UpdateArguments& update, const char* copyPath) {
  char required[kRequiredVersionBufferSize] = {};
  const DWORD length =
      GetPrivateProfileStringA("TARNUPDATE", kRequiresAgentKey, "", required, sizeof required, copyPath);
  if (length == 0) return kResultSuccess;
  update.requiredAgent = required;
  const ResultCode compared = length + 1 >= sizeof required ? kResultBadCommandLine : CompareAgentVersion(required);
  if (compared == kResultBadCommandLine) {
    TraceStatus("The script's [TARNUPDATE] %s \"%s\" is no version a.b.c: nothing was done.\n", kRequiresAgentKey,
                required);
  }
  return compared;
}

}  // namespace

ResultCode PrepareUpdate(CommandRun& run, const char* scriptPath) {
  UpdateArguments& update = MakeArguments<UpdateArguments>(run);
  update.scriptPath = scriptPath;
  if (!PathExists(update.scriptPath)) return kResultScriptMissing;
  // Held, sharing reads only, from here to the end of the run, before the wait for the product
  // and its library: nobody can delete or rewrite the script meanwhile, and every key is read
  // from a copy made through this handle, so the script read is the one held.
  auto copy = std::make_unique<ScriptCopy>();
  bool missing = false;
  const ResultCode made = copy->Make(update.scriptPath, missing);
  if (made != kResultSuccess) {
    update.scriptUnreadable = !missing;
    return made;
  }
  // Once per run, for the trust checks and the run record alike.
  Sha256Digest digest{};
  const bool digested = copy->Digest(digest);
  const DWORD digestError = digested ? ERROR_SUCCESS : GetLastError();
  if (digested) update.scriptSha256 = Sha256Hex(digest).c_str();
  // Before the product's library, mutex or undo point: a script refused here touches nothing.
  ResultCode result =
      CheckScriptTrust(run, update.scriptPath, *copy, digested ? &digest : nullptr, digestError, update.refusal);
  if (result == kResultSuccess) result = CheckRequiredAgent(update, copy->path());
  update.scriptCopy = std::move(copy);
  return result;
}

ResultCode ApplyUpdate(const CommandRun& run, ProductSession& product) {
  const UpdateArguments& arguments = *ArgumentsOf<UpdateArguments>(run);
  UndoPoints undo(run);
  LiveProduct target(product.getIFace, product.port);
  UpdateContext update{arguments.scriptCopy->path(), run.noExtensionString, run.productVersion, &target};
  update.mayCommit = [&product] { return product.gate->ClaimCommit(); };
  update.tally = &run.details->update;
  update.undo = undo.capture();
  const ResultCode result = ApplyUpdateScript(update);
  // Let go of: the script may be the LAST- file of its type, which the new undo point replaces.
  arguments.scriptCopy->LetGoOfScript();
  undo.Finish();
  return result;
}
