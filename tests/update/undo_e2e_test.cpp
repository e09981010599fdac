// Undo points end to end: the real tarnupd.exe with LC_UPDATE\UndoFolder set applies scripts
// to the installed stand-in product, and what it keeps puts the product back as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "tests/update/update_test_support.h"
#include "testtools/product_test.h"
#include "update/record_tables.h"

namespace {

using product_test::Calls;
using product_test::State;
using test_registry::AgentSubkey;
using Strings = std::vector<std::string>;

// Scripts of each type that change keys of every kind of record and replace every list.
const struct {
  const char* type;
  const char* script;
  long newItems;  // today's only GetItem calls: reading back the lists' new items
} kScripts[] = {
    {"OAS",
     "[TARNUPDATE]\r\nUpdateType=OAS\r\n[CurrentVer]\r\nszDAT=4.0.4400 of a longer text than the product had\r\n"
     "bShowIcon=0\r\ndwDelayStartup=77\r\n[DetectionOptions]\r\nbScanAllFiles=1\r\n"
     "[ExcludedItems]\r\nExcludedItem_0=D:\\BUILDS\r\n",
     1},
    {"ODS",
     "[TARNUPDATE]\r\nUpdateType=ODS\r\n[CurrentVer]\r\nszDAT=4.0.4401\r\n[ScanItems]\r\nScanItem_0=C:\\|1\r\n"
     "[ExcludedItems]\r\n",
     1},
    {"SCHEDULE",
     "[TARNUPDATE]\r\nUpdateType=SCHEDULE\r\n[Update]\r\nuHour=3\r\n[Upgrade]\r\nuMinute=5\r\nbEnabled=0\r\n", 0},
};

const std::string kUndoFolder = TemporaryPath("tarn-undo-test");

Strings FilesIn(const std::string& folder) { return FilesMatching(folder + "\\*.INI"); }

// No script sets the bytes after a text's terminator (the agent hands over the text and its
// NUL): they are left out of the comparison.
void ClearPastTexts(BYTE* record, const RecordTable& table) {
  ForEachField(table, [record](const char*, const char*, FieldType type, std::size_t offset) {
    if (type != FieldType::kText && type != FieldType::kExtensionText) return;
    BYTE* field = record + offset;
    BYTE* end = std::find(field, field + FieldWidth(type), 0);
    std::fill(end, field + FieldWidth(type), 0);
  });
}

void ExpectSameState(standin::ProductState was, standin::ProductState is) {
  for (standin::ProductState* state : {&was, &is}) {
    ClearPastTexts(state->options.data() + standin::kGeneralRecordOffset, GeneralRecordFields);
    ClearPastTexts(state->options.data() + standin::kOASRecordOffset, OASTaskFields);
    ClearPastTexts(state->odsTask.data(), ODSTaskFields);
  }
  EXPECT_TRUE(was.options == is.options) << "the options differ";
  EXPECT_EQ(was.lists, is.lists);
  ASSERT_EQ(was.tasks.size(), is.tasks.size());
  for (std::size_t i = 0; i < was.tasks.size(); ++i) {
    EXPECT_EQ(std::memcmp(was.tasks[i].bytes, is.tasks[i].bytes, sizeof was.tasks[i].bytes), 0) << "task " << i;
  }
  EXPECT_TRUE(was.odsTask == is.odsTask) << "the on-demand task differs";
}

class UndoE2eTest : public product_test::ProductTest {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    ProductTest::Clean();
    RemoveFolder(kUndoFolder);
    // As in a product: the on-demand task counts the items of its two lists.
    ASSERT_TRUE(standin::UpdateState([](standin::ProductState& state) {
      const DWORD counts[] = {static_cast<DWORD>(state.lists[kListODSExcludedItems].size()),
                              static_cast<DWORD>(state.lists[kListODSScanItems].size())};
      std::memcpy(state.odsTask.data() + 10720, &counts[0], sizeof counts[0]);
      std::memcpy(state.odsTask.data() + 10788, &counts[1], sizeof counts[1]);
      return true;
    }));
  }
  static void KeepUndoPoints(const std::string& folder = kUndoFolder) {
    test_registry::SetString(AgentSubkey("LC_UPDATE"), "UndoFolder", folder);
  }
  static AgentRun Apply(const std::string& path) { return RunToEnd("LC_UPDATE=" + path); }
};

// Apply a script, then the LAST- file it left: the product is back byte for byte, and the
// LAST- file, which that second run held while it applied it, is its own undo point now. The
// product sees today's calls of the script and, for the undo point, only reads of its lists.
TEST_F(UndoE2eTest, TheLastUndoPointPutsTheProductBackAndBecomesTheNextOne) {
  for (const auto& each : kScripts) {
    SCOPED_TRACE(each.type);
    const update_test::ScriptFile script("undo.ini", each.script);
    Clean();
    ExpectAgentResult(Apply(script.Path()), 0, kSuccess);
    const Strings without = Calls();
    EXPECT_EQ(std::count(without.begin(), without.end(), "GetItem"), each.newItems);
    const standin::ProductState updated = State();
    Clean();
    KeepUndoPoints();
    const standin::ProductState before = State();
    ExpectAgentResult(Apply(script.Path()), 0, kSuccess);
    Strings extra = Calls();
    auto next = extra.begin();  // today's calls taken out in their order: list reads remain
    for (const std::string& call : without) {
      next = std::find(next, extra.end(), call);
      ASSERT_NE(next, extra.end()) << call << " is missing or out of order";
      next = extra.erase(next);
    }
    for (const std::string& call : extra) EXPECT_TRUE(call == "GetItemCount" || call == "GetItem") << call;
    const Strings first = FilesIn(kUndoFolder);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[1], "LAST-" + std::string(each.type) + ".INI");

    const std::string last = kUndoFolder + "\\" + first[1];
    ExpectAgentResult(Apply(last), 0, kSuccess);
    ExpectSameState(before, State());
    EXPECT_EQ(FilesIn(kUndoFolder).size(), 3u);
    ExpectAgentResult(Apply(last), 0, kSuccess);  // now it puts back what the script set
    ExpectSameState(updated, State());
  }
}

// The newest UndoKeep points of a type stay; a folder that cannot be made costs a status line,
// never the update.
TEST_F(UndoE2eTest, OldPointsArePrunedAndAnUnwritableFolderOnlySaysSo) {
  KeepUndoPoints();
  test_registry::SetDword(AgentSubkey("LC_UPDATE"), "UndoKeep", 2);
  const update_test::ScriptFile script("prune.ini", kScripts[2].script);
  for (int i = 0; i < 4; ++i) ExpectAgentResult(Apply(script.Path()), 0, kSuccess);
  const Strings files = FilesIn(kUndoFolder);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[2], "LAST-SCHEDULE.INI");

  // A number written as text (its bytes would read as 51) keeps the default 20, and says so.
  test_registry::SetString(AgentSubkey("LC_UPDATE"), "UndoKeep", "3");
  for (int i = 0; i < 21; ++i) {
    char old[40];
    std::snprintf(old, sizeof old, "\\20000101-000000-%03d-SCHEDULE.INI", i);
    std::ofstream(kUndoFolder + old) << "; older\r\n";
  }
  const AgentRun keptByDefault = Apply(script.Path());
  EXPECT_EQ(FilesIn(kUndoFolder).size(), 20u + 1u);
  const Strings defaultSaid = keptByDefault.StatusLines();
  EXPECT_EQ(std::count(defaultSaid.begin(), defaultSaid.end(),
                       "The setting LC_UPDATE\\UndoKeep is a REG_SZ, not a REG_DWORD: the default 20 is used.\n"), 1);

  const std::string blocked = script.Path() + "\\UNDO";  // below a file: no folder can be made
  KeepUndoPoints(blocked);
  const AgentRun run = Apply(script.Path());
  ExpectAgentResult(run, 0, kSuccess);
  const Strings lines = run.StatusLines();
  const std::string said = "No undo point could be written in " + blocked + ": ";
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(said, 0) == 0; }), 1);
}

}  // namespace
