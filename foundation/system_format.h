// printf-style formatting by the system C runtime (msvcrt.dll), the formatter a Windows
// program of this kind uses. mingw-w64 would otherwise route the ISO names to its own
// replacement, which prints some conversions differently (%p in lower case, for one).
#pragma once

#include <cstdarg>
#include <cstddef>

extern "C" {
__declspec(dllimport) int __cdecl _vsnprintf(char* buffer, std::size_t count, const char* format, va_list args);
__declspec(dllimport) int __cdecl _vscprintf(const char* format, va_list args);
}

// Formats into a fixed buffer of `size` bytes: at most size - 1 characters are kept and the
// text is always terminated. Returns the number of characters kept.
int SystemFormatInto(char* buffer, std::size_t size, const char* format, va_list args);
