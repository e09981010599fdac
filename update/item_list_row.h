// A product item list as the script gives it: list id, section, and the stem of the numbered
// keys <stem>_0, <stem>_1, ... that AddToList reads up to the first one missing.
#pragma once

#include <windows.h>

#include <cstddef>

struct ItemListRow {
  DWORD listId;
  const char* section;
  const char* stem;
  std::size_t countOffset;  // where AddToList stores the item count in the record, if it does
};

constexpr std::size_t kNoItemCount = static_cast<std::size_t>(-1);
