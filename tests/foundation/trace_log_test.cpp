// Status lines as a collector reads them from the mailslot this test creates.
#include "trace_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "trace_names.h"

namespace {

class StatusMailslot {
 public:
  StatusMailslot() : handle_(CreateMailslotA(kTestMailslotName, 0, 0, nullptr)) {}
  ~StatusMailslot() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

  std::vector<std::string> Drain() {
    std::vector<std::string> messages;
    DWORD next = 0;
    while (GetMailslotInfo(handle_, nullptr, &next, nullptr, nullptr) && next != MAILSLOT_NO_MESSAGE) {
      std::string message(next, '\0');
      DWORD read = 0;
      if (!ReadFile(handle_, &message[0], next, &read, nullptr)) break;
      message.resize(read);
      messages.push_back(message);
    }
    return messages;
  }

 private:
  HANDLE handle_;
};

std::string Body(const std::string& message) { return message.substr(1); }

TEST(TraceLog, StatusLineLayoutIsSequenceBytePrefixTextAndNul) {
  DebugOutput = 0;
  StatusMailslot mailslot;
  ASSERT_TRUE(mailslot.ok());

  EXPECT_TRUE(TraceStatus("Unloading SYNCUTIL.DLL\n"));
  EXPECT_TRUE(TraceStatus("%s", "100% of %d\n"));  // a percent sign in an argument stays as it is
  EXPECT_TRUE(TraceStatus("%s", ""));
  TraceDebug("never seen: %s\n", "detail");  // detail lines never reach the mailslot

  const std::vector<std::string> messages = mailslot.Drain();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].size(), 38u);
  EXPECT_EQ(Body(messages[0]), std::string("[TarnUpdate] Unloading SYNCUTIL.DLL\n") + '\0');
  EXPECT_EQ(Body(messages[1]), std::string("[TarnUpdate] 100% of %d\n") + '\0');
  EXPECT_EQ(Body(messages[2]), std::string("[TarnUpdate] ") + '\0');
}

TEST(TraceLog, LongTextIsCutTo2047Characters) {
  StatusMailslot mailslot;
  ASSERT_TRUE(mailslot.ok());
  const std::string text(3000, 'z');
  TraceStatus("%s", text.c_str());

  const std::vector<std::string> messages = mailslot.Drain();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].size(), 2062u);
  EXPECT_EQ(Body(messages[0]), "[TarnUpdate] " + text.substr(0, 2047) + '\0');
}

TEST(TraceLog, PostedMessageIsCutTo8162Characters) {
  StatusMailslot mailslot;
  ASSERT_TRUE(mailslot.ok());
  const std::string text(9000, 'y');
  EXPECT_TRUE(PostStatusMessage("%s", text.c_str()));

  const std::vector<std::string> messages = mailslot.Drain();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].size(), 1u + 8162u + 1u);
}

TEST(TraceLog, SequenceNumbersRunOneTo255AndNeverZero) {
  StatusMailslot mailslot;
  ASSERT_TRUE(mailslot.ok());
  std::vector<std::string> messages;
  for (int i = 0; i < 300; ++i) {
    TraceStatus("line %d\n", i);
    for (std::string& message : mailslot.Drain()) messages.push_back(message);  // writers block on a full slot
  }
  ASSERT_EQ(messages.size(), 300u);
  bool wrapped = false;
  for (std::size_t i = 1; i < messages.size(); ++i) {
    const unsigned previous = static_cast<unsigned char>(messages[i - 1][0]);
    const unsigned current = static_cast<unsigned char>(messages[i][0]);
    ASSERT_NE(current, 0u);
    EXPECT_EQ(current, previous % 255 + 1) << "after message " << i - 1;
    if (previous == 255) wrapped = true;
  }
  EXPECT_TRUE(wrapped);
}

TEST(TraceLog, WithoutCollectorStatusLinesAreLostQuietly) {
  EXPECT_FALSE(TraceStatus("nobody listens\n"));
  // The next collector gets the next line as usual.
  StatusMailslot mailslot;
  ASSERT_TRUE(mailslot.ok());
  EXPECT_TRUE(TraceStatus("heard\n"));
  EXPECT_EQ(mailslot.Drain().size(), 1u);
}

}  // namespace
