#include "foundation/trace_log.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "foundation/unique_handle.h"
#include "foundation/system_format.h"

volatile DWORD DebugOutput = 0;

namespace {

constexpr std::size_t kTraceBufferSize = kTraceTextLimit + 1;
constexpr std::size_t kMessageBufferSize = 8192;

volatile LONG g_postedMessages = 0;

// Both threads post; each message takes a number of its own, running 1..255 and round again.
BYTE NextSequenceNumber() {
  const LONG posted = InterlockedIncrement(&g_postedMessages);
  return static_cast<BYTE>((static_cast<unsigned long>(posted) - 1) % 255 + 1);
}

struct HeapBuffer {
  explicit HeapBuffer(std::size_t size) : bytes(static_cast<char*>(std::malloc(size))) {}
  ~HeapBuffer() { std::free(bytes); }
  HeapBuffer(const HeapBuffer&) = delete;
  HeapBuffer& operator=(const HeapBuffer&) = delete;
  char* bytes;
};

}  // namespace

void TraceDebug(const char* format, ...) {
  if (DebugOutput == 0) return;
  char text[kTraceBufferSize];
  va_list args;
  va_start(args, format);
  SystemFormatInto(text, sizeof(text), format, args);
  va_end(args);
  OutputDebugStringA(text);
}

bool TraceStatus(const char* format, ...) {
  char text[kTraceBufferSize];
  va_list args;
  va_start(args, format);
  SystemFormatInto(text, sizeof(text), format, args);
  va_end(args);
  if (DebugOutput != 0) OutputDebugStringA(text);
  // The caller's text is an argument here, never a format: a percent sign in it stays as it is.
  return PostStatusMessage("[TarnUpdate] %s", text);
}

bool PostStatusMessage(const char* format, ...) {
  const BYTE sequence = NextSequenceNumber();
  HeapBuffer text(kMessageBufferSize);
  HeapBuffer message(kMessageBufferSize);
  if (text.bytes == nullptr || message.bytes == nullptr) return false;

  va_list args;
  va_start(args, format);
  const int length = SystemFormatInto(text.bytes, kStatusMessageLimit + 1, format, args);
  va_end(args);

  message.bytes[0] = static_cast<char>(sequence);
  std::memcpy(message.bytes + 1, text.bytes, static_cast<std::size_t>(length) + 1);

  KernelHandle mailslot(CreateFileA(kStatusMailslotName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!mailslot) return false;
  DWORD written = 0;
  WriteFile(mailslot.get(), message.bytes, static_cast<DWORD>(length) + 2, &written, nullptr);
  return true;
}
