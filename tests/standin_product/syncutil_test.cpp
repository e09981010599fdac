// The stand-in must not lie to the agent's tests: each call the agent must never make is a protocol error, a field
// write lands at its offset but is state only after SetOptions, the journal holds each call, each fault switch works.
#include <gtest/gtest.h>

#include "foundation/unique_handle.h"
#include "testtools/product_test.h"

namespace {

constexpr DWORD G = kAreaGeneralRecord;
constexpr DWORD O = kAreaOASTaskRecord;
using product_test::State;
using standin::Faults;

// The built library, keeping its state in a folder of the tests' own.
AvSyncGetIFaceFn BuiltGetIFace() {
  static const LoadedModule library(
      (SetEnvironmentVariableA("STANDIN_STATE_DIR", (std::string(std::getenv("TEMP")) + "\\standin-tests").c_str()),
       LoadLibraryA(ProgramBesideTest("SYNCUTIL.DLL").c_str())));
  return FindExport<AvSyncGetIFaceFn>(library.get(), kAvSyncGetIFaceName);
}

// Both interfaces as the agent obtains them, with the options GetOptions hands out.
struct Product {
  Product() { BuiltGetIFace()(AVSIF_MANAGEMENTPORT, &port), port.GetOptions(&options, &size); }
  ~Product() { port.ReleaseIFace(), console.ReleaseIFace != nullptr && console.ReleaseIFace(); }
  BYTE* At(DWORD area, long long at) const { return (area == G ? options.generalRecord : options.oasTaskRecord) + at; }

  ManagementPortTable port = {};
  AvConsoleTable console = {};
  int consoleResult = BuiltGetIFace()(AVSIF_AVCONSOL, &console);
  OptionsBlock options = {};
  DWORD size = 0;
};

BOOL Write(BOOL(WINAPI* set)(const FieldWriteEntry*, DWORD), void* field, DWORD area, ULONG_PTR value, DWORD count = 0) {
  const FieldWriteEntry entry = {field, count, value, area};
  return set(&entry, 1);
}
ULONG_PTR Address(const void* source) { return reinterpret_cast<ULONG_PTR>(source); }

// The journal as "call(interface id or area code)fault ...", a protocol error as <error> after its call.
std::string Calls() {
  std::vector<standin::JournalEntry> journal;
  EXPECT_TRUE(standin::ReadJournal(&journal));
  std::string text;
  for (const standin::JournalEntry& e : journal)
    text += (e.IsProtocolError() ? "<error>" : e.call + "(" + e.Arg("id") + e.Arg("area") + ")" + e.Arg("fault")) + " ";
  return text;
}

struct StandinTest : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(BuiltGetIFace() != nullptr && standin::ResetState()); }
};

TEST_F(StandinTest, WritesBecomeStateOnSetOptionsAndCallsTheAgentMustNeverMakeAreErrors) {
  const char text[] = "D:\\Quarantine\xE9";
  const BYTE bytes[] = {0x0A, 0x00, 0xFF};
  TaskRecord task = {};
  Product p;
  Write(p.port.SetFieldValue, p.At(G, kGeneralRecordExtent - 4), G, 0xDEADBEEF);  // the last bytes of each record
  Write(p.port.SetFieldString, p.At(O, kOASTaskRecordExtent - sizeof text), O, Address(text));
  Write(p.port.SetFieldBytes, p.At(O, 0), O, Address(bytes), sizeof bytes);
  p.options.AddItem(kListOASExcludedItems, "D:\\Builds\\*");
  p.options.RemoveItem(kListODSExcludedItems, 0);
  Write(p.port.SetFieldValue, p.At(G, kGeneralRecordExtent), G, 1);                     // past the record
  Write(p.port.SetFieldString, p.At(O, kOASTaskRecordExtent - 4), O, Address("abcd"));  // its NUL too
  Write(p.port.SetFieldValue, p.At(G, 16), O, 1);  // the other record's address
  Write(p.port.SetFieldValue, p.At(G, 16), kAreaAgentCopy, 1);
  p.port.EnableLC(0);
  p.options.AddItem(3, "C:\\");
  p.options.AddItem(kListODSScanItems, std::string(kItemTextSize, 'x').c_str());
  p.options.RemoveItem(kListODSScanItems, 1);  // of one item
  p.console.GetTask(&task, 5);                 // of five tasks
  EXPECT_TRUE(State().options == standin::DefaultState().options && State().lists == standin::DefaultState().lists);
  p.port.SetOptions();
  p.port.ReleaseIFace(), p.console.ReleaseIFace();
  p.port.StopLC();
  Write(p.port.SetFieldValue, p.At(G, 0), G, 9);
  p.console.SetTask(task, 0);

  const standin::ProductState state = State();
  EXPECT_EQ(state.FieldDword(G, kGeneralRecordExtent - 4), 0xDEADBEEFu);
  EXPECT_EQ(state.FieldText(O, kOASTaskRecordExtent - sizeof text), text);
  EXPECT_EQ(state.FieldBytes(O, 0, sizeof bytes), std::vector<BYTE>(bytes, bytes + sizeof bytes));
  EXPECT_EQ(state.lists[kListOASExcludedItems].back(), "D:\\Builds\\*");
  EXPECT_TRUE(state.lists[kListODSExcludedItems].empty() && state.running);  // nor did the refused StopLC
  EXPECT_EQ(Calls(), "AvSync_GetIFace(4) AvSync_GetIFace(6) GetOptions() SetFieldValue(1) SetFieldString(0) "
                     "SetFieldBytes(0) AddItem() RemoveItem() SetFieldValue(1) <error> SetFieldString(0) <error> "
                     "SetFieldValue(0) <error> SetFieldValue(4) <error> EnableLC() <error> AddItem() <error> "
                     "AddItem() <error> RemoveItem() <error> GetTask() <error> SetOptions() ReleaseIFace(6) "
                     "ReleaseIFace(4) StopLC() <error> SetFieldValue() <error> SetTask() <error> ");
}

// Runs a call on a thread of its own: its exit code, STILL_ACTIVE while it hangs after half a second.
DWORD OnThread(DWORD(WINAPI* call)(void*), Product& p) {
  const KernelHandle thread(CreateThread(nullptr, 0, call, &p, 0, nullptr));
  DWORD code = WaitForSingleObject(thread.get(), 500);
  GetExitCodeThread(thread.get(), &code);
  TerminateThread(thread.get(), 0);
  return code;
}
DWORD WINAPI StopLC(void* p) { return static_cast<Product*>(p)->port.StopLC(); }
// Three writes, of which only the last is at the faulting place; an access violation ends the thread alone.
LONG WINAPI EndThread(EXCEPTION_POINTERS* e) { ExitThread(e->ExceptionRecord->ExceptionCode); }
DWORD WINAPI WriteFields(void* product) {
  SetUnhandledExceptionFilter(EndThread);
  Product& p = *static_cast<Product*>(product);
  Write(p.port.SetFieldValue, p.At(G, 120), G, 1), Write(p.port.SetFieldValue, p.At(O, 124), O, 1);
  return Write(p.port.SetFieldValue, p.At(O, 120), O, 1) ? 0 : 1;
}

TEST_F(StandinTest, EachFaultSwitchMisbehavesOnlyWhenSet) {
  const struct { void (*set)(Faults&); bool (*misbehaves)(); } cases[] = {
      {[](Faults& f) { f.getOptionsFails = true; }, [] { return Product().size == 0; }},
      {[](Faults& f) { f.getOptionsWrongSize = true, f.getOptionsSize = 1; }, [] { return Product().size == 1; }},
      {[](Faults& f) { f.refuseInterface = true, f.refusedInterfaceId = AVSIF_AVCONSOL, f.refuseResult = 7; },
       [] { return Product().consoleResult == 7; }},
      {[](Faults& f) { f.getTaskFails = true; }, [] { TaskRecord t; return !Product().console.GetTask(&t, 1); }},
      {[](Faults& f) { f.setTaskFails = true; },  // and stores nothing
       [] { return !Product().console.SetTask(TaskRecord(), 1) && State().tasks[1].bytes[0] != 0; }},
      {[](Faults& f) { f.getODSTaskFails = true; }, [] { ODSTaskRecord t; return !Product().console.GetODSTask(&t); }},
      {[](Faults& f) { f.hangIn = standin::ControlCall::kStopLC; },
       [] { Product p; return OnThread(StopLC, p) == STILL_ACTIVE && Calls().find("StopLC()hang") != Calls().npos; }},
      {[](Faults& f) { f.crashOnField = true, f.crashArea = O, f.crashOffset = 120; },
       [] { Product p; return OnThread(WriteFields, p) == EXCEPTION_ACCESS_VIOLATION &&
                              Calls().find("SetFieldValue(0) SetFieldValue(0)access violation") != Calls().npos; }},
  };
  for (const auto& each : cases) {
    Faults faults;
    each.set(faults);
    for (const bool set : {false, true}) {
      ASSERT_TRUE(standin::ResetState() && (!set || standin::SetFaults(faults)));
      EXPECT_EQ(each.misbehaves(), set) << "switch " << &each - cases;
    }
  }
}

}  // namespace
