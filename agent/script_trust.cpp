#include "agent/script_trust.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/agent_settings.h"
#include "foundation/detached_signature.h"
#include "foundation/secure_file.h"
#include "foundation/settings_key.h"
#include "foundation/sha256.h"
#include "foundation/trace_log.h"
#include "foundation/trusted_folder.h"
#include "update/undo_points.h"
#include "update/update_kind.h"

namespace {

ResultCode Refuse(ResultCode code, const TextString& reason, TextString& refusal) {
  refusal = reason;
  TraceStatus("%s: nothing was done.\n", reason.c_str());
  return code;
}

const char* VerdictText(SignatureVerdict verdict) {
  switch (verdict) {
    case SignatureVerdict::kValid: return "it is valid";
    case SignatureVerdict::kUnparsable: return "it cannot be read as a detached signature";
    case SignatureVerdict::kContentChanged: return "it signs other content than the script";
    case SignatureVerdict::kBadSignature: return "it does not verify";
    case SignatureVerdict::kUntrustedSigner: return "its signer is not in LC_UPDATE\\TrustedSigners";
    case SignatureVerdict::kNoCryptography: return "the system cannot verify it";
  }
  return "it is not valid";
}

bool IsUndoPointFileName(const std::string& name) {
  if (IsUndoPointName(name)) return true;
  for (UpdateKind kind : {UpdateKind::kOAS, UpdateKind::kODS, UpdateKind::kSchedule}) {
    if (_stricmp(name.c_str(), LastUndoPointName(kind).c_str()) == 0) return true;
  }
  return false;
}

bool IsSameFile(HANDLE one, HANDLE other) {
  BY_HANDLE_FILE_INFORMATION a = {}, b = {};
  return GetFileInformationByHandle(one, &a) && GetFileInformationByHandle(other, &b) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// An undo point the agent wrote: named as one, directly in LC_UPDATE\UndoFolder, a folder the
// agent trusts (no link on the way, nobody but SYSTEM and Administrators may add or change a
// file in it), the script held being the very file found there once that folder is held, and
// headed as an undo point. A user who can write a script anywhere else cannot pass for one.
bool IsOwnUndoPoint(const CommandRun& run, const char* scriptPath, ScriptCopy& copy) {
  const char* slash = std::strrchr(scriptPath, '\\');
  if (run.undoFolder.IsEmpty() || slash == nullptr) return false;
  if (_stricmp(std::string(scriptPath, slash).c_str(), run.undoFolder.c_str()) != 0 ||
      !IsUndoPointFileName(slash + 1)) {
    return false;
  }
  TrustedFolder folder;
  const FileStatus opened = folder.Open(run.undoFolder);
  if (!opened.ok()) {
    TraceStatus("The undo folder is not the agent's own (%s): its undo points need a signature.\n",
                folder.Refusal(opened).c_str());
    return false;
  }
  KernelHandle found;
  UndoPointInfo info;
  return OpenOutsideFile(scriptPath, FILE_SHARE_READ, found, true).ok() && IsSameFile(found.get(), copy.script()) &&
         ReadUndoHeading(copy.path(), info);
}

ResultCode CheckSignature(const CommandRun& run, const char* scriptPath, ScriptCopy& copy, const Sha256Digest& digest,
                          const std::vector<TextString>& listed, TextString& refusal) {
  std::vector<Sha256Digest> trusted;
  for (const TextString& entry : listed) {
    Sha256Digest thumbprint{};
    if (ParseSha256Hex(entry, thumbprint)) {
      trusted.push_back(thumbprint);
    } else {
      TraceStatus("LC_UPDATE\\TrustedSigners \"%s\" is no thumbprint of 64 hexadecimal digits: it is left out.\n",
                  entry.c_str());
    }
  }
  if (trusted.empty()) {
    return Refuse(kResultNoTrustedSigner, "No entry of LC_UPDATE\\TrustedSigners is a thumbprint, so no signer is trusted",
                  refusal);
  }
  if (IsOwnUndoPoint(run, scriptPath, copy)) {
    TraceStatus("The script is an undo point of the agent's own, in its own undo folder: it needs no signature.\n");
    return kResultSuccess;
  }
  const TextString signaturePath = TextString(scriptPath) + ".p7s";
  std::string signature;
  const FileStatus held = ReadHeldFile(signaturePath, signature);
  TextString reason;
  if (!held.ok()) {
    if (held.refusal == FileRefusal::kFailed && (held.error == ERROR_FILE_NOT_FOUND || held.error == ERROR_PATH_NOT_FOUND)) {
      reason.Format("The script has no signature %s beside it", signaturePath.c_str());
      return Refuse(kResultSignatureMissing, reason, refusal);
    }
    reason.Format("The script's signature %s cannot be held and read: %s", signaturePath.c_str(), held.Reason().c_str());
    return Refuse(kResultSignatureUnheld, reason, refusal);
  }
  const SignatureCheck check = CheckDetachedSignature(
      digest, reinterpret_cast<const unsigned char*>(signature.data()), signature.size(), trusted);
  if (check.verdict == SignatureVerdict::kValid) {
    TraceStatus("The script is signed by %s, a signer LC_UPDATE\\TrustedSigners lists.\n", Sha256Hex(check.signer).c_str());
    return kResultSuccess;
  }
  reason.Format("The script's signature is not valid: %s",
                check.reason.empty() ? VerdictText(check.verdict) : check.reason.c_str());
  if (check.signer != Sha256Digest{}) reason = reason + " (signer " + Sha256Hex(check.signer).c_str() + ")";
  return Refuse(check.verdict == SignatureVerdict::kUntrustedSigner ? kResultSignerUntrusted : kResultSignatureInvalid,
                reason, refusal);
}

}  // namespace

ResultCode CheckScriptTrust(const CommandRun& run, const char* scriptPath, ScriptCopy& copy, const Sha256Digest* digest,
                            DWORD digestError, TextString& refusal) {
  const SettingsKey& settings = Settings();
  TextString problem;
  const TextString pin = settings.ReadText(agent_setting::kScriptSha256, "", false, problem);
  if (!problem.IsEmpty()) return Refuse(kResultScriptHashUnread, problem + ", so the script cannot be checked", refusal);
  const std::vector<TextString> signers = settings.ReadTexts(agent_setting::kTrustedSigners, problem);
  // A value of the wrong type meant signers all the same: no script is taken unsigned.
  if (!problem.IsEmpty()) return Refuse(kResultNoTrustedSigner, problem + ", so no signer is trusted", refusal);
  if (pin.IsEmpty() && signers.empty()) return kResultSuccess;

  TextString reason;
  if (digest == nullptr) {
    reason.Format("The script's SHA-256 cannot be computed (error %lu)", digestError);
    return Refuse(kResultScriptDigestFailed, reason, refusal);
  }
  if (!pin.IsEmpty()) {
    Sha256Digest pinned{};
    if (!ParseSha256Hex(pin, pinned)) {
      reason.Format("LC_UPDATE\\ScriptSha256 \"%s\" is no SHA-256: it must be 64 hexadecimal digits and nothing else",
                    pin.c_str());
      return Refuse(kResultScriptHashMalformed, reason, refusal);
    }
    if (pinned != *digest) {
      reason.Format("The script's SHA-256 is %s, not %s as LC_UPDATE\\ScriptSha256 names", Sha256Hex(*digest).c_str(),
                    Sha256Hex(pinned).c_str());
      return Refuse(kResultScriptHashMismatch, reason, refusal);
    }
    TraceStatus("The script's SHA-256 is the one LC_UPDATE\\ScriptSha256 names.\n");
  }
  if (signers.empty()) return kResultSuccess;
  return CheckSignature(run, scriptPath, copy, *digest, signers, refusal);
}
