#include "standin_product/core/state_paths.h"

#include <windows.h>
#include <shlobj.h>

namespace standin {
namespace {

constexpr char kOverrideVariable[] = "STANDIN_STATE_DIR";
constexpr char kDefaultSubfolder[] = "\\Velmora\\Lumicor\\Standin";

std::string InFolder(const char* name) {
  std::string path = StateDirectory();
  if (!path.empty() && path.back() != '\\' && path.back() != '/') {
    path += '\\';
  }
  return path + name;
}

}  // namespace

std::string StateDirectory() {
  char buffer[MAX_PATH];
  DWORD length = GetEnvironmentVariableA(kOverrideVariable, buffer, sizeof buffer);
  if (length > 0 && length < sizeof buffer) {
    return std::string(buffer, length);
  }
  if (SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) {
    return std::string("C:\\ProgramData") + kDefaultSubfolder;
  }
  return std::string(buffer) + kDefaultSubfolder;
}

bool EnsureStateDirectory() {
  const std::string folder = StateDirectory();
  // Create each level in turn; levels that already exist are fine.
  for (std::size_t at = folder.find_first_of("\\/", 3); ; at = folder.find_first_of("\\/", at + 1)) {
    const std::string level = folder.substr(0, at);
    if (!CreateDirectoryA(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
    if (at == std::string::npos) {
      return true;
    }
  }
}

std::string StateFilePath() { return InFolder("state.bin"); }
std::string JournalFilePath() { return InFolder("journal.log"); }
std::string FaultsFilePath() { return InFolder("faults.ini"); }

}  // namespace standin
