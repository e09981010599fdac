// Stand-in program for the LC_EXEC tests: exits with the number given as its last argument, or
// with 100 when it gets no argument at all; with "break" it hits a breakpoint first. Copied as C:\TARN.EXE it stands for a program that
// the system would find first in front of an unquoted path with a blank, and exits with 66.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (_stricmp(path, "C:\\TARN.EXE") == 0) return 66;
  if (argc == 2 && std::strcmp(argv[1], "break") == 0) DebugBreak();  // a breakpoint of its own
  return argc < 2 ? 100 : std::atoi(argv[argc - 1]);
}
