// foundation/detached_signature.h
#pragma once
#include <cstddef>
#include <string>
#include <vector>
#include "foundation/sha256.h"
enum class SignatureVerdict { kValid, kUnparsable, kContentChanged, kBadSignature, kUntrustedSigner, kNoCryptography };
struct SignatureCheck {
  SignatureVerdict verdict = SignatureVerdict::kUnparsable;
  Sha256Digest signer{};   // SHA-256 thumbprint of the signer's certificate, when it could be read
  std::string reason;      // one clause for a status line: why it is not valid
};
// `contentDigest`: the caller's own SHA-256 of exactly the bytes it will use. `signature`: a
// DER CMS/PKCS#7 SignedData without content. Valid only when the signature verifies, its
// content digest equals contentDigest, and the signer's thumbprint is one of `trusted`.
SignatureCheck CheckDetachedSignature(const Sha256Digest& contentDigest, const unsigned char* signature,
                                      std::size_t signatureSize, const std::vector<Sha256Digest>& trusted);
