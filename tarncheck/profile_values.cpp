#include "tarncheck/profile_values.h"

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::uint32_t ProfileNumber(std::string_view value, std::uint32_t defaultValue) {
  if (value.empty()) return defaultValue;
  std::string_view text = value.substr(0, kNumberTextLimit);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::uint32_t base = 10;
  if (text.size() >= 2 && text[0] == '0') {
    const char prefix = text[1];
    base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
    if (base != 10) text.remove_prefix(2);
  }
  std::uint32_t total = 0;
  for (char c : text) {
    const int digit = DigitValue(c);
    if (digit < 0 || static_cast<std::uint32_t>(digit) >= base) break;
    total = total * base + static_cast<std::uint32_t>(digit);
  }
  return negative ? 0u - total : total;
}

std::string ProfileText(std::string_view value) { return std::string(value.substr(0, kTextLimit)); }

bool IsPlainNumber(std::string_view value) {
  // Longer texts are cut before they are converted.
  if (value.size() > kNumberTextLimit) return false;
  bool negative = false;
  if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
    negative = value.front() == '-';
    value.remove_prefix(1);
  }
  if (value.empty()) return false;
  std::uint64_t total = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return false;
    total = total * 10 + static_cast<std::uint64_t>(c - '0');
    if (total > 0xFFFFFFFFull) return false;
  }
  return negative ? total <= 0x80000000ull : true;
}
