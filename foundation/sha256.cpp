#include "foundation/sha256.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>

#include "foundation/crypto_handles.h"

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool Sha256Of(const void* bytes, std::size_t size, Sha256Digest& digest) {
  const CryptProvider provider = AcquireAesProvider();
  if (!provider) return false;
  const CryptHash hash = CreateCryptHash(provider.get(), CALG_SHA_256);
  if (!hash) return false;
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
