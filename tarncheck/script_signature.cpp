#include "tarncheck/script_signature.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "foundation/detached_signature.h"
#include "foundation/utf8_text.h"

ScriptSignature CheckScriptSignature(const std::string& scriptPath, const std::string& bytes) {
  ScriptSignature signature;
  signature.file = scriptPath + ".p7s";
  signature.present = GetFileAttributesA(signature.file.c_str()) != INVALID_FILE_ATTRIBUTES;
  if (!signature.present) return signature;
  std::ifstream file(signature.file, std::ios::binary);
  if (!file) {
    signature.reason = "it cannot be read";
    return signature;
  }
  const std::vector<unsigned char> p7s((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  Sha256Digest digest{};
  if (!Sha256Of(bytes.data(), bytes.size(), digest)) {
    signature.reason = "the system cannot compute SHA-256";
    return signature;
  }
  const SignatureCheck check = CheckDetachedSignature(digest, p7s.data(), p7s.size(), {});
  signature.valid = check.verdict == SignatureVerdict::kUntrustedSigner;  // all but trust holds
  if (!signature.valid) signature.reason = check.reason;
  if (check.signer != Sha256Digest{}) signature.signer = Sha256Hex(check.signer);
  return signature;
}

std::string SignatureText(const ScriptSignature& signature) {
  if (!signature.present) return "";
  if (signature.valid) {
    return signature.file + ": valid signature by the certificate " + signature.signer +
           "; the agent accepts it where LC_UPDATE\\TrustedSigners lists that thumbprint";
  }
  return "the signature " + signature.file + " is not valid: " + signature.reason +
         (signature.signer.empty() ? "" : "; signer " + signature.signer);
}

nlohmann::ordered_json SignatureJson(const ScriptSignature& signature) {
  using json = nlohmann::ordered_json;
  if (!signature.present) return json();
  return {{"file", AnsiToUtf8(signature.file)},
          {"valid", signature.valid},
          {"signer", signature.signer.empty() ? json() : json(signature.signer)},
          {"reason", signature.valid ? json() : json(signature.reason)}};
}
