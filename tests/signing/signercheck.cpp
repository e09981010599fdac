// signercheck FILE: what Windows makes of FILE's Authenticode signature. Prints WinVerifyTrust's
// result as 0x and 8 hexadecimal digits and, when it is 0, the SHA-256 thumbprint of the
// certificate that signed: Windows accepts a signature by any self-signed stranger as well, so
// only the thumbprint says whose it is.
#include <windows.h>
#include <softpub.h>
#include <wintrust.h>

#include <cstdio>
#include <string>

#include "foundation/sha256.h"
#include "foundation/unique_handle.h"

namespace {

GUID verifyAction = WINTRUST_ACTION_GENERIC_VERIFY_V2;
const HWND kNoWindow = static_cast<HWND>(INVALID_HANDLE_VALUE);

// The verifier's state lives until the same call is made again with STATEACTION_CLOSE.
void CloseTrustState(WINTRUST_DATA* data) {
  data->dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(kNoWindow, &verifyAction, data);
}
using TrustState = UniqueHandle<NullIsNoneTraits<WINTRUST_DATA*, CloseTrustState>>;

// The signer's certificate as the verifier found it; empty when it holds none.
std::string SignerThumbprint(HANDLE state) {
  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(state);
  CRYPT_PROVIDER_SGNR* signer = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  CRYPT_PROVIDER_CERT* certificate = signer ? WTHelperGetProvCertFromChain(signer, 0) : nullptr;
  Sha256Digest digest{};
  if (!certificate || !certificate->pCert ||
      !Sha256Of(certificate->pCert->pbCertEncoded, certificate->pCert->cbCertEncoded, digest)) {
    return "";
  }
  return Sha256Hex(digest);
}

}  // namespace

int main(int argc, char** argv) {
  wchar_t path[MAX_PATH];
  if (argc != 2 || MultiByteToWideChar(CP_ACP, 0, argv[1], -1, path, MAX_PATH) <= 0) {
    std::fprintf(stderr, "usage: signercheck FILE\n");
    return 64;
  }
  WINTRUST_FILE_INFO file{sizeof file, path, nullptr, nullptr};
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  const LONG status = WinVerifyTrust(kNoWindow, &verifyAction, &data);
  const TrustState state(&data);
  std::printf("0x%08lX", static_cast<unsigned long>(status));
  if (status == 0) std::printf(" %s", SignerThumbprint(data.hWVTStateData).c_str());
  std::printf("\n");
  return 0;
}
