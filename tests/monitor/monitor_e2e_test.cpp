// tarnmon.exe as a person uses it: watching the real agent it starts itself, watching the
// status mailslot alone, and meeting another collector.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent_harness.h"
#include "debuggee.h"
#include "monitor_process.h"
#include "status_mailslot.h"
#include "test_registry.h"
#include "trace_names.h"

namespace {

using test_registry::AgentSubkey;

constexpr DWORD kTimeoutMs = 60000;
const std::string kResultKey = AgentSubkey("TARNUPDATE");

std::vector<MonitorLine> OfStream(const std::vector<MonitorLine>& lines, const std::string& stream) {
  std::vector<MonitorLine> found;
  for (const MonitorLine& line : lines) {
    if (line.stream == stream) found.push_back(line);
  }
  return found;
}

std::string AgentCommand(const std::string& arguments) {
  return "\"" + ProgramBesideTest("tarnupd.exe") + "\" " + arguments;
}

class MonitorTest : public ::testing::Test {
 protected:
  void SetUp() override { test_registry::DeleteTree(kAgentKeyPath); }
  void TearDown() override { test_registry::DeleteTree(kAgentKeyPath); }
};

TEST_F(MonitorTest, RunsTheAgentAndShowsBothStreamsInArrivalOrder) {
  test_registry::SetDword(AgentSubkey("Debug"), "Output", 1);
  MonitorProcess monitor;
  ASSERT_TRUE(monitor.Start(AgentCommand("LC_VERSION=1.0.16")));
  EXPECT_EQ(monitor.Finish(kTimeoutMs), 12u) << monitor.Output();
  EXPECT_EQ(test_registry::GetDword(kResultKey, "ReturnCode"), 12u);  // the agent really ran

  const std::vector<MonitorLine> lines = monitor.Lines();
  for (const MonitorLine& line : lines) EXPECT_TRUE(line.wellFormed) << line.text;
  const std::vector<MonitorLine> status = OfStream(lines, "status");
  ASSERT_GE(status.size(), 3u) << monitor.Output();
  for (std::size_t i = 0; i < status.size(); ++i) EXPECT_EQ(status[i].sequence, static_cast<int>(i + 1));
  EXPECT_EQ(status.front().text, "Tarnwell Configuration Agent - v1.0.15");
  EXPECT_EQ(status.back().text, "[12] TARNUPDATE version incorrect. Script requires version 1.0.16.");
  EXPECT_TRUE(OfStream(lines, "lost").empty()) << monitor.Output();

  // The agent writes each status line to the debugger first, then to the mailslot: in order of
  // arrival the debug copy stands right before its status line.
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i].stream != "status") continue;
    EXPECT_EQ(lines[i - 1].stream, "debug") << lines[i].text;
    EXPECT_EQ(lines[i - 1].text, lines[i].text);
  }
  EXPECT_EQ(lines.back().text, "the program ended with exit code 12");
}

TEST_F(MonitorTest, WatchingAloneReportsLostMessagesButNotTheWrapOrANewRun) {
  MonitorProcess monitor;
  ASSERT_TRUE(monitor.Start(""));
  ASSERT_TRUE(monitor.WaitForOutput("waiting for status lines", kTimeoutMs)) << monitor.Output();

  ASSERT_TRUE(PostStatus(1, "one"));
  ASSERT_TRUE(PostStatus(2, "two"));
  ASSERT_TRUE(PostStatus(5, "five"));
  // A new run of 257 lines wraps once; more than Wine lets wait unread, so tarnmon must keep reading.
  for (unsigned i = 0; i < 257; ++i) {
    ASSERT_TRUE(PostStatus(static_cast<unsigned char>(i % 255 + 1), "run line " + std::to_string(i + 1))) << i;
  }
  ASSERT_TRUE(monitor.WaitForOutput("run line 257", kTimeoutMs)) << monitor.Output();
  monitor.Kill();

  const std::vector<MonitorLine> lines = monitor.Lines();
  const std::vector<MonitorLine> status = OfStream(lines, "status");
  ASSERT_EQ(status.size(), 260u);
  EXPECT_EQ(status[2].sequence, 5);
  EXPECT_EQ(status[2].text, "five");
  EXPECT_EQ(status[257].sequence, 255);
  EXPECT_EQ(status[258].sequence, 1);
  EXPECT_EQ(status[259].text, "run line 257");

  const std::vector<MonitorLine> lost = OfStream(lines, "lost");
  ASSERT_EQ(lost.size(), 1u) << monitor.Output();
  EXPECT_EQ(lost[0].text, "2 messages missing: #3 to #4");
  std::size_t lostAt = 0;
  while (lines[lostAt].stream != "lost") ++lostAt;
  EXPECT_EQ(lines[lostAt + 1].text, "five");  // said where it happened
}

TEST_F(MonitorTest, SecondCollectorIsRefusedAndRunsNothing) {
  MonitorProcess first;
  ASSERT_TRUE(first.Start(""));
  ASSERT_TRUE(first.WaitForOutput("waiting for status lines", kTimeoutMs)) << first.Output();

  MonitorProcess second;
  ASSERT_TRUE(second.Start(AgentCommand("LC_VERSION=1.0.16")));
  EXPECT_EQ(second.Finish(kTimeoutMs), 101u) << second.Output();
  EXPECT_NE(second.Output().find("another collector"), std::string::npos) << second.Output();
  EXPECT_FALSE(test_registry::ValueExists(kResultKey, "ReturnCode"));

  // The first one holds the mailslot still and goes on reading.
  ASSERT_TRUE(PostStatus(1, "still here"));
  EXPECT_TRUE(first.WaitForOutput("still here", kTimeoutMs)) << first.Output();
  first.Kill();

  // Once it has gone, the name is free for the next collector.
  tarnmon::StatusMailslot next;
  EXPECT_EQ(next.Create(kTestMailslotName), tarnmon::kMailslotCreated);
}

// What tarnmon does on Ctrl+C while the agent runs (Wine cannot deliver Ctrl+C to a test's
// child, so the debuggee loop is asked directly): the agent is let go, not killed, and
// finishes its command on its own.
TEST_F(MonitorTest, StoppingTheWatchLetsTheProgramRunOn) {
  test_registry::SetDword(AgentSubkey("Debug"), "Output", 1);
  tarnmon::FollowOutcome outcome;
  tarnmon::OwnedHandle agent;
  tarnmon::DebuggeeHandlers handlers;
  bool sawDebugOutput = false;
  handlers.onDebugString = [&](const std::string&) { sawDebugOutput = true; };
  handlers.onTurn = [&]() {
    if (!sawDebugOutput) return tarnmon::FollowAction::kContinue;
    agent = tarnmon::OwnedHandle(OpenProcess(SYNCHRONIZE, FALSE, outcome.processId));
    return tarnmon::FollowAction::kDetach;
  };
  EXPECT_EQ(tarnmon::FollowProgram(AgentCommand("LC_VERSION=1.0.16"), 20, handlers, &outcome),
            tarnmon::kFollowDetached);
  ASSERT_TRUE(agent.IsValid());
  ASSERT_EQ(WaitForSingleObject(agent.Get(), kTimeoutMs), WAIT_OBJECT_0);
  EXPECT_EQ(test_registry::GetDword(kResultKey, "ReturnCode"), 12u);
}

TEST_F(MonitorTest, ProgramThatCannotStartIsReported) {
  MonitorProcess monitor;
  ASSERT_TRUE(monitor.Start("C:\\no\\such\\program.exe LC_VERSION=1.0.16"));
  EXPECT_EQ(monitor.Finish(kTimeoutMs), 103u) << monitor.Output();
  EXPECT_NE(monitor.Output().find("cannot start the program"), std::string::npos) << monitor.Output();
}

}  // namespace
