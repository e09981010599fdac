// Calls the agent must never make are refused and counted, so an agent test can assert there
// were none.
#include "syncutil_fixture.h"

namespace standin_test {
namespace {

using ProtocolErrorTest = SyncutilTest;

struct BadWrite {
  const char* what;
  DWORD area;         // area code passed
  DWORD fieldArea;    // record the address is taken from
  long long offset;   // offset into that record
  bool text;          // a 4-char text (5 bytes) instead of a DWORD
};

TEST_F(ProtocolErrorTest, FieldWritesOutsideTheirRecordAreRefused) {
  const BadWrite cases[] = {
      {"one past the general record", kAreaGeneralRecord, kAreaGeneralRecord, kGeneralRecordExtent, false},
      {"DWORD straddling the general record's end", kAreaGeneralRecord, kAreaGeneralRecord, kGeneralRecordExtent - 2, false},
      {"text running past the on-access record", kAreaOASTaskRecord, kAreaOASTaskRecord, kOASTaskRecordExtent - 4, true},
      {"general address named as on-access", kAreaOASTaskRecord, kAreaGeneralRecord, 16, false},
      {"on-access address named as general", kAreaGeneralRecord, kAreaOASTaskRecord, 16, false},
      {"agent's own copy area code", kAreaAgentCopy, kAreaGeneralRecord, 16, false},
      {"area code 2", 2, kAreaOASTaskRecord, 16, false},
  };
  ManagementPort port;
  ASSERT_TRUE(port.LoadOptions());
  std::size_t expected = 0;
  for (const BadWrite& bad : cases) {
    BYTE* field = port.Field(bad.fieldArea, 0) + bad.offset;
    FieldWriteEntry entry = bad.text ? TextEntry(field, bad.area, "abcd") : ValueEntry(field, bad.area, 0x01010101);
    bad.text ? port.table.SetFieldString(&entry, 1) : port.table.SetFieldValue(&entry, 1);
    EXPECT_EQ(Errors().size(), ++expected) << bad.what;
  }
  // The last field of each record is fine.
  FieldWriteEntry lastGeneral = ValueEntry(port.Field(kAreaGeneralRecord, kGeneralRecordExtent - 4), kAreaGeneralRecord, 5);
  FieldWriteEntry lastOAS = TextEntry(port.Field(kAreaOASTaskRecord, kOASTaskRecordExtent - 4), kAreaOASTaskRecord, "abc");
  port.table.SetFieldValue(&lastGeneral, 1);
  port.table.SetFieldString(&lastOAS, 1);
  EXPECT_EQ(Errors().size(), expected);

  // Nothing refused was written: committing shows the options area as it was, but for the two.
  port.table.SetOptions();
  std::vector<BYTE> options = State().options;
  options[standin::kGeneralRecordOffset + kGeneralRecordExtent - 4] = 0;
  options[standin::kOASRecordOffset + kOASTaskRecordExtent - 4] = 0;
  options[standin::kOASRecordOffset + kOASTaskRecordExtent - 3] = 0;
  options[standin::kOASRecordOffset + kOASTaskRecordExtent - 2] = 0;
  EXPECT_EQ(options, std::vector<BYTE>(kOptionsAreaSize, 0));
}

TEST_F(ProtocolErrorTest, CallsOnAReleasedInterfaceAreRefused) {
  ManagementPort port;
  ASSERT_TRUE(port.LoadOptions());
  Console console;
  port.Release();
  console.Release();

  FieldWriteEntry entry = ValueEntry(port.Field(kAreaGeneralRecord, 0), kAreaGeneralRecord, 9);
  OptionsBlock block;
  DWORD size;
  TaskRecord task = {};
  EXPECT_FALSE(port.table.GetOptions(&block, &size));
  port.table.SetFieldValue(&entry, 1);
  EXPECT_FALSE(port.options.AddItem(kListODSScanItems, "E:\\"));
  port.table.StopLC();
  port.table.SetOptions();
  port.table.ReleaseIFace();
  EXPECT_EQ(console.table.GetTaskCount(), 0);
  EXPECT_FALSE(console.table.GetTask(&task, 0));
  EXPECT_FALSE(console.table.SetTask(task, 0));

  const std::vector<std::string> errors = Errors();
  ASSERT_EQ(errors.size(), 9u);
  for (const std::string& error : errors) {
    EXPECT_NE(error.find("released"), std::string::npos) << error;
  }
  const standin::ProductState state = State();
  EXPECT_TRUE(state.running);
  EXPECT_EQ(state.lists, standin::DefaultState().lists);
  EXPECT_EQ(standin::TaskKind(state.tasks[0]), standin::DefaultTaskKinds()[0]);
}

TEST_F(ProtocolErrorTest, ListIdsAndIndexesAreChecked) {
  ManagementPort port;
  ASSERT_TRUE(port.LoadOptions());
  char buffer[kItemTextSize];
  const DWORD count = port.options.GetItemCount(kListOASExcludedItems);
  EXPECT_TRUE(port.options.GetItem(kListOASExcludedItems, buffer, sizeof buffer, count - 1));
  EXPECT_TRUE(Errors().empty());

  EXPECT_FALSE(port.options.GetItem(kListOASExcludedItems, buffer, sizeof buffer, count));
  EXPECT_FALSE(port.options.RemoveItem(kListOASExcludedItems, count));
  EXPECT_FALSE(port.options.AddItem(3, "C:\\"));
  EXPECT_EQ(port.options.GetItemCount(3), 0);
  EXPECT_FALSE(port.options.GetItem(3, buffer, sizeof buffer, 0));
  EXPECT_EQ(Errors().size(), 5u);
}

}  // namespace
}  // namespace standin_test
