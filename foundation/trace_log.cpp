#include "foundation/trace_log.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <new>

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

// A collector that holds the mailslot but does not read fills it up, and a writer then waits
// for room (under Wine after a few hundred messages). A status line waits this long at most and
// is otherwise dropped; its sequence number stays taken, so a collector sees it as lost.
constexpr DWORD kStatusWriteWaitMs = 250;

// One write in flight. A write given up on is cancelled but may still touch its buffer and
// event afterwards, so those are then left to the system for the rest of the process.
struct StatusWrite {
  OVERLAPPED overlapped = {};
  char bytes[kMessageBufferSize];
};

bool WriteBounded(HANDLE mailslot, StatusWrite* write, DWORD size) {
  KernelHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!done) return false;
  write->overlapped.hEvent = done.get();
  if (!WriteFile(mailslot, write->bytes, size, nullptr, &write->overlapped) && GetLastError() != ERROR_IO_PENDING) {
    delete write;
    return false;
  }
  if (WaitForSingleObject(done.get(), kStatusWriteWaitMs) != WAIT_OBJECT_0) {
    CancelIo(mailslot);
    done.release();
    return false;
  }
  delete write;
  return true;
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
  if (text.bytes == nullptr) return false;

  va_list args;
  va_start(args, format);
  const int length = SystemFormatInto(text.bytes, kStatusMessageLimit + 1, format, args);
  va_end(args);

  const KernelHandle mailslot(CreateFileA(kStatusMailslotName, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr));
  if (!mailslot) return false;
  StatusWrite* write = new (std::nothrow) StatusWrite;
  if (write == nullptr) return false;
  write->bytes[0] = static_cast<char>(sequence);
  std::memcpy(write->bytes + 1, text.bytes, static_cast<std::size_t>(length) + 1);
  return WriteBounded(mailslot.get(), write, static_cast<DWORD>(length) + 2);
}
