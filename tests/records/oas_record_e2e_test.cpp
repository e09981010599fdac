// Update type "OAS" against the stand-in product: every field of the on-access record, the
// layout cases where a key lives in one section only, and the excluded-items list.
#include <cstdlib>
#include <string>
#include <vector>

#include "oas_record.h"
#include "record_test_support.h"

namespace records_test {
namespace {

// Straight from the description of the record, not from the table: a wrong row fails here.
const std::vector<KnownField> kKnownOASFields = {
    {"DetectionOptions", "szProgramExtensions", 0},    {"DetectionOptions", "bScanAllOLE", 1552},
    {"ActionOptions", "bButtonMove", 2684},            {"ReportOptions", "bLogMove", 3760},
    {"General", "uLastModified", 3812},                {"EMailDetectionOptions", "uPollInterval", 5408},
    {"EMailActionOptions", "biMoveToFolderData", 6476}, {"EMailActionOptions", "uMoveToFolderCb", 6988},
    {"EMailReportOptions", "szLogFileName", 14704},    {"DownloadDetectionOptions", "bScanAllOLE", 16308},
    {"DownloadAlertOptions", "bDisplayMessage", 17396}, {"DownloadReportOptions", "uMaxKilobytes", 17956},
    {"INetFltrReportOptions", "bButtonDeny", 19028},   {"INetFltrReportOptions", "uMaxKilobytes", 19076},
};

class OASRecordTest : public RecordE2ETest {
 protected:
  // Where the stand-in keeps the on-access record inside its options area.
  static constexpr std::size_t kBase = standin::kOASRecordOffset;
};

TEST_F(OASRecordTest, EveryKeyReachesItsOwnFieldAndNoOtherByteChanges) {
  const std::vector<FieldValue> values = DistinctValues(Flatten(OASTaskFields));
  ASSERT_EQ(values.size(), 193u);
  const std::vector<std::string> items = {"C:\\TEMP\\*.TMP", "D:\\BUILD", "\\\\SERVER\\SHARE\\X.DOC"};
  const standin::ProductState before = State();

  const AgentRun run = RunScript(Script("OAS").SetAll(values).SetList("ExcludedItems", "ExcludedItem", items));
  ExpectResult(run, 0);
  const standin::ProductState after = State();

  EXPECT_EQ(FirstDifference(Written(before.options, kBase, WritesOf(values)), after.options, kBase), "");
  ExpectKnownFields(after.options, kBase, values, kKnownOASFields);

  EXPECT_EQ(after.lists[kListOASExcludedItems], items);
  EXPECT_EQ(after.lists[kListODSExcludedItems], before.lists[kListODSExcludedItems]);
  EXPECT_EQ(after.lists[kListODSScanItems], before.lists[kListODSScanItems]);

  // One field write per key, each with area code 0, and nothing the product objected to.
  std::size_t onAccessWrites = 0;
  for (const char* call : {"SetFieldValue", "SetFieldString", "SetFieldBytes"}) {
    for (const standin::JournalEntry& entry : JournalOf(call)) onAccessWrites += entry.Number("area") == 0 ? 1 : 0;
  }
  EXPECT_EQ(onAccessWrites, 193u);
  EXPECT_EQ(standin::ProtocolErrorCount(), 0);

  // The traced record address is the one GetOptions handed out.
  const std::vector<standin::JournalEntry> getOptions = JournalOf("GetOptions");
  ASSERT_FALSE(getOptions.empty());
  bool traced = false;
  for (const std::string& line : run.StatusLines()) {
    if (line.rfind("OAS Task Ptr = ", 0) == 0) {
      const unsigned long long address = std::strtoull(line.c_str() + 15, nullptr, 16);
      traced = address == static_cast<unsigned long long>(getOptions.back().Number("oas"));
    }
  }
  EXPECT_TRUE(traced) << "no \"OAS Task Ptr = %p\" line with the record's address";
}

TEST_F(OASRecordTest, KeysShapedLikeOthersFillOnlyTheirOwnSectionsField) {
  const standin::ProductState before = State();
  const AgentRun run = RunScript(Script("OAS")
                                     .Set("INetFltrActionOptions", "bButtonDeny", "11")
                                     .Set("INetFltrReportOptions", "bButtonDeny", "12")
                                     .Set("DownloadActionOptions", "bDisplayMessage", "21")
                                     .Set("DownloadAlertOptions", "bDisplayMessage", "22")
                                     .Set("EMailActionOptions", "biMoveToFolderData", "0A1bFF2C")
                                     .Set("EMailReportOptions", "szLogFileName", "MAIL.LOG")
                                     .Set("ActionOptions", "szCustomMessage", "scanner")
                                     .Set("EMailAlertOptions", "szCustomMessage", "mail")
                                     .Set("DownloadActionOptions", "szCustomMessage", "download")
                                     .Set("INetFltrAlertOptions", "szCustomMessage", "filter"));
  ExpectResult(run, 0);
  // The report's bButtonDeny, the alert's bDisplayMessage, four bytes at 6476 without
  // uMoveToFolderCb at 6988, the mail report's log only, one message per section.
  const std::vector<BYTE> expected = Written(before.options, kBase, {
                                                                 {19028, NumberBytes(12)},
                                                                 {17396, NumberBytes(22)},
                                                                 {6476, {0x0A, 0x1B, 0xFF, 0x2C}},
                                                                 {14704, TextBytes("MAIL.LOG")},
                                                                 {2160, TextBytes("scanner")},
                                                                 {6996, TextBytes("mail")},
                                                                 {16848, TextBytes("download")},
                                                                 {17984, TextBytes("filter")},
                                                             });
  EXPECT_EQ(FirstDifference(expected, State().options, kBase), "");
  EXPECT_EQ(standin::ProtocolErrorCount(), 0);
}

TEST_F(OASRecordTest, ExcludedItemsEndAtTheFirstGapAndOnlyListTwoChanges) {
  const standin::ProductState before = State();
  const AgentRun run = RunScript(Script("OAS")
                                     .Set("ExcludedItems", "ExcludedItem_0", "FIRST")
                                     .Set("ExcludedItems", "ExcludedItem_1", "SECOND")
                                     .Set("ExcludedItems", "ExcludedItem_3", "AFTER THE GAP"));
  ExpectResult(run, 0);
  const standin::ProductState after = State();
  EXPECT_EQ(after.lists[kListOASExcludedItems], (std::vector<std::string>{"FIRST", "SECOND"}));
  EXPECT_EQ(after.lists[kListODSExcludedItems], before.lists[kListODSExcludedItems]);
  EXPECT_EQ(after.lists[kListODSScanItems], before.lists[kListODSScanItems]);
  EXPECT_EQ(FirstDifference(before.options, after.options, kBase), "");

  // Without the section the list is emptied, never merged.
  ExpectResult(RunScript(Script("OAS")), 0);
  EXPECT_TRUE(State().lists[kListOASExcludedItems].empty());
}

TEST_F(OASRecordTest, WrongOptionsSizeTouchesNoFieldAndNoList) {
  standin::Faults faults;
  faults.getOptionsWrongSize = true;
  faults.getOptionsSize = 53787;
  ASSERT_TRUE(standin::SetFaults(faults));
  const standin::ProductState before = State();

  const AgentRun run =
      RunScript(Script("OAS").Set("General", "bEnabled", "5").Set("ExcludedItems", "ExcludedItem_0", "X"));
  ExpectResult(run, 3);
  EXPECT_TRUE(HasStatusLine(run, "AV Data Size = 53787 Tarn Data Size = 53788\n"));
  EXPECT_FALSE(HasStatusLine(run, "OAS Task Ptr = "));
  const standin::ProductState after = State();
  EXPECT_EQ(FirstDifference(before.options, after.options), "");
  EXPECT_EQ(after.lists, before.lists);
  EXPECT_TRUE(JournalOf("SetOptions").empty());
}

}  // namespace
}  // namespace records_test
