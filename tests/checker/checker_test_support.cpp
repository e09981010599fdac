#include "tests/checker/checker_test_support.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "testtools/agent_harness.h"

namespace checker_test {

std::string BesideTest(const std::string& relative) { return ProgramBesideTest(relative.c_str()); }

std::string ReadBytes(const std::string& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

std::string WriteTemporary(const std::string& name, const std::string& bytes) {
  char folder[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, folder);
  const std::string path = std::string(folder) + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

}  // namespace checker_test
