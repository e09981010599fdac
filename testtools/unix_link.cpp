#include "testtools/unix_link.h"

#include <windows.h>

#include "foundation/unique_handle.h"

namespace {

using UnixFileNameFn = char*(CDECL*)(const WCHAR* path);
// A system call of ntdll: stdcall on x86, unlike the kernel32 export above.
using UnixSpawnFn = LONG(WINAPI*)(char* const argv[], int wait);

// The Unix name of a Windows path; its folder must exist.
std::string UnixName(const std::string& path) {
  const auto unixName = FindExport<UnixFileNameFn>(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
  if (unixName == nullptr) return "";
  std::wstring wide(path.begin(), path.end());
  char* name = unixName(wide.c_str());
  if (name == nullptr) return "";
  std::string result(name);
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

// Runs a Unix program with two arguments and waits for it.
bool RunUnix(std::string program, std::string options, std::string first, std::string second) {
  const auto spawn = FindExport<UnixSpawnFn>(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp");
  if (spawn == nullptr || first.empty() || second.empty()) return false;
  char* const argv[] = {&program[0], &options[0], &first[0], &second[0], nullptr};
  return spawn(argv, 1) == 0;
}

}  // namespace

bool MakeUnixLink(const std::string& target, const std::string& link) {
  return RunUnix("ln", "-sfn", UnixName(target), UnixName(link));
}

bool MakeUnixFifo(const std::string& path) { return RunUnix("mkfifo", "-m", "600", UnixName(path)); }

bool RemoveUnixTree(const std::string& path) { return RunUnix("rm", "-rf", "--", UnixName(path)); }
