#include "foundation/sha256.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>

#include "foundation/unique_handle.h"

namespace {

void ReleaseProvider(HCRYPTPROV provider) { CryptReleaseContext(provider, 0); }

struct ProviderTraits {
  using Handle = HCRYPTPROV;
  static Handle None() { return 0; }
  static bool IsNone(Handle handle) { return handle == 0; }
  static void Close(Handle handle) { ReleaseProvider(handle); }
};
struct HashTraits {
  using Handle = HCRYPTHASH;
  static Handle None() { return 0; }
  static bool IsNone(Handle handle) { return handle == 0; }
  static void Close(Handle handle) { CryptDestroyHash(handle); }
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool Sha256Of(const void* bytes, std::size_t size, Sha256Digest& digest) {
  HCRYPTPROV rawProvider = 0;
  // The AES provider is the one that knows SHA-256; no key container is needed for a digest.
  if (!CryptAcquireContextW(&rawProvider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return false;
  const UniqueHandle<ProviderTraits> provider(rawProvider);
  HCRYPTHASH rawHash = 0;
  if (!CryptCreateHash(provider.get(), CALG_SHA_256, 0, 0, &rawHash)) return false;
  const UniqueHandle<HashTraits> hash(rawHash);
  const BYTE* next = static_cast<const BYTE*>(bytes);
  // CryptHashData takes a DWORD of bytes at a time.
  while (size > 0) {
    const DWORD part = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!CryptHashData(hash.get(), next, part, 0)) return false;
    next += part;
    size -= part;
  }
  DWORD length = static_cast<DWORD>(digest.size());
  return CryptGetHashParam(hash.get(), HP_HASHVAL, digest.data(), &length, 0) && length == digest.size();
}

bool ParseSha256Hex(const char* text, Sha256Digest& digest) {
  if (text == nullptr || std::strlen(text) != 2 * digest.size()) return false;
  for (std::size_t i = 0; i < digest.size(); ++i) {
    const int high = HexValue(text[2 * i]);
    const int low = HexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    digest[i] = static_cast<unsigned char>(high * 16 + low);
  }
  return true;
}

std::string Sha256Hex(const Sha256Digest& digest) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const unsigned char byte : digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}
