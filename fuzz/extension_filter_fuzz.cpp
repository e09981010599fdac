// The removal of NoExtensionString entries from an extension list, on any list, entry and
// product version: whole entries only ("<entry><separator>", at the start or after a
// separator), none when the product is 4.5.0 with a build of 1 or later, and all of them when
// the product's version is unknown.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "update/script_readers.h"

namespace {

// The list without the entries equal to `entry`, split at the separator; an entry without a
// separator after it (the last) stays.
std::string WithoutEntry(const std::string& list, const std::string& entry, char separator) {
  std::string kept;
  std::size_t start = 0;
  for (std::size_t end; (end = list.find(separator, start)) != std::string::npos; start = end + 1) {
    if (list.compare(start, end - start, entry) != 0) kept.append(list, start, end + 1 - start);
  }
  return kept.append(list, start, std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const char* separator = input.ConsumeBool() ? " " : "|";
  const std::string entry = input.ConsumeRandomLengthString(16).c_str();
  std::string version;
  const int form = input.ConsumeIntegralInRange(0, 2);
  if (form == 1) version = "4.5.0." + std::to_string(input.ConsumeIntegralInRange(1, 999));
  if (form == 2) version = input.ConsumeRandomLengthString(24).c_str();
  const std::string list = input.ConsumeRemainingBytesAsString().c_str();

  std::vector<char> text(list.c_str(), list.c_str() + list.size() + 1);
  UpdateContext run{"script.ini", entry.c_str(), version.c_str(), nullptr};
  RemoveNoExtensionString(run, text.data(), separator);
  const std::string result = text.data();

  if (entry.empty() || form == 1) {
    FUZZ_CHECK(result == list);
  } else if (entry.find(separator[0]) == std::string::npos) {
    const std::string filtered = WithoutEntry(list, entry, separator[0]);
    FUZZ_CHECK(result == filtered || (form == 2 && result == list));
  }
  return 0;
}
