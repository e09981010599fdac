// tarnmon.exe as a person uses it from a console: running the real agent as its debugger, watching
// the status mailslot alone, and ending with exit codes of its own.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <regex>
#include <sstream>

#include "foundation/unique_handle.h"
#include "tarnmon/watch.h"
#include "testtools/agent_harness.h"
#include "testtools/test_registry.h"
#include "testtools/trace_names.h"

namespace {

using Lines = std::vector<std::string>;
constexpr DWORD kTimeoutMs = 60000;
const std::string kResultKey = test_registry::AgentSubkey("TARNUPDATE");
const std::string kAgentRun = "\"" + ProgramBesideTest("tarnupd.exe") + "\" LC_VERSION=1.0.16";  // result 12

// Whether `done` comes true within the time limit.
template <typename Done>
bool Within(Done done) {
  for (const ULONGLONG end = GetTickCount64() + Slowed(kTimeoutMs); !done(); Sleep(10)) {
    if (GetTickCount64() > end) return false;
  }
  return true;
}

// One message, every byte as given.
bool Post(const std::string& message) {
  const KernelHandle slot(
      CreateFileA(kTestMailslotName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  DWORD written = 0;
  return slot && WriteFile(slot.get(), message.data(), message.size(), &written, nullptr) && written == message.size();
}

// One status line as the agent posts it: sequence byte, prefix, the line, NUL.
bool PostStatus(unsigned sequence, const std::string& line) {
  return Post(std::string(1, static_cast<char>(sequence)) + kTestStatusPrefix + line + "\n" + '\0');
}

// tarnmon.exe started as from a console, its output going to a file; ended with the test at the latest.
class Monitor {
 public:
  explicit Monitor(const std::string& arguments)
      : path_(ProgramBesideTest("tarnmon-" + std::to_string(++made_) + ".txt")) {
    const KernelHandle output(CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                          CREATE_ALWAYS, 0, nullptr));
    process_ = StartProcess("\"" + ProgramBesideTest("tarnmon.exe") + "\" " + arguments, output.get());
    EXPECT_TRUE(process_);
  }
  ~Monitor() {
    TerminateProcess(process_.get(), 1), WaitForSingleObject(process_.get(), kTimeoutMs);
    DeleteFileA(path_.c_str());
  }
  DWORD ExitCode() const { return WaitForExit(process_, kTimeoutMs); }
  DWORD ProcessId() const { return GetProcessId(process_.get()); }
  bool WaitFor(const std::string& text) const {
    return Within([&] { return Output().find(text) != std::string::npos; });
  }
  std::string Output() const {
    std::ostringstream text;
    text << std::ifstream(path_).rdbuf();
    return text.str();
  }
  // Each line as "stream #sequence text" or "stream text" (a gap in JSON: "missing N"), once its
  // columns are checked: time, sequence, stream; or its JSON members.
  Lines Shown() const {
    static const std::regex kLine(R"(\d\d:\d\d:\d\d\.\d{3} (#\d+ *| {4}) ([a-z]+) +(.*))");
    static const std::regex kIsoTime(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)");
    Lines lines;
    std::istringstream output(Output());
    for (std::string line; std::getline(output, line);) {
      if (line[0] == '{') {
        const nlohmann::ordered_json object = nlohmann::ordered_json::parse(line);
        EXPECT_EQ(object.begin().key(), "schemaVersion") << line;
        EXPECT_EQ(object["schemaVersion"], 1) << line;
        EXPECT_TRUE(std::regex_match(object["time"].get<std::string>(), kIsoTime)) << line;
        lines.push_back(object.contains("missing") ? "missing " + object["missing"].dump()
                        : object["source"].get<std::string>() +
                              (object.contains("sequence") ? " #" + object["sequence"].dump() : "") + " " +
                              object["text"].get<std::string>());
        continue;
      }
      std::smatch m;
      EXPECT_TRUE(std::regex_match(line, m, kLine) && m.length(1) == 4 && m.position(3) == 26) << line;
      const std::string sequence = m.str(1).substr(0, m.str(1).find(' '));
      lines.push_back(m.str(2) + (sequence.empty() ? "" : " " + sequence) + " " + m.str(3));
    }
    return lines;
  }

 private:
  static inline int made_ = 0;
  std::string path_;
  KernelHandle process_;
};

class MonitorTest : public ::testing::Test {
 protected:
  void SetUp() override { test_registry::DeleteTree(kAgentKeyPath); }
  void TearDown() override { test_registry::DeleteTree(kAgentKeyPath); }
};

TEST_F(MonitorTest, RunsTheAgentAsItsDebuggerAndShowsBothStreamsInTheOrderTheyArrive) {
  test_registry::SetDword(test_registry::AgentSubkey("Debug"), "Output", 1);
  for (const std::string options : {"", "--json "}) {
    SCOPED_TRACE(options);
    Monitor monitor(options + kAgentRun);
    EXPECT_EQ(monitor.ExitCode(), 12u);
    // The agent writes each status line to the debugger first, then to the mailslot.
    Lines expected = {"tarnmon running " + kAgentRun};
    int sequence = 0;
    for (const std::string text : {"Tarnwell Configuration Agent - v1.0.15", "Lumicor Version = v",
                                   "[12] TARNUPDATE version incorrect. Script requires version 1.0.16."}) {
      expected.push_back("debug " + text);
      expected.push_back("status #" + std::to_string(++sequence) + " " + text);
    }
    expected.push_back("tarnmon the program ended with exit code 12");
    EXPECT_EQ(monitor.Shown(), expected) << monitor.Output();
  }
}

// Each exception of the program is shown with what became of it: passed to the program first,
// then, with nothing there to handle it, once more as the program dies of it.
TEST_F(MonitorTest, ShowsTheProgramsExceptionsAndWhetherItHandledThem) {
  const std::string program = "\"" + ProgramBesideTest("ctrl_c_program.exe") + "\" fault";
  Monitor monitor(program);
  EXPECT_EQ(monitor.ExitCode(), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION)) << monitor.Output();
  Lines shown = monitor.Shown();
  for (std::string& line : shown) line = std::regex_replace(line, std::regex(" at [0-9A-Fa-fx]+ "), " at ADDRESS ");
  EXPECT_EQ(shown, (Lines{"tarnmon running " + program,
                          "debug exception 0xC0000005 at ADDRESS (first chance, passed to the program)",
                          "debug exception 0xC0000005 at ADDRESS (not handled by the program)",
                          "tarnmon the program ended with exit code 3221225477"}));
}

TEST_F(MonitorTest, WatchingAloneShowsLostMessagesButNeitherTheWrapNorANewRun) {
  for (const std::string options : {"", "--json"}) {
    SCOPED_TRACE(options);
    Monitor monitor(options);
    ASSERT_TRUE(monitor.WaitFor("waiting for status lines")) << monitor.Output();
    // An empty message first: it must not hold up the ones behind it.
    ASSERT_TRUE(Post("") && PostStatus(1, "one") && PostStatus(2, "two") && PostStatus(5, "five"));
    ASSERT_TRUE(monitor.WaitFor("five")) << monitor.Output();
    Lines expected = {"tarnmon waiting for status lines; Ctrl+C ends", "tarnmon an empty status message",
                      "status #1 one", "status #2 two",
                      options.empty() ? "lost 2 messages missing: #3 to #4" : "missing 2", "status #5 five",
                      "tarnmon numbering starts again at 1: a new run"};
    // A new run of 257 lines wraps once: more than Wine lets wait unread, so tarnmon must read as they come.
    for (unsigned line = 1, sequence = 1; line <= 257; ++line, sequence = sequence % 255 + 1) {
      ASSERT_TRUE(PostStatus(sequence, "run line " + std::to_string(line))) << line;
      expected.push_back("status #" + std::to_string(sequence) + " run line " + std::to_string(line));
    }
    ASSERT_TRUE(monitor.WaitFor("run line 257")) << monitor.Output();
    EXPECT_EQ(monitor.Shown(), expected);
  }
}

TEST_F(MonitorTest, OwnExitCodesStayClearOfTheAgents) {
  {
    Monitor first("");
    ASSERT_TRUE(first.WaitFor("waiting for status lines")) << first.Output();
    Monitor second(kAgentRun);
    EXPECT_EQ(second.ExitCode(), 101u);
    EXPECT_NE(second.Output().find("another collector is reading the status lines"), std::string::npos);
    EXPECT_FALSE(test_registry::ValueExists(kResultKey, "ReturnCode"));  // it ran nothing
    ASSERT_TRUE(PostStatus(1, "still here"));
    EXPECT_TRUE(first.WaitFor("still here"));
  }
  Monitor notStarted("C:\\no\\such\\program.exe LC_VERSION=1.0.16");
  EXPECT_EQ(notStarted.ExitCode(), 103u);
  EXPECT_NE(notStarted.Output().find("cannot start the program"), std::string::npos);

  // Ctrl+C as soon as the agent starts, here straight to tarnmon's own watch: tarnmon lets the agent
  // go, and it finishes its command on its own.
  tarnmon::StatusMailslot mailslot;
  ASSERT_EQ(mailslot.Create(kTestMailslotName), tarnmon::kMailslotCreated);
  tarnmon::StatusView view(stdout);
  const KernelHandle stop(CreateEventA(nullptr, TRUE, TRUE, nullptr));
  EXPECT_EQ(tarnmon::WatchProgram(kAgentRun, mailslot, view, stop.get()), 104);
  // ReturnString is the last it writes to the registry, right before its last status line.
  EXPECT_TRUE(Within([] { return test_registry::ValueExists(kResultKey, "ReturnString"); }));
  EXPECT_EQ(test_registry::GetDword(kResultKey, "ReturnCode"), 12u);
}

TEST_F(MonitorTest, CtrlCEndsTheWatchButNeverTheProgram) {
  Monitor monitor("\"" + ProgramBesideTest("ctrl_c_program.exe") + "\"");
  ASSERT_TRUE(monitor.WaitFor("waiting for Ctrl+C")) << monitor.Output();
  // Ctrl+C in tarnmon's console, which this test joins for a while, ignoring Ctrl+C itself. It goes
  // to the test's process group, tarnmon's too. Joining takes over the test's standard handles.
  const DWORD standard[] = {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE};
  HANDLE kept[3];
  for (int each = 0; each < 3; ++each) kept[each] = GetStdHandle(standard[each]);
  EXPECT_TRUE(FreeConsole() && AttachConsole(monitor.ProcessId()) && SetConsoleCtrlHandler(nullptr, TRUE));
  EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  EXPECT_EQ(monitor.ExitCode(), 104u) << monitor.Output();
  // Again, with no debugger in between; each Ctrl+C is handled on a thread of its own, a moment later.
  EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  Sleep(Slowed(500));
  DWORD attached[4];
  EXPECT_EQ(GetConsoleProcessList(attached, 4), 2u);  // this test and the program, which runs on
  FreeConsole();  // and then ends, alone in the console
  SetConsoleCtrlHandler(nullptr, FALSE);
  for (int each = 0; each < 3; ++each) SetStdHandle(standard[each], kept[each]);
}

}  // namespace
