#include "update/live_product.h"

BOOL LiveProduct::GetOptions(OptionsBlock* block, DWORD* size) {
  const BOOL fetched = port_.GetOptions(block, size);
  if (fetched) lists_ = *block;
  return fetched;
}
