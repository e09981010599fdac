#include "testtools/unix_link.h"

#include <windows.h>

#include "foundation/unique_handle.h"

namespace {

using UnixFileNameFn = char*(CDECL*)(const WCHAR* path);
// A system call of ntdll: stdcall on x86, unlike the kernel32 export above.
using UnixSpawnFn = LONG(WINAPI*)(char* const argv[], int wait);

}  // namespace

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

bool RunUnix(std::vector<std::string> argv) {
  const auto spawn = FindExport<UnixSpawnFn>(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp");
  if (spawn == nullptr) return false;
  std::vector<char*> pointers;
  for (std::string& argument : argv) {
    if (argument.empty()) return false;  // a name that did not convert
    pointers.push_back(&argument[0]);
  }
  pointers.push_back(nullptr);
  return spawn(pointers.data(), 1) == 0;
}

bool MakeUnixLink(const std::string& target, const std::string& link) {
  return RunUnix({"ln", "-sfn", UnixName(target), UnixName(link)});
}

bool MakeUnixFifo(const std::string& path) { return RunUnix({"mkfifo", "-m", "600", UnixName(path)}); }

bool RemoveUnixTree(const std::string& path) { return RunUnix({"rm", "-rf", "--", UnixName(path)}); }
