// What the profile functions give the agent for a value text (as ParseScript leaves it:
// trimmed, without surrounding quotes). Measured under Wine and checked against the system's
// own functions by the checker tests:
// - GetPrivateProfileIntA converts at most the first 29 characters: one optional sign, then
//   "0x", "0o" or "0b" (lower case only) for hexadecimal, octal or binary, else decimal;
//   digits up to the first one that does not fit; the total wraps around at 32 bits. No digit
//   gives 0, and an empty value gives the caller's default.
// - A text read into the agent's 512-byte buffers keeps at most 511 characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr std::size_t kTextLimit = 511;
constexpr std::size_t kNumberTextLimit = 29;

// GetPrivateProfileIntA for a key whose value text is `value`.
std::uint32_t ProfileNumber(std::string_view value, std::uint32_t defaultValue);

// The value as a 512-byte text read stores it.
std::string ProfileText(std::string_view value);

// A decimal number that any reader of the script sees as the agent does: an optional sign and
// digits only, within 32 bits (-2147483648 to 4294967295) and short enough to be read whole.
bool IsPlainNumber(std::string_view value);
