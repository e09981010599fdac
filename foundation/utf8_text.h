// Texts of the system's ANSI code page (scripts, the registry) for readers that want UTF-8,
// such as JSON reports.
#pragma once

#include <windows.h>

#include <string>

inline std::string AnsiToUtf8(const std::string& ansi) {
  if (ansi.empty()) return ansi;
  const int wide = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring text(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &text[0], wide);
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), wide, &utf8[0], size, nullptr, nullptr);
  return utf8;
}
