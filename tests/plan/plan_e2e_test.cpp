// tarnplan.exe end to end against the stand-in product: what a preview says against what the
// real agent then does, exports and backups applied by the agent, a product left untouched,
// what it tells people, and its failures.
#include <gtest/gtest.h>
#include <windows.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/run_record.h"
#include "foundation/utf8_text.h"
#include "tarnplan/reports.h"
#include "testtools/checker_test_support.h"
#include "testtools/product_test.h"
#include "testtools/random_scripts.h"
#include "testtools/record_script.h"
#include "testtools/unix_link.h"
#include "tool_cli/tool_cli.h"
#include "update/field_values.h"

namespace {

using checker_test::WriteTemporary;
using json = nlohmann::json;
using records_test::ValuesOf;
using Values = std::map<std::string, json>;  // "<table> [section] key" and "- list <id>", or without the first word

const RecordTable* const kTables[] = {&GeneralRecordFields, &OASTaskFields, &ODSTaskFields, &UpdateTaskFields,
                                      &UpgradeTaskFields};

using checker_test::RunBesideTest;
using Output = checker_test::ProgramOutput;
Output Tarnplan(const std::string& arguments) { return RunBesideTest("tarnplan.exe", arguments); }
std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// A JSON document's members, in their order.
std::vector<std::string> Members(const std::string& document) {
  const nlohmann::ordered_json parsed = nlohmann::ordered_json::parse(document);
  std::vector<std::string> members;
  for (const auto& member : parsed.items()) members.push_back(member.key());
  return members;
}

DWORD Apply(const std::string& path) {
  const AgentRun run = RunToEnd("LC_UPDATE=" + path);
  EXPECT_EQ(standin::ProtocolErrorCount(), 0);
  return run.exitCode;
}

// Where a table's record lies in the stand-in's state; null for a task of a kind it lacks.
BYTE* RecordOf(standin::ProductState& state, const RecordTable* table) {
  if (table == &GeneralRecordFields) return state.options.data() + standin::kGeneralRecordOffset;
  if (table == &OASTaskFields) return state.options.data() + standin::kOASRecordOffset;
  if (table == &ODSTaskFields) return state.odsTask.data();
  const DWORD kind = table == &UpdateTaskFields ? kTaskKindUpdate : kTaskKindUpgrade;
  for (TaskRecord& task : state.tasks) {
    if (TaskKindOf(task) == kind) return task.bytes;
  }
  return nullptr;
}

// The product's every key, valued as tarnplan's JSON gives it, and every list, read apart from tarnplan.
Values Now() {
  standin::ProductState state = product_test::State();
  Values values;
  for (std::size_t t = 0; t < std::size(kTables); ++t) {
    const BYTE* record = RecordOf(state, kTables[t]);
    if (record == nullptr) continue;
    ForEachField(*kTables[t], [&](const char* section, const char* key, FieldType type, std::size_t offset) {
      const char* text = reinterpret_cast<const char*>(record + offset);
      const DWORD number = *reinterpret_cast<const DWORD*>(text);
      values[std::to_string(t) + " [" + section + "] " + key] =
          type == FieldType::kBytes  ? json(HexPairs(record + offset, kScriptBytesLimit))
          : FieldWidth(type) > 4     ? json(AnsiToUtf8(std::string(text, strnlen(text, 512))))
          : type == FieldType::kUInt ? json(number) : json(static_cast<LONG>(number));
    });
  }
  for (std::size_t id = 0; id < standin::kListCount; ++id) {
    json& items = values["- list " + std::to_string(id)] = json::array();
    for (const std::string& item : state.lists[id]) items.push_back(AnsiToUtf8(item));
  }
  return values;
}

// What differs between two states, without the table: one update type changes one record of a section.
Values Changes(const Values& before, const Values& after) {
  Values changes;
  for (const auto& [name, value] : after) {
    if (before.at(name) != value) changes[name.substr(name.find(' ') + 1)] = value;
  }
  return changes;
}

// What a preview's report says would change for good.
Values Predicted(const json& report) {
  Values changes;
  for (const json& key : report.value("changes", json::array())) {
    json value = key["new"];
    if (key["type"] == "bytes") value = (value.get<std::string>() + std::string(510, '0')).substr(0, 510);
    const std::string name = "[" + key["section"].get<std::string>() + "] " + key["key"].get<std::string>();
    if (key["committed"]) changes[name] = value;
  }
  for (const json& list : report.value("lists", json::array())) {
    if (list["committed"]) changes["list " + std::to_string(list["listId"].get<int>())] = list["new"];
  }
  return changes;
}

// Every key of every record set to a value of its own, which a script can give, from `first`
// on; lists of their own.
void Fill(standin::ProductState& state, std::size_t first) {
  for (const RecordTable* table : kTables) {
    BYTE* record = RecordOf(state, table);
    for (const records_test::KeyValue& value : ValuesOf(*table, first)) {
      if (record != nullptr) std::copy(value.stored.begin(), value.stored.end(), record + value.offset);
    }
    first += 300;
  }
  for (std::size_t id = 0; id < standin::kListCount; ++id) {
    state.lists[id] = {"C:\\LIST" + std::to_string(id) + "\\" + std::to_string(first), "D:\\X Y", "E:\\"};
  }
}

// A product of these task kinds and faults (faults.ini lines), filled from `first`.
void Fresh(std::size_t first, const std::vector<DWORD>& kinds = standin::DefaultTaskKinds(),
           const std::string& faults = "") {
  test_registry::DeleteTree(kAgentKeyPath);
  ASSERT_TRUE(standin::ResetState());
  ASSERT_TRUE(standin::SetTaskKinds(kinds));
  ASSERT_TRUE(standin::UpdateState([first](standin::ProductState& state) { return Fill(state, first), true; }));
  if (!faults.empty()) std::ofstream(standin::FaultsFilePath()) << "[faults]\n" << faults << "\n";
}

records_test::Script FullScript(const std::string& type) {
  records_test::Script script(type);
  if (type == "SCHEDULE") return script.Set(ValuesOf(UpdateTaskFields, 7)).Set(ValuesOf(UpgradeTaskFields, 40));
  script.Set(ValuesOf(GeneralRecordFields, 7)).Set(ValuesOf(type == "OAS" ? OASTaskFields : ODSTaskFields, 40));
  script.SetList("ExcludedItems", "ExcludedItem", {"C:\\NEW", "D:\\X Y"});
  return script.SetList("ScanItems", "ScanItem", {"E:\\"});
}

// The key "[section] key" of a table as ValuesOf(table, first) values it.
records_test::KeyValue KeyOf(const RecordTable& table, std::size_t first, const std::string& name) {
  for (const records_test::KeyValue& value : ValuesOf(table, first)) {
    if ("[" + value.section + "] " + value.key == name) return value;
  }
  return {};
}

// Keys of records that a script without repeated keys gives: not the update type, no list item.
int KeysGiven(const std::string& script) {
  std::istringstream lines(script);
  int count = 0;
  for (std::string line; std::getline(lines, line);) {
    count += line.find('=') != line.npos && line[0] != ';' && line.find("UpdateType") == line.npos &&
             line.find("Item_") == line.npos;
  }
  return count;
}

// The product's journal since the last reset holds only reads, and a release of every interface obtained.
void ExpectOnlyReads() {
  const std::string reads = " AvSync_GetIFace GetOptions GetItemCount GetItem GetTaskCount GetTask GetODSTask "
                            "ReleaseIFace ";
  std::vector<standin::JournalEntry> journal;
  ASSERT_TRUE(standin::ReadJournal(&journal));
  std::map<std::string, int> live;  // interfaces obtained and not released, by id
  for (const standin::JournalEntry& entry : journal) {
    const bool obtained = entry.call == "AvSync_GetIFace" && entry.Number("result") == 0;
    live[entry.Arg("id")] += entry.call == "ReleaseIFace" ? -1 : obtained ? 1 : 0;
    EXPECT_NE(reads.find(" " + entry.call + " "), reads.npos) << entry.call;
  }
  for (const auto& [id, count] : live) EXPECT_EQ(count, 0) << "interface " << id;
}

using Plan = product_test::ProductTest;

// The preview says exactly what the agent then does, and its backup undoes it.
TEST_F(Plan, APreviewForetellsWhatTheAgentDoesAndItsBackupUndoesIt) {
  // noExtension: LC_UPDATE\NoExtensionString's bytes, or none.
  struct Case { std::string name, script; std::vector<DWORD> kinds; std::string faults, noExtension; };
  const std::vector<DWORD> kinds = standin::DefaultTaskKinds();
  // Runs that fail: what was handed over is never committed, a task stored at once stays.
  std::vector<Case> cases = {{"ODS console refused", FullScript("ODS").Text(), kinds, "RefuseInterface=4", ""},
                             {"ODS without task", FullScript("ODS").Text(), kinds, "GetODSTaskFails=1", ""},
                             {"no Upgrade task", FullScript("SCHEDULE").Text(), {1, kTaskKindUpdate}, "", ""},
                             {"no Update task", FullScript("SCHEDULE").Text(), {kTaskKindUpgrade}, "", ""}};
  for (const std::string type : {"OAS", "ODS", "SCHEDULE"}) {
    cases.push_back({type, ReadBytes(ProgramBesideTest("examples\\" + type + ".ini")), kinds, "", ""});
    cases.push_back({type + " full", FullScript(type).Text(), kinds, "", ""});
  }
  // A REG_SZ written with its buffer's size, 1,500 bytes, its text ending at the first NUL: the
  // preview takes out of the extension list what the agent takes out.
  cases.push_back({"NoExtensionString of 1,500 bytes",
                   "[TARNUPDATE]\nUpdateType=OAS\n[DetectionOptions]\nszProgramExtensions=EXE NOEXT COM\n", kinds, "",
                   "NOEXT" + std::string(1494, '\0')});
  update_test::Random random(update_test::ScriptSeed());
  for (int i = 0; i < 12; ++i) cases.push_back({"random", update_test::RandomScript(random), kinds, "", ""});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " (seed " + std::to_string(update_test::ScriptSeed()) + ")\n" + c.script.substr(0, 300));
    Fresh(1000, c.kinds, c.faults);
    if (!c.noExtension.empty()) {
      test_registry::SetString(test_registry::AgentSubkey("LC_UPDATE"), "NoExtensionString", c.noExtension);
    }
    const std::string script = WriteTemporary("tarnplan-script.ini", c.script);
    const std::string backup = WriteTemporary("tarnplan-backup.ini", "");
    const Values before = Now();
    const Output preview = Tarnplan("preview " + Quoted(script) + " --backup " + Quoted(backup) + " --json");
    const json report = json::parse(preview.out);
    ExpectOnlyReads();
    const DWORD code = Apply(script);
    const Values changes = Changes(before, Now());
    EXPECT_EQ(report["result"]["code"], code) << preview.out;
    EXPECT_EQ(preview.exitCode, code != 0 ? 2 : changes.empty() ? 0 : 1) << preview.err;
    EXPECT_EQ(Predicted(report), changes);
    if (!c.noExtension.empty()) {
      EXPECT_EQ(changes.at("[DetectionOptions] szProgramExtensions"), "EXE COM");
    }
    EXPECT_EQ(preview.err.find("tarnplan: ") == 0, code != 0) << preview.err;

    const json again = json::parse(Tarnplan("preview " + Quoted(script) + " --json").out);
    EXPECT_EQ(again["exitCode"], code != 0 ? 2 : 0);
    EXPECT_EQ(Predicted(again), Values());
    // Every key the script gives is now one the product already has.
    EXPECT_TRUE(code != 0 || c.name == "random" || again["counts"]["unchanged"] == KeysGiven(c.script));
    if (code == kResultBadCommandLine) continue;  // no type, no backup
    Apply(backup);
    EXPECT_EQ(Changes(before, Now()), Values()) << ReadBytes(backup);
  }
}

// One script in each encoding: the checker's verdict, the preview's prediction and its findings,
// and what the agent then writes agree. (Under Wine, which skips a UTF-8 byte-order mark that
// Windows reads as part of line 1: the script starts with a comment, where that changes nothing.)
TEST_F(Plan, EachEncodingIsReadAlikeByTheCheckerThePreviewAndTheAgent) {
  const std::wstring text = L"; exclusions\r\n[TARNUPDATE]\r\nUpdateType=OAS\r\n[CurrentVer]\r\nszDAT=4.0.4400\r\n"
                            L"[ExcludedItems]\r\nExcludedItem_0=C:\\Donn\u00E9es\r\nExcludedItem_1=D:\\\u0141\r\n";
  const auto bytes = [&text](UINT codePage) { return checker_test::Encoded(text, codePage); };
  // The product's list as the agent leaves it, in UTF-8; none when the script changes nothing.
  const json converted = {u8"C:\\Donn\u00E9es", "D:\\L"};
  const json asBytes = {u8"C:\\Donn\u00C3\u00A9es", u8"D:\\\u00C5\u0081"};
  const struct { std::string name, script; int verdict; DWORD code; json list; } cases[] = {
      {"ANSI", bytes(CP_ACP), 0, 0, converted},
      {"UTF-8", bytes(CP_UTF8), 1, 0, asBytes},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + bytes(CP_UTF8), 1, 0, converted},
      {"UTF-16", "\xFF\xFE" + bytes(1200), 1, 0, converted},
      {"UTF-16 big-endian", "\xFE\xFF" + bytes(1201), 1, 0, converted},
      {"UTF-16 without a byte-order mark", bytes(1200), 2, kResultBadCommandLine, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Fresh(1000);
    const std::string script = WriteTemporary("encoding.ini", c.script);
    const Output check = RunBesideTest("tarncheck.exe", "--format json " + Quoted(script));
    const Output preview = Tarnplan("preview " + Quoted(script) + " --json");
    const json report = json::parse(preview.out);
    const Values before = Now();
    EXPECT_EQ(Apply(script), c.code);
    const Values changes = Changes(before, Now());
    EXPECT_EQ(check.exitCode, c.verdict) << check.out;
    EXPECT_EQ(report["result"]["code"], c.code) << preview.out;
    EXPECT_EQ(Predicted(report), changes);
    const Values expected = {{"[CurrentVer] szDAT", "4.0.4400"}, {"list 2", c.list}};  // 2: OAS exclusions
    EXPECT_EQ(changes, c.list.is_null() ? Values() : expected);
    EXPECT_TRUE(c.code != 0 || report["findings"] == json::parse(check.out)["scripts"][0]["findings"]) << preview.out;
  }
}

// Values that no script can give: each left out with a warning, the rest given back exactly.
TEST_F(Plan, AnExportAppliedElsewhereGivesBackEveryValueAScriptCanHold) {
  const struct { std::size_t table; std::string name, stored; } odd[] = {  // table: in kTables
      {0, "[CurrentVer] bShowIcon", "\xFF\xFF\xFF\xFF"},
      {0, "[CurrentVer] szDAT", std::string("$#@NONE@#$", 11)},
      {1, "[ActionOptions] szCustomMessage", std::string("two\r\nlines", 11)},
      // Texts that need quotes, and with them no longer fit the reader's 511 characters.
      {1, "[DetectionOptions] szEngineCommandLineOptions", " " + std::string(509, 'x') + '\0'},
      {2, "[ScanOptions] szTaskName", "'" + std::string(508, 'q') + "'" + '\0'},
      {4, "[Upgrade] bLocked", "\xFF\xFF\xFF\xFF"},
  };
  Fresh(1000);
  ASSERT_TRUE(standin::UpdateState([&](standin::ProductState& state) {
    for (const auto& each : odd) {
      BYTE* field = RecordOf(state, kTables[each.table]) + KeyOf(*kTables[each.table], 0, each.name).offset;
      std::copy(each.stored.begin(), each.stored.end(), field);
    }
    state.lists[kListOASExcludedItems].insert(state.lists[kListOASExcludedItems].begin() + 1, "C:\\TRAILING ");
    return true;
  }));
  const Values original = Now();
  std::vector<std::string> files;
  std::string warnings;
  for (const std::string type : {"OAS", "ODS", "SCHEDULE"}) {
    files.push_back(WriteTemporary("tarnplan-" + type + ".ini", ""));
    const Output exported = Tarnplan("export " + type + " --out " + Quoted(files.back()));
    EXPECT_EQ(exported.exitCode, 1) << type;
    warnings += exported.err;
    const Output check = RunBesideTest("tarncheck.exe", "--format json " + Quoted(files.back()));
    EXPECT_EQ(check.exitCode, 0) << check.out;
    EXPECT_EQ(json::parse(check.out)["scripts"][0]["updateType"], type);
  }
  ExpectOnlyReads();
  Fresh(5000);
  const Values elsewhere = Now();
  for (const std::string& file : files) EXPECT_EQ(Apply(file), 0u) << file;
  Values expected = original;
  for (const auto& each : odd) {
    EXPECT_NE(warnings.find(each.name + " is left out: "), std::string::npos) << each.name;
    const std::string name = std::to_string(each.table) + " " + each.name;
    expected[name] = elsewhere.at(name);
  }
  EXPECT_EQ(warnings.find("ExcludedItem item"), std::string::npos) << warnings;  // quoted, given back
  EXPECT_EQ(Now(), expected);
}

// What people read, and the exit code: changes in the reference's forms, and each failure's cause.
TEST_F(Plan, ItSaysWhatWouldChangeOrWhyNot) {
  // Keys of each type against the values Fresh(1000) gives them: one kept, one list rebuilt.
  const auto general = [](const char* name) { return KeyOf(GeneralRecordFields, 1000, name).text; };
  const std::string text = WriteTemporary("tarnplan-text.ini",
      "[TARNUPDATE]\nUpdateType=OAS\n[CurrentVer]\nszDAT=4.0.4400\nszECClient=" + general("[CurrentVer] szECClient") +
      "\nbShowIcon=1\ndwLSound=-5\n[EMailActionOptions]\nbiMoveToFolderData=0A1B\n"
      "[ExcludedItems]\nExcludedItem_0=D:\\X Y\nExcludedItem_1=F:\\\n");
  const std::vector<BYTE> bytes = KeyOf(OASTaskFields, 1300, "[EMailActionOptions] biMoveToFolderData").stored;
  const std::string shown =
      "[CurrentVer] szDAT: \"CurrentVer.szDAT #1001\" -> \"4.0.4400\"\r\n"
      "[CurrentVer] bShowIcon: " + general("[CurrentVer] bShowIcon") + " -> 1\r\n"
      "[CurrentVer] dwLSound: " + general("[CurrentVer] dwLSound") + " -> -5\r\n"
      "[EMailActionOptions] biMoveToFolderData: " + HexPairs(bytes.data(), 4) + " -> 0A1B00FF\r\n"
      "[ExcludedItems] ExcludedItem_0, ExcludedItem_1, ...: 3 items -> 2 items\r\n"
      "  - \"C:\\LIST2\\2500\"\r\n  - \"E:\\\"\r\n  + \"F:\\\"\r\n" +
      text + " (OAS): 4 keys would change, 1 unchanged, 216 absent from the script; 1 list would change, "
      "0 unchanged\r\n"
      "the agent would end with [0] Command successful.\r\n";
  const std::string ods =
      WriteTemporary("tarnplan-ods.ini", "[TARNUPDATE]\nUpdateType=ODS\n[CurrentVer]\nszDAT=4.0.4400\n");
  const std::string misread = Quoted(WriteTemporary("tarnplan-misread.ini",
      "[TARNUPDATE]\nUpdateType=OAS\n[DetectionOptions]\nuScanArchiveTimeout=2 minutes\n[ExcludedItems]\n"));
  const std::string oas = "preview " + Quoted(ProgramBesideTest("examples\\oas.ini"));
  const std::string unknown = Quoted(WriteTemporary("tarnplan-unknown.ini", "[TARNUPDATE]\nUpdateType=OSA\n"));
  // Faults, arguments, exit code, and parts of the standard output and error.
  const struct { std::string faults, arguments; int exitCode; std::string out, err; } cases[] = {
      {"", "preview " + Quoted(text), 1, shown, ""},
      // The checker's finding below the key it is about.
      {"", "preview " + misread, 1, " -> 2\r\n  line 4: warning: [DetectionOptions] uScanArchiveTimeout = 2 minutes is "
       "read as 2; write the number in decimal digits\r\n[ExcludedItems] ExcludedItem_0, ", ""},
      {"RefuseInterface=4", "preview " + Quoted(ods), 2,
       "szDAT: \"CurrentVer.szDAT #1001\" -> \"4.0.4400\" (never committed)\r\n",
       "tarnplan: the product refused its console interface (answer 1): the agent would end with [4]"},
      {"RefuseInterface=6\nRefuseResult=3", oas, 2, "",
       "its management interface (answer 3): the agent would end with [4]"},
      {"GetOptionsFails=1", "export OAS", 2, "", "the product's options cannot be read (GetOptions failed)\r\n"},
      // Options of another size are not the product's records: nothing of them is compared.
      {"GetOptionsSize=53787", oas, 2, "(OAS): 0 keys would change, 0 unchanged, 0 absent from the script; 0 lists would "
       "change, 0 unchanged\r\n", "is 53787 bytes long, not 53788: the agent would end with [3]"},
      {"GetODSTaskFails=1", "export ODS", 2, "", "the product gives no on-demand task (GetODSTask failed)\r\n"},
      // A preview that cannot run still gives the checker's findings.
      {"", "preview " + unknown, 2, "line 2: error: [TARNUPDATE] UpdateType = OSA is none of OAS, ODS and SCHEDULE",
       "update type \"OSA\" is none of OAS, ODS and SCHEDULE: the agent would end with [1]"},
      {"", "preview none.ini", 2, "",
       "the script cannot be read: " + tool_cli::SystemMessage(ERROR_FILE_NOT_FOUND) + ": the agent would end with [6]"},
      {"", "export OSA", 2, "", "tarnplan: \"OSA\" is none of OAS, ODS and SCHEDULE\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.faults + " " + c.arguments);
    Fresh(1000, standin::DefaultTaskKinds(), c.faults);
    const Output output = Tarnplan(c.arguments);
    EXPECT_EQ(output.exitCode, c.exitCode);
    EXPECT_NE(output.out.find(c.out), std::string::npos) << output.out;
    EXPECT_NE(output.err.find(c.err), std::string::npos) << output.err;
  }
  // In JSON: types by identifier; a failed preview keeps every member, empty.
  Fresh(1000);
  const Output shownJson = Tarnplan("preview " + Quoted(text) + " --json");
  const json changes = json::parse(shownJson.out)["changes"];
  std::map<std::string, std::string> types;
  for (const json& key : changes) types[key["key"]] = key["type"];
  EXPECT_EQ(types, (std::map<std::string, std::string>{
                       {"szDAT", "text"}, {"bShowIcon", "bool"}, {"dwLSound", "int32"}, {"biMoveToFolderData", "bytes"}}));
  const Output failed = Tarnplan("preview none.ini --json");
  EXPECT_EQ(Members(failed.out), Members(shownJson.out));
  EXPECT_EQ(Members(failed.out).front(), "schemaVersion");
  const json empty = json::parse(failed.out);
  EXPECT_EQ(empty["changes"], json::array());
  EXPECT_EQ(empty["lists"], json::array());
  for (const json& count : empty["counts"]) EXPECT_EQ(count, 0);
  // With a collector listening: the engine's status lines are the agent's, never a preview's.
  Fresh(1000);
  EXPECT_EQ(RunProgram(ProgramBesideTest("tarnplan.exe"), "preview " + Quoted(text)).statusMessages.size(), 0u);
  ASSERT_EQ(standin::UninstallProduct(), 0);
  const Output missing = Tarnplan(oas);
  standin::InstallPackage(ProgramBesideTest("syncutil.msi"));
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_EQ(missing.err, "tarnplan: the product is not installed, or its SYNCUTIL.DLL cannot be loaded: the agent "
                         "would end with [5] Management Port Dll failed to load.\r\n");
}

// A user left a link where an administrator writes an export: the file it leads to (one that
// does not exist yet, of the user's choice) is never written.
TEST_F(Plan, AnExportOntoALinkIsRefused) {
  const std::string link = WriteTemporary("tarnplan-link.ini", ""), target = link + ".theirs";
  RemoveUnixTree(target);
  ASSERT_TRUE(MakeUnixLink(target, link));
  Fresh(1000);
  const Output exported = Tarnplan("export OAS --out " + Quoted(link));
  EXPECT_EQ(exported.exitCode, 2);
  EXPECT_EQ(exported.err, "tarnplan: the script cannot be written to " + link + ": it is a link or junction\r\n");
  EXPECT_EQ(GetFileAttributesA(target.c_str()), INVALID_FILE_ATTRIBUTES);
  RemoveUnixTree(link);
  RemoveUnixTree(target);
}

// The undo points the agent kept, newest first, as tarnplan history lists them.
TEST_F(Plan, HistoryListsTheAgentsUndoPointsNewestFirst) {
  const std::string folder = WriteTemporary("tarn-history", "") + "-undo";
  const std::string updateKey = test_registry::AgentSubkey("LC_UPDATE");
  EXPECT_EQ(Tarnplan("history").err.rfind("tarnplan: HKLM\\" + updateKey + "\\UndoFolder is not set: the agent keeps no "
                                          "undo points; set it with reg add \"HKLM\\" + updateKey + "\" /v UndoFolder ", 0),
            0u);
  test_registry::SetString(updateKey, "UndoFolder", folder);
  EXPECT_EQ(Tarnplan("history").exitCode, 1);  // no folder yet: none

  const std::string oas = WriteTemporary("history-oas.ini", "[TARNUPDATE]\nUpdateType=OAS\n[CurrentVer]\nszDAT=1\n");
  const std::string schedule =
      WriteTemporary("history-schedule.ini", "[TARNUPDATE]\nUpdateType=SCHEDULE\n[Update]\nuHour=3\n[Upgrade]\nuHour=4\n");
  ASSERT_EQ(Apply(oas), 0u);
  ASSERT_EQ(Apply(schedule), 0u);
  const Output listed = Tarnplan("history --json");
  EXPECT_EQ(listed.exitCode, 0);
  const json points = json::parse(listed.out)["undoPoints"];
  ASSERT_EQ(points.size(), 2u);
  const std::string scripts[] = {schedule, oas};
  const char* const types[] = {"SCHEDULE", "OAS"};
  const std::size_t keys[] = {2, 1}, lists[] = {0, 1};
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(points[i]["updateType"], types[i]);
    EXPECT_EQ(points[i]["script"], Upper(scripts[i]));
    EXPECT_EQ(points[i]["keys"], keys[i]);
    EXPECT_EQ(points[i]["lists"], lists[i]);
  }
  EXPECT_GT(points[0]["time"].get<std::string>(), points[1]["time"].get<std::string>());
  for (const json& point : points) {
    EXPECT_TRUE(std::regex_match(point["time"].get<std::string>(), std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)")))
        << point["time"];
  }

  // A file that only looks like an undo point: its script's control characters are shown
  // escaped, and a heading with an impossible count is no undo point.
  const auto heading = [&](const char* name, const std::string& script, const char* counts) {
    std::ofstream(folder + "\\" + name, std::ios::binary)
        << "; Undo point of tarnupd.exe 1.0.15\r\n; Time: 2030-01-01 00:00:00.000 UTC\r\n; Script: " << script
        << "\r\n; Update type: OAS\r\n; Puts back: " << counts << "\r\n";
  };
  heading("20300101-000000-000-OAS.INI", "C:\\\x1b[2J\x07.INI", "1 keys, 1 lists");
  heading("20300101-000000-001-OAS.INI", "C:\\X.INI", "4294967295 keys, 1 lists");
  const json shown = json::parse(Tarnplan("history --json").out)["undoPoints"];
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0]["script"], "C:\\\\x1b[2J\\x07.INI");
  EXPECT_EQ(shown[0]["time"], "2030-01-01T00:00:00.000Z");
  EXPECT_EQ(Tarnplan("history").out.find('\x1b'), std::string::npos);

  test_registry::SetString(updateKey, "UndoFolder", "tarn-undo");  // where the agent would not look
  EXPECT_EQ(Tarnplan("history").err, "tarnplan: LC_UPDATE\\UndoFolder \"tarn-undo\" is refused: it is no absolute path "
                                     "of the form X:\\...: the agent keeps no undo points\r\n");
  test_registry::SetString(updateKey, "UndoFolder", oas);  // a file: no folder to read
  const Output unreadable = Tarnplan("history");
  EXPECT_EQ(unreadable.exitCode, 2);
  EXPECT_EQ(unreadable.err, "tarnplan: " + oas + " cannot be read: it is no folder\r\n");
  RemoveFolder(folder);
}

// The agent's last run as tarnplan last shows it from the record the agent leaves.
TEST_F(Plan, LastShowsTheRecordTheAgentLeft) {
  const std::string file = kAgentStateFolder + "\\" + kRunRecordFileName;
  CreateDirectoryA("C:\\ProgramData\\Velmora", nullptr);
  CreateDirectoryA(kAgentStateFolder.c_str(), nullptr);
  // Of a later agent: a member this one does not know, one it knows missing.
  const std::string record =
      R"({"schemaVersion": 1, "keysChanged": 3, "returnCode": 0, "lastScript": "C:\\S\u00e9\u001b.INI", "later": [1]})";
  nlohmann::ordered_json empty = {{"schemaVersion", 1}};
  for (const RunRecordField& field : kRunRecordFields) empty[field.json] = nullptr;
  nlohmann::ordered_json shown = empty;
  shown["keysChanged"] = 3;
  shown["returnCode"] = 0;
  shown["lastScript"] = "C:\\S\u00e9\x1b.INI";
  shown["later"] = {1};
  const std::string unreadable = "tarnplan: " + file + " cannot be read: ";
  const struct { const char* contents; std::string arguments; int exitCode; std::string out, err; } cases[] = {
      {nullptr, "last", 1, "no run recorded yet: there is no " + file + "\r\n", ""},
      {record.c_str(), "last --json", 0, shown.dump(2), ""},
      {record.c_str(), "last", 0,
       "\r\nLastScript        C:\\S\xe9\\x1b.INI\r\nLastScriptSha256  (not recorded)\r\n"
       "LastUpdateType    (not recorded)\r\nKeysChanged       3\r\n",
       ""},
      {"{\"keysChanged\": 3", "last", 2, "", unreadable + "it is no JSON document: parse error at line 1, column 18"},
      {"[]", "last --json", 2, "", unreadable + "it is no JSON object\r\n"},
      {"{\"keysChanged\": -1}", "last", 2, "", unreadable + "keysChanged is no number of 0 or more\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.contents != nullptr ? c.contents : "no file") + ", " + c.arguments);
    DeleteFileA(file.c_str());
    if (c.contents != nullptr) std::ofstream(file, std::ios::binary) << c.contents;
    const Output run = Tarnplan(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode);
    if (c.arguments.find("--json") != std::string::npos) {
      // Every member there, empty, when there is no record to show.
      EXPECT_EQ(nlohmann::ordered_json::parse(run.out).dump(2), c.exitCode == 0 ? c.out : empty.dump(2));
    } else {
      EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
    }
    EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
  }
  // And as the agent leaves it.
  ASSERT_EQ(RunToEnd("LC_VERSION=1.0.0").exitCode, 0u);
  const nlohmann::ordered_json left = nlohmann::ordered_json::parse(Tarnplan("last --json").out);
  EXPECT_EQ(left["lastCommand"], "LC_VERSION");
  EXPECT_EQ(left, nlohmann::ordered_json::parse(ReadBytes(file)));
  DeleteFileA(file.c_str());
}

}  // namespace
