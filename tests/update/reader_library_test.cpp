// The readers handing their stores to the stand-in's SYNCUTIL.DLL, loaded into this process
// the way the worker loads it: field-write entries, list rebuilding, and faults raised inside
// the library's field write.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "general_record.h"
#include "process_state.h"
#include "script_readers.h"
#include "sync_loader.h"
#include "update_test_support.h"

namespace {

using standin::JournalEntry;
using update_test::BuiltStandin;
using update_test::CountOf;
using update_test::DebugLines;
using update_test::FieldWrites;
using update_test::JournalOf;
using update_test::PortSession;
using update_test::ScriptFile;

class ReaderLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(BuiltStandin::Reset()) << "SYNCUTIL.DLL beside the test program";
    NoExtensionString = "";
    ProductVersion = "";
  }
  void TearDown() override {
    standin::ClearFaults();
    NoExtensionString = "";
  }

  void Script(const std::string& sections) {
    script_.reset(new ScriptFile(::testing::UnitTest::GetInstance()->current_test_info()->name(), sections));
    script_->Use();
  }

  static std::vector<std::string> ProtocolErrors() {
    std::vector<std::string> errors;
    EXPECT_TRUE(standin::ReadProtocolErrors(&errors));
    return errors;
  }

  DebugLines debug_;
  std::unique_ptr<ScriptFile> script_;
};

TEST_F(ReaderLibraryTest, EachReaderHandsOneEntryWithItsAreaCodeToItsFieldWrite) {
  Script("[G]\r\nflag=2\r\nsize=4294967295\r\ndelay=-3\r\ntext=Lumicor\r\nexts=EXE COM\r\nbytes=0aFF00\r\nnone=\r\n");
  {
    PortSession port;
    ASSERT_TRUE(port.Ok());
    UpdateBoolean(port.General(9728), "G", "flag", kAreaGeneralRecord);
    UpdateUInt(port.OnAccess(100), "G", "size", kAreaOASTaskRecord);
    UpdateDWord(port.General(9744), "G", "delay", kAreaGeneralRecord);
    UpdateString(port.General(512), "G", "text", kAreaGeneralRecord);
    UpdateFileExtString(port.OnAccess(1024), "G", "exts", kAreaOASTaskRecord);
    UpdateByteString(port.OnAccess(2048), "G", "bytes", kAreaOASTaskRecord);
    UpdateByteString(port.OnAccess(4096), "G", "none", kAreaOASTaskRecord);
    UpdateString(port.General(0), "G", "absent", kAreaGeneralRecord);
  }
  const std::vector<JournalEntry> writes = FieldWrites();
  ASSERT_EQ(writes.size(), 7u);
  const struct {
    const char* call;
    long long area;
    long long offset;
    long long count;
  } expected[] = {{"SetFieldValue", 1, 9728, 0},  {"SetFieldValue", 0, 100, 0},  {"SetFieldValue", 1, 9744, 0},
                  {"SetFieldString", 1, 512, 0},  {"SetFieldString", 0, 1024, 0}, {"SetFieldBytes", 0, 2048, 3},
                  {"SetFieldBytes", 0, 4096, 0}};
  for (std::size_t i = 0; i < writes.size(); ++i) {
    EXPECT_EQ(writes[i].call, expected[i].call) << i;
    EXPECT_EQ(writes[i].Number("area"), expected[i].area) << i;
    EXPECT_EQ(writes[i].Number("offset"), expected[i].offset) << i;
    EXPECT_EQ(writes[i].Number("count"), expected[i].count) << i;
  }
  EXPECT_EQ(writes[0].Number("value"), 2);
  EXPECT_EQ(writes[1].Number("value"), 0xFFFFFFFFLL);
  EXPECT_EQ(writes[2].Number("value"), 0xFFFFFFFDLL);
  EXPECT_EQ(writes[3].Arg("text"), "Lumicor");
  EXPECT_EQ(writes[4].Arg("text"), "EXE COM");
  EXPECT_EQ(writes[5].BytesArg("bytes"), (std::vector<BYTE>{0x0A, 0xFF, 0x00}));
  EXPECT_TRUE(ProtocolErrors().empty());
  // Nothing is committed by a reader: only SetOptions does that.
  standin::ProductState state;
  ASSERT_TRUE(standin::ReadState(&state));
  EXPECT_EQ(state.FieldDword(kAreaGeneralRecord, 9728), standin::DefaultState().FieldDword(kAreaGeneralRecord, 9728));
}

struct FaultCase {
  void (*reader)(void*, const char*, const char*, DWORD);
  const char* key;
  std::size_t offset;
  const char* exceptionLine;
};

TEST_F(ReaderLibraryTest, AFaultInsideTheFieldWriteIsTracedAndTheNextKeyGoesOn) {
  Script("[G]\r\nb=1\r\nu=2\r\nd=3\r\ns=text\r\ne=EXE\r\nx=0102\r\nafter=4\r\n");
  const FaultCase cases[] = {
      {UpdateBoolean, "b", 9728, "UpdateBoolean Exception [G] b\n"},
      {UpdateUInt, "u", 9732, "UpdateUInt Exception [G] u\n"},
      {UpdateDWord, "d", 9736, "UpdateDWord Exception\n"},
      {UpdateString, "s", 0, "UpdateString Exception [G] s\n"},
      {UpdateFileExtString, "e", 512, "UpdateFileExtString Exception [G] e\n"},
      {UpdateByteString, "x", 1024, "UpdateByteString Exception [G] x\n"},
  };
  for (const FaultCase& each : cases) {
    standin::Faults faults;
    faults.crashOnField = true;
    faults.crashArea = kAreaGeneralRecord;
    faults.crashOffset = static_cast<DWORD>(each.offset);
    ASSERT_TRUE(standin::SetFaults(faults));
    debug_.Take();
    PortSession port;
    ASSERT_TRUE(port.Ok());
    each.reader(port.General(each.offset), "G", each.key, kAreaGeneralRecord);
    UpdateDWord(port.General(9764), "G", "after", kAreaGeneralRecord);
    EXPECT_EQ(debug_.Take(), (std::vector<std::string>{each.exceptionLine, "[G] after = 4\n"})) << each.key;
  }
  // Every faulting write reached the library, and so did each write after it.
  const std::vector<JournalEntry> writes = FieldWrites();
  ASSERT_EQ(writes.size(), 12u);
  for (std::size_t i = 0; i < writes.size(); i += 2) {
    EXPECT_EQ(writes[i].Arg("fault"), "access violation") << i;
    EXPECT_EQ(writes[i + 1].Number("offset"), 9764) << i;
  }
}

TEST_F(ReaderLibraryTest, ListsAreRebuiltUpToTheFirstMissingNumber) {
  Script("[Items]\r\nB_0=C:\\TEMP\r\nB_1=D:\\\r\nB_3=never read\r\n[Empty]\r\n");
  std::vector<BYTE> task(kODSTaskRecordSize, 0xAA);
  int before = 0;
  {
    PortSession port;
    ASSERT_TRUE(port.Ok());
    for (const char* item : {"old 1", "old 2", "old 3"}) port.Block().AddItem(kListODSExcludedItems, item);
    before = port.Block().GetItemCount(kListODSExcludedItems);
    debug_.Take();
    AddToList(port.Block(), kListODSExcludedItems, "Items", "B", task.data());
    ManagementPort.SetOptions();
  }
  const std::vector<std::string> lines = debug_.Take();
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "RemoveAllFromList Count = " + std::to_string(before) + "\n", "GetPrivateProfileString [Items] B_0\n",
                       "AddToList SET [Items] B_0 = C:\\TEMP\n", "GetPrivateProfileString [Items] B_1\n",
                       "AddToList SET [Items] B_1 = D:\\\n", "GetPrivateProfileString [Items] B_2\n",
                       "AddToList GET [Items] B_0 = C:\\TEMP\n", "AddToList GET [Items] B_1 = D:\\\n"}));
  // Removed last first.
  const std::vector<JournalEntry> removed = JournalOf("RemoveItem");
  ASSERT_EQ(removed.size(), static_cast<std::size_t>(before));
  for (int i = 0; i < before; ++i) EXPECT_EQ(removed[i].Number("index"), before - 1 - i);
  DWORD count = 0;
  std::memcpy(&count, task.data() + 10720, sizeof count);
  EXPECT_EQ(count, 2u);
  standin::ProductState state;
  ASSERT_TRUE(standin::ReadState(&state));
  EXPECT_EQ(state.lists[kListODSExcludedItems], (std::vector<std::string>{"C:\\TEMP", "D:\\"}));
  EXPECT_TRUE(ProtocolErrors().empty());
}

TEST_F(ReaderLibraryTest, AListWithoutKeysEmptiesTheProductListAndStoresCountZero) {
  Script("[Empty]\r\nOther=1\r\n");
  std::vector<BYTE> task(kODSTaskRecordSize, 0xAA);
  PortSession port;
  ASSERT_TRUE(port.Ok());
  port.Block().AddItem(kListODSScanItems, "*.EXE");
  AddToList(port.Block(), kListODSScanItems, "Empty", "ScanItem", task.data());
  AddToList(port.Block(), kListODSExcludedItems, "Empty", "ExcludedItem", task.data());
  DWORD scanCount = 1;
  DWORD excludedCount = 1;
  std::memcpy(&scanCount, task.data() + 10788, sizeof scanCount);
  std::memcpy(&excludedCount, task.data() + 10720, sizeof excludedCount);
  EXPECT_EQ(scanCount, 0u);
  EXPECT_EQ(excludedCount, 0u);
  EXPECT_EQ(port.Block().GetItemCount(kListODSScanItems), 0);

  // The on-access list keeps no count in any record.
  std::vector<BYTE> untouched(kODSTaskRecordSize, 0xAA);
  AddToList(port.Block(), kListOASExcludedItems, "Empty", "ExcludedItem", untouched.data());
  EXPECT_EQ(untouched, std::vector<BYTE>(kODSTaskRecordSize, 0xAA));
}

TEST_F(ReaderLibraryTest, ScanItemsLoseTheNoExtensionEntriesWithTheirBar) {
  NoExtensionString = "W";
  ProductVersion = "4.5.0.0";
  Script("[Scan]\r\nItem_0=W|EXE|COM\r\nItem_1=EXE|W\r\n[Excl]\r\nItem_0=W|EXE\r\n");
  PortSession port;
  ASSERT_TRUE(port.Ok());
  AddToList(port.Block(), kListODSScanItems, "Scan", "Item", nullptr);
  AddToList(port.Block(), kListODSExcludedItems, "Excl", "Item", nullptr);
  char item[kItemTextSize] = {};
  port.Block().GetItem(kListODSScanItems, item, kItemTextSize, 0);
  EXPECT_STREQ(item, "EXE|COM");
  port.Block().GetItem(kListODSScanItems, item, kItemTextSize, 1);
  EXPECT_STREQ(item, "EXE|W");
  port.Block().GetItem(kListODSExcludedItems, item, kItemTextSize, 0);
  EXPECT_STREQ(item, "W|EXE");  // only the scan items are filtered
  EXPECT_EQ(CountOf(debug_.Take(), "Removed 'W|' from the file extension list.\n"), 1);
}

}  // namespace

namespace {

int g_fieldWrites = 0;

BOOL WINAPI OptionsWithoutRecords(OptionsBlock* block, DWORD* size) {
  *block = OptionsBlock{};
  *size = kOptionsAreaSize;
  return TRUE;
}

BOOL WINAPI CountFieldWrite(const FieldWriteEntry*, DWORD) {
  ++g_fieldWrites;
  return TRUE;
}

// A product that reports the right size but no record address gets no field write.
TEST(GeneralRecord, AnOptionsBlockWithoutTheRecordCountsAsFailedGetOptions) {
  ManagementPort = {};
  ManagementPort.GetOptions = OptionsWithoutRecords;
  ManagementPort.SetFieldString = CountFieldWrite;
  ManagementPort.SetFieldValue = CountFieldWrite;
  update_test::ScriptFile script("no-record", "[CurrentVer]\r\nszDAT=1\r\nbShowIcon=1\r\n");
  script.Use();
  EXPECT_EQ(UpdateGeneralRecord(), kResultGetOptionsFailed);
  EXPECT_EQ(g_fieldWrites, 0);
  ManagementPort = {};
}

}  // namespace
