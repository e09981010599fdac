// The update engine in this process, against real INI files read by the system's profile
// functions and a product kept in memory: what each reader stores and traces, where its
// field writes go, lists, the extension exclusion, the driver's results, and the fault guard.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/exception_frame.h"
#include "foundation/unique_handle.h"
#include "testtools/random_scripts.h"
#include "testtools/update_test_support.h"
#include "update/fault_guard.h"
#include "update/record_tables.h"
#include "update/script_readers.h"
#include "update/update_driver.h"

namespace {

using namespace std::string_literals;
using update_test::DebugLines;
using update_test::RecordingProduct;
using update_test::ScriptFile;
using Reader = void (*)(UpdateContext&, void*, const char*, const char*, DWORD);

constexpr BYTE kUntouched = 0xAA;

DWORD WordAt(const BYTE* bytes) {
  DWORD value = 0;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

class EngineTest : public ::testing::Test {
 protected:
  // Each script gets a name of its own: the profile functions may keep a file just read.
  UpdateContext& Script(const std::string& text, const char* noExtension = "", const char* version = "") {
    script_ = std::make_unique<ScriptFile>(std::to_string(++scripts_) + ".ini", text);
    product_ = RecordingProduct();
    context_ = std::make_unique<UpdateContext>(
        UpdateContext{script_->Path().c_str(), noExtension, version, &product_});
    return *context_;
  }

  DebugLines debug_;
  RecordingProduct product_;
  std::unique_ptr<ScriptFile> script_;
  std::unique_ptr<UpdateContext> context_;
  int scripts_ = 0;
};

struct ReaderCase {
  Reader reader;
  const char* value;   // null: no such key
  std::string stored;  // the field's bytes afterwards; empty: untouched
  std::string detail;  // the one detail line
};

// Into the agent's own copy (area code 4): stored straight, nothing reaches the product.
TEST_F(EngineTest, EachReaderStoresAndTracesWhatTheProfileFunctionsRead) {
  const std::string fullHex = std::string(510, '4') + "7";  // 255 bytes and an odd digit
  const std::string longText(600, 'x');
  const ReaderCase cases[] = {
      {UpdateBoolean, "-1", "", "MISSING [S] k\n"},
      {UpdateBoolean, "0", "\0\0\0\0"s, "[S] k = FALSE\n"},
      {UpdateBoolean, "2", "\2\0\0\0"s, "[S] k = TRUE\n"},
      {UpdateBoolean, nullptr, "", "MISSING [S] k\n"},
      {UpdateUInt, "0", "\0\0\0\0"s, "[S] k = 0\n"},
      {UpdateUInt, "4294967295", "\xFF\xFF\xFF\xFF", "[S] k = 4294967295\n"},
      {UpdateUInt, nullptr, "", "MISSING [S] k\n"},
      {UpdateDWord, "-7", "\xF9\xFF\xFF\xFF", "[S] k = -7\n"},
      {UpdateDWord, "2147483648", "\0\0\0\x80"s, "[S] k = -2147483648\n"},
      {UpdateString, "", "\0"s, "[S] k = \n"},
      {UpdateString, "C:\\Program Files\\Lumicor", "C:\\Program Files\\Lumicor\0"s, "[S] k = C:\\Program Files\\Lumicor\n"},
      {UpdateString, longText.c_str(), std::string(511, 'x') + '\0', "[S] k = " + std::string(511, 'x') + "\n"},
      {UpdateString, nullptr, "", "MISSING [S] k\n"},
      {UpdateByteString, "0A1bFF", "\x0A\x1B\xFF", "[S] k = \x0A\x1B\xFF\n"},
      {UpdateByteString, "414", "A", "[S] k = A\n"},  // the last odd digit is dropped
      {UpdateByteString, "zz41G1", "\0\x41\0"s, "[S] k = \n"},
      {UpdateByteString, fullHex.c_str(), std::string(255, 'D'), "[S] k = " + std::string(255, 'D') + "\n"},
      {UpdateByteString, "", "", "[S] k = \n"},
      {UpdateByteString, nullptr, "", "MISSING [S] k\n"},
  };
  for (const ReaderCase& each : cases) {
    const std::string value = each.value != nullptr ? each.value : "(absent)";
    UpdateContext& run = Script(each.value != nullptr ? "[s]\r\nK="s + each.value + "\r\n" : "[S]\r\nother=1\r\n");
    debug_.Take();
    std::vector<BYTE> field(600, kUntouched);
    each.reader(run, field.data(), "S", "k", kAreaAgentCopy);
    EXPECT_EQ(std::string(field.begin(), field.begin() + each.stored.size()), each.stored) << value;
    EXPECT_EQ(field[each.stored.size()], kUntouched) << value;
    EXPECT_EQ(debug_.Take(), std::vector<std::string>{each.detail}) << value;
    EXPECT_EQ(product_.writes, 0) << value;
  }
}

TEST_F(EngineTest, AFaultInsideAFieldWriteIsTracedAndTheNextKeyGoesOn) {
  const struct {
    Reader reader;
    const char* key;
    const char* exceptionLine;
  } cases[] = {
      {UpdateBoolean, "b", "UpdateBoolean Exception [G] b\n"}, {UpdateUInt, "u", "UpdateUInt Exception [G] u\n"},
      {UpdateDWord, "d", "UpdateDWord Exception\n"},           {UpdateString, "s", "UpdateString Exception [G] s\n"},
      {UpdateFileExtString, "s", "UpdateFileExtString Exception [G] s\n"},
      {UpdateByteString, "x", "UpdateByteString Exception [G] x\n"},
  };
  for (const auto& each : cases) {
    UpdateContext& run = Script("[G]\r\nb=1\r\nu=2\r\nd=3\r\ns=text\r\nx=0102\r\nafter=4\r\n");
    product_.faultAtGeneralOffset = 100;
    OptionsBlock block{};
    DWORD size = 0;
    ASSERT_TRUE(product_.GetOptions(&block, &size));
    debug_.Take();
    each.reader(run, block.generalRecord + 100, "G", each.key, kAreaGeneralRecord);
    UpdateDWord(run, block.generalRecord + 9764, "G", "after", kAreaGeneralRecord);
    EXPECT_EQ(debug_.Take(), (std::vector<std::string>{each.exceptionLine, "[G] after = 4\n"})) << each.key;
    EXPECT_EQ(WordAt(block.generalRecord + 9764), 4u);
  }
}

TEST_F(EngineTest, ListsAreEmptiedThenFilledUpToTheFirstMissingNumber) {
  UpdateContext& run = Script("[Items]\r\nB_0=C:\\TEMP\r\nB_1=W|D:\\\r\nB_3=never read\r\n[Empty]\r\n", "W", "4.5.0.0");
  product_.records().lists[kListODSScanItems] = {"old 1", "old 2", "old 3"};
  product_.records().lists[kListODSExcludedItems] = {"old"};
  std::vector<BYTE> task(kODSTaskRecordSize, kUntouched);
  debug_.Take();
  AddToList(run, kListODSScanItems, "Items", "B", task.data());
  EXPECT_EQ(debug_.Take(),
            (std::vector<std::string>{"RemoveAllFromList Count = 3\n", "GetPrivateProfileString [Items] B_0\n",
                                      "Lumicor Build No = 0\n", "AddToList SET [Items] B_0 = C:\\TEMP\n",
                                      "GetPrivateProfileString [Items] B_1\n", "Removed 'W|' from the file extension list.\n",
                                      "AddToList SET [Items] B_1 = D:\\\n", "GetPrivateProfileString [Items] B_2\n",
                                      "AddToList GET [Items] B_0 = C:\\TEMP\n", "AddToList GET [Items] B_1 = D:\\\n"}));
  EXPECT_EQ(product_.records().lists[kListODSScanItems], (std::vector<std::string>{"C:\\TEMP", "D:\\"}));
  char beyond[8] = "kept";
  product_.GetItem(kListODSScanItems, beyond, sizeof beyond, 2);  // past the end: nothing copied
  EXPECT_STREQ(beyond, "kept");
  EXPECT_EQ(WordAt(task.data() + 10788), 2u);
  // Only the scan items lose the excluded extension; no key empties the list; counts are stored.
  AddToList(run, kListODSExcludedItems, "Items", "B", task.data());
  EXPECT_EQ(product_.records().lists[kListODSExcludedItems], (std::vector<std::string>{"C:\\TEMP", "W|D:\\"}));
  AddToList(run, kListODSExcludedItems, "Empty", "B", task.data());
  EXPECT_TRUE(product_.records().lists[kListODSExcludedItems].empty());
  EXPECT_EQ(WordAt(task.data() + 10720), 0u);
  // The on-access list keeps no count in any record.
  std::vector<BYTE> record(kODSTaskRecordSize, kUntouched);
  AddToList(run, kListOASExcludedItems, "Items", "B", record.data());
  EXPECT_EQ(record, std::vector<BYTE>(kODSTaskRecordSize, kUntouched));
}

TEST_F(EngineTest, ExtensionListsLoseTheExcludedEntriesUnlessTheProductIs450WithABuild) {
  const struct {
    const char* noExtension;
    const char* version;
    const char* value;
    const char* stored;
  } cases[] = {
      {"W", "4.5.0.0", "W EXE COM", "EXE COM"},   {"W", "4.5.0.0", "EXE COM W", "EXE COM W"},
      {"W", "4.5.0.0", "EXE W DLL W COM", "EXE DLL COM"}, {"W", "4.5.0.0", "EXW COM", "EXW COM"},
      {"COM", "4.5.0.0", "EXE DCOM DLL COM", "EXE DCOM DLL COM"},
      {"COM", "4.5.0.0", "COM EXE DCOM COM DLL", "EXE DCOM DLL"}, {"W", "4.5.0.0", "W W EXE", "EXE"},
      {"W", "4.5.0.12", "W EXE COM", "W EXE COM"}, {"W", "4.6.0.12", "W EXE COM", "EXE COM"},
      {"", "4.6.0.1", "W EXE COM", "W EXE COM"},
  };
  for (const auto& each : cases) {
    UpdateContext& run = Script("[S]\r\next="s + each.value + "\r\n", each.noExtension, each.version);
    char field[kScriptTextBufferSize] = {};
    debug_.Take();
    UpdateFileExtString(run, field, "S", "ext", kAreaAgentCopy);
    EXPECT_STREQ(field, each.stored) << each.version << " " << each.value;
    const std::vector<std::string> lines = debug_.Take();
    const bool removed = std::strcmp(each.value, each.stored) != 0;
    EXPECT_EQ(update_test::CountOf(lines, "Removed '"s + each.noExtension + " ' from the file extension list.\n"),
              removed ? 1 : 0);
    EXPECT_EQ(lines.back(), "[S] ext = "s + each.stored + "\n");
  }
}

TEST_F(EngineTest, TheProductBuildIsReadFromFourNumbersAndTracedOncePerRun) {
  const struct {
    const char* version;
    bool at450;
    int build;
  } cases[] = {{"4.5.0.534", true, 534}, {"4.5.0.0x10", true, 16}, {"4.5.0", false, 0}, {"", false, 0},
               {"4.6.0.7", false, 7},    {"v4.5.0.1", false, 0},   {"04.05.00.010", true, 8}};
  for (const auto& each : cases) {
    UpdateContext run{"", "", each.version, &product_};
    int build = -1;
    EXPECT_EQ(GetProductBuild(run, build), each.at450) << each.version;
    EXPECT_EQ(build, each.build) << each.version;
  }
  for (int runs = 0; runs < 2; ++runs) {
    UpdateContext& run = Script("[S]\r\na=W EXE\r\nb=W COM\r\n", "W", "4.5.0.12");
    debug_.Take();
    char field[kScriptTextBufferSize] = {};
    for (const char* key : {"a", "b"}) UpdateFileExtString(run, field, "S", key, kAreaAgentCopy);
    EXPECT_EQ(debug_.Take(), (std::vector<std::string>{"Lumicor Build No = 12\n", "[S] a = W EXE\n", "[S] b = W COM\n"}));
  }
}

// A script of the given type with one key of each record it may touch.
std::string DriverScript(const char* updateType) {
  std::string script = updateType != nullptr ? "[TARNUPDATE]\r\nUpdateType="s + updateType + "\r\n" : "";
  script += "[CurrentVer]\r\nszDAT=4.0.1\r\n";
  for (const RecordTable* table : {&OASTaskFields, &ODSTaskFields, &UpdateTaskFields, &UpgradeTaskFields}) {
    ForEachField(*table, [&](const char* section, const char* key, FieldType, std::size_t) {
      if (section != nullptr && script.find("["s + section + "]") == std::string::npos) {
        script += "["s + section + "]\r\n"s + key + "=1\r\n";
      }
    });
  }
  return script;
}

TaskRecord TaskOfKind(DWORD kind) {
  TaskRecord task{};
  std::memcpy(task.bytes + kTaskKindOffset, &kind, sizeof kind);
  return task;
}

TEST_F(EngineTest, TheDriverUpdatesTheRecordsOfItsTypeAndCommitsOnlyWhenEveryOneSucceeded) {
  using Records = MemoryProduct::Records;
  const auto none = [](Records&) {};
  const struct {
    const char* updateType;
    std::function<void(Records&)> product;
    ResultCode result;
    bool generalWritten;
  } cases[] = {
      {"OAS", none, kResultSuccess, true},
      {"oas", [](Records& r) { r.optionsReadable = false; }, kResultGetOptionsFailed, false},
      {"OAS", [](Records& r) { r.optionsSize = kOptionsAreaSize + 1; }, kResultSizeMismatch, false},
      {"ODS", [](Records& r) { r.optionsSize = kOptionsAreaSize - 4; }, kResultSizeMismatch, false},
      {"Ods", none, kResultSuccess, true},
      {"ODS", [](Records& r) { r.consoleAnswer = 7; }, kResultGetIFaceFailed, true},
      {"ODS", [](Records& r) { r.odsTask.reset(); }, kResultGetOptionsFailed, true},
      {"SCHEDULE", none, kResultSuccess, false},
      {"schedule", [](Records& r) { r.consoleAnswer = 1; }, kResultBadCommandLine, false},
      {"SCHEDULE", [](Records& r) { r.tasks.erase(r.tasks.begin() + 1); }, kResultUpdateTaskNotFound, false},
      {"SCHEDULE", [](Records& r) { r.tasks.pop_back(); }, kResultUpgradeTaskNotFound, false},
      {"NONE", none, kResultBadCommandLine, false},
      {nullptr, none, kResultBadCommandLine, false},
  };
  for (const auto& each : cases) {
    const std::string label = each.updateType != nullptr ? each.updateType : "(no type)";
    UpdateContext& run = Script(DriverScript(each.updateType));
    Records& records = product_.records();
    records.odsTask = ODSTaskRecord{};
    records.tasks = {TaskOfKind(1), TaskOfKind(kTaskKindUpdate), TaskOfKind(kTaskKindUpgrade)};
    each.product(records);
    const Records before = records;
    EXPECT_EQ(ApplyUpdateScript(run), each.result) << label;
    EXPECT_EQ(records.committed, each.result == kResultSuccess) << label;
    EXPECT_EQ(std::strcmp(reinterpret_cast<const char*>(records.general.data() + 512), "4.0.1") == 0, each.generalWritten)
        << label;
    if (!each.generalWritten) {
      EXPECT_EQ(records.general, before.general) << label;
    }
    EXPECT_EQ(records.oasTask != before.oasTask, each.result == kResultSuccess && label == "OAS") << label;
    const bool schedule = label == "SCHEDULE";
    EXPECT_EQ(std::memcmp(&records.tasks[1], &before.tasks[1], sizeof(TaskRecord)) != 0,
              schedule && each.result != kResultUpdateTaskNotFound) << label;
    EXPECT_EQ(records.strayWrites, 0) << label;
  }
  // Given up on before the commit: nothing is committed.
  UpdateContext& late = Script(DriverScript("OAS"));
  late.mayCommit = [] { return false; };
  EXPECT_EQ(ApplyUpdateScript(late), kResultTimedOut);
  EXPECT_FALSE(product_.records().committed);
  // Options without the general record's address are as good as none.
  UpdateContext& run = Script(DriverScript("OAS"));
  product_.withoutGeneralRecord = true;
  EXPECT_EQ(ApplyUpdateScript(run), kResultGetOptionsFailed);
  EXPECT_EQ(product_.writes, 0);
}

TEST_F(EngineTest, RandomScriptsEndWithADriverResultAndWriteOnlyInsideTheRecords) {
  const std::uint32_t seed = update_test::ScriptSeed();
  SCOPED_TRACE("TARN_SCRIPT_SEED=" + std::to_string(seed));
  update_test::Random random(seed);
  const std::set<int> driverResults = {0, 1, 2, 3, 4, 9, 10};
  std::set<int> seen;
  for (int i = 0; i < 300; ++i) {
    UpdateContext& run = Script(update_test::RandomScript(random), "W", "4.5.0.0");
    MemoryProduct::Records& records = product_.records();
    records.odsTask = ODSTaskRecord{};
    records.tasks = {TaskOfKind(kTaskKindUpdate), TaskOfKind(kTaskKindUpgrade)};
    switch (random() % 8) {
      case 0: records.optionsSize = random() % 100000; break;
      case 1: records.optionsReadable = false; break;
      case 2: product_.faultAtGeneralOffset = GeneralRecordFields.rows[random() % GeneralRecordFields.count].offset; break;
      default: break;
    }
    const ResultCode result = ApplyUpdateScript(run);
    seen.insert(result);
    ASSERT_EQ(driverResults.count(result), 1u) << i;
    EXPECT_EQ(records.committed, result == kResultSuccess) << i;
    EXPECT_EQ(records.strayWrites, 0) << i;
    debug_.Take();
  }
  for (int expected : {0, 1, 2, 3}) EXPECT_EQ(seen.count(expected), 1u) << expected;
}

constexpr std::uint64_t k4Gb = 0x100000000ull;

std::uint64_t AddressOf(const void* at) { return reinterpret_cast<ULONG_PTR>(at); }
void* AtAddress(std::uint64_t address) { return reinterpret_cast<void*>(static_cast<ULONG_PTR>(address)); }

DWORD WINAPI RunThreadWork(LPVOID work) {
  (*static_cast<std::function<void()>*>(work))();
  return 0;
}

// Runs `work` on a new thread whose stack lies above 4 GB, as far as the system lets it: every
// free region below is reserved while the thread is created.
void RunOnHighStack(std::function<void()> work) {
  std::vector<void*> reserved;
  MEMORY_BASIC_INFORMATION region;
  for (std::uint64_t at = 0x10000; at < k4Gb && VirtualQuery(AtAddress(at), &region, sizeof region) != 0;
       at = AddressOf(region.BaseAddress) + region.RegionSize) {
    const std::uint64_t begin = (at + 0xFFFF) & ~0xFFFFull;
    const std::uint64_t end = std::min(AddressOf(region.BaseAddress) + region.RegionSize, k4Gb);
    void* low = region.State == MEM_FREE && begin < end
                    ? VirtualAlloc(AtAddress(begin), end - begin, MEM_RESERVE, PAGE_NOACCESS)
                    : nullptr;
    if (low != nullptr) reserved.push_back(low);
  }
  const KernelHandle thread(CreateThread(nullptr, 0, RunThreadWork, &work, CREATE_SUSPENDED, nullptr));
  for (void* low : reserved) VirtualFree(low, 0, MEM_RELEASE);
  ResumeThread(thread.get());
  WaitForSingleObject(thread.get(), INFINITE);
}

// Texts and byte strings reach the product by their address, from the reader's stack: all of
// it, also above 4 GB.
TEST_F(EngineTest, TextsAndBytesReachTheProductFromAStackAbove4Gb) {
  if (sizeof(void*) == 4) GTEST_SKIP() << "a 32-bit process has no addresses above 4 GB";
  UpdateContext& run = Script("[TARNUPDATE]\r\nUpdateType=OAS\r\n[CurrentVer]\r\nszDAT=4.0.1\r\n"
                              "[EMailActionOptions]\r\nbiMoveToFolderData=414243\r\n");
  ResultCode result = kResultTimedOut;
  std::uint64_t stack = 0;
  RunOnHighStack([&] {
    const char onStack = 0;
    stack = AddressOf(&onStack);
    result = ApplyUpdateScript(run);
  });
  ASSERT_GE(stack, k4Gb) << "the thread's stack lies below 4 GB: nothing was tried";
  EXPECT_EQ(result, kResultSuccess);
  const MemoryProduct::Records& records = product_.records();
  EXPECT_STREQ(reinterpret_cast<const char*>(records.general.data() + 512), "4.0.1");
  EXPECT_EQ(std::string(records.oasTask.begin() + 6476, records.oasTask.begin() + 6480), "ABC\0"s);
}

int* volatile g_nowhere = nullptr;
volatile int g_zero = 0;
volatile bool g_deeper = true;

FrameAction PassOn(EXCEPTION_RECORD*, CONTEXT*, void*) { return FrameAction::kPassOn; }

int Deeper(int depth) {
  volatile char frame[1024];
  frame[0] = static_cast<char>(depth);
  return g_deeper ? Deeper(depth + 1) + frame[0] : frame[0];
}

// A thread of its own: the process's first thread may have no guard page to overflow into.
DWORD WINAPI OverflowsUnderGuard(LPVOID) {
  auto overflow = [] { Deeper(0); };
  DWORD caught = 0;
  for (int i = 0; i < 3; ++i) caught += RunGuarded(overflow) ? 0 : 1;
  return caught;
}

DWORD WINAPI FaultUnderGuard(LPVOID finished) {
  auto work = [] { *g_nowhere = 5; };
  *static_cast<bool*>(finished) = RunGuarded(work);
  return 0;
}

// Exceptions of every kind stop only the guarded work, as often as they happen, and leave the
// thread as it was; guards nest, and each thread has its own.
TEST(FaultGuard, StopsOnlyTheGuardedWorkAndLeavesTheThreadAsItWas) {
  int reached = 0;
  auto accessViolation = [&] { reached += *g_nowhere; };
  auto divideByZero = [&] { reached += 10 / g_zero; };
  auto cppException = [&] { throw std::runtime_error("thrown"); };
  auto foreignException = [&] {  // another compiler's C++ exception: not continuable
    RaiseException(0xE06D7363, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    ++reached;
  };
  auto ownFrame = [&] {  // a product call that has a handler frame of its own, which passes the fault on
    auto fault = [] { *g_nowhere = 2; };
    RunInHandlerFrame(fault, PassOn, nullptr);
  };
  const void* chain = CurrentHandlerChain();
  for (int i = 0; i < 300; ++i) {
    ASSERT_FALSE(RunGuarded(accessViolation) || RunGuarded(divideByZero) || RunGuarded(cppException) ||
                 RunGuarded(foreignException) || RunGuarded(ownFrame)) << i;
    ASSERT_EQ(CurrentHandlerChain(), chain) << i;
  }
  // Each overflow leaves the stack its guard page for the next.
  const KernelHandle overflows(CreateThread(nullptr, 0, OverflowsUnderGuard, nullptr, 0, nullptr));
  DWORD caught = 0;
  ASSERT_EQ(WaitForSingleObject(overflows.get(), 60000), WAIT_OBJECT_0);
  EXPECT_TRUE(GetExitCodeThread(overflows.get(), &caught) && caught == 3) << caught;
  EXPECT_EQ(reached, 0);

  int outerSteps = 0;
  auto outer = [&] {
    auto ends = [] {};
    EXPECT_FALSE(RunGuarded(accessViolation));
    EXPECT_TRUE(RunGuarded(ends));
    ++outerSteps;
    *g_nowhere = 4;  // caught by this guard again, not by one that has ended
    ++outerSteps;
  };
  EXPECT_FALSE(RunGuarded(outer));
  EXPECT_EQ(outerSteps, 1);

  bool finished = true;
  const KernelHandle thread(CreateThread(nullptr, 0, FaultUnderGuard, &finished, 0, nullptr));
  auto here = [&] { EXPECT_EQ(WaitForSingleObject(thread.get(), 10000), WAIT_OBJECT_0); };
  EXPECT_TRUE(RunGuarded(here));
  EXPECT_FALSE(finished);
}

// Work that faults with values on the x87 stack and other rounding modes leaves neither behind.
TEST(FaultGuard, ResumesWithTheFloatingPointStateItStartedWith) {
  unsigned short control = 0;
  unsigned int mxcsr = 0;
  asm volatile("fnstcw %0\n\tstmxcsr %1" : "=m"(control), "=m"(mxcsr));
  auto pendingAndTruncating = [] {
    const unsigned short towardZero = 0x0F7F;
    const unsigned int sseTowardZero = 0x7F80;
    asm volatile("fld1\n\tfld1\n\tfldcw %0\n\tldmxcsr %1" : : "m"(towardZero), "m"(sseTowardZero));
    *g_nowhere = 1;
  };
  for (int i = 0; i < 9; ++i) ASSERT_FALSE(RunGuarded(pendingAndTruncating)) << i;
  unsigned short controlAfter = 0;
  unsigned int mxcsrAfter = 0;
  asm volatile("fnstcw %0\n\tstmxcsr %1" : "=m"(controlAfter), "=m"(mxcsrAfter));
  EXPECT_EQ(controlAfter, control);
  EXPECT_EQ(mxcsrAfter, mxcsr);
  volatile long double x87 = 1.5L;
  EXPECT_EQ(x87 * 3 + 1, 5.5L);
}

}  // namespace
