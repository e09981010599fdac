// The agent's parts in this process: command words, result texts, and the worker's session with the
// installed stand-in library.
#include <gtest/gtest.h>
#include <windows.h>

#include "agent/command_word.h"
#include "agent/result_report.h"
#include "agent/worker.h"

namespace {

TEST(CommandWords, TheFirstWordInSearchOrderWinsAnywhereInTheLine) {
  const struct {
    const char* line;
    CommandWord word;
  } cases[] = {
      {"LC_START", CommandWord::kStart},          {"XLC_STARTUPX", CommandWord::kStart},
      {"LC_UPDATE=C:\\LC_STOP.INI", CommandWord::kStop}, {"LC_UPDATE=C:\\NEW.INI", CommandWord::kUpdate},
      {"LC_FILEVER LC_EXEC", CommandWord::kExec}, {"LC_DEBUG LC_FILEVER", CommandWord::kFileVersion},
      {"LC_RESTORE LC_DEBUG", CommandWord::kDebug}, {"LC_ENABLE LC_RESTORE", CommandWord::kRestore},
      {"LC_DISABLE LC_ENABLE", CommandWord::kEnable}, {"LC_VERSION=1 LC_DISABLE", CommandWord::kDisable},
      {"LC_VERSION=1.0.15", CommandWord::kVersion}, {"lc_start", CommandWord::kNone},
      {"", CommandWord::kNone},                   {"LC_UPDATE C:\\X.INI", CommandWord::kNone},
  };
  for (const auto& each : cases) EXPECT_EQ(RecogniseCommand(each.line), each.word) << each.line;
  // The argument starts the word's length from the start, wherever the word stood.
  EXPECT_STREQ(CommandArgument("LC_VERSION=1.0.15 /X", CommandWord::kVersion), "1.0.15 /X");
  EXPECT_STREQ(CommandArgument("  LC_UPDATE=C:\\NEW.INI", CommandWord::kUpdate), "E=C:\\NEW.INI");
  EXPECT_STREQ(CommandArgument("LC_UPD", CommandWord::kUpdate), "");
}

TEST(ResultText, CodesOutsideTheTableAreUnrecognised) {
  CommandRun run;
  run.module = GetModuleHandleA(nullptr);
  EXPECT_STREQ(ResultText(run, static_cast<ResultCode>(13)).c_str(), "[13] Unrecognised error.");
  EXPECT_STREQ(ResultText(run, kResultNoMemory).c_str(), "[-1] Unrecognised error.");
}

bool g_loadedDuringWork = false;

TEST(Worker, TheLibraryIsLoadedForTheWorkAndUnloadedAfterIt) {
  CommandRun run;
  const ProductWork work = [](const CommandRun&, ProductSession& product) {
    g_loadedDuringWork = GetModuleHandleA("SYNCUTIL.DLL") != nullptr && product.port.StartLC != nullptr;
    return kResultVersionTooOld;
  };
  EXPECT_EQ(WorkerSession(run, work), kResultVersionTooOld);
  EXPECT_TRUE(g_loadedDuringWork);
  EXPECT_EQ(GetModuleHandleA("SYNCUTIL.DLL"), nullptr);
}

}  // namespace
