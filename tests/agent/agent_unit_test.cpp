// The agent's parts in this process: command words, result texts, and the worker's session with the
// installed stand-in library.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "agent/commands/commands.h"
#include "agent/result_report.h"
#include "agent/run_event.h"
#include "foundation/unique_handle.h"
#include "agent/worker.h"
#include "foundation/run_record.h"
#include "testtools/agent_harness.h"

namespace {

using namespace std::string_literals;

TEST(CommandTable, TheFirstWordInSearchOrderWinsAnywhereInTheLine) {
  const struct {
    const char* line;
    const char* word;  // nullptr: none
  } cases[] = {
      {"LC_START", "LC_START"},          {"XLC_STARTUPX", "LC_START"},
      {"LC_UPDATE=C:\\LC_STOP.INI", "LC_STOP"}, {"LC_UPDATE=C:\\NEW.INI", "LC_UPDATE="},
      {"LC_FILEVER LC_EXEC", "LC_EXEC"}, {"LC_DEBUG LC_FILEVER", "LC_FILEVER"},
      {"LC_RESTORE LC_DEBUG", "LC_DEBUG"}, {"LC_ENABLE LC_RESTORE", "LC_RESTORE"},
      {"LC_DISABLE LC_ENABLE", "LC_ENABLE"}, {"LC_VERSION=1 LC_DISABLE", "LC_DISABLE"},
      {"LC_VERSION=1.0.15", "LC_VERSION="}, {"lc_start", nullptr},
      {"", nullptr},                     {"LC_UPDATE C:\\X.INI", nullptr},
  };
  // Where each word's argument starts, on any line, is fuzz/command_word_fuzz.cpp's to check.
  for (const auto& each : cases) {
    const Command* command = RecogniseCommand(each.line);
    EXPECT_STREQ(command != nullptr ? command->word : nullptr, each.word) << each.line;
  }
}

// What a run of the agent gives its parts: the run, and the details its report reads.
struct InProcessRun {
  InProcessRun() {
    run.module = GetModuleHandleA(nullptr);
    run.details = &details;
  }
  RunDetails details;
  CommandRun run;
};

TEST(ResultText, CodesOutsideTheTableAreUnrecognised) {
  const InProcessRun test;
  EXPECT_STREQ(ResultText(test.run, static_cast<ResultCode>(14)).c_str(), "[14] Unrecognised error.");
  EXPECT_STREQ(ResultText(test.run, kResultNoMemory).c_str(), "[-1] Unrecognised error.");
}

// The Event Log takes at most 31,839 characters in one insert string: a longer command line
// would cost the run its event.
TEST(RunEvent, ACommandLineLongerThanAnInsertKeepsItsStart) {
  const std::wstring line = L"\"C:\\AGENT\\TARNUPD.EXE\" " + std::wstring(32000, L'x');
  const InProcessRun test;
  RunEventInserts inserts(test.run, kResultSuccess, "[0] Command successful.", line.c_str());
  ASSERT_EQ(inserts.count(), 17);
  const std::wstring first = inserts.strings()[0];
  EXPECT_LE(first.size(), 31839u);
  EXPECT_GT(first.size(), 2u * MAX_PATH);  // a program's and a script's path
  EXPECT_EQ(line.compare(0, first.size(), first), 0);
}

bool g_loadedDuringWork = false;
int g_claimed = -1;  // what the last work's commit claim gave: -1 not asked, 0 refused, 1 granted

TEST(Worker, TheLibraryIsLoadedForTheWorkAndUnloadedAfterIt) {
  const InProcessRun test;
  CommitGate gate;
  const ProductWork work = [](const CommandRun&, ProductSession& product) {
    g_loadedDuringWork = GetModuleHandleA("SYNCUTIL.DLL") != nullptr && product.port.StartLC != nullptr;
    return kResultVersionTooOld;
  };
  EXPECT_EQ(WorkerSession(test.run, work, gate), kResultVersionTooOld);
  EXPECT_TRUE(g_loadedDuringWork);
  EXPECT_EQ(GetModuleHandleA("SYNCUTIL.DLL"), nullptr);
}

// A worker given up on may not commit; one already committing is waited for.
TEST(Worker, OnlyOneOfTheTimeOutAndTheCommitWins) {
  InProcessRun test;
  CommandRun& run = test.run;
  run.funcTimeout = Slowed(400);
  const ProductWork lateCommit = [](const CommandRun&, ProductSession& product) {
    Sleep(Slowed(1000));
    g_claimed = product.gate->ClaimCommit() ? 1 : 0;
    return kResultSuccess;
  };
  const WorkerOutcome late = RunOnWorker(run, lateCommit);
  EXPECT_EQ(late.result, kResultTimedOut);
  EXPECT_TRUE(late.abandoned);
  Sleep(Slowed(1500));
  EXPECT_EQ(g_claimed, 0);

  // Claimed well within Func Timeout however slowly the library loads, and committing past it.
  run.funcTimeout = Slowed(2000);
  const ProductWork slowCommit = [](const CommandRun&, ProductSession& product) {
    g_claimed = product.gate->ClaimCommit() ? 1 : 0;
    Sleep(Slowed(2500));
    return kResultVersionTooOld;
  };
  const WorkerOutcome committed = RunOnWorker(run, slowCommit);
  EXPECT_EQ(committed.result, kResultVersionTooOld);
  EXPECT_FALSE(committed.abandoned);
  EXPECT_EQ(g_claimed, 1);
}

// Another agent run holding the product for a while.
DWORD WINAPI HoldProduct(LPVOID) {
  const ProductMutex mutex;
  WaitForSingleObject(mutex.get(), INFINITE);
  Sleep(Slowed(1500));
  ReleaseMutex(mutex.get());
  return 0;
}

// A user holding a mutex of the name earlier versions used, which anyone could create first.
DWORD WINAPI HoldOldName(LPVOID) {
  const KernelHandle mutex(CreateMutexA(nullptr, TRUE, "Global\\TarnConfigurationAgent.Product"));
  Sleep(Slowed(1500));
  ReleaseMutex(mutex.get());
  return 0;
}

// Agent runs take the product one at a time: a second one waits, at most Func Timeout. A
// mutex that is not the agent's own, of the old name, keeps no run waiting.
TEST(Worker, AnotherRunHoldingTheProductIsWaitedForAtMostFuncTimeout) {
  InProcessRun test;
  CommandRun& run = test.run;
  const ProductWork work = [](const CommandRun&, ProductSession& product) {
    g_claimed = product.gate->ClaimCommit() ? 1 : 0;
    return kResultSuccess;
  };
  const struct {
    LPTHREAD_START_ROUTINE holder;
    DWORD funcTimeout;
    bool givesUp;
  } cases[] = {{HoldProduct, 300, true}, {HoldProduct, 5000, false}, {HoldOldName, 300, false}};
  for (const auto& each : cases) {
    g_claimed = -1;
    run.funcTimeout = Slowed(each.funcTimeout);
    const KernelHandle other(CreateThread(nullptr, 0, each.holder, nullptr, 0, nullptr));
    Sleep(Slowed(200));
    const WorkerOutcome outcome = RunOnWorker(run, work);
    EXPECT_EQ(outcome.result, each.givesUp ? kResultTimedOut : kResultSuccess);
    EXPECT_EQ(g_claimed, each.givesUp ? -1 : 1);  // the work ran only once the product was free
    WaitForSingleObject(other.get(), INFINITE);
  }
}

// The guide's table of the run record names every value, its JSON member, type and meaning as
// the agent writes them.
TEST(RunRecord, TheGuideDescribesEveryValueAsTheAgentWritesIt) {
  std::stringstream guide;
  guide << std::ifstream(TARN_ADMIN_GUIDE).rdbuf();
  for (const RunRecordField& field : kRunRecordFields) {
    const char* type = field.type == RunRecordType::kNumber ? "REG_DWORD, number" : "REG_SZ, string";
    const std::string row = "| `"s + field.value + "` | `" + field.json + "` | " + type + " | " + field.meaning + " |\n";
    EXPECT_NE(guide.str().find(row), std::string::npos) << row;
  }
}

}  // namespace
