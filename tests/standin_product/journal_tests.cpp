// The journal is how agent tests see what the agent asked for: a field write must be
// recorded with exactly its arguments, whatever bytes its text holds.
#include "syncutil_fixture.h"

namespace standin_test {
namespace {

using JournalTest = SyncutilTest;

TEST_F(JournalTest, FieldWritesAreRecordedWithTheirArguments) {
  ManagementPort port;
  ASSERT_TRUE(port.LoadOptions());
  std::string text;
  for (int c = 1; c < 256; ++c) {
    text += static_cast<char>(c);
  }
  const BYTE bytes[] = {0x00, 0x7F, 0x80, 0xFF, 0x0A};
  FieldWriteEntry textEntry = TextEntry(port.Field(kAreaOASTaskRecord, 1000), kAreaOASTaskRecord, text.c_str());
  textEntry.count = 7;
  FieldWriteEntry bytesEntry = BytesEntry(port.Field(kAreaGeneralRecord, 2048), kAreaGeneralRecord, bytes, sizeof bytes);
  FieldWriteEntry valueEntry = ValueEntry(port.Field(kAreaGeneralRecord, 4096), kAreaGeneralRecord, 0xFFFFFFFE);
  port.table.SetFieldString(&textEntry, 1);
  port.table.SetFieldBytes(&bytesEntry, 1);
  port.table.SetFieldValue(&valueEntry, 1);

  const standin::JournalEntry written = LastOf("SetFieldString");
  EXPECT_EQ(written.pid, GetCurrentProcessId());
  EXPECT_EQ(written.Number("area"), kAreaOASTaskRecord);
  EXPECT_EQ(written.Number("offset"), 1000);
  EXPECT_EQ(written.Number("count"), 7);
  EXPECT_EQ(written.Number("value"), static_cast<long long>(textEntry.value));
  EXPECT_EQ(written.Arg("text"), text);

  const standin::JournalEntry copied = LastOf("SetFieldBytes");
  EXPECT_EQ(copied.Number("area"), kAreaGeneralRecord);
  EXPECT_EQ(copied.Number("offset"), 2048);
  EXPECT_EQ(copied.Number("count"), 5);
  EXPECT_EQ(copied.BytesArg("bytes"), std::vector<BYTE>(bytes, bytes + sizeof bytes));

  const standin::JournalEntry set = LastOf("SetFieldValue");
  EXPECT_EQ(set.Number("offset"), 4096);
  EXPECT_EQ(set.Number("value"), 0xFFFFFFFELL);
}

TEST_F(JournalTest, EveryCallIsOneLineInCallOrder) {
  {
    ManagementPort port;
    ASSERT_TRUE(port.LoadOptions());
    port.options.AddItem(kListODSScanItems, "E:\\");
    port.options.GetItemCount(kListODSScanItems);
    port.table.SetOptions();
  }
  std::vector<std::string> calls;
  for (const standin::JournalEntry& entry : Journal()) {
    calls.push_back(entry.call);
  }
  EXPECT_EQ(calls, (std::vector<std::string>{"AvSync_GetIFace", "GetOptions", "AddItem", "GetItemCount", "SetOptions",
                                             "ReleaseIFace"}));
  EXPECT_EQ(LastOf("AddItem").Arg("text"), "E:\\");
  EXPECT_EQ(LastOf("GetItemCount").Number("result"), 2);
}

}  // namespace
}  // namespace standin_test
