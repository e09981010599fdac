// The agent's text type against std::string, as its header describes it, over any sequence of
// its operations, texts taken from its own buffer and inner NULs included: after each, the text
// holds exactly the model's bytes, then a terminator, within its capacity.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "foundation/text_string.h"
#include "fuzz/fuzz_check.h"

namespace {

constexpr std::size_t kLargestText = 100000;
constexpr int kLeftLimit = 20000;

void CheckSame(const TextString& text, const std::string& model) {
  FUZZ_CHECK(text.Length() == static_cast<int>(model.size()) && text.Capacity() >= text.Length());
  FUZZ_CHECK(std::memcmp(text.c_str(), model.data(), model.size()) == 0 && text.c_str()[model.size()] == '\0');
}

// A C string: from the input (kept in `given`), or the rest of the text's own buffer from
// some character on.
const char* TakeText(FuzzedDataProvider& input, const TextString& text, std::string& given) {
  if (input.ConsumeBool()) return text.c_str() + input.ConsumeIntegralInRange(0, text.Length());
  given = input.ConsumeRandomLengthString(64);
  return given.c_str();
}

int ReplaceIn(std::string& model, const std::string& from, const std::string& to) {
  if (from.empty()) return 0;
  std::string result;
  int count = 0;
  std::size_t at = 0;
  for (std::size_t hit; (hit = model.find(from, at)) != std::string::npos; at = hit + from.size(), ++count) {
    result.append(model, at, hit - at).append(to);
  }
  model = result.append(model, at, std::string::npos);
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  TextString text;
  std::string model;
  while (input.remaining_bytes() > 0 && model.size() <= kLargestText) {
    std::string given;
    std::string otherGiven;
    switch (input.ConsumeIntegralInRange(0, 8)) {
      case 0: {
        const char* pointer = TakeText(input, text, given);
        model = pointer;
        text = pointer;
        break;
      }
      case 1: {
        const char* right = TakeText(input, text, given);
        model += right;
        text = text + right;
        break;
      }
      case 2: {
        text = text + text;
        model += model;
        break;
      }
      case 3: {
        TextString copy(text);
        CheckSame(copy, model);
        TextString& same = copy;
        copy = same;
        TextString moved(std::move(copy));
        CheckSame(moved, model);
        copy = "reused after the move";
        text = input.ConsumeBool() ? moved : std::move(moved);
        break;
      }
      case 4: {
        const char* wanted = TakeText(input, text, given);
        const std::size_t found = model.substr(0, model.find('\0')).find(wanted);  // searches stop at a NUL
        FUZZ_CHECK(text.Find(wanted) == (found == std::string::npos ? -1 : static_cast<int>(found)));
        break;
      }
      case 5: {
        const int n = input.ConsumeIntegralInRange(-1, text.Length() + 1);
        const bool kept = n > 0 && n <= text.Length() && n <= kLeftLimit;
        const std::string prefix = kept ? model.substr(0, static_cast<std::size_t>(n)) : std::string();
        CheckSame(text.Left(n), prefix.substr(0, prefix.find('\0')));  // up to the first NUL
        break;
      }
      case 6: {
        const char* oldText = TakeText(input, text, given);
        const char* newText = TakeText(input, text, otherGiven);
        // Left out when the result could pass a million characters: too much for a 32-bit process.
        const std::size_t most = model.size() / std::max<std::size_t>(1, std::strlen(oldText)) * std::strlen(newText);
        if (most > kLargestText * 10) break;
        const int count = ReplaceIn(model, oldText, newText);
        FUZZ_CHECK(text.Replace(oldText, newText) == count);
        break;
      }
      case 7: {
        text.MakeUpper();
        for (char& c : model) {
          if (c == '\0') break;  // up to the first NUL
          c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
        break;
      }
      case 8: {
        // Written through the buffer, as the system's functions write into it, then measured.
        const int wanted = input.ConsumeIntegralInRange(0, 300);
        char* buffer = text.WritableBuffer(wanted);
        CheckSame(text, model);
        const int capacity = text.Capacity();
        FUZZ_CHECK(capacity >= wanted || capacity == 0);
        const int newLength = input.ConsumeIntegralInRange(-1, capacity + 1);
        if (capacity > 0) {
          std::string written = input.ConsumeBytesAsString(static_cast<std::size_t>(capacity));
          written.resize(static_cast<std::size_t>(capacity), 'w');
          std::memcpy(buffer, written.data(), written.size());
          model = newLength < 0 ? written.substr(0, written.find('\0'))
                                : written.substr(0, static_cast<std::size_t>(std::min(newLength, capacity)));
        }
        text.SyncLength(newLength);
        break;
      }
    }
    CheckSame(text, model);
  }
  return 0;
}
