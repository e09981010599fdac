// The byte that a pair of characters of a byte string gives (DecodeHexPair), for every pair
// of neighbouring input bytes, against the C standard's reading of "%2x": blanks skipped, then
// at most two characters of an optionally signed hexadecimal number ("0x" alone reads as 0), a
// negative number wrapping around; no digit gives 0. The checker tells authors this byte.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "update/hex_pairs.h"

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::uint8_t ExpectedByte(char first, char second) {
  const char pair[3] = {first, second, '\0'};
  const char* at = pair;
  while (IsBlank(*at)) ++at;  // blanks do not count against the width
  const char* end = pair + 2;
  bool negative = false;
  if (*at == '+' || *at == '-') negative = *at++ == '-';
  unsigned int value = 0;
  for (; at < end && HexDigit(*at) >= 0; ++at) value = value * 16 + static_cast<unsigned int>(HexDigit(*at));
  return static_cast<std::uint8_t>(negative ? 0u - value : value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i + 1 < size; ++i) {
    const char first = static_cast<char>(data[i]);
    const char second = static_cast<char>(data[i + 1]);
    FUZZ_CHECK(DecodeHexPair(first, second) == ExpectedByte(first, second));
  }
  return 0;
}
