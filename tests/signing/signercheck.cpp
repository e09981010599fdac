// signercheck FILE: what Windows makes of FILE's Authenticode signature. Prints WinVerifyTrust's
// result as 0x and 8 hexadecimal digits and, when it is 0, the SHA-256 thumbprint of the
// certificate that signed: Windows accepts a signature by any self-signed stranger as well, so
// only the thumbprint says whose it is. Exit code 0 once the line is printed.
#include <windows.h>
#include <softpub.h>
#include <wintrust.h>

#include <cstdio>
#include <string>

#include "foundation/sha256.h"
#include "foundation/unique_handle.h"

namespace {

GUID VerifyAction() { return WINTRUST_ACTION_GENERIC_VERIFY_V2; }

// The verifier's state lives until the same call is made again with STATEACTION_CLOSE.
void CloseTrustState(WINTRUST_DATA* data) {
  GUID action = VerifyAction();
  data->dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, data);
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
  if (argc != 2) {
    std::fprintf(stderr, "usage: signercheck FILE\n");
    return 64;
  }
  std::wstring widePath(MAX_PATH, L'\0');
  const int length = MultiByteToWideChar(CP_ACP, 0, argv[1], -1, &widePath[0], MAX_PATH);
  if (length <= 0) {
    std::fprintf(stderr, "signercheck: cannot read the path %s\n", argv[1]);
    return 64;
  }
  widePath.resize(static_cast<std::size_t>(length) - 1);

  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = widePath.c_str();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = VerifyAction();
  const LONG status = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  const TrustState state(&data);

  std::string line = "0x";
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08lX", static_cast<unsigned long>(status));
  line += digits;
  if (status == 0) line += " " + SignerThumbprint(data.hWVTStateData);
  std::printf("%s\n", line.c_str());
  return 0;
}
