#include "tarncheck/code_page.h"

#include <windows.h>

static_assert(sizeof(WCHAR) == sizeof(char16_t), "UTF-16 code units");

std::u16string ToUtf16(CodePage from, std::string_view text) {
  const UINT codePage = from == CodePage::kUtf8 ? CP_UTF8 : CP_ACP;
  const int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(size > 0 ? size : 0), u'\0');
  if (size > 0) {
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<WCHAR*>(&wide[0]),
                        size);
  }
  return wide;
}

std::string ToAnsi(std::u16string_view text) {
  const WCHAR* wide = reinterpret_cast<const WCHAR*>(text.data());
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_ACP, 0, wide, length, &ansi[0], size, nullptr, nullptr);
  return ansi;
}

unsigned AnsiCodePageNumber() { return GetACP(); }
