// The signature beside a script, SCRIPT.p7s, checked as the agent checks it, except for trust:
// tarncheck does not know a machine's LC_UPDATE\TrustedSigners, so it names the signer's
// thumbprint for an administrator to compare.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

struct ScriptSignature {
  bool present = false;  // SCRIPT.p7s exists
  std::string file;
  bool valid = false;    // verifies, over exactly these bytes
  std::string signer;    // the certificate's SHA-256 thumbprint, empty when it cannot be read
  std::string reason;    // why it is not valid
};

// `bytes` are the script's, as read for the check.
ScriptSignature CheckScriptSignature(const std::string& scriptPath, const std::string& bytes);

// What a signature that is present says: whose it is, or why it is not valid.
std::string SignatureText(const ScriptSignature& signature);
// {"file", "valid", "signer", "reason"}, or null when there is no signature.
nlohmann::ordered_json SignatureJson(const ScriptSignature& signature);
