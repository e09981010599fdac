#include "testtools/checker_test_support.h"

#include <windows.h>

#include <fstream>

namespace checker_test {

std::string WriteTemporary(const std::string& name, const std::string& bytes) {
  const std::string path = TemporaryPath(name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string Encoded(const std::wstring& text, UINT codePage) {
  std::string bytes;
  if (codePage == 1200 || codePage == 1201) {
    for (wchar_t c : text) {
      const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
      bytes += codePage == 1201 ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
  }
  bytes.resize(text.size() * 4);
  const int size = static_cast<int>(text.size()), room = static_cast<int>(bytes.size());
  bytes.resize(static_cast<std::size_t>(
      WideCharToMultiByte(codePage, 0, text.data(), size, &bytes[0], room, nullptr, nullptr)));
  return bytes;
}

ProgramOutput RunBesideTest(const std::string& program, const std::string& arguments, bool joined) {
  // New names each run: a handle the child passed on (to its console host, say) may keep the
  // last run's file pending deletion for a moment.
  auto uniqueName = [] {
    char folder[MAX_PATH] = {}, path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "run", 0, path);
    return std::string(path);
  };
  const std::string outPath = uniqueName(), errPath = uniqueName();
  DWORD exitCode = WAIT_TIMEOUT;
  std::string trouble;
  {
    auto create = [](const std::string& path) {
      return KernelHandle(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    const KernelHandle out = create(outPath), err = create(errPath);
    const KernelHandle process =
        StartProcess("\"" + ProgramBesideTest(program) + "\" " + arguments, out.get(), joined ? out.get() : err.get());
    if (!process) {
      trouble = "(did not start: error " + std::to_string(GetLastError()) + ")";
    } else if ((exitCode = WaitForExit(process, Slowed(60000))) == WAIT_TIMEOUT) {
      TerminateProcess(process.get(), WAIT_TIMEOUT);
      trouble = "(still running after a minute)";
    }
  }
  const ProgramOutput result = {static_cast<int>(exitCode), ReadBytes(outPath) + trouble, ReadBytes(errPath)};
  DeleteFileA(outPath.c_str());
  DeleteFileA(errPath.c_str());
  return result;
}

}  // namespace checker_test
