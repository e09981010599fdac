#include "foundation/detached_signature.h"

#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstring>

#include "foundation/crypto_handles.h"
#include "foundation/system_library.h"

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// CRYPT32.DLL's functions, loaded once from the system folder when first needed: the agent
// imports nothing beyond the oldest system libraries, and runs on where the library is missing.
struct Crypt32 {
  LoadedModule module;
  decltype(&CryptMsgOpenToDecode) openToDecode = nullptr;
  decltype(&CryptMsgUpdate) update = nullptr;
  decltype(&CryptMsgGetParam) getParam = nullptr;
  decltype(&CryptMsgClose) closeMessage = nullptr;
  decltype(&CertOpenStore) openStore = nullptr;
  decltype(&CertCloseStore) closeStore = nullptr;
  decltype(&CertGetSubjectCertificateFromStore) subjectCertificate = nullptr;
  decltype(&CertFreeCertificateContext) freeCertificate = nullptr;
  decltype(&CryptEncodeObjectEx) encodeObject = nullptr;
  decltype(&CryptImportPublicKeyInfo) importPublicKey = nullptr;

  bool Complete() const {
    return openToDecode && update && getParam && closeMessage && openStore && closeStore && subjectCertificate &&
           freeCertificate && encodeObject && importPublicKey;
  }
};

Crypt32 LoadCrypt32() {
  Crypt32 crypt;
  crypt.module = LoadSystemLibrary("CRYPT32.DLL");
  if (!crypt.module) return crypt;
  const HMODULE module = crypt.module.get();
  crypt.openToDecode = FindExport<decltype(crypt.openToDecode)>(module, "CryptMsgOpenToDecode");
  crypt.update = FindExport<decltype(crypt.update)>(module, "CryptMsgUpdate");
  crypt.getParam = FindExport<decltype(crypt.getParam)>(module, "CryptMsgGetParam");
  crypt.closeMessage = FindExport<decltype(crypt.closeMessage)>(module, "CryptMsgClose");
  crypt.openStore = FindExport<decltype(crypt.openStore)>(module, "CertOpenStore");
  crypt.closeStore = FindExport<decltype(crypt.closeStore)>(module, "CertCloseStore");
  crypt.subjectCertificate =
      FindExport<decltype(crypt.subjectCertificate)>(module, "CertGetSubjectCertificateFromStore");
  crypt.freeCertificate = FindExport<decltype(crypt.freeCertificate)>(module, "CertFreeCertificateContext");
  crypt.encodeObject = FindExport<decltype(crypt.encodeObject)>(module, "CryptEncodeObjectEx");
  crypt.importPublicKey = FindExport<decltype(crypt.importPublicKey)>(module, "CryptImportPublicKeyInfo");
  return crypt;
}

const Crypt32& Crypt() {
  static const Crypt32 crypt = LoadCrypt32();
  return crypt;
}

void CloseMessage(HCRYPTMSG message) { Crypt().closeMessage(message); }
void CloseStore(HCERTSTORE store) { Crypt().closeStore(store, 0); }
void FreeCertificate(PCCERT_CONTEXT certificate) { Crypt().freeCertificate(certificate); }
using Message = UniqueHandle<NullIsNoneTraits<HCRYPTMSG, CloseMessage>>;
using CertificateStore = UniqueHandle<NullIsNoneTraits<HCERTSTORE, CloseStore>>;
using Certificate = UniqueHandle<NullIsNoneTraits<PCCERT_CONTEXT, FreeCertificate>>;

// A parameter of the decoded message in its own buffer (the system lays out the structure and
// what it points to there); empty when the message has none.
std::vector<BYTE> MessageParam(HCRYPTMSG message, DWORD type, DWORD index) {
  DWORD size = 0;
  if (!Crypt().getParam(message, type, index, nullptr, &size) || size == 0) return {};
  std::vector<BYTE> buffer(size);
  if (!Crypt().getParam(message, type, index, buffer.data(), &size)) return {};
  buffer.resize(size);
  return buffer;
}

bool MessageDword(HCRYPTMSG message, DWORD type, DWORD& value) {
  DWORD size = sizeof value;
  return Crypt().getParam(message, type, 0, &value, &size) && size == sizeof value;
}

SignatureCheck& Refuse(SignatureCheck& check, SignatureVerdict verdict, std::string reason) {
  check.verdict = verdict;
  check.reason = std::move(reason);
  return check;
}

// The messageDigest attribute's one value, a DER OCTET STRING of 32 bytes.
bool SignedMessageDigest(const CRYPT_ATTRIBUTES& attributes, Sha256Digest& digest) {
  const CRYPT_ATTRIBUTE* found = nullptr;
  for (DWORD i = 0; i < attributes.cAttr; ++i) {
    const CRYPT_ATTRIBUTE& attribute = attributes.rgAttr[i];
    if (attribute.pszObjId == nullptr || std::strcmp(attribute.pszObjId, szOID_RSA_messageDigest) != 0) continue;
    if (found != nullptr) return false;  // two of them: which one was meant?
    found = &attribute;
  }
  if (found == nullptr || found->cValue != 1) return false;
  const CRYPT_ATTR_BLOB& value = found->rgValue[0];
  if (value.cbData != 2 + digest.size() || value.pbData[0] != 0x04 || value.pbData[1] != digest.size()) return false;
  std::copy(value.pbData + 2, value.pbData + value.cbData, digest.begin());
  return true;
}

// What the signature signs when there are attributes: their DER encoding as a SET, which the
// system rebuilds from the decoded attributes as it does when it verifies them itself.
bool AttributesDigest(const CRYPT_ATTRIBUTES& attributes, Sha256Digest& digest) {
  DWORD size = 0;
  if (!Crypt().encodeObject(X509_ASN_ENCODING, PKCS_ATTRIBUTES, &attributes, 0, nullptr, nullptr, &size)) return false;
  std::vector<BYTE> encoded(size);
  if (!Crypt().encodeObject(X509_ASN_ENCODING, PKCS_ATTRIBUTES, &attributes, 0, nullptr, encoded.data(), &size)) {
    return false;
  }
  return Sha256Of(encoded.data(), size, digest);
}

// An RSA signature (PKCS #1 v1.5) of `digest`, checked with the certificate's public key.
bool SignatureVerifies(const CERT_INFO& certificate, const Sha256Digest& digest, const CRYPT_DATA_BLOB& signature) {
  const CryptProvider provider = AcquireAesProvider();
  HCRYPTKEY rawKey = 0;
  if (!provider || !Crypt().importPublicKey(provider.get(), X509_ASN_ENCODING,
                                            const_cast<CERT_PUBLIC_KEY_INFO*>(&certificate.SubjectPublicKeyInfo),
                                            &rawKey)) {
    return false;
  }
  const CryptKey key(rawKey);
  const CryptHash hash = CreateCryptHash(provider.get(), CALG_SHA_256);
  if (!hash || !CryptSetHashParam(hash.get(), HP_HASHVAL, digest.data(), 0)) return false;
  // CMS keeps the signature big-endian; CryptoAPI takes it little-endian.
  std::vector<BYTE> reversed(signature.pbData, signature.pbData + signature.cbData);
  std::reverse(reversed.begin(), reversed.end());
  return CryptVerifySignatureW(hash.get(), reversed.data(), static_cast<DWORD>(reversed.size()), key.get(), nullptr,
                               0) != FALSE;
}

bool IsRsa(const char* oid) {
  return oid != nullptr && (std::strcmp(oid, szOID_RSA_RSA) == 0 || std::strcmp(oid, szOID_RSA_SHA256RSA) == 0);
}

}  // namespace

SignatureCheck CheckDetachedSignature(const Sha256Digest& contentDigest, const unsigned char* signature,
                                      std::size_t signatureSize, const std::vector<Sha256Digest>& trusted) {
  SignatureCheck check;
  using V = SignatureVerdict;
  if (!Crypt().Complete()) {
    return Refuse(check, V::kNoCryptography, "CRYPT32.DLL cannot be loaded from the system folder");
  }
  if (signature == nullptr || signatureSize == 0) return Refuse(check, V::kUnparsable, "the signature file is empty");
  if (signatureSize > 0x1000000) return Refuse(check, V::kUnparsable, "the signature file is larger than 16 MB");

  const Message message(Crypt().openToDecode(kEncoding, CMSG_DETACHED_FLAG, 0, 0, nullptr, nullptr));
  if (!message) return Refuse(check, V::kNoCryptography, "the system cannot decode signatures");
  DWORD type = 0;
  if (!Crypt().update(message.get(), signature, static_cast<DWORD>(signatureSize), TRUE) ||
      !MessageDword(message.get(), CMSG_TYPE_PARAM, type)) {
    return Refuse(check, V::kUnparsable, "it is no CMS signature in DER");
  }
  if (type != CMSG_SIGNED) return Refuse(check, V::kUnparsable, "it is a CMS message but no signature");
  DWORD signers = 0;
  if (!MessageDword(message.get(), CMSG_SIGNER_COUNT_PARAM, signers) || signers != 1) {
    return Refuse(check, V::kBadSignature, "it has " + std::to_string(signers) + " signers, not one");
  }
  const std::vector<BYTE> signerBuffer = MessageParam(message.get(), CMSG_SIGNER_INFO_PARAM, 0);
  const std::vector<BYTE> signerIdBuffer = MessageParam(message.get(), CMSG_SIGNER_CERT_INFO_PARAM, 0);
  if (signerBuffer.size() < sizeof(CMSG_SIGNER_INFO) || signerIdBuffer.size() < sizeof(CERT_INFO)) {
    return Refuse(check, V::kUnparsable, "its signer cannot be read");
  }
  const auto& signer = *reinterpret_cast<const CMSG_SIGNER_INFO*>(signerBuffer.data());
  const auto& signerId = *reinterpret_cast<const CERT_INFO*>(signerIdBuffer.data());

  const CertificateStore store(Crypt().openStore(CERT_STORE_PROV_MSG, kEncoding, 0, 0, message.get()));
  const Certificate certificate(
      store ? Crypt().subjectCertificate(store.get(), kEncoding, const_cast<CERT_INFO*>(&signerId)) : nullptr);
  if (!certificate) return Refuse(check, V::kBadSignature, "the signer's certificate is not in it");
  if (!Sha256Of(certificate.get()->pbCertEncoded, certificate.get()->cbCertEncoded, check.signer)) {
    return Refuse(check, V::kNoCryptography, "the system cannot compute SHA-256");
  }

  const char* digestAlgorithm = signer.HashAlgorithm.pszObjId;
  if (digestAlgorithm == nullptr || std::strcmp(digestAlgorithm, szOID_NIST_sha256) != 0) {
    return Refuse(check, V::kBadSignature,
                  "its digest algorithm is " + std::string(digestAlgorithm ? digestAlgorithm : "unnamed") +
                      ", not SHA-256");
  }
  if (!IsRsa(signer.HashEncryptionAlgorithm.pszObjId)) {
    return Refuse(check, V::kBadSignature, "its signature algorithm is not RSA");
  }

  // With signed attributes the signature covers them, and they name the content's digest; without
  // them it covers the content's digest itself. Either way the content digest is the caller's.
  Sha256Digest signedDigest = contentDigest;
  const bool hasAttributes = signer.AuthAttrs.cAttr > 0;
  if (hasAttributes) {
    Sha256Digest named{};
    if (!SignedMessageDigest(signer.AuthAttrs, named)) {
      return Refuse(check, V::kBadSignature, "its signed attributes name no single SHA-256 message digest");
    }
    if (named != contentDigest) return Refuse(check, V::kContentChanged, "the script is not the one signed");
    if (!AttributesDigest(signer.AuthAttrs, signedDigest)) {
      return Refuse(check, V::kUnparsable, "its signed attributes cannot be encoded again");
    }
  }
  if (!SignatureVerifies(*certificate.get()->pCertInfo, signedDigest, signer.EncryptedHash)) {
    return hasAttributes
               ? Refuse(check, V::kBadSignature, "the signature does not verify with the signer's certificate")
               : Refuse(check, V::kContentChanged, "the script is not the one signed, or the signature is damaged");
  }
  if (std::find(trusted.begin(), trusted.end(), check.signer) == trusted.end()) {
    return Refuse(check, V::kUntrustedSigner, "its signer is not a trusted signer");
  }
  check.verdict = V::kValid;
  return check;
}
