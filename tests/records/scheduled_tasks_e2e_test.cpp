// Update type "SCHEDULE" against the stand-in product: the Update and Upgrade tasks found by
// kind wherever they are, every schedule key, and the results when a task is missing or
// refused.
#include <algorithm>
#include <string>
#include <vector>

#include "record_test_support.h"
#include "scheduled_tasks.h"

namespace records_test {
namespace {

// Straight from the description of the task record, not from the table.
const std::vector<KnownField> kKnownUpdateFields = {{"Update", "uStatus", 4676},
                                                   {"Update", "uHour", 4880},
                                                   {"Update", "dwRandomWndMins", 6104},
                                                   {"Update", "bLocked", 6784},
                                                   {"Update", "dwPasswordProtect", 16928}};

class ScheduledTasksTest : public RecordE2ETest {
 protected:
  // The stand-in's task at `index` as it was created, with these values written into it.
  static std::vector<BYTE> Task(std::size_t index, DWORD kind, const std::vector<FieldValue>& values = {}) {
    const TaskRecord task = standin::PatternedTask(index, kind);
    return Written(std::vector<BYTE>(task.bytes, task.bytes + sizeof task.bytes), 0, WritesOf(values));
  }
  // An unchanged task of the default set.
  static std::vector<BYTE> DefaultTask(std::size_t index) {
    return Task(index, standin::DefaultTaskKinds()[index]);
  }
  static std::vector<BYTE> Stored(std::size_t index) {
    const standin::ProductState state = State();
    if (index >= state.tasks.size()) return {};
    return std::vector<BYTE>(state.tasks[index].bytes, state.tasks[index].bytes + kTaskRecordSize);
  }
  // Distinct values for both tasks, and the script that sets them.
  void SetUp() override {
    RecordE2ETest::SetUp();
    const std::vector<FieldValue> both = DistinctValues([] {
      std::vector<Field> fields = Flatten(UpdateTaskFields);
      for (const Field& field : Flatten(UpgradeTaskFields)) fields.push_back(field);
      return fields;
    }());
    update_.assign(both.begin(), both.begin() + 16);
    upgrade_.assign(both.begin() + 16, both.end());
  }
  Script Full() const { return Script("SCHEDULE").SetAll(update_).SetAll(upgrade_); }

  std::vector<FieldValue> update_;
  std::vector<FieldValue> upgrade_;
};

TEST_F(ScheduledTasksTest, BothTasksTakeEveryKeyOfTheirOwnSectionAndKeepTheRest) {
  ASSERT_EQ(update_.size(), 16u);
  ASSERT_EQ(upgrade_.size(), 16u);
  const AgentRun run = RunScript(Full());
  ExpectResult(run, 0);
  EXPECT_EQ(FirstDifference(Task(1, kTaskKindUpdate, update_), Stored(1)), "");
  EXPECT_EQ(FirstDifference(Task(3, kTaskKindUpgrade, upgrade_), Stored(3)), "");
  // Update at 1 and Upgrade at 3 among the default tasks; the others stay as they were.
  for (std::size_t other : {0u, 2u, 4u}) EXPECT_EQ(FirstDifference(DefaultTask(other), Stored(other)), "") << other;
  ExpectKnownFields(Stored(1), 0, update_, kKnownUpdateFields);
  EXPECT_TRUE(HasStatusLine(run, "Get Task Count = 5\n"));
  EXPECT_TRUE(HasStatusLine(run, "Releasing AvSync_GetIFace AVSIF_AVCONSOL\n"));
  EXPECT_EQ(standin::ProtocolErrorCount(), 0);
}

TEST_F(ScheduledTasksTest, TasksAreFoundByKindAndTheFirstOfAKindWins) {
  ASSERT_TRUE(standin::SetTaskKinds({kTaskKindUpgrade, 1, 1, kTaskKindUpdate}));
  ExpectResult(RunScript(Full()), 0);
  EXPECT_EQ(ConsoleCalls(), (std::vector<std::string>{"AvSync_GetIFace 4", "GetTaskCount", "GetTask 0", "GetTask 1",
                                                      "GetTask 2", "GetTask 3", "SetTask 3", "GetTaskCount",
                                                      "GetTask 0", "SetTask 0", "ReleaseIFace 4", "SetOptions",
                                                      "ReleaseIFace 6"}));
  EXPECT_EQ(FirstDifference(Task(3, kTaskKindUpdate, update_), Stored(3)), "");
  EXPECT_EQ(FirstDifference(Task(0, kTaskKindUpgrade, upgrade_), Stored(0)), "");

  ASSERT_TRUE(standin::ResetState());
  ASSERT_TRUE(standin::SetTaskKinds({kTaskKindUpdate, kTaskKindUpdate, kTaskKindUpgrade}));
  ExpectResult(RunScript(Full()), 0);
  EXPECT_EQ(FirstDifference(Task(0, kTaskKindUpdate, update_), Stored(0)), "");
  EXPECT_EQ(FirstDifference(Task(1, kTaskKindUpdate), Stored(1)), "");
  EXPECT_EQ(FirstDifference(Task(2, kTaskKindUpgrade, upgrade_), Stored(2)), "");
}

TEST_F(ScheduledTasksTest, MissingTasksGiveTheirOwnCodeAndTheConsoleIsReleased) {
  ASSERT_TRUE(standin::SetTaskKinds({}));
  const AgentRun none = RunScript(Full());
  ExpectResult(none, 9);
  EXPECT_TRUE(HasStatusLine(none, "Get Task Count = 0\n"));
  EXPECT_EQ(ConsoleCalls(), (std::vector<std::string>{"AvSync_GetIFace 4", "GetTaskCount", "ReleaseIFace 4",
                                                      "ReleaseIFace 6"}));

  // The Update task is stored before the missing Upgrade task is noticed.
  ASSERT_TRUE(standin::ResetState());
  ASSERT_TRUE(standin::SetTaskKinds({1, kTaskKindUpdate}));
  ExpectResult(RunScript(Full()), 10);
  EXPECT_EQ(FirstDifference(Task(1, kTaskKindUpdate, update_), Stored(1)), "");
  EXPECT_EQ(FirstDifference(Task(0, 1), Stored(0)), "");
  const std::vector<std::string> calls = ConsoleCalls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2], "ReleaseIFace 4");
  EXPECT_EQ(calls.back(), "ReleaseIFace 6");  // no SetOptions after a failure
}

TEST_F(ScheduledTasksTest, ProductFaultsGiveTheFirstTasksCodeOrOneForARefusedConsole) {
  struct Case {
    const char* name;
    standin::Faults faults;
    DWORD code;
  };
  std::vector<Case> cases(3);
  cases[0] = {"GetTask fails", {}, 9};
  cases[0].faults.getTaskFails = true;
  cases[1] = {"SetTask fails", {}, 9};
  cases[1].faults.setTaskFails = true;
  cases[2] = {"console refused", {}, 1};
  cases[2].faults.refuseInterface = true;
  cases[2].faults.refusedInterfaceId = AVSIF_AVCONSOL;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(standin::ResetState());
    ASSERT_TRUE(standin::SetFaults(c.faults));
    const AgentRun run = RunScript(Full());
    ExpectResult(run, c.code);
    const std::vector<std::string> calls = ConsoleCalls();
    // The Upgrade task is never looked at, and a refused console is never released.
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "GetTaskCount"), c.code == 1 ? 0 : 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "ReleaseIFace 4"), c.code == 1 ? 0 : 1);
    for (std::size_t i = 0; i < State().tasks.size(); ++i) {
      EXPECT_EQ(FirstDifference(DefaultTask(i), Stored(i)), "") << i;
    }
  }
}

}  // namespace
}  // namespace records_test
