// The fault switches: each must produce exactly the misbehaviour an agent test relies on.
#include "syncutil_fixture.h"

#include "core/unique_handle.h"

namespace standin_test {
namespace {

using FaultTest = SyncutilTest;

void SetFault(void (*change)(standin::Faults&)) {
  standin::Faults faults;
  change(faults);
  ASSERT_TRUE(standin::SetFaults(faults));
}

TEST_F(FaultTest, GetOptionsFailsOrMisreportsItsSize) {
  SetFault([](standin::Faults& f) { f.getOptionsFails = true; });
  {
    ManagementPort port;
    ASSERT_TRUE(port.Obtained());
    EXPECT_FALSE(port.LoadOptions());
  }
  SetFault([](standin::Faults& f) {
    f.getOptionsWrongSize = true;
    f.getOptionsSize = 53784;
  });
  ManagementPort port;
  EXPECT_TRUE(port.LoadOptions());
  EXPECT_EQ(port.size, 53784u);
}

TEST_F(FaultTest, GetIFaceRefusesTheNamedInterface) {
  SetFault([](standin::Faults& f) {
    f.refuseInterface = true;
    f.refusedInterfaceId = AVSIF_AVCONSOL;
    f.refuseResult = 7;
  });
  AvConsoleTable table = {};
  EXPECT_EQ(GetIFace(AVSIF_AVCONSOL, &table), 7);
  EXPECT_EQ(table.GetTask, nullptr);
  ManagementPort port;
  EXPECT_TRUE(port.Obtained());
  ManagementPortTable unknown = {};
  EXPECT_EQ(GetIFace(5, &unknown), kGetIFaceFailed);
  EXPECT_EQ(unknown.GetOptions, nullptr);
}

TEST_F(FaultTest, TaskCallsFail) {
  SetFault([](standin::Faults& f) { f.getTaskFails = f.setTaskFails = f.getODSTaskFails = true; });
  Console console;
  TaskRecord task = standin::PatternedTask(9, kTaskKindUpdate);
  ODSTaskRecord ods;
  EXPECT_FALSE(console.table.GetTask(&task, 1));
  EXPECT_FALSE(console.table.SetTask(task, 1));
  EXPECT_FALSE(console.table.GetODSTask(&ods));
  EXPECT_EQ(State().tasks[1].bytes[0], standin::TaskPatternByte(1, 0)) << "a failed SetTask stored the task";
  EXPECT_TRUE(Errors().empty());
}

DWORD WINAPI CallStopLC(void* table) { return static_cast<ManagementPortTable*>(table)->StopLC(); }

TEST_F(FaultTest, HungControlCallIsJournalledAndLeavesTheLibraryUsable) {
  SetFault([](standin::Faults& f) { f.hangIn = standin::ControlCall::kStopLC; });
  ManagementPort port;
  standin::UniqueHandle thread(CreateThread(nullptr, 0, CallStopLC, &port.table, 0, nullptr));
  ASSERT_TRUE(thread);
  EXPECT_EQ(WaitForSingleObject(thread.Get(), 500), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(LastOf("StopLC").Arg("fault"), "hang");
  EXPECT_TRUE(port.LoadOptions()) << "the hung call holds the library";
  EXPECT_TRUE(State().running);
  TerminateThread(thread.Get(), 0);
}

LONG WINAPI ExitWithExceptionCode(EXCEPTION_POINTERS* exception) {
  TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
  return EXCEPTION_CONTINUE_SEARCH;
}

void WriteField(DWORD area, std::size_t offset) {
  ManagementPort port;
  port.LoadOptions();
  FieldWriteEntry entry = ValueEntry(port.Field(area, offset), area, 1);
  port.table.SetFieldValue(&entry, 1);
}

TEST_F(FaultTest, FieldWriteAtTheNamedPlaceFaults) {
  SetFault([](standin::Faults& f) {
    f.crashOnField = true;
    f.crashArea = kAreaOASTaskRecord;
    f.crashOffset = 120;
  });
  WriteField(kAreaGeneralRecord, 120);
  WriteField(kAreaOASTaskRecord, 124);
  EXPECT_EXIT(
      {
        SetUnhandledExceptionFilter(ExitWithExceptionCode);
        WriteField(kAreaOASTaskRecord, 120);
      },
      ::testing::ExitedWithCode(static_cast<int>(EXCEPTION_ACCESS_VIOLATION)), "");
  // The dying process journalled the write before faulting.
  const standin::JournalEntry last = Journal().back();
  EXPECT_EQ(last.call, "SetFieldValue");
  EXPECT_EQ(last.Number("offset"), 120);
  EXPECT_EQ(last.Arg("fault"), "access violation");
}

TEST(ExportlessLibrary, LacksTheEntryPoint) {
  const HMODULE module = LoadLibraryA((ProgramFolder() + "\\SYNCUTIL_NOEXPORT.DLL").c_str());
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetProcAddress(module, kAvSyncGetIFaceName), nullptr);
  FreeLibrary(module);
}

}  // namespace
}  // namespace standin_test
