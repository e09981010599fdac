// The product build check and the removal of the NoExtensionString entries from extension
// lists: products at 4.5.0 with a build of 1 or later keep them.
#include <cstdio>
#include <cstring>

#include "process_state.h"
#include "script_readers.h"
#include "text_string.h"
#include "trace_log.h"

namespace {

// Set by the first build-number trace of the process; only the worker thread reads it.
bool g_buildTraced = false;

}  // namespace

bool GetProductBuild(int& build) {
  build = 0;
  bool atVersion450 = false;
  if (!ProductVersion.IsEmpty()) {
    int major = 0;
    int minor = 0;
    int revision = 0;
    int number = 0;
    if (std::sscanf(ProductVersion.c_str(), "%i.%i.%i.%i", &major, &minor, &revision, &number) == 4) {
      build = number;
      atVersion450 = major == 4 && minor == 5 && revision == 0;
    }
  }
  if (!g_buildTraced) {
    g_buildTraced = true;
    TraceDebug("Lumicor Build No = %d\n", build);
  }
  return atVersion450;
}

void RemoveNoExtensionString(char* text, const char* separator) {
  if (NoExtensionString.IsEmpty()) return;
  int build = 0;
  if (GetProductBuild(build) && build > 0) return;
  const TextString pattern = NoExtensionString + separator;
  TextString shortened(text);
  if (shortened.Replace(pattern, "") == 0) return;
  // Shorter than what the buffer held, so it fits.
  std::memcpy(text, shortened.c_str(), static_cast<std::size_t>(shortened.Length()) + 1);
  TraceDebug("Removed '%s' from the file extension list.\n", pattern.c_str());
}
