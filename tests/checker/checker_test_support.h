// What the checker tests share: files copied beside the test programs by the build (the
// examples and the scripts with known problems), read as bytes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace checker_test {

// Full path of a file below the test program's folder, e.g. "examples\\oas.ini".
std::string BesideTest(const std::string& relative);
// The file's bytes; "" when it cannot be read (the caller's expectations then fail).
std::string ReadBytes(const std::string& path);
// Writes bytes to a file in the temporary folder; gives its path.
std::string WriteTemporary(const std::string& name, const std::string& bytes);

// A program beside the test run as people run it from a prompt (started directly: a command
// prompt in between is one more process for the test to depend on). Standard error goes into
// `out` too, in order, when `joined`.
struct ProgramOutput {
  int exitCode;
  std::string out, err;
};
ProgramOutput RunBesideTest(const std::string& program, const std::string& arguments, bool joined);

// The example scripts, by update type.
inline const std::vector<std::string> kExamples = {"oas", "ods", "schedule"};

}  // namespace checker_test
