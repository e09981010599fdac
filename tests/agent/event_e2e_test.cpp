// The run's Event Log entry, as Wine shows it. Wine's ReportEventW stores nothing: it prints the
// event's type and id on a fixme line and each insert string on the eventlog channel, to the
// Unix standard error that every process of the test inherits. CTest sends that to the file
// TARN_EVENT_CHANNEL names; each run's events are what the file grew by during the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "testtools/product_test.h"
#include "testtools/update_test_support.h"

namespace {

using product_test::kProductKey;
using product_test::SetFaults;
using test_registry::AgentSubkey;
using Strings = std::vector<std::string>;

const std::string kNoUndo = "none (no LC_UPDATE\\UndoFolder)";
const std::string kNoWord = "No command word was recognised in the command line: nothing was done.";

struct Event {
  unsigned long type = 0;
  unsigned long id = 0;
  Strings inserts;
};

// Each event: its fixme line "(handle,type,category,id,..." and a line per insert string, shown
// as L"..." with C escapes (the tests' strings need only \\ and \").
std::vector<Event> ParseEvents(const std::string& channel) {
  std::vector<Event> events;
  std::istringstream lines(channel);
  std::string line;
  const std::string reportLine = ":fixme:advapi:ReportEventW (", insertLine = ":eventlog:ReportEventW L\"";
  while (std::getline(lines, line)) {
    std::size_t at = line.find(reportLine);
    Event event;
    if (at != std::string::npos &&
        std::sscanf(line.c_str() + at + reportLine.size(), "%*[^,],%lx,%*[^,],%lx", &event.type, &event.id) == 2) {
      events.push_back(event);
    } else if ((at = line.find(insertLine)) != std::string::npos && !events.empty()) {
      // Wine shows the first 300 or so characters of a longer string, and "..." after its quote.
      const bool cut = line.size() > 4 && line.compare(line.size() - 4, 4, "\"...") == 0;
      if (!cut && line.back() != '"') continue;
      const std::size_t end = line.size() - (cut ? 4 : 1);
      std::string text;
      for (std::size_t i = at + insertLine.size(); i < end; ++i) text += line[i += line[i] == '\\'];
      events.back().inserts.push_back(text);
    }
  }
  return events;
}

class EventE2eTest : public product_test::ProductTest {
 protected:
  void SetUp() override {
    const char* channel = std::getenv("TARN_EVENT_CHANNEL");
    if (channel == nullptr) GTEST_SKIP() << "no file of Wine's debug output (TARN_EVENT_CHANNEL)";
    channel_ = channel;
    // Read by Wine when it starts the agent, not by this process.
    SetEnvironmentVariableA("WINEDEBUG", "-all,+eventlog,fixme+advapi");
    ProductTest::SetUp();
  }

  // The run and the events it reported.
  std::vector<Event> Run(const std::string& arguments, AgentRun& run) {
    const std::size_t before = ChannelText().size();
    run = RunToEnd(arguments);
    return ParseEvents(ChannelText().substr(before));
  }

  std::string ChannelText() const {
    std::ifstream file(channel_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  std::string channel_;
};

struct EventCase {
  const char* what;
  std::function<void()> before;
  std::string script;  // none: the command line is `arguments` alone
  std::string arguments;
  DWORD result;
  unsigned long type;
  unsigned long id;
  Strings updateInserts;  // after the script's path, the refusal last; "*" is not compared
  std::string note = "";  // on how the command line was read
  std::string cause = "";  // of an 11
};

TEST_F(EventE2eTest, EachRunReportsOneEventWithItsIdTypeAndStrings) {
  const auto none = [] {};
  const auto faults = [](std::function<void(standin::Faults&)> change) { return [change] { SetFaults(change); }; };
  const std::string oas =
      "[TARNUPDATE]\r\nUpdateType=oas\r\n[CurrentVer]\r\nszDAT=4.0.4400\r\nbShowIcon=1\r\n"
      "[ExcludedItems]\r\nExcludedItem_0=D:\\BUILDS\r\n";
  const std::string undoFolder = "C:\\TARN-EVENT-UNDO";
  const std::string schedule = "[TARNUPDATE]\r\nUpdateType=SCHEDULE\r\n[Update]\r\nuHour=3\r\n";
  const auto timeOut = [](std::function<void(standin::Faults&)> change) {
    return [change] {
      SetFaults(change);
      test_registry::SetDword(AgentSubkey("SyncUtil"), "Func Timeout", Slowed(600));
    };
  };
  const EventCase cases[] = {
      {"no command word", none, "", "", 0, EVENTLOG_INFORMATION_TYPE, 0x400003E8, {}, kNoWord},
      {"version too old", none, "", "LC_VERSION=9.0.0", 12, EVENTLOG_WARNING_TYPE, 0x800003F4, {}},
      {"an update", [&] { test_registry::SetString(AgentSubkey("LC_UPDATE"), "UndoFolder", undoFolder); }, oas, "", 0,
       EVENTLOG_INFORMATION_TYPE, 0x400007D0, {"OAS", "2", "219", "0", "[ExcludedItems]", "none", "yes", "undo point", ""}},
      // Relative to the drive's current folder (tarnplan's history test has one without a drive).
      {"an update with a relative UndoFolder",
       [] { test_registry::SetString(AgentSubkey("LC_UPDATE"), "UndoFolder", "C:TARN-EVENT-UNDO"); }, oas, "", 0,
       EVENTLOG_INFORMATION_TYPE, 0x400007D0, {"OAS", "2", "219", "0", "[ExcludedItems]", "none", "yes", kNoUndo, ""}},
      {"an update with an UndoFolder to expand",
       [] {
         test_registry::SetString(AgentSubkey("LC_UPDATE"), "UndoFolder", "%SystemDrive%\\TARN-EVENT-UNDO",
                                  REG_EXPAND_SZ);
       },
       oas, "", 0, EVENTLOG_INFORMATION_TYPE, 0x400007D0,
       {"OAS", "2", "219", "0", "[ExcludedItems]", "none", "yes", "undo point", ""}},
      {"a command line longer than an insert may be", none, "", std::string(32000, 'x'), 0,
       EVENTLOG_INFORMATION_TYPE, 0x400003E8, {}, kNoWord},
      {"an Update task not stored", faults([](standin::Faults& f) { f.setTaskFails = true; }), schedule, "", 9,
       EVENTLOG_ERROR_TYPE, 0xC00007D9, {"SCHEDULE", "1", "15", "0", "none", "none", "no", kNoUndo, ""}},
      {"an update that overran Func Timeout", timeOut([](standin::Faults& f) { f.fieldWriteDelayMs = Slowed(400); }),
       oas, "", 11, EVENTLOG_ERROR_TYPE, 0xC00007DB, {"OAS", "*", "*", "0", "none", "none", "no", kNoUndo, ""}, "",
       "the product did not answer within Func Timeout"},
      {"a script that is not the one named",
       [] { test_registry::SetString(AgentSubkey("LC_UPDATE"), "ScriptSha256", "x"); }, oas, "", 13,
       EVENTLOG_ERROR_TYPE, 0xC00007DD,
       {"not read", "0", "0", "0", "none", "none", "no", kNoUndo,
        "LC_UPDATE\\ScriptSha256 \"x\" is no SHA-256: it must be 64 hexadecimal digits and nothing else"}},
      {"a product call that overran Func Timeout",
       timeOut([](standin::Faults& f) { f.hangIn = standin::ControlCall::kStartLC; }), "", "LC_START", 11,
       EVENTLOG_ERROR_TYPE, 0xC00003F3, {}, "", "the product did not answer within Func Timeout"},
      {"a fault that nothing handles",
       faults([](standin::Faults& f) { f.emptyInterface = true, f.emptyInterfaceId = AVSIF_MANAGEMENTPORT; }), "",
       "LC_START", 11, EVENTLOG_ERROR_TYPE, 0xC00003F3, {}, "", "the run ended on an unhandled exception"},
  };
  for (const EventCase& each : cases) {
    SCOPED_TRACE(each.what);
    Clean();
    test_registry::SetString(kProductKey, "szCurrentVersionNumber", "4.5.0.7");
    each.before();
    const update_test::ScriptFile script("event.ini", each.script);
    std::string arguments = each.arguments;
    if (!each.script.empty()) arguments = "LC_UPDATE=" + script.Path();

    AgentRun run;
    const std::vector<Event> events = Run(arguments, run);
    EXPECT_EQ(run.exitCode, each.result);
    ASSERT_EQ(events.size(), 1u);
    const Event& event = events[0];
    EXPECT_EQ(event.type, each.type);
    EXPECT_EQ(event.id, each.id);
    const std::string commandLine =
        "\"" + ProgramBesideTest("tarnupd.exe") + "\"" + (arguments.empty() ? "" : " ") + arguments;
    Strings expected = {commandLine, std::to_string(each.result),
                        *test_registry::GetString(AgentSubkey("TARNUPDATE"), "ReturnString"), "1.0.15", "4.5.0.7"};
    if (!each.script.empty()) expected.push_back(Upper(script.Path()));
    // An update's eight after its script, empty for other runs; then the note on the command
    // line, an update's ninth, why its script was refused, and the cause of an 11.
    const std::size_t eight = std::min<std::size_t>(each.updateInserts.size(), 8);
    expected.insert(expected.end(), each.updateInserts.begin(), each.updateInserts.begin() + eight);
    expected.resize(14);
    expected.push_back(each.note);
    expected.push_back(each.updateInserts.size() > 8 ? each.updateInserts[8] : "");
    expected.push_back(each.cause);
    ASSERT_EQ(event.inserts.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
      if (expected[i] == "undo point") {
        const std::string& file = event.inserts[i];
        EXPECT_EQ(file.rfind(undoFolder + "\\", 0), 0u) << file;
        EXPECT_EQ(file.substr(file.size() - 8), "-OAS.INI") << file;
        RemoveFolder(undoFolder);
      } else if (expected[i].size() > event.inserts[i].size() && event.inserts[i].size() > 256) {
        EXPECT_EQ(expected[i].rfind(event.inserts[i], 0), 0u) << "insert " << i + 1;  // as far as Wine shows it
      } else if (expected[i] != "*") {
        EXPECT_EQ(event.inserts[i], expected[i]) << "insert " << i + 1;
      }
    }
  }
}

}  // namespace
