// Detached signatures of update scripts made on Windows, with the signer's certificate and key
// from a PFX file: what the agent checks when TrustedSigners is set, without openssl.
#pragma once

#include <string>

#include "foundation/sha256.h"

struct ScriptSigning {
  std::string signature;  // DER, for SCRIPT.p7s
  Sha256Digest signer{};  // the SHA-256 thumbprint the agent's TrustedSigners must list
  std::string error;      // empty when signed, else why not, for "tarnplan: ..."
};

// Signs exactly the bytes of `scriptPath` (SHA-256, DER, the signer's certificate included) and
// checks the signature as the agent will. `password` may be null for none.
ScriptSigning SignScript(const std::string& scriptPath, const std::string& pfxPath, const wchar_t* password);
