#include "checker_test_support.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>

#include "agent_harness.h"

namespace checker_test {
namespace {

struct SearchCloser {
  void operator()(HANDLE search) const { FindClose(search); }
};

}  // namespace

std::string BesideTest(const std::string& relative) { return ProgramBesideTest(relative.c_str()); }

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::vector<std::string> FilesIn(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE first = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
  if (first == INVALID_HANDLE_VALUE) return names;
  const std::unique_ptr<void, SearchCloser> search(first);
  do {
    names.push_back(found.cFileName);
  } while (FindNextFileA(search.get(), &found));
  std::sort(names.begin(), names.end());
  return names;
}

std::string WriteTemporary(const std::string& name, const std::string& bytes) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

}  // namespace checker_test
