// Update type "ODS" against the stand-in product: every option of the on-demand task, its
// two item lists and their counts, and what a refused console or a missing task leaves.
#include <algorithm>
#include <string>
#include <vector>

#include "ods_task.h"
#include "record_test_support.h"

namespace records_test {
namespace {

// Straight from the description of the record, not from the table: a wrong row fails here.
const std::vector<KnownField> kKnownODSFields = {
    {"ScanOptions", "bAutoStart", 0},          {"ScanOptions", "dwUIType", 544},
    {"DetectionOptions", "bScanAllOLE", 2240}, {"DetectionOptions", "dwUIType", 2784},
    {"AlertOptions", "szCustomMessage", 5428}, {"ActionOptions", "szCustomMessage", 7768},
    {"ReportOptions", "szLogFileName", 9092},  {"SecurityOptions", "szAlphaNum", 10144},
};
constexpr std::size_t kExcludedCount = 10720;
constexpr std::size_t kScanCount = 10788;

using ODSTaskTest = RecordE2ETest;

TEST_F(ODSTaskTest, EveryOptionAndBothListsReachTheTaskAndTrailersComeBackAsFetched) {
  const std::vector<FieldValue> values = DistinctValues(Flatten(ODSTaskFields));
  ASSERT_EQ(values.size(), 60u);
  const std::vector<std::string> excluded = {"C:\\PAGEFILE.SYS", "C:\\SWAP", "D:\\ARCHIVE\\OLD"};
  const std::vector<std::string> scan = {"C:\\", "E:\\DATA"};
  const standin::ProductState before = State();

  const AgentRun run = RunScript(Script("ODS")
                                     .SetAll(values)
                                     .SetList("ExcludedItems", "ExcludedItem", excluded)
                                     .SetList("ScanItems", "ScanItem", scan));
  ExpectResult(run, 0);
  const standin::ProductState after = State();

  Writes writes = WritesOf(values);
  writes.emplace_back(kExcludedCount, NumberBytes(3));
  writes.emplace_back(kScanCount, NumberBytes(2));
  EXPECT_EQ(FirstDifference(Written(before.odsTask, 0, writes), after.odsTask), "");
  ExpectKnownFields(after.odsTask, 0, values, kKnownODSFields);

  EXPECT_EQ(after.lists[kListODSExcludedItems], excluded);
  EXPECT_EQ(after.lists[kListODSScanItems], scan);
  EXPECT_EQ(after.lists[kListOASExcludedItems], before.lists[kListOASExcludedItems]);
  EXPECT_EQ(FirstDifference(before.options, after.options), "");  // the copy is the agent's own
  EXPECT_EQ(standin::ProtocolErrorCount(), 0);

  const std::vector<std::string> lines = run.StatusLines();
  const auto console = std::find(lines.begin(), lines.end(), "AvSync_GetIFace AVSIF_AVCONSOL returned 0\n");
  ASSERT_NE(console, lines.end());
  ASSERT_NE(console + 1, lines.end());
  EXPECT_EQ((console + 1)->rfind("ODS Task Ptr = ", 0), 0u);
  // Fetched once, stored once, released; then the driver commits.
  EXPECT_EQ(ConsoleCalls(), (std::vector<std::string>{"AvSync_GetIFace 4", "GetODSTask", "SetODSTask", "ReleaseIFace 4",
                                                      "SetOptions", "ReleaseIFace 6"}));
}

TEST_F(ODSTaskTest, KeysOfTwoSectionsFillOneFieldEachAndListsWithoutSectionsAreEmptied) {
  const standin::ProductState before = State();
  const AgentRun run = RunScript(Script("ODS")
                                     .Set("ScanOptions", "dwUIType", "31")
                                     .Set("AlertOptions", "szCustomMessage", "alert")
                                     .Set("ActionOptions", "szCustomMessage", "action"));
  ExpectResult(run, 0);
  const standin::ProductState after = State();
  // dwUIType of DetectionOptions (2784) keeps its fetched value; both counts become 0.
  EXPECT_EQ(FirstDifference(Written(before.odsTask, 0, {{544, NumberBytes(31)},
                                                     {5428, TextBytes("alert")},
                                                     {7768, TextBytes("action")},
                                                     {kExcludedCount, NumberBytes(0)},
                                                     {kScanCount, NumberBytes(0)}}),
                            after.odsTask),
            "");
  EXPECT_TRUE(after.lists[kListODSExcludedItems].empty());
  EXPECT_TRUE(after.lists[kListODSScanItems].empty());
  EXPECT_EQ(after.lists[kListOASExcludedItems], before.lists[kListOASExcludedItems]);
}

TEST_F(ODSTaskTest, NoTaskFromTheProductIsAFailureAndChangesNothing) {
  standin::Faults faults;
  faults.getODSTaskFails = true;
  ASSERT_TRUE(standin::SetFaults(faults));
  const standin::ProductState before = State();

  const AgentRun run =
      RunScript(Script("ODS").Set("ScanOptions", "bAutoStart", "1").SetList("ScanItems", "ScanItem", {"X"}));
  ExpectResult(run, 2);
  EXPECT_FALSE(HasStatusLine(run, "ODS Task Ptr = "));
  const standin::ProductState after = State();
  EXPECT_EQ(after.odsTask, before.odsTask);
  EXPECT_EQ(after.lists, before.lists);
  EXPECT_EQ(ConsoleCalls(),
            (std::vector<std::string>{"AvSync_GetIFace 4", "GetODSTask", "ReleaseIFace 4", "ReleaseIFace 6"}));
}

TEST_F(ODSTaskTest, EveryRefusalOfTheConsoleIsResultFourWithoutTouchingIt) {
  for (int refusal : {1, 7}) {
    SCOPED_TRACE(refusal);
    standin::Faults faults;
    faults.refuseInterface = true;
    faults.refusedInterfaceId = AVSIF_AVCONSOL;
    faults.refuseResult = refusal;
    ASSERT_TRUE(standin::SetFaults(faults));
    const standin::ProductState before = State();

    const AgentRun run = RunScript(Script("ODS").Set("ScanOptions", "bAutoStart", "1"));
    ExpectResult(run, 4);
    EXPECT_TRUE(HasStatusLine(run, "AvSync_GetIFace AVSIF_AVCONSOL returned " + std::to_string(refusal) + "\n"));
    EXPECT_EQ(ConsoleCalls(), (std::vector<std::string>{"AvSync_GetIFace 4", "ReleaseIFace 6"}));
    EXPECT_EQ(State().odsTask, before.odsTask);
    ASSERT_TRUE(standin::ResetState());
  }
}

}  // namespace
}  // namespace records_test
