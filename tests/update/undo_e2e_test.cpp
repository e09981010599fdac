// Undo points end to end: the real tarnupd.exe with LC_UPDATE\UndoFolder set applies scripts
// to the installed stand-in product, and what it keeps puts the product back as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "testtools/product_test.h"
#include "testtools/unix_link.h"
#include "testtools/update_test_support.h"
#include "update/record_tables.h"

namespace {

using product_test::Calls;
using product_test::SetFaults;
using update_test::CountOf;
using product_test::State;
using test_registry::AgentSubkey;
using Strings = std::vector<std::string>;

// What the product holds: a field found by "[section] key" in the record at `record`.
BYTE* FieldOf(BYTE* record, const RecordTable& table, const std::string& name) {
  BYTE* found = nullptr;
  ForEachField(table, [&](const char* section, const char* key, FieldType, std::size_t offset) {
    if ("[" + std::string(section) + "] " + key == name) found = record + offset;
  });
  EXPECT_NE(found, nullptr) << name;
  return found;
}

void PutText(BYTE* record, const RecordTable& table, const std::string& name, const std::string& text) {
  std::copy(text.c_str(), text.c_str() + text.size() + 1, FieldOf(record, table, name));
}

// Every run of these tests drops this entry from extension lists, unless told to store as written.
constexpr char kNoExtension[] = "NOEXT";

// Scripts of each type that change keys of every kind of record and replace every list, over
// values that only quotes carry and extension lists that hold the excluded entry.
const struct {
  const char* type;
  const char* script;
  long newItems;  // today's only GetItem calls: reading back the lists' new items
  void (*odd)(standin::ProductState& state);
} kScripts[] = {
    {"OAS",
     "[TARNUPDATE]\r\nUpdateType=OAS\r\n[CurrentVer]\r\nszDAT=4.0.4400 of a longer text than the product had\r\n"
     "szECClient=plain\r\nszFaxForm=plain\r\nbShowIcon=0\r\ndwDelayStartup=77\r\n[DetectionOptions]\r\n"
     "bScanAllFiles=1\r\nszProgramExtensions=EXE COM\r\n[ExcludedItems]\r\nExcludedItem_0=D:\\BUILDS\r\n",
     1,
     [](standin::ProductState& state) {
       BYTE* general = state.options.data() + standin::kGeneralRecordOffset;
       // 509 characters: the longest that a script gives back inside quotes.
       PutText(general, GeneralRecordFields, "[CurrentVer] szECClient", "  padded" + std::string(499, '.') + "\t ");
       PutText(general, GeneralRecordFields, "[CurrentVer] szFaxForm", "\"\"quoted\"\"");
       PutText(state.options.data() + standin::kOASRecordOffset, OASTaskFields,
               "[DetectionOptions] szProgramExtensions", "EXE NOEXT COM DLL");
       state.lists[kListOASExcludedItems] = {" C:\\LEADING", "'C:\\QUOTED'", "C:\\PLAIN"};
     }},
    {"ODS",
     "[TARNUPDATE]\r\nUpdateType=ODS\r\n[CurrentVer]\r\nszDAT=4.0.4401\r\n[ScanItems]\r\nScanItem_0=C:\\|1\r\n"
     "[ExcludedItems]\r\n",
     1,
     [](standin::ProductState& state) {
       state.lists[kListODSScanItems] = {"C:\\|NOEXT|1", " D:\\|1 "};
       state.lists[kListODSExcludedItems] = {"\"C:\\TEMP\""};
     }},
    {"SCHEDULE",
     "[TARNUPDATE]\r\nUpdateType=SCHEDULE\r\n[Update]\r\nuHour=3\r\n[Upgrade]\r\nuMinute=5\r\nbEnabled=0\r\n", 0,
     [](standin::ProductState&) {}},
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
    ASSERT_TRUE(standin::UpdateState([](standin::ProductState& state) {
      CountItems(state);
      return true;
    }));
  }
  // As in a product: the on-demand task counts the items of its two lists.
  static void CountItems(standin::ProductState& state) {
    const DWORD counts[] = {static_cast<DWORD>(state.lists[kListODSExcludedItems].size()),
                            static_cast<DWORD>(state.lists[kListODSScanItems].size())};
    std::memcpy(state.odsTask.data() + 10720, &counts[0], sizeof counts[0]);
    std::memcpy(state.odsTask.data() + 10788, &counts[1], sizeof counts[1]);
  }
  static void KeepUndoPoints(const std::string& folder = kUndoFolder) {
    test_registry::SetString(AgentSubkey("LC_UPDATE"), "UndoFolder", folder);
  }
  static AgentRun Apply(const std::string& path) { return RunToEnd("LC_UPDATE=" + path); }
};

// The heading's counts against the key lines and list sections the undo point holds.
void ExpectHeadingCountsWhatIsWritten(const std::string& path) {
  std::istringstream text(ReadBytes(path));
  std::size_t keys = 0, lists = 0, headingKeys = 0, headingLists = 0;
  bool inList = false, headed = false, marked = false;
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    headed = headed || std::sscanf(line.c_str(), "; Puts back: %zu keys, %zu lists", &headingKeys, &headingLists) == 2;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      inList = line == "[ExcludedItems]" || line == "[ScanItems]";
      lists += inList ? 1 : 0;
    } else if (line == "UndoPoint=1") {
      marked = true;
    } else if (!inList && line.rfind("UpdateType=", 0) != 0) {
      ++keys;
    }
  }
  EXPECT_TRUE(headed && marked) << path;
  EXPECT_EQ(headingKeys, keys) << path;
  EXPECT_EQ(headingLists, lists) << path;
}

// Apply a script, then the LAST- file it left: the product is back byte for byte, and the
// LAST- file, which that second run held while it applied it, is its own undo point now. The
// product sees today's calls of the script and, for the undo point, only reads of its lists.
// The same script again changes nothing and keeps no point.
TEST_F(UndoE2eTest, TheLastUndoPointPutsTheProductBackAndBecomesTheNextOne) {
  for (const auto& each : kScripts) {
    SCOPED_TRACE(each.type);
    const update_test::ScriptFile script("undo.ini", each.script);
    const auto fresh = [&](bool undo) {
      Clean();
      test_registry::SetString(AgentSubkey("LC_UPDATE"), "NoExtensionString", kNoExtension);
      if (undo) KeepUndoPoints();
      ASSERT_TRUE(standin::UpdateState([&](standin::ProductState& state) {
        each.odd(state);
        CountItems(state);
        return true;
      }));
    };
    fresh(false);
    ExpectAgentResult(Apply(script.Path()), 0, kSuccess);
    const Strings without = Calls();
    EXPECT_EQ(std::count(without.begin(), without.end(), "GetItem"), each.newItems);
    const standin::ProductState updated = State();
    fresh(true);
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
    ExpectHeadingCountsWhatIsWritten(last);
    ExpectAgentResult(Apply(script.Path()), 0, kSuccess);
    EXPECT_EQ(FilesIn(kUndoFolder), first);

    ExpectAgentResult(Apply(last), 0, kSuccess);
    ExpectSameState(before, State());
    EXPECT_EQ(FilesIn(kUndoFolder).size(), 3u);
    ExpectHeadingCountsWhatIsWritten(last);
    ExpectAgentResult(Apply(last), 0, kSuccess);  // now it puts back what the script set
    ExpectSameState(updated, State());
  }
}

// The newest UndoKeep points of a type stay; a folder that cannot be made costs a status line,
// never the update.
TEST_F(UndoE2eTest, OldPointsArePrunedAndAnUnwritableFolderOnlySaysSo) {
  KeepUndoPoints();
  test_registry::SetDword(AgentSubkey("LC_UPDATE"), "UndoKeep", 2);
  // -1 is no Boolean a script can give back: the first point leaves it out, and counts it not.
  ASSERT_TRUE(standin::UpdateState([](standin::ProductState& state) {
    for (TaskRecord& task : state.tasks) {
      if (TaskKindOf(task) == kTaskKindUpgrade) std::fill_n(FieldOf(task.bytes, UpgradeTaskFields, "[Upgrade] bLocked"), 4, 0xFF);
    }
    return true;
  }));
  for (int i = 0; i < 4; ++i) {
    const std::string text =
        "[TARNUPDATE]\r\nUpdateType=SCHEDULE\r\n[Update]\r\nuHour=" + std::to_string(i + 1) + "\r\n[Upgrade]\r\nbLocked=0\r\n";
    const update_test::ScriptFile script("prune.ini", text);
    ExpectAgentResult(Apply(script.Path()), 0, kSuccess);
    if (i == 0) ExpectHeadingCountsWhatIsWritten(kUndoFolder + "\\LAST-SCHEDULE.INI");
  }
  const Strings files = FilesIn(kUndoFolder);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[2], "LAST-SCHEDULE.INI");
  const update_test::ScriptFile script("prune.ini", kScripts[2].script);

  // A number written as text (its bytes would read as 51) keeps the default 20, and says so.
  // The run's own point is one of them, though a clock that ran ahead left 21 dated later.
  test_registry::SetString(AgentSubkey("LC_UPDATE"), "UndoKeep", "3");
  for (int i = 0; i < 21; ++i) {
    char later[40];
    std::snprintf(later, sizeof later, "\\20300101-000000-%03d-SCHEDULE.INI", i);
    std::ofstream(kUndoFolder + later) << "; later\r\n";
  }
  const AgentRun keptByDefault = Apply(script.Path());
  const Strings kept = FilesIn(kUndoFolder);
  ASSERT_EQ(kept.size(), 20u + 1u);
  EXPECT_EQ(kept[0].substr(0, 3), "202");
  EXPECT_NE(kept[0].substr(0, 4), "2030");
  const Strings defaultSaid = keptByDefault.StatusLines();
  EXPECT_EQ(std::count(defaultSaid.begin(), defaultSaid.end(),
                       "The setting LC_UPDATE\\UndoKeep is a REG_SZ, not a REG_DWORD: the default 20 is used.\n"), 1);

  const std::string blocked = script.Path() + "\\UNDO";  // below a file: no folder can be made
  KeepUndoPoints(blocked);
  const update_test::ScriptFile changes("changes.ini", "[TARNUPDATE]\r\nUpdateType=SCHEDULE\r\n[Update]\r\nuHour=9\r\n");
  const AgentRun run = Apply(changes.Path());
  ExpectAgentResult(run, 0, kSuccess);
  const Strings lines = run.StatusLines();
  const std::string said = "No undo point could be written in " + blocked + ": ";
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(said, 0) == 0; }), 1);
}

// What the agent keeps as SYSTEM goes only where every folder on the way is its own: a link on
// the way is refused with one status line, and nothing is made or removed where it leads; the
// Windows temp folder, where script copies once lived, is never touched.
TEST_F(UndoE2eTest, ALinkOnTheWayToTheAgentsFoldersIsRefusedAndNothingHappensWhereItLeads) {
  const std::string elsewhere = TemporaryPath("tarn-elsewhere");
  char windows[MAX_PATH] = {};
  GetSystemWindowsDirectoryA(windows, MAX_PATH);
  const std::string oldCopy = windows + std::string("\\TEMP\\TarnUpdate.0");
  const std::string oldLink = windows + std::string("\\TEMP\\TarnUpdate.1");
  const update_test::ScriptFile script("way.ini", kScripts[0].script);
  const std::string middle = kUndoFolder + "\\MIDDLE";
  const struct {
    std::string link;
    std::string undoFolder;
    DWORD code;
    std::string result;
    std::string said;
  } kCases[] = {
      {middle, middle + "\\UNDO", 0, kSuccess,
       "No undo point could be written in " + middle + "\\UNDO: " + middle +
           ": it is a link or junction. The update goes on.\n"},
      {kScriptCopies, "", 6,
       "[6] Configuration file " + Upper(script.Path()) + " is there but could not be held and copied for reading.",
       "The script cannot be copied for reading: " + kScriptCopies + ": it is a link or junction. Nothing was updated.\n"},
  };
  for (const auto& each : kCases) {
    SCOPED_TRACE(each.link);
    Clean();
    for (const std::string& folder : {elsewhere, oldCopy}) {
      RemoveUnixTree(folder);
      CreateDirectoryA(folder.c_str(), nullptr);
      std::ofstream(folder + "\\SCRIPT.INI") << "[TARNUPDATE]\r\n";
    }
    ASSERT_TRUE(MakeUnixLink(elsewhere, oldLink));
    for (const std::string& folder : {kUndoFolder, kAgentStateFolder}) CreateDirectoryA(folder.c_str(), nullptr);
    RemoveUnixTree(each.link);
    ASSERT_TRUE(MakeUnixLink(elsewhere, each.link));
    if (!each.undoFolder.empty()) KeepUndoPoints(each.undoFolder);
    const AgentRun run = Apply(script.Path());
    ExpectAgentResult(run, each.code, each.result);
    const Strings lines = run.StatusLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), each.said), 1);
    EXPECT_EQ(FilesMatching(elsewhere + "\\*"), Strings{"SCRIPT.INI"});
    EXPECT_EQ(FilesMatching(oldCopy + "\\*"), Strings{"SCRIPT.INI"});
    for (const std::string& path : {each.link, elsewhere, oldCopy, oldLink}) RemoveUnixTree(path);
  }
}

// A Wine drive U: on a folder inside a tmpfs of 64 KiB (a drive on the mount point itself Wine
// shows as a link), for a disk that fills up.
class SmallDisk {
 public:
  SmallDisk() {
    const std::string drive = UnixName("C:\\");
    const std::size_t devices = drive.find("/dosdevices/");
    prefix_ = drive.substr(0, devices != std::string::npos ? devices : drive.find("/drive_c"));
    mount_ = prefix_ + "/small-disk";
    mounted_ = RunUnix({"mkdir", "-p", mount_}) && RunUnix({"mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", mount_}) &&
               RunUnix({"mkdir", mount_ + "/drive"}) && RunUnix({"ln", "-sfn", mount_ + "/drive", prefix_ + "/dosdevices/u:"});
  }
  ~SmallDisk() {
    RunUnix({"rm", "-f", prefix_ + "/dosdevices/u:"});
    RunUnix({"umount", mount_});
    RunUnix({"rmdir", mount_});
  }
  bool mounted() const { return mounted_; }
  // Writes a file until the disk takes no more.
  static void Fill() {
    const KernelHandle file(CreateFileA("U:\\FILL", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const std::string block(4096, 'x');
    DWORD written = 1;
    while (written > 0 && WriteFile(file.get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr)) {
    }
  }

 private:
  std::string prefix_;
  std::string mount_;
  bool mounted_ = false;
};

// LAST-TYPE.INI never undoes an earlier update than the last one that stored a change: a run
// whose point finds no room removes it (a fleet's undo then finds no script), and a run ended by
// a time-out after it stored a task leaves it naming that run's point.
TEST_F(UndoE2eTest, TheLastFileNeverUndoesAnEarlierUpdateThanTheLastOne) {
  {
    const SmallDisk disk;
    if (!disk.mounted()) GTEST_SKIP() << "a tmpfs cannot be mounted here (it needs root)";
    KeepUndoPoints("U:\\UNDO");
    const update_test::ScriptFile first("first.ini", kScripts[0].script);
    ExpectAgentResult(Apply(first.Path()), 0, kSuccess);
    ASSERT_EQ(FilesIn("U:\\UNDO").size(), 2u);
    SmallDisk::Fill();
    const update_test::ScriptFile second("second.ini", "[TARNUPDATE]\r\nUpdateType=OAS\r\n[CurrentVer]\r\nszDAT=9\r\n");
    const AgentRun run = Apply(second.Path());
    ExpectAgentResult(run, 0, kSuccess);
    const Strings lines = run.StatusLines();
    EXPECT_EQ(CountOf(lines, "U:\\UNDO\\LAST-OAS.INI is removed: it would put back an earlier update than this one.\n"), 1);
    EXPECT_EQ(FilesIn("U:\\UNDO").size(), 1u);  // the first run's dated point
    ExpectAgentResult(Apply("U:\\UNDO\\LAST-OAS.INI"), 6, "[6] Configuration file U:\\UNDO\\LAST-OAS.INI is missing.");
  }
  Clean();
  KeepUndoPoints();
  ExpectAgentResult(Apply(update_test::ScriptFile("before.ini", kScripts[2].script).Path()), 0, kSuccess);
  // The time-out comes while the product takes its time after storing the Update task.
  SetFaults([](standin::Faults& f) { f.setTaskDelayMs = Slowed(5000); });
  test_registry::SetDword(AgentSubkey("SyncUtil"), "Func Timeout", Slowed(1000));
  const update_test::ScriptFile late("late.ini", "[TARNUPDATE]\r\nUpdateType=SCHEDULE\r\n[Update]\r\nuHour=4\r\n");
  ExpectAgentResult(RunToEnd("LC_UPDATE=" + late.Path()), 11, "[11] Management Port function did not complete.");
  const Strings files = FilesIn(kUndoFolder);
  ASSERT_EQ(files.size(), 3u);
  const std::string last = ReadBytes(kUndoFolder + "\\LAST-SCHEDULE.INI");
  EXPECT_EQ(last, ReadBytes(kUndoFolder + "\\" + files[1]));
  EXPECT_NE(last.find("; Script: " + Upper(late.Path()) + "\r\n"), std::string::npos);
}

}  // namespace
