// SHA-256 through the system's CryptoAPI (ADVAPI32): digests of scripts and certificates, and
// their text form of 64 hexadecimal digits.
#pragma once

#include <array>
#include <cstddef>
#include <string>

using Sha256Digest = std::array<unsigned char, 32>;

// False when the system's provider refuses (GetLastError says why).
bool Sha256Of(const void* bytes, std::size_t size, Sha256Digest& digest);

// Exactly 64 hexadecimal digits, in either letter case, nothing around them.
bool ParseSha256Hex(const char* text, Sha256Digest& digest);

// 64 upper-case hexadecimal digits, as Windows shows certificate thumbprints.
std::string Sha256Hex(const Sha256Digest& digest);
