// Byte strings in update scripts: hexadecimal pairs, each read as the conversion "%2x" reads
// it. The agent stores these bytes, and the script checker tells authors which byte a pair gives.
#pragma once

#include <windows.h>

#include <cstdio>

// A pair without a hexadecimal digit gives 0.
inline BYTE DecodeHexPair(char first, char second) {
  const char pair[3] = {first, second, '\0'};
  unsigned int value = 0;
  if (std::sscanf(pair, "%2x", &value) != 1) value = 0;
  return static_cast<BYTE>(value & 0xFF);
}
