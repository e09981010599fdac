// The code page conversions of the checker for the native fuzz build, where no system converts:
// one byte to one code unit and back, '?' beyond a byte, as a single-byte code page does.
#include "tarncheck/code_page.h"

std::u16string ToUtf16(CodePage, std::string_view text) {
  std::u16string wide;
  for (const char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  return wide;
}

std::string ToAnsi(std::u16string_view text) {
  std::string ansi;
  for (const char16_t c : text) ansi += c < 0x100 ? static_cast<char>(c) : '?';
  return ansi;
}

unsigned AnsiCodePageNumber() { return 1252; }
