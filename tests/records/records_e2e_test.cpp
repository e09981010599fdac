// Every update type run by tarnupd.exe against the stand-in product: each key read back from the
// product's committed state, the lists rebuilt, and for a misbehaving product a result code and no commit.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "testtools/product_test.h"
#include "testtools/record_script.h"

namespace records_test {
namespace {

using Bytes = std::vector<BYTE>;
using Values = std::vector<KeyValue>;
using Lists = std::array<std::vector<std::string>, standin::kListCount>;
constexpr std::size_t kOAS = standin::kOASRecordOffset;
constexpr std::size_t kNone = 99;  // no task stored

// Keys at the offsets the description of their record gives, written apart from the tables: two
// rows of one type swapped, or a key moved to a section of the same shape, pass the layout checks.
const char* const kKnown[] = {
    "DetectionOptions.szProgramExtensions 0", "DetectionOptions.bScanAllOLE 1552", "ActionOptions.szCustomMessage 2160",
    "ActionOptions.bButtonMove 2684", "ReportOptions.bLogMove 3760", "General.uLastModified 3812",
    "EMailDetectionOptions.uPollInterval 5408", "EMailActionOptions.biMoveToFolderData 6476",
    "EMailActionOptions.uMoveToFolderCb 6988", "EMailAlertOptions.szCustomMessage 6996",
    "EMailReportOptions.szLogFileName 14704", "DownloadDetectionOptions.bScanAllOLE 16308",
    "DownloadActionOptions.szCustomMessage 16848", "DownloadAlertOptions.bDisplayMessage 17396",
    "DownloadReportOptions.uMaxKilobytes 17956", "INetFltrAlertOptions.szCustomMessage 17984",
    "INetFltrReportOptions.bButtonDeny 19028", "INetFltrReportOptions.uMaxKilobytes 19076",  // on-access
    "ScanOptions.bAutoStart 0", "ScanOptions.dwUIType 544", "DetectionOptions.bScanAllOLE 2240",
    "DetectionOptions.dwUIType 2784", "AlertOptions.szCustomMessage 5428", "ActionOptions.szCustomMessage 7768",
    "ReportOptions.szLogFileName 9092", "SecurityOptions.szAlphaNum 10144",  // on-demand
    "Update.uStatus 4676", "Update.uHour 4880", "Update.dwRandomWndMins 6104", "Upgrade.bLocked 6784",
    "Upgrade.dwPasswordProtect 16928"};

TEST(RecordTables, KeysLieWhereTheDescriptionOfTheirRecordPutsThem) {
  std::set<std::string> rows;
  for (const RecordTable* table : {&OASTaskFields, &ODSTaskFields, &UpdateTaskFields, &UpgradeTaskFields}) {
    for (const KeyValue& v : ValuesOf(*table)) rows.insert(v.section + "." + v.key + " " + std::to_string(v.offset));
  }
  for (const char* known : kKnown) EXPECT_EQ(rows.count(known), 1u) << known;
}

KeyValue At(std::size_t offset, const Bytes& bytes) { return {"", "", "", offset, bytes}; }

Bytes Written(Bytes image, std::size_t base, const Values& values) {
  for (const KeyValue& v : values) std::copy(v.stored.begin(), v.stored.end(), image.begin() + base + v.offset);
  return image;
}
Bytes Task(const TaskRecord& task, const Values& values = {}) {
  return Written(Bytes(task.bytes, task.bytes + kTaskRecordSize), 0, values);
}

// "" when both are equal, else where they first differ: a readable failure for images of 50 KB.
std::string Difference(const Bytes& expected, const Bytes& actual) {
  const auto at = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
  if (at.first == expected.end() && at.second == actual.end()) return "";
  return "they differ from offset " + std::to_string(at.first - expected.begin());
}

// What the product was asked, in order, protocol errors included, without the options hand-out and
// the item lists: each call with its interface id, task index or area code; a run of like calls once ("x28").
std::string Calls() {
  std::vector<standin::JournalEntry> journal;
  EXPECT_TRUE(standin::ReadJournal(&journal));
  std::vector<std::pair<std::string, int>> calls;
  for (const standin::JournalEntry& entry : journal) {
    if (entry.call == "GetOptions" || entry.call.find("Item") != std::string::npos) continue;
    const bool field = entry.call.rfind("SetField", 0) == 0;
    const char* detail = field ? "area" : entry.Has("id") ? "id" : entry.Has("index") ? "index" : nullptr;
    const std::string call = (field ? "SetField" : entry.call) + (detail ? " " + entry.Arg(detail) : "");
    if (calls.empty() || calls.back().first != call) calls.emplace_back(call, 0);
    ++calls.back().second;
  }
  std::string text;
  for (const auto& call : calls) {
    text += (text.empty() ? "" : ", ") + call.first + (call.second > 1 ? " x" + std::to_string(call.second) : "");
  }
  return text;
}

class Records : public product_test::ProductTest {
 protected:
  void SetUp() override { Fresh(); }

  // A fresh product with these tasks and faults (faults.ini lines). Its options area gets a
  // pattern, as a fresh one is all zeros: a byte written that should not be then shows.
  void Fresh(const std::vector<DWORD>& kinds = standin::DefaultTaskKinds(), const std::string& faults = "") {
    Clean();
    ASSERT_TRUE(standin::UpdateState([](standin::ProductState& state) {
      for (std::size_t i = 0; i < state.options.size(); ++i) state.options[i] = static_cast<BYTE>(0x21 + i * 7 % 0xDB);
      return true;
    }));
    ASSERT_TRUE(standin::SetTaskKinds(kinds));
    if (!faults.empty()) std::ofstream(standin::FaultsFilePath()) << "[faults]\n" << faults << "\n";
    ASSERT_TRUE(standin::ReadState(&before_));
  }

  // Runs LC_UPDATE= with the script, which must end with `code` (exit code and ReturnCode);
  // reads the product's state into after_ and gives the status lines, one after another.
  std::string Run(const Script& script, DWORD code) {
    const std::string path = TemporaryPath("records-" + std::to_string(GetCurrentProcessId()) + ".ini");
    std::ofstream(path, std::ios::binary) << script.Text();
    const AgentRun run = RunAgent("LC_UPDATE=" + path);
    DeleteFileA(path.c_str());
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, code);
    EXPECT_EQ(test_registry::GetDword(test_registry::AgentSubkey("TARNUPDATE"), "ReturnCode"), code);
    after_ = product_test::State();
    std::string status;
    for (const std::string& line : run.StatusLines()) status += line;
    return status;
  }

  standin::ProductState before_, after_;
  const Values general_ = ValuesOf(GeneralRecordFields);
  const Values oas_ = ValuesOf(OASTaskFields, general_.size());
  const Values ods_ = ValuesOf(ODSTaskFields, general_.size());
  const Values update_ = ValuesOf(UpdateTaskFields);
  const Values upgrade_ = ValuesOf(UpgradeTaskFields, update_.size());
  const std::vector<std::string> excluded_ = {"C:\\TEMP\\*.TMP", "D:\\BUILD", "\\\\SERVER\\SHARE\\X.DOC"};
  const std::vector<std::string> scan_ = {"C:\\", "E:\\DATA", "F:\\"};
};

TEST_F(Records, EachUpdateTypeCommitsEveryKeyAtItsOffsetOrNothingAtAll) {
  const std::vector<DWORD> installed = standin::DefaultTaskKinds();
  struct Case {
    const char* type;
    const char* faults;  // faults.ini lines
    std::vector<DWORD> kinds;
    DWORD code;
    const char* line;   // a status line that tells what happened
    std::string calls;  // Calls() between obtaining and releasing the management port
    std::size_t updateAt, upgradeAt;
  };
  const Case cases[] = {
      // Each type with every key of the records it writes, the tasks found by their kind.
      {"OAS", "", installed, 0, "OAS Task Ptr = ", "SetField 1 x28, SetField 0 x193, SetOptions", kNone, kNone},
      {"ODS", "", installed, 0, "ODS Task Ptr = ",
       "SetField 1 x28, AvSync_GetIFace 4, GetODSTask, SetODSTask, ReleaseIFace 4, SetOptions", kNone, kNone},
      {"SCHEDULE", "", {kTaskKindUpgrade, 1, 1, kTaskKindUpdate}, 0, "Releasing AvSync_GetIFace AVSIF_AVCONSOL\n",
       "AvSync_GetIFace 4, GetTaskCount, GetTask 0, GetTask 1, GetTask 2, GetTask 3, SetTask 3, GetTaskCount, "
       "GetTask 0, SetTask 0, ReleaseIFace 4, SetOptions", 3, 0},
      {"SCHEDULE", "", {kTaskKindUpdate, kTaskKindUpdate, kTaskKindUpgrade}, 0, "Get Task Count = 3\n",
       "AvSync_GetIFace 4, GetTaskCount, GetTask 0, SetTask 0, GetTaskCount, GetTask 0, GetTask 1, GetTask 2, "
       "SetTask 2, ReleaseIFace 4, SetOptions", 0, 2},
      // A product that misbehaves.
      {"OAS", "GetOptionsFails=1", installed, 2, "Updating On Access", "", kNone, kNone},
      {"OAS", "GetOptionsSize=53787", installed, 3, "AV Data Size = 53787 Tarn Data Size = 53788\n", "", kNone, kNone},
      // The general record's own check, with no on-access check behind it to hide a write.
      {"ODS", "GetOptionsSize=53789", installed, 3, "AV Data Size = 53789 Tarn Data Size = 53788\n", "", kNone, kNone},
      {"ODS", "RefuseInterface=4", installed, 4, "AvSync_GetIFace AVSIF_AVCONSOL returned 1\n",
       "SetField 1 x28, AvSync_GetIFace 4", kNone, kNone},
      {"ODS", "RefuseInterface=4\nRefuseResult=7", installed, 4, "AvSync_GetIFace AVSIF_AVCONSOL returned 7\n",
       "SetField 1 x28, AvSync_GetIFace 4", kNone, kNone},
      {"ODS", "GetODSTaskFails=1", installed, 2, "AvSync_GetIFace AVSIF_AVCONSOL returned 0\n",
       "SetField 1 x28, AvSync_GetIFace 4, GetODSTask, ReleaseIFace 4", kNone, kNone},
      {"SCHEDULE", "RefuseInterface=4", installed, 1, "AvSync_GetIFace AVSIF_AVCONSOL returned 1\n",
       "AvSync_GetIFace 4", kNone, kNone},  // a refused console is never released
      {"SCHEDULE", "", {}, 9, "Get Task Count = 0\n", "AvSync_GetIFace 4, GetTaskCount, ReleaseIFace 4", kNone, kNone},
      // After a 9 the Upgrade task is not looked for.
      {"SCHEDULE", "GetTaskFails=1", installed, 9, "Get Task Count = 5\n",
       "AvSync_GetIFace 4, GetTaskCount, GetTask 0, GetTask 1, GetTask 2, GetTask 3, GetTask 4, ReleaseIFace 4", kNone,
       kNone},
      {"SCHEDULE", "SetTaskFails=1", installed, 9, "Get Task Count = 5\n",
       "AvSync_GetIFace 4, GetTaskCount, GetTask 0, GetTask 1, SetTask 1, ReleaseIFace 4", kNone, kNone},
      // The Update task is stored before the missing Upgrade task is noticed.
      {"SCHEDULE", "", {1, kTaskKindUpdate}, 10, "Get Task Count = 2\n",
       "AvSync_GetIFace 4, GetTaskCount, GetTask 0, GetTask 1, SetTask 1, GetTaskCount, GetTask 0, GetTask 1, "
       "ReleaseIFace 4", 1, kNone},
  };
  for (const Case& c : cases) {
    const std::string type = c.type;
    SCOPED_TRACE(type + " " + c.faults + " with " + std::to_string(c.kinds.size()) + " tasks");
    Fresh(c.kinds, c.faults);
    Script script = Script(type).Set(type == "SCHEDULE" ? update_ : general_);
    script.Set(type == "SCHEDULE" ? upgrade_ : type == "OAS" ? oas_ : ods_).SetList("ScanItems", "ScanItem", scan_);
    const std::string status = Run(script.SetList("ExcludedItems", "ExcludedItem", excluded_), c.code);
    EXPECT_NE(status.find(c.line), std::string::npos);
    // A record's address is traced as it is about to be written, and only then.
    EXPECT_EQ(status.find(type + " Task Ptr = ") != std::string::npos, c.code == 0 && type != "SCHEDULE");
    EXPECT_EQ(Calls(), "AvSync_GetIFace 6, " + c.calls + (c.calls.empty() ? "" : ", ") + "ReleaseIFace 6");

    standin::ProductState expected = before_;
    const bool oas = c.code == 0 && type == "OAS", ods = c.code == 0 && type == "ODS";
    if (oas || ods) expected.options = Written(before_.options, standin::kGeneralRecordOffset, general_);
    if (oas) expected.options = Written(expected.options, kOAS, oas_);
    if (oas) expected.lists[kListOASExcludedItems] = excluded_;
    // The on-demand task keeps the item counts of both its lists.
    const Values counts = {At(10720, NumberBytes(excluded_.size())), At(10788, NumberBytes(scan_.size()))};
    if (ods) expected.odsTask = Written(Written(before_.odsTask, 0, ods_), 0, counts);
    if (ods) expected.lists = {{excluded_, scan_, before_.lists[kListOASExcludedItems]}};
    EXPECT_EQ(Difference(expected.options, after_.options), "");
    EXPECT_EQ(Difference(expected.odsTask, after_.odsTask), "");
    EXPECT_EQ(after_.lists, expected.lists);
    ASSERT_EQ(after_.tasks.size(), c.kinds.size());
    for (std::size_t i = 0; i < after_.tasks.size(); ++i) {
      const Values& values = i == c.updateAt ? update_ : i == c.upgradeAt ? upgrade_ : Values{};
      EXPECT_EQ(Difference(Task(before_.tasks[i], values), Task(after_.tasks[i])), "") << "task " << i;
    }
  }
}

TEST_F(Records, KeysLeftOutKeepTheirFieldsAndListsEndAtTheFirstMissingNumber) {
  // Items 0, 1 and 3 replace the two in the list; a byte string gives its count field nothing.
  Run(Script("OAS")
          .Set("EMailActionOptions", "biMoveToFolderData", "0A1bFF2C")
          .SetList("ExcludedItems", "ExcludedItem", {"FIRST", "SECOND"})
          .Set("ExcludedItems", "ExcludedItem_3", "AFTER THE GAP"), 0);
  EXPECT_EQ(after_.lists, (Lists{{before_.lists[0], before_.lists[1], {"FIRST", "SECOND"}}}));
  EXPECT_EQ(Difference(Written(before_.options, kOAS, {At(6476, {0x0A, 0x1B, 0xFF, 0x2C})}), after_.options), "");
  // A list without its first number is emptied and its count follows; DetectionOptions keeps its own dwUIType.
  Fresh();
  Run(Script("ODS").Set("ScanOptions", "dwUIType", "31").Set("ExcludedItems", "ExcludedItem_1", "AFTER THE GAP")
          .SetList("ScanItems", "ScanItem", {"A", "B"}), 0);
  EXPECT_EQ(after_.lists, (Lists{{{}, {"A", "B"}, before_.lists[2]}}));
  const Values ods = {At(544, NumberBytes(31)), At(10720, NumberBytes(0)), At(10788, NumberBytes(2))};
  EXPECT_EQ(Difference(Written(before_.odsTask, 0, ods), after_.odsTask), "");
}

}  // namespace
}  // namespace records_test
