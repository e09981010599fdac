#include "tarnplan/script_signing.h"

#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "foundation/crypto_handles.h"
#include "foundation/detached_signature.h"
#include "foundation/secure_file.h"
#include "foundation/unique_handle.h"

namespace {

void CloseStore(HCERTSTORE store) { CertCloseStore(store, 0); }
using CertificateStore = UniqueHandle<NullIsNoneTraits<HCERTSTORE, CloseStore>>;

std::string SystemMessage(DWORD error) {
  char text[512] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ')) --length;
  if (length > 0) return std::string(text, length);
  std::snprintf(text, sizeof text, "error 0x%08lX", error);
  return text;
}

// The whole file, read through one handle that lets nobody write meanwhile; empty or why not.
std::string ReadWholeFile(const std::string& path, std::vector<BYTE>& bytes) {
  KernelHandle file;
  const FileStatus opened = OpenOutsideFile(path.c_str(), FILE_SHARE_READ, file);
  if (!opened.ok()) {
    return opened.refusal == FileRefusal::kFailed ? SystemMessage(opened.error) : opened.Reason().c_str();
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return SystemMessage(GetLastError());
  if (size.QuadPart > 0x10000000) return "it is larger than 256 MB";
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return SystemMessage(GetLastError());
  }
  if (read != bytes.size()) return "it changed while it was read";
  return "";
}

bool HasPrivateKey(PCCERT_CONTEXT certificate) {
  for (const DWORD property : {CERT_KEY_PROV_INFO_PROP_ID, CERT_KEY_CONTEXT_PROP_ID, CERT_NCRYPT_KEY_HANDLE_PROP_ID}) {
    DWORD size = 0;
    if (CertGetCertificateContextProperty(certificate, property, nullptr, &size)) return true;
  }
  return false;
}

// A key the PFX import left in a provider that knows no SHA-256 (the legacy RSA ones) moves to
// `aes`, in memory; the certificate then signs with it. Empty, or why it cannot.
std::string MoveKeyToAesProvider(PCCERT_CONTEXT certificate, CryptProvider& aes) {
  CERT_KEY_CONTEXT context = {};
  DWORD size = sizeof context;
  if (!CertGetCertificateContextProperty(certificate, CERT_KEY_CONTEXT_PROP_ID, &context, &size)) return "";
  DWORD type = 0;
  size = sizeof type;
  if (CryptGetProvParam(context.hCryptProv, PP_PROVTYPE, reinterpret_cast<BYTE*>(&type), &size, 0) &&
      type == PROV_RSA_AES) {
    return "";
  }
  HCRYPTKEY rawKey = 0;
  if (!CryptGetUserKey(context.hCryptProv, context.dwKeySpec, &rawKey)) return SystemMessage(GetLastError());
  const CryptKey key(rawKey);
  DWORD length = 0;
  if (!CryptExportKey(key.get(), 0, PRIVATEKEYBLOB, 0, nullptr, &length)) return SystemMessage(GetLastError());
  std::vector<BYTE> blob(length);
  bool moved = CryptExportKey(key.get(), 0, PRIVATEKEYBLOB, 0, blob.data(), &length) && length >= sizeof(BLOBHEADER);
  aes = moved ? AcquireAesProvider() : CryptProvider();
  HCRYPTKEY imported = 0;
  moved = aes && CryptImportKey(aes.get(), blob.data(), length, 0, 0, &imported);
  const DWORD error = GetLastError();
  const CryptKey importedOwner(imported);
  const bool signing = moved && reinterpret_cast<const BLOBHEADER*>(blob.data())->aiKeyAlg == CALG_RSA_SIGN;
  SecureZeroMemory(blob.data(), blob.size());
  if (!moved) return SystemMessage(error);
  // The store must not release the provider: `aes` owns it.
  const CERT_KEY_CONTEXT inAes = {sizeof inAes, {aes.get()}, signing ? DWORD{AT_SIGNATURE} : DWORD{AT_KEYEXCHANGE}};
  if (!CertSetCertificateContextProperty(certificate, CERT_KEY_CONTEXT_PROP_ID, CERT_STORE_NO_CRYPT_RELEASE_FLAG,
                                         &inAes)) {
    return SystemMessage(GetLastError());
  }
  return "";
}

}  // namespace

ScriptSigning SignScript(const std::string& scriptPath, const std::string& pfxPath, const wchar_t* password) {
  ScriptSigning signing;
  std::vector<BYTE> script, pfx;
  if (const std::string why = ReadWholeFile(scriptPath, script); !why.empty()) {
    signing.error = "cannot read the script: " + why;
    return signing;
  }
  if (const std::string why = ReadWholeFile(pfxPath, pfx); !why.empty()) {
    signing.error = "cannot read " + pfxPath + ": " + why;
    return signing;
  }
  CRYPT_DATA_BLOB pfxBlob = {static_cast<DWORD>(pfx.size()), pfx.data()};
  // The key lives in memory for this run only: nothing of it stays in the user's profile. It is
  // exportable so that it can move to a provider that knows SHA-256.
  CryptProvider aes;
  const CertificateStore store(
      PFXImportCertStore(&pfxBlob, password != nullptr ? password : L"", PKCS12_NO_PERSIST_KEY | CRYPT_EXPORTABLE));
  SecureZeroMemory(pfx.data(), pfx.size());
  if (!store) {
    const DWORD error = GetLastError();  // Wine leaves none for a wrong password
    signing.error = "cannot open " + pfxPath + ": " +
                    (error == ERROR_SUCCESS ? "the password is wrong, or it is no PFX file" : SystemMessage(error));
    return signing;
  }
  PCCERT_CONTEXT signer = nullptr;
  int withKey = 0;
  for (PCCERT_CONTEXT next = nullptr; (next = CertEnumCertificatesInStore(store.get(), next)) != nullptr;) {
    if (HasPrivateKey(next) && ++withKey == 1) signer = CertDuplicateCertificateContext(next);
  }
  const UniqueHandle<NullIsNoneTraits<PCCERT_CONTEXT, CertFreeCertificateContext>> signerOwner(signer);
  if (withKey != 1) {
    signing.error = pfxPath + " holds " + std::to_string(withKey) + " certificates with a private key, not one";
    return signing;
  }
  if (const std::string why = MoveKeyToAesProvider(signer, aes); !why.empty()) {
    signing.error = "the key in " + pfxPath + " cannot sign with SHA-256: " + why;
    return signing;
  }

  CRYPT_SIGN_MESSAGE_PARA parameters = {};
  parameters.cbSize = sizeof parameters;
  parameters.dwMsgEncodingType = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;
  parameters.pSigningCert = signer;
  parameters.HashAlgorithm.pszObjId = const_cast<char*>(szOID_NIST_sha256);
  parameters.cMsgCert = 1;
  parameters.rgpMsgCert = &signer;
  const BYTE* parts[] = {script.data()};
  DWORD partSizes[] = {static_cast<DWORD>(script.size())};
  DWORD size = 0;
  std::vector<BYTE> signature;
  if (CryptSignMessage(&parameters, TRUE, 1, parts, partSizes, nullptr, &size)) {
    // Wine answers the size query with 0: room for the certificate and a signature of any key.
    signature.resize(std::max<DWORD>(size, signer->cbCertEncoded + 8192));
    size = static_cast<DWORD>(signature.size());
    if (!CryptSignMessage(&parameters, TRUE, 1, parts, partSizes, signature.data(), &size)) size = 0;
    signature.resize(size);
  }
  if (signature.empty()) {
    signing.error = "cannot sign with " + pfxPath + ": " + SystemMessage(GetLastError());
    return signing;
  }

  // What the agent will check, checked here: a signature it would refuse is never written.
  Sha256Digest digest{};
  if (!Sha256Of(script.data(), script.size(), digest)) {
    signing.error = "cannot compute the script's SHA-256: " + SystemMessage(GetLastError());
    return signing;
  }
  const SignatureCheck self = CheckDetachedSignature(digest, signature.data(), signature.size(), {});
  if (self.verdict != SignatureVerdict::kUntrustedSigner) {
    signing.error = "the signature made does not verify: " + self.reason;
    return signing;
  }
  signing.signer = self.signer;
  signing.signature.assign(signature.begin(), signature.end());
  return signing;
}
