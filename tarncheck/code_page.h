// The system's conversions between its code pages and UTF-16, as the profile functions make
// them: the one place the checker asks Windows about text.
#pragma once

#include <string>
#include <string_view>

enum class CodePage { kAnsi, kUtf8 };

std::u16string ToUtf16(CodePage from, std::string_view text);
// To the ANSI code page, with the system's own replacements for characters outside it.
std::string ToAnsi(std::u16string_view text);
unsigned AnsiCodePageNumber();
