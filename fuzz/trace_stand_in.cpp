#include "fuzz/trace_stand_in.h"

#include <cstdarg>
#include <cstdio>

#include "foundation/trace_log.h"

std::string g_lastStatus;

void TraceDebug(const char*, ...) {}

bool TraceStatus(const char* format, ...) {
  char line[kTraceTextLimit + 1];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  g_lastStatus = line;
  return true;
}
