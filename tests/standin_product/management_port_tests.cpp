// The management port's working copy: what the agent writes must reach the product only when
// it commits, and control calls must show at once.
#include "syncutil_fixture.h"

#include <cstring>

namespace standin_test {
namespace {

using ManagementPortTest = SyncutilTest;

constexpr std::size_t kLastGeneralField = kGeneralRecordExtent - 4;
constexpr std::size_t kLastOASField = kOASTaskRecordExtent - 4;

TEST_F(ManagementPortTest, EditsReachTheProductOnlyThroughSetOptions) {
  ManagementPort port;
  ASSERT_TRUE(port.Obtained());
  ASSERT_TRUE(port.LoadOptions());
  EXPECT_EQ(port.size, kOptionsAreaSize);

  FieldWriteEntry value = ValueEntry(port.Field(kAreaGeneralRecord, kLastGeneralField), kAreaGeneralRecord, 0xDEADBEEF);
  FieldWriteEntry text = TextEntry(port.Field(kAreaOASTaskRecord, 512), kAreaOASTaskRecord, "D:\\Quarantine");
  port.table.SetFieldValue(&value, 1);
  port.table.SetFieldString(&text, 1);
  EXPECT_TRUE(port.options.AddItem(kListOASExcludedItems, "D:\\Builds\\*"));
  EXPECT_TRUE(port.options.RemoveItem(kListODSExcludedItems, 0));

  // The agent sees its own edits before committing; the product does not.
  EXPECT_EQ(port.options.GetItemCount(kListOASExcludedItems), 3);
  standin::ProductState before = State();
  EXPECT_EQ(before.FieldDword(kAreaGeneralRecord, kLastGeneralField), 0u);
  EXPECT_EQ(before.FieldText(kAreaOASTaskRecord, 512), "");
  EXPECT_EQ(before.lists, standin::DefaultState().lists);

  port.table.SetOptions();
  standin::ProductState after = State();
  EXPECT_EQ(after.FieldDword(kAreaGeneralRecord, kLastGeneralField), 0xDEADBEEF);
  EXPECT_EQ(after.FieldText(kAreaOASTaskRecord, 512), "D:\\Quarantine");
  EXPECT_TRUE(after.lists[kListODSExcludedItems].empty());
  EXPECT_EQ(after.lists[kListOASExcludedItems].back(), "D:\\Builds\\*");
  EXPECT_TRUE(Errors().empty());
}

TEST_F(ManagementPortTest, UncommittedEditsAreGoneInTheNextSession) {
  {
    ManagementPort port;
    ASSERT_TRUE(port.LoadOptions());
    FieldWriteEntry value = ValueEntry(port.Field(kAreaOASTaskRecord, kLastOASField), kAreaOASTaskRecord, 77);
    port.table.SetFieldValue(&value, 1);
    port.options.AddItem(kListODSScanItems, "E:\\");
  }
  ManagementPort port;
  ASSERT_TRUE(port.LoadOptions());
  DWORD held = 0;
  std::memcpy(&held, port.Field(kAreaOASTaskRecord, kLastOASField), sizeof held);
  EXPECT_EQ(held, 0u);
  EXPECT_EQ(port.options.GetItemCount(kListODSScanItems), 1);
}

TEST_F(ManagementPortTest, ControlCallsChangeTheVisibleStateAtOnce) {
  ManagementPort port;
  port.table.StopLC();
  port.table.DisableLC(1);
  standin::ProductState stopped = State();
  EXPECT_FALSE(stopped.running);
  EXPECT_FALSE(stopped.enabled);

  port.table.EnableLC(1);
  port.table.StartLC();
  standin::ProductState started = State();
  EXPECT_TRUE(started.running);
  EXPECT_TRUE(started.enabled);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(ManagementPortTest, GetItemCopiesAtMostItsTextSize) {
  ManagementPort port;
  ASSERT_TRUE(port.LoadOptions());
  const std::string longest(kItemTextSize - 1, 'x');
  ASSERT_TRUE(port.options.AddItem(kListODSScanItems, longest.c_str()));
  EXPECT_FALSE(port.options.AddItem(kListODSScanItems, (longest + "y").c_str()));

  char buffer[2 * kItemTextSize];
  std::memset(buffer, 0x55, sizeof buffer);
  ASSERT_TRUE(port.options.GetItem(kListODSScanItems, buffer, sizeof buffer, 1));
  EXPECT_EQ(std::string(buffer), longest);
  EXPECT_EQ(buffer[kItemTextSize], 0x55) << "wrote past the item text size";

  char small[4];
  ASSERT_TRUE(port.options.GetItem(kListODSScanItems, small, sizeof small, 1));
  EXPECT_EQ(std::string(small), "xxx");
  EXPECT_EQ(Errors().size(), 1u) << "only the over-long item";
}

}  // namespace
}  // namespace standin_test
