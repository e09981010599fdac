// The foundation against the real system: the settings store in the test prefix's registry,
// the text type against the system's formatter, messages from this program's string table,
// and status lines as a collector reads them from the mailslot this test creates.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/messages.h"
#include "foundation/settings_key.h"
#include "foundation/sha256.h"
#include "foundation/system_format.h"
#include "foundation/trace_log.h"
#include "foundation/unique_handle.h"
#include "testtools/test_registry.h"
#include "testtools/trace_names.h"

namespace {

std::string Str(const TextString& text) { return std::string(text.c_str(), static_cast<std::size_t>(text.Length())); }

std::vector<std::string> Drain(HANDLE mailslot) {
  std::vector<std::string> messages;
  DWORD next = 0;
  while (GetMailslotInfo(mailslot, nullptr, &next, nullptr, nullptr) && next != MAILSLOT_NO_MESSAGE) {
    std::string message(next, '\0');
    DWORD read = 0;
    if (!ReadFile(mailslot, &message[0], next, &read, nullptr)) break;
    messages.push_back(message.substr(0, read));
  }
  return messages;
}

TEST(SettingsKey, ReadsFallBackWithoutWritingAndWritesRoundTrip) {
  const std::string key = "Software\\TarnTests\\Settings Agent";
  const SettingsKey settings("TarnTests", "Settings Agent");
  test_registry::DeleteTree("Software\\TarnTests");
  EXPECT_EQ(settings.ReadDword({"SyncUtil", "Func Timeout"}, 240000), 240000u);
  EXPECT_FALSE(test_registry::KeyExists(key));  // a read creates no key on the way
  EXPECT_EQ(Str(settings.ReadString({"LC_UPDATE", "Other"}, "fallback")), "fallback");
  // A value of the wrong type or size gives the default and one status line saying so.
  const KernelHandle mailslot(CreateMailslotA(kTestMailslotName, 0, 0, nullptr));
  ASSERT_TRUE(mailslot);
  test_registry::SetString(key + "\\T", "Short", "3");  // its bytes would read as 51
  EXPECT_EQ(settings.ReadDword({"T", "Short"}, 77), 77u);
  test_registry::SetBinary(key + "\\T", "TwoBytes", std::string("\x34\x12", 2));
  EXPECT_EQ(settings.ReadDword({"T", "TwoBytes"}, 77), 77u);
  test_registry::SetDword(key + "\\T", "Number", 0x31);
  EXPECT_EQ(Str(settings.ReadString({"T", "Number"}, "")), "");
  EXPECT_EQ(settings.ReadDword({"T", "Number"}, 77, SettingsKey::WrongType::kSilent), 0x31u);
  EXPECT_EQ(settings.ReadDword({"T", "Short"}, 77, SettingsKey::WrongType::kSilent), 77u);  // and nothing said
  test_registry::SetString(key + "\\T", "Path", "%SystemRoot%\\x", REG_EXPAND_SZ);
  EXPECT_EQ(Str(settings.ReadString({"T", "Path"}, "-")), "-");
  char windows[MAX_PATH] = {};
  GetEnvironmentVariableA("SystemRoot", windows, MAX_PATH);
  EXPECT_EQ(Str(settings.ReadPath({"T", "Path"}, "-")), std::string(windows) + "\\x");
  std::vector<std::string> said;
  for (const std::string& message : Drain(mailslot.get())) said.push_back(message.substr(14));
  EXPECT_EQ(said, (std::vector<std::string>{
                      std::string("The setting T\\Short is a REG_SZ, not a REG_DWORD: the default 77 is used.\n") + '\0',
                      std::string("The setting T\\TwoBytes is a REG_BINARY, not a REG_DWORD: the default 77 is used.\n") + '\0',
                      std::string("The setting T\\Number is a REG_DWORD, not a REG_SZ: the default \"\" is used.\n") + '\0',
                      std::string("The setting T\\Path is a REG_EXPAND_SZ, not a REG_SZ: the default \"-\" is used.\n") + '\0'}));

  ASSERT_TRUE(settings.WriteDword({"LC_EXEC", "ReturnCode"}, 0xFFFFFFFBu));
  EXPECT_EQ(test_registry::GetDword(key + "\\LC_EXEC", "ReturnCode"), 0xFFFFFFFBu);
  ASSERT_TRUE(settings.WriteString({"TARNUPDATE", "ReturnString"}, "[0] Command successful."));
  EXPECT_EQ(test_registry::GetString(key + "\\TARNUPDATE", "ReturnString"), "[0] Command successful.");
  EXPECT_TRUE(settings.WriteString({"TARNUPDATE", "ReturnString"}, nullptr));  // deletes the value
  EXPECT_FALSE(test_registry::ValueExists(key + "\\TARNUPDATE", "ReturnString"));
  EXPECT_TRUE(settings.WriteString({"TARNUPDATE", "ReturnString"}, nullptr));  // gone already
  EXPECT_TRUE(settings.WriteString({"TARNUPDATE", nullptr}, "ignored"));  // deletes the key
  EXPECT_FALSE(test_registry::KeyExists(key + "\\TARNUPDATE"));

  test_registry::DeleteTree("Software\\TarnTests");
}

std::string SystemPrintf(const char* format, ...) {
  char buffer[4096];
  va_list args;
  va_start(args, format);
  SystemFormatInto(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

// Whatever the system's formatter does, and the rest where fuzz/text_string_fuzz.cpp, which
// checks every other operation against std::string on any input, does not reach.
TEST(TextString, FormatsAsTheSystemRuntimeAndReplacesAsTheAgentNeeds) {
  TextString text;
  text.Format("ODS Task Ptr = %p\n", reinterpret_cast<void*>(0x12ab));
  // The system runtime's form: upper case, as many digits as a pointer has.
  EXPECT_EQ(Str(text), "ODS Task Ptr = " + std::string(2 * sizeof(void*) - 4, '0') + "12AB\n");
  text.Format("%s|%5.2f|%-4d|%#x|%I64d|%e", "s", 3.14159, 7, 255, -5LL, 1e300);
  EXPECT_EQ(Str(text), SystemPrintf("%s|%5.2f|%-4d|%#x|%I64d|%e", "s", 3.14159, 7, 255, -5LL, 1e300));
  text.Format("<%s>", std::string(10000, 'k').c_str());  // no length limit
  EXPECT_EQ(text.Length(), 10002);
  TextString grow("ab");
  grow.Format("%s%s%s", grow.c_str(), grow.c_str(), grow.c_str());  // from its own content
  EXPECT_EQ(Str(grow), "ababab");

  TextString longText;
  longText.Format("%*s", 20001, "x");
  EXPECT_EQ(longText.Left(20000).Length(), 20000);
  EXPECT_TRUE(longText.Left(20001).IsEmpty());
  TextString extensions("EXE W COM W ");
  EXPECT_EQ(extensions.Replace("W ", nullptr), 2);  // no replacement: removed
  EXPECT_EQ(Str(extensions), "EXE COM ");
}

TEST(Messages, LongTextsComeWholeAndMissingOnesAreEmpty) {
  TextString text;
  EXPECT_TRUE(LoadMessage(GetModuleHandleA(nullptr), 200, text));  // test_messages.rc: 255 characters
  EXPECT_EQ(text.Length(), 255);
  EXPECT_EQ(text.c_str()[254], 'Z');
  EXPECT_FALSE(LoadMessage(GetModuleHandleA(nullptr), 201, text));   // block exists, string does not
  EXPECT_FALSE(LoadMessage(GetModuleHandleA(nullptr), 5000, text));  // no such block
  EXPECT_TRUE(text.IsEmpty());
}

TEST(TraceLog, StatusMessagesAreSequenceBytePrefixTextAndNulCutToTheirLimits) {
  DebugOutput = 0;
  EXPECT_FALSE(TraceStatus("nobody listens\n"));  // lost quietly without a collector
  const KernelHandle mailslot(CreateMailslotA(kTestMailslotName, 0, 0, nullptr));
  ASSERT_TRUE(mailslot);
  EXPECT_TRUE(TraceStatus("%s", "100% of %d\n"));  // a percent sign in an argument stays as it is
  TraceDebug("never seen: %s\n", "detail");       // detail lines never reach the mailslot
  TraceStatus("%s", std::string(3000, 'z').c_str());
  EXPECT_TRUE(PostStatusMessage("%s", std::string(9000, 'y').c_str()));
  std::vector<std::string> messages = Drain(mailslot.get());
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].substr(1), std::string("[TarnUpdate] 100% of %d\n") + '\0');
  EXPECT_EQ(messages[1].substr(1), "[TarnUpdate] " + std::string(2047, 'z') + '\0');
  EXPECT_EQ(messages[2].size(), 1u + 8162u + 1u);

  for (int i = 0; i < 300; ++i) {
    TraceStatus("line %d\n", i);
    for (const std::string& message : Drain(mailslot.get())) messages.push_back(message);
  }
  bool wrapped = false;
  for (std::size_t i = 1; i < messages.size(); ++i) {
    const unsigned previous = static_cast<unsigned char>(messages[i - 1][0]);
    const unsigned current = static_cast<unsigned char>(messages[i][0]);
    ASSERT_EQ(current, previous % 255 + 1) << "after message " << i - 1;  // 1 to 255, never 0
    wrapped = wrapped || previous == 255;
  }
  EXPECT_TRUE(wrapped);
}

}  // namespace

TEST(Sha256, DigestsAsTheStandardAndParsesOnlySixtyFourHexDigits) {
  const std::string abc = "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
  Sha256Digest digest{};
  ASSERT_TRUE(Sha256Of("abc", 3, digest));
  EXPECT_EQ(Sha256Hex(digest), abc);
  ASSERT_TRUE(Sha256Of("", 0, digest));
  EXPECT_EQ(Sha256Hex(digest), "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855");
  std::string lower = abc;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  Sha256Digest parsed{};
  ASSERT_TRUE(ParseSha256Hex(lower.c_str(), parsed));
  ASSERT_TRUE(Sha256Of("abc", 3, digest));
  EXPECT_EQ(parsed, digest);
  for (const std::string& bad : {abc.substr(1), abc + "0", abc.substr(1) + "G", " " + abc.substr(1), std::string()}) {
    EXPECT_FALSE(ParseSha256Hex(bad.c_str(), parsed)) << bad;
  }
}
