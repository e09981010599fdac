// Scheduled tasks travel whole and by value; the product stores them the moment they are set,
// and bytes the agent did not touch must come back as they were.
#include "syncutil_fixture.h"

#include <cstring>

namespace standin_test {
namespace {

using ConsoleTest = SyncutilTest;

TEST_F(ConsoleTest, TasksRoundTripByValue) {
  const std::vector<DWORD> kinds = standin::DefaultTaskKinds();
  const DWORD update = 1;
  ASSERT_EQ(kinds[update], kTaskKindUpdate);
  {
    Console console;
    ASSERT_TRUE(console.Obtained());
    ASSERT_EQ(console.table.GetTaskCount(), static_cast<int>(kinds.size()));
    TaskRecord task;
    ASSERT_TRUE(console.table.GetTask(&task, update));
    EXPECT_EQ(standin::TaskKind(task), kTaskKindUpdate);
    task.bytes[0] = 0;
    task.bytes[kTaskRecordSize - 1] = 0xAB;
    ASSERT_TRUE(console.table.SetTask(task, update));
  }
  // Stored without any commit, and untouched bytes still carry the pattern.
  const standin::ProductState state = State();
  const TaskRecord& stored = state.tasks[update];
  EXPECT_EQ(stored.bytes[0], 0);
  EXPECT_EQ(stored.bytes[kTaskRecordSize - 1], 0xAB);
  for (std::size_t i = 1; i < kTaskRecordSize - 1; ++i) {
    if (i < kTaskKindOffset || i >= kTaskKindOffset + 4) {
      ASSERT_EQ(stored.bytes[i], standin::TaskPatternByte(update, i)) << "byte " << i;
    }
  }
  EXPECT_EQ(standin::TaskKind(stored), kTaskKindUpdate);

  Console again;
  TaskRecord fetched;
  ASSERT_TRUE(again.table.GetTask(&fetched, update));
  EXPECT_EQ(0, std::memcmp(fetched.bytes, stored.bytes, kTaskRecordSize));
  EXPECT_TRUE(again.table.GetTask(&fetched, update + 1));
  EXPECT_EQ(fetched.bytes[0], standin::TaskPatternByte(update + 1, 0));
  EXPECT_TRUE(Errors().empty());
}

TEST_F(ConsoleTest, OnDemandTaskRoundTrips) {
  Console console;
  ODSTaskRecord task;
  ASSERT_TRUE(console.table.GetODSTask(&task));
  EXPECT_EQ(task.bytes[100], standin::ODSPatternByte(100));
  task.bytes[100] = 0;
  console.table.SetODSTask(&task);
  const std::vector<BYTE> stored = State().odsTask;
  EXPECT_EQ(stored[100], 0);
  EXPECT_EQ(stored[101], standin::ODSPatternByte(101));
}

TEST_F(ConsoleTest, ConfiguredTaskListsAreServed) {
  ASSERT_TRUE(standin::SetTaskKinds({kTaskKindUpgrade, 1, kTaskKindUpdate, kTaskKindUpdate}));
  {
    Console console;
    ASSERT_EQ(console.table.GetTaskCount(), 4);
    TaskRecord task;
    const DWORD expected[] = {kTaskKindUpgrade, 1, kTaskKindUpdate, kTaskKindUpdate};
    for (DWORD i = 0; i < 4; ++i) {
      ASSERT_TRUE(console.table.GetTask(&task, i));
      EXPECT_EQ(standin::TaskKind(task), expected[i]);
    }
  }
  ASSERT_TRUE(standin::SetTaskKinds({}));
  Console empty;
  TaskRecord task;
  EXPECT_EQ(empty.table.GetTaskCount(), 0);
  EXPECT_FALSE(empty.table.GetTask(&task, 0));
  EXPECT_EQ(Errors().size(), 1u) << "GetTask beyond the list";
}

}  // namespace
}  // namespace standin_test
