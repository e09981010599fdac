// Detached signatures made by openssl (tests/make_signatures.sh, once per build), checked
// against the script as signed and with one byte changed, by a trusted signer and a stranger.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/detached_signature.h"
#include "testtools/agent_harness.h"

namespace {

using V = SignatureVerdict;

std::string Fixture(const std::string& name) { return ReadBytes(ProgramBesideTest("signatures\\" + name)); }

Sha256Digest ThumbprintOf(const std::string& who) {
  Sha256Digest digest{};
  EXPECT_TRUE(ParseSha256Hex(Fixture(who + ".sha256").substr(0, 64).c_str(), digest)) << who;
  return digest;
}

SignatureCheck Check(const std::string& content, const std::string& signature,
                     const std::vector<Sha256Digest>& trusted) {
  Sha256Digest digest{};
  EXPECT_TRUE(Sha256Of(content.data(), content.size(), digest));
  return CheckDetachedSignature(digest, reinterpret_cast<const unsigned char*>(signature.data()), signature.size(),
                                trusted);
}

TEST(DetachedSignature, ValidOnlyOverTheSameBytesByATrustedSigner) {
  const std::string script = Fixture("script.ini");
  ASSERT_FALSE(script.empty());
  std::string changed = script;
  changed[changed.size() / 2] ^= 1;
  const Sha256Digest signer = ThumbprintOf("signer"), stranger = ThumbprintOf("stranger");
  for (const std::string who : {"signer", "stranger"}) {
    for (const std::string form : {"attributes", "no-attributes"}) {
      for (const bool isChanged : {false, true}) {
        SCOPED_TRACE(who + "-" + form + (isChanged ? ", script changed" : ""));
        const SignatureCheck check = Check(isChanged ? changed : script, Fixture(who + "-" + form + ".p7s"), {signer});
        EXPECT_EQ(check.verdict, isChanged ? V::kContentChanged : who == "signer" ? V::kValid : V::kUntrustedSigner);
        EXPECT_EQ(check.signer, who == "signer" ? signer : stranger);  // as openssl computes it
        EXPECT_EQ(check.reason.empty(), check.verdict == V::kValid) << check.reason;
      }
    }
  }

  std::string damaged = Fixture("signer-attributes.p7s");
  damaged.back() ^= 1;  // the signature value ends the message
  // Signature file, trusted signers, verdict, and whether the signer can be named.
  const struct {
    std::string signature;
    std::vector<Sha256Digest> trusted;
    V verdict;
    bool signerKnown;
  } rows[] = {
      {damaged, {signer}, V::kBadSignature, true},
      {Fixture("signer-attributes.p7s"), {stranger}, V::kUntrustedSigner, true},
      {Fixture("signer-no-attributes.p7s"), {}, V::kUntrustedSigner, true},
      {Fixture("sha1.p7s"), {signer}, V::kBadSignature, true},
      {Fixture("no-certificate.p7s"), {signer}, V::kBadSignature, false},
      {Fixture("two-signers.p7s"), {signer, stranger}, V::kBadSignature, false},
      {Fixture("truncated.p7s"), {signer}, V::kUnparsable, false},
      {Fixture("base64.p7s"), {signer}, V::kUnparsable, false},
      {script, {signer}, V::kUnparsable, false},
      {"", {signer}, V::kUnparsable, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(&row - rows);
    const SignatureCheck check = Check(script, row.signature, row.trusted);
    EXPECT_EQ(check.verdict, row.verdict) << check.reason;
    EXPECT_EQ(check.signer, row.signerKnown ? signer : Sha256Digest{});
    EXPECT_FALSE(check.reason.empty());
  }
}

}  // namespace
