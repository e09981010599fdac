#include "foundation/system_format.h"

int SystemFormatInto(char* buffer, std::size_t size, const char* format, va_list args) {
  if (size == 0) return 0;
  int written = _vsnprintf(buffer, size - 1, format, args);
  // The runtime gives -1 and leaves the text unterminated when it had to cut.
  if (written < 0 || static_cast<std::size_t>(written) > size - 1) written = static_cast<int>(size - 1);
  buffer[written] = '\0';
  return written;
}
