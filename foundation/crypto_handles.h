// Owners of CryptoAPI's own handles (ADVAPI32), which are numbers with 0 for none.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include "foundation/unique_handle.h"

template <typename HandleType, auto Closer>
struct ZeroIsNoneTraits {
  using Handle = HandleType;
  static Handle None() { return 0; }
  static bool IsNone(Handle handle) { return handle == 0; }
  static void Close(Handle handle) { Closer(handle); }
};

inline void ReleaseCryptProvider(HCRYPTPROV provider) { CryptReleaseContext(provider, 0); }

using CryptProvider = UniqueHandle<ZeroIsNoneTraits<HCRYPTPROV, ReleaseCryptProvider>>;
using CryptHash = UniqueHandle<ZeroIsNoneTraits<HCRYPTHASH, CryptDestroyHash>>;
using CryptKey = UniqueHandle<ZeroIsNoneTraits<HCRYPTKEY, CryptDestroyKey>>;

// The AES provider is the one that knows SHA-256; digests and public keys need no key
// container. Empty when the system refuses (GetLastError says why).
inline CryptProvider AcquireAesProvider() {
  HCRYPTPROV provider = 0;
  if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return CryptProvider();
  return CryptProvider(provider);
}

// A hash object of `algorithm`; empty when the provider refuses.
inline CryptHash CreateCryptHash(HCRYPTPROV provider, ALG_ID algorithm) {
  HCRYPTHASH hash = 0;
  if (!CryptCreateHash(provider, algorithm, 0, 0, &hash)) return CryptHash();
  return CryptHash(hash);
}
