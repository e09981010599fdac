// TextString: the agent's one text type. An owned, growable run of 8-bit characters in the
// system code page, always NUL-terminated, with a length that may include inner NULs. Copies
// never share storage. The empty text is one static zero-length text that is never freed.
#pragma once

#include <cstdarg>

#define TARN_PRINTF_FORMAT(fmt, args) __attribute__((format(ms_printf, fmt, args)))

class TextString {
 public:
  TextString();
  TextString(const char* text);  // NOLINT: plain texts convert freely, absent means empty
  TextString(const TextString& other);
  TextString(TextString&& other) noexcept;
  ~TextString();

  TextString& operator=(const TextString& other);
  TextString& operator=(TextString&& other) noexcept;
  TextString& operator=(const char* text);

  friend TextString operator+(const TextString& left, const TextString& right);
  friend TextString operator+(const TextString& left, const char* right);

  const char* c_str() const { return data_; }
  operator const char*() const { return data_; }  // NOLINT: used where Win32 wants an LPCSTR
  int Length() const { return length_; }
  int Capacity() const { return capacity_; }
  bool IsEmpty() const { return length_ == 0; }

  // Position of the first occurrence of `text` before the first NUL, or -1. An empty text is
  // found at 0.
  int Find(const char* text) const;
  // The first n characters, up to the first NUL among them, only for 0 < n <= Length() and
  // n <= 20000; the empty text otherwise.
  TextString Left(int n) const;
  // Room for at least n characters and a terminator; content and length are kept.
  char* WritableBuffer(int n);
  // Fixes the length after a caller wrote into the buffer; -1 means up to the first NUL.
  void SyncLength(int newLength = -1);
  // Replaces the content with the system formatter's output, with no length limit.
  void Format(const char* format, ...) TARN_PRINTF_FORMAT(2, 3);
  void FormatV(const char* format, va_list args);
  // Replaces every non-overlapping occurrence of `oldText` by `newText`; gives the count.
  int Replace(const char* oldText, const char* newText);
  // Upper-cases the letters a to z in place up to the first NUL; every other byte stays.
  void MakeUpper();

 private:
  bool HasBuffer() const;
  void ReleaseBuffer();
  void AssignBytes(const char* bytes, int length);
  static TextString FromTwo(const char* left, int leftLength, const char* right, int rightLength);

  char* data_;
  int length_;
  int capacity_;
};

// Upper-cases the letters a to z of a NUL-terminated text in place; every other byte stays.
void UpperCaseAscii(char* text);
