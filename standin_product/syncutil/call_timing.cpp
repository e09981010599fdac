#include "standin_product/syncutil/call_timing.h"

#include "foundation/unique_handle.h"

#include <cstdio>
#include <string>

namespace syncutil {
namespace {

class CallTimes {
 public:
  CallTimes() {
    char path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("STANDIN_CALL_TIMES", path, sizeof path);
    if (length > 0 && length < sizeof path) {
      path_.assign(path, length);
    }
  }
  // Written at unload rather than per call, so that the timing adds no file work to the calls.
  ~CallTimes() {
    LARGE_INTEGER frequency;
    if (!On() || !QueryPerformanceFrequency(&frequency)) {
      return;
    }
    char line[96];
    const int length = std::snprintf(line, sizeof line, "%lu %lu %lld\r\n", GetCurrentProcessId(), calls_,
                                     ticks_ * 1000000 / frequency.QuadPart);
    const KernelHandle file(CreateFileA(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), line, static_cast<DWORD>(length), &written, nullptr);
  }
  CallTimes(const CallTimes&) = delete;
  CallTimes& operator=(const CallTimes&) = delete;

  bool On() const { return !path_.empty(); }
  void Add(LONGLONG ticks) { ticks_ += ticks, ++calls_; }

 private:
  std::string path_;
  LONGLONG ticks_ = 0;
  unsigned long calls_ = 0;
};

// Made when the library is loaded, before any call, and ended when it is unloaded.
CallTimes g_times;

LONGLONG Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

}  // namespace

LONGLONG CallTimingStart() { return g_times.On() ? Now() : 0; }

void CallTimingStop(LONGLONG started) {
  if (started != 0) {
    g_times.Add(Now() - started);
  }
}

}  // namespace syncutil
