// Names as the profile functions compare them: sections and keys match in any letter case.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

inline char LowerAscii(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

inline bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

inline std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}
