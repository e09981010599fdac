#include "foundation/messages.h"

namespace {

constexpr int kFirstLoadSize = 256;
constexpr int kLoadStep = 256;

}  // namespace

bool LoadMessage(HMODULE module, unsigned int id, TextString& text) {
  text = "";
  const LPCSTR block = MAKEINTRESOURCEA(id / 16 + 1);
  if (FindResourceA(module, block, MAKEINTRESOURCEA(6) /* RT_STRING */) == nullptr) return false;

  // LoadStringA gives no sign of a cut text other than filling the buffer: grow until the
  // buffer is at least two characters longer than what it loaded.
  for (int size = kFirstLoadSize;; size += kLoadStep) {
    char* buffer = text.WritableBuffer(size);
    if (text.Capacity() < size) return false;
    const int loaded = LoadStringA(module, id, buffer, size);
    text.SyncLength(loaded > 0 ? loaded : 0);
    if (loaded <= size - 2) return loaded > 0;
  }
}
