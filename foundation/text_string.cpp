#include "foundation/text_string.h"

#include <cstdlib>
#include <cstring>

#include "foundation/system_format.h"

namespace {

char g_emptyText[1] = {'\0'};
constexpr int kLeftLimit = 20000;

char* AllocateText(int capacity) { return static_cast<char*>(std::malloc(static_cast<std::size_t>(capacity) + 1)); }

// Position of `pattern` in bytes [from, length) of `text`, or -1. The pattern holds no NUL,
// so a match never spans an inner NUL of the text.
int FindBytes(const char* text, int length, int from, const char* pattern, int patternLength) {
  for (int i = from; i + patternLength <= length; ++i) {
    if (std::memcmp(text + i, pattern, static_cast<std::size_t>(patternLength)) == 0) return i;
  }
  return -1;
}

}  // namespace

TextString::TextString() : data_(g_emptyText), length_(0), capacity_(0) {}

TextString::TextString(const char* text) : TextString() {
  if (text != nullptr) AssignBytes(text, static_cast<int>(std::strlen(text)));
}

TextString::TextString(const TextString& other) : TextString() { AssignBytes(other.data_, other.length_); }

TextString::TextString(TextString&& other) noexcept
    : data_(other.data_), length_(other.length_), capacity_(other.capacity_) {
  other.data_ = g_emptyText;
  other.length_ = 0;
  other.capacity_ = 0;
}

TextString::~TextString() { ReleaseBuffer(); }

TextString& TextString::operator=(const TextString& other) {
  if (this != &other) AssignBytes(other.data_, other.length_);
  return *this;
}

TextString& TextString::operator=(TextString&& other) noexcept {
  if (this != &other) {
    ReleaseBuffer();
    data_ = other.data_;
    length_ = other.length_;
    capacity_ = other.capacity_;
    other.data_ = g_emptyText;
    other.length_ = 0;
    other.capacity_ = 0;
  }
  return *this;
}

TextString& TextString::operator=(const char* text) {
  if (text == nullptr) {
    AssignBytes(nullptr, 0);
  } else if (text >= data_ && text <= data_ + length_) {
    *this = TextString(text);  // a part of our own buffer: copy it out before reuse
  } else {
    AssignBytes(text, static_cast<int>(std::strlen(text)));
  }
  return *this;
}

TextString operator+(const TextString& left, const TextString& right) {
  return TextString::FromTwo(left.data_, left.length_, right.data_, right.length_);
}

TextString operator+(const TextString& left, const char* right) {
  const int rightLength = right == nullptr ? 0 : static_cast<int>(std::strlen(right));
  return TextString::FromTwo(left.data_, left.length_, right, rightLength);
}

TextString TextString::FromTwo(const char* left, int leftLength, const char* right, int rightLength) {
  TextString result;
  const int total = leftLength + rightLength;
  if (total == 0) return result;
  char* buffer = result.WritableBuffer(total);
  if (result.capacity_ < total) return result;
  if (leftLength > 0) std::memcpy(buffer, left, static_cast<std::size_t>(leftLength));
  if (rightLength > 0) std::memcpy(buffer + leftLength, right, static_cast<std::size_t>(rightLength));
  result.SyncLength(total);
  return result;
}

int TextString::Find(const char* text) const {
  if (text == nullptr) return -1;
  const char* found = std::strstr(data_, text);
  return found == nullptr ? -1 : static_cast<int>(found - data_);
}

TextString TextString::Left(int n) const {
  if (n <= 0 || n > length_ || n > kLeftLimit) return TextString();
  TextString result;
  const int kept = static_cast<int>(strnlen(data_, static_cast<std::size_t>(n)));
  result.AssignBytes(data_, kept);
  return result;
}

char* TextString::WritableBuffer(int n) {
  if (n > capacity_) {
    char* grown = AllocateText(n);
    if (grown == nullptr) return data_;  // callers size their writes by Capacity()
    std::memcpy(grown, data_, static_cast<std::size_t>(length_) + 1);
    const int length = length_;
    ReleaseBuffer();
    data_ = grown;
    length_ = length;  // the content stays, and so does its length
    capacity_ = n;
  }
  return data_;
}

void TextString::SyncLength(int newLength) {
  if (!HasBuffer()) return;
  if (newLength < 0) newLength = static_cast<int>(strnlen(data_, static_cast<std::size_t>(capacity_)));
  if (newLength > capacity_) newLength = capacity_;
  length_ = newLength;
  data_[length_] = '\0';
}

void TextString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

void TextString::FormatV(const char* format, va_list args) {
  va_list sizing;
  va_copy(sizing, args);
  const int needed = _vscprintf(format, sizing);
  va_end(sizing);
  if (needed <= 0) {
    AssignBytes(nullptr, 0);
    return;
  }
  // The runtime reads the format's arguments, so the text may not be formatted from itself.
  TextString result;
  char* buffer = result.WritableBuffer(needed);
  if (result.capacity_ < needed) return;
  _vsnprintf(buffer, static_cast<std::size_t>(needed) + 1, format, args);
  buffer[needed] = '\0';
  result.SyncLength(-1);
  *this = static_cast<TextString&&>(result);
}

int TextString::Replace(const char* oldText, const char* newText) {
  if (oldText == nullptr || *oldText == '\0') return 0;
  if (newText == nullptr) newText = "";
  const int oldLength = static_cast<int>(std::strlen(oldText));
  const int newLength = static_cast<int>(std::strlen(newText));

  int count = 0;
  for (int at = FindBytes(data_, length_, 0, oldText, oldLength); at >= 0;
       at = FindBytes(data_, length_, at + oldLength, oldText, oldLength)) {
    ++count;
  }
  if (count == 0) return 0;

  const int resultLength = length_ + (newLength - oldLength) * count;
  char* result = AllocateText(resultLength);
  if (result == nullptr) return 0;
  int from = 0;
  int to = 0;
  for (int at = FindBytes(data_, length_, 0, oldText, oldLength); at >= 0;
       at = FindBytes(data_, length_, from, oldText, oldLength)) {
    std::memcpy(result + to, data_ + from, static_cast<std::size_t>(at - from));
    to += at - from;
    std::memcpy(result + to, newText, static_cast<std::size_t>(newLength));
    to += newLength;
    from = at + oldLength;
  }
  std::memcpy(result + to, data_ + from, static_cast<std::size_t>(length_ - from));
  result[resultLength] = '\0';

  if (capacity_ >= resultLength) {
    std::memcpy(data_, result, static_cast<std::size_t>(resultLength) + 1);
    std::free(result);
  } else {
    ReleaseBuffer();
    data_ = result;
    capacity_ = resultLength;
  }
  length_ = resultLength;
  return count;
}

void TextString::MakeUpper() {
  if (HasBuffer()) UpperCaseAscii(data_);
}

void UpperCaseAscii(char* text) {
  for (; *text != '\0'; ++text) {
    if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
  }
}

bool TextString::HasBuffer() const { return data_ != g_emptyText; }

void TextString::ReleaseBuffer() {
  if (HasBuffer()) std::free(data_);
  data_ = g_emptyText;
  length_ = 0;
  capacity_ = 0;
}

void TextString::AssignBytes(const char* bytes, int length) {
  if (length <= 0 || bytes == nullptr) {
    if (HasBuffer()) SyncLength(0);  // an empty source keeps the buffer we have
    return;
  }
  if (length > capacity_) {
    char* fresh = AllocateText(length);
    if (fresh == nullptr) return;
    std::memcpy(fresh, bytes, static_cast<std::size_t>(length));
    ReleaseBuffer();
    data_ = fresh;
    capacity_ = length;
  } else {
    std::memmove(data_, bytes, static_cast<std::size_t>(length));
  }
  length_ = length;
  data_[length_] = '\0';
}
