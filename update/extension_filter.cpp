// The product build check and the removal of the NoExtensionString entries from extension
// lists: products at 4.5.0 with a build of 1 or later keep them.
#include <cstdio>
#include <cstring>
#include <string>

#include "update/script_readers.h"
#include "foundation/text_string.h"
#include "foundation/trace_log.h"

bool GetProductBuild(UpdateContext& run, int& build) {
  build = 0;
  bool atVersion450 = false;
  if (run.productVersion[0] != '\0') {
    int major = 0;
    int minor = 0;
    int revision = 0;
    int number = 0;
    if (std::sscanf(run.productVersion, "%i.%i.%i.%i", &major, &minor, &revision, &number) == 4) {
      build = number;
      atVersion450 = major == 4 && minor == 5 && revision == 0;
    }
  }
  if (!run.buildTraced) {
    run.buildTraced = true;
    TraceDebug("Lumicor Build No = %d\n", build);
  }
  return atVersion450;
}

void RemoveNoExtensionString(UpdateContext& run, char* text, const char* separator) {
  // An undo point holds what the product had, which the exclusion already let through once.
  if (run.undoPoint || run.noExtensionString[0] == '\0') return;
  int build = 0;
  if (GetProductBuild(run, build) && build > 0) return;
  const TextString pattern = TextString(run.noExtensionString) + separator;
  const std::size_t patternLength = static_cast<std::size_t>(pattern.Length());
  // Only whole entries go: at the start of the list or right after a separator. "COM " inside
  // "DCOM " is part of another entry, which the scanner must go on checking.
  const std::string original(text);
  std::size_t kept = 0;
  bool removed = false;
  for (std::size_t i = 0; i < original.size();) {
    const bool entryStart = i == 0 || original[i - 1] == separator[0];
    if (entryStart && original.compare(i, patternLength, pattern.c_str()) == 0) {
      i += patternLength;
      removed = true;
    } else {
      text[kept++] = original[i++];
    }
  }
  text[kept] = '\0';
  if (removed) TraceDebug("Removed '%s' from the file extension list.\n", pattern.c_str());
}
