#include "text_string.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <string>

#include "system_format.h"

namespace {

// Hidden from the compiler, which would otherwise reject a literal null for %s.
const char* volatile g_absentText = nullptr;

std::string Str(const TextString& text) { return std::string(text.c_str(), static_cast<std::size_t>(text.Length())); }

// What the system runtime itself prints for the same format and arguments.
std::string SystemPrintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list sizing;
  va_copy(sizing, args);
  const int needed = _vscprintf(format, sizing);
  va_end(sizing);
  std::string out(static_cast<std::size_t>(needed) + 1, '\0');
  _vsnprintf(&out[0], out.size(), format, args);
  va_end(args);
  out.resize(static_cast<std::size_t>(needed));
  return out;
}

TEST(TextString, LeftGivesPrefixOnlyWithinLength) {
  const TextString text("abcd");
  EXPECT_EQ(Str(text.Left(3)), "abc");
  EXPECT_EQ(Str(text.Left(4)), "abcd");
  EXPECT_TRUE(text.Left(5).IsEmpty());  // one past the length gives nothing, not the whole text
  EXPECT_TRUE(text.Left(0).IsEmpty());
  EXPECT_TRUE(text.Left(-1).IsEmpty());

  TextString longText;
  longText.Format("%*s", 20001, "x");
  EXPECT_EQ(longText.Left(20000).Length(), 20000);
  EXPECT_TRUE(longText.Left(20001).IsEmpty());
}

TEST(TextString, FindAndReplaceNeverOverlapOrRescanInsertedText) {
  EXPECT_EQ(TextString("abc").Find(""), 0);
  EXPECT_EQ(TextString("abcabc").Find("ca"), 2);
  EXPECT_EQ(TextString("abc").Find("x"), -1);

  TextString a("aXa");
  EXPECT_EQ(a.Replace("a", "bb"), 2);
  EXPECT_EQ(Str(a), "bbXbb");

  TextString b("aaaa");
  EXPECT_EQ(b.Replace("aa", "a"), 2);
  EXPECT_EQ(Str(b), "aa");

  TextString c("x");
  EXPECT_EQ(c.Replace("x", "xx"), 1);
  EXPECT_EQ(Str(c), "xx");

  TextString d("EXE W COM W ");
  EXPECT_EQ(d.Replace("W ", nullptr), 2);
  EXPECT_EQ(Str(d), "EXE COM ");

  TextString unchanged("abc");
  EXPECT_EQ(unchanged.Replace("", "x"), 0);
  EXPECT_EQ(unchanged.Replace(nullptr, "x"), 0);
  EXPECT_EQ(unchanged.Replace("z", "x"), 0);
  EXPECT_EQ(Str(unchanged), "abc");
}

TEST(TextString, InnerNulsTravelWithCopiesAndReplace) {
  TextString text;
  char* buffer = text.WritableBuffer(7);
  std::memcpy(buffer, "ab\0ab\0a", 7);
  text.SyncLength(7);

  TextString copy(text);
  EXPECT_EQ(copy.Length(), 7);
  EXPECT_EQ(Str(copy + "z"), std::string("ab\0ab\0az", 8));

  // Occurrences behind an inner NUL count too.
  EXPECT_EQ(copy.Replace("ab", "X"), 2);
  EXPECT_EQ(Str(copy), std::string("X\0X\0a", 5));

  // Searching and the length fix stop at the first NUL.
  TextString hidden;
  std::memcpy(hidden.WritableBuffer(3), "x\0y", 3);
  hidden.SyncLength(3);
  EXPECT_EQ(hidden.Find("y"), -1);
  text.SyncLength(-1);
  EXPECT_EQ(Str(text), "ab");
}

TEST(TextString, CopiesNeverShareStorageAndEmptyKeepsBuffer) {
  TextString original("shared?");
  TextString copy = original;
  copy.WritableBuffer(10)[0] = 'S';
  EXPECT_EQ(Str(original), "shared?");
  EXPECT_NE(original.c_str(), copy.c_str());

  TextString self("same");
  const TextString& alias = self;
  self = alias;
  EXPECT_EQ(Str(self), "same");
  self = self.c_str() + 1;  // assigning a part of itself
  EXPECT_EQ(Str(self), "ame");

  TextString reused("content");
  const int capacity = reused.Capacity();
  reused = "";
  EXPECT_EQ(reused.Length(), 0);
  EXPECT_EQ(reused.Capacity(), capacity);
  reused = static_cast<const char*>(nullptr);
  EXPECT_STREQ(reused.c_str(), "");
}

TEST(TextString, FormatMatchesTheSystemFormatter) {
  TextString text;
  void* pointer = reinterpret_cast<void*>(0x12ab);
  text.Format("ODS Task Ptr = %p\n", pointer);
  EXPECT_EQ(Str(text), SystemPrintf("ODS Task Ptr = %p\n", pointer));
  EXPECT_EQ(Str(text), "ODS Task Ptr = 000012AB\n");  // the system runtime's form, upper case

  text.Format("%s|%5.2f|%-4d|%#x|%I64d|%c", g_absentText, 3.14159, 7, 255, -5LL, 'q');
  EXPECT_EQ(Str(text), SystemPrintf("%s|%5.2f|%-4d|%#x|%I64d|%c", g_absentText, 3.14159, 7, 255, -5LL, 'q'));

  text.Format("%.3s|%10s|%e", "abcdef", "r", 1e300);
  EXPECT_EQ(Str(text), SystemPrintf("%.3s|%10s|%e", "abcdef", "r", 1e300));

  text.Format("%f", 1e300);  // 301 digits before the point: sized, not cut
  EXPECT_EQ(Str(text), SystemPrintf("%f", 1e300));
}

TEST(TextString, FormatHasNoLengthLimit) {
  const std::string big(10000, 'k');
  TextString text;
  text.Format("<%s>", big.c_str());
  EXPECT_EQ(text.Length(), 10002);
  EXPECT_EQ(Str(text), "<" + big + ">");

  // A text formatted from its own content.
  TextString grow("ab");
  grow.Format("%s%s%s", grow.c_str(), grow.c_str(), grow.c_str());
  EXPECT_EQ(Str(grow), "ababab");
}

TEST(TextString, UpperCaseTouchesOnlyAsciiLetters) {
  TextString text("c:\\tools\\x.exe /q \xe9");
  text.MakeUpper();
  EXPECT_EQ(Str(text), "C:\\TOOLS\\X.EXE /Q \xe9");
}

}  // namespace
