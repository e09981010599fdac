// The product's interface, number by number, as its documentation gives it. The agent and the
// stand-in both build from product_api/sync_library.h, so a wrong number there is wrong on both
// sides and no end-to-end test sees it; this table states each one a second time, by hand.
#include <gtest/gtest.h>

#include "foundation/unique_handle.h"
#include "product_api/sync_library.h"
#include "testtools/agent_harness.h"

#include <cstddef>

namespace {

// A word of the interface: 32 bits in what ships, a pointer's width in the 64-bit test vehicle.
constexpr std::size_t W = sizeof(void*);

#define AT(record, member) #record "." #member, offsetof(record, member)

const struct {
  const char* name;
  std::size_t ours;
  std::size_t documented;
} kContract[] = {
    {"AVSIF_AVCONSOL", AVSIF_AVCONSOL, 4},
    {"AVSIF_MANAGEMENTPORT", AVSIF_MANAGEMENTPORT, 6},
    {"kGetIFaceOk", kGetIFaceOk, 0},
    {"kGetIFaceFailed", kGetIFaceFailed, 1},
    {"kOptionsAreaSize", kOptionsAreaSize, 53788},
    {"kAreaOASTaskRecord", kAreaOASTaskRecord, 0},
    {"kAreaGeneralRecord", kAreaGeneralRecord, 1},
    {"kAreaAgentCopy", kAreaAgentCopy, 4},
    {"kListODSExcludedItems", kListODSExcludedItems, 0},
    {"kListODSScanItems", kListODSScanItems, 1},
    {"kListOASExcludedItems", kListOASExcludedItems, 2},
    {"kGeneralRecordExtent", kGeneralRecordExtent, 9764 + 4},
    {"kOASTaskRecordExtent", kOASTaskRecordExtent, 19076 + 4},
    {"kItemTextSize", kItemTextSize, 512},
    {"TaskRecord", sizeof(TaskRecord), 18284},
    {"kTaskKindOffset", kTaskKindOffset, 4812},
    {"kTaskKindUpdate", kTaskKindUpdate, 2},
    {"kTaskKindUpgrade", kTaskKindUpgrade, 3},
    {"ODSTaskRecord", sizeof(ODSTaskRecord), 11432},
    {"FieldWriteEntry", sizeof(FieldWriteEntry), 4 * W},
    {AT(FieldWriteEntry, field), 0 * W},
    {AT(FieldWriteEntry, count), 1 * W},
    {AT(FieldWriteEntry, value), 2 * W},
    {AT(FieldWriteEntry, area), 3 * W},
    {"OptionsBlock", sizeof(OptionsBlock), 9 * W},
    {AT(OptionsBlock, generalRecord), 1 * W},
    {AT(OptionsBlock, oasTaskRecord), 2 * W},
    {AT(OptionsBlock, AddItem), 4 * W},
    {AT(OptionsBlock, RemoveItem), 5 * W},
    {AT(OptionsBlock, GetItem), 7 * W},
    {AT(OptionsBlock, GetItemCount), 8 * W},
    {"ManagementPortTable", sizeof(ManagementPortTable), 16 * W},
    {AT(ManagementPortTable, GetOptions), 0 * W},
    {AT(ManagementPortTable, StartLC), 1 * W},
    {AT(ManagementPortTable, StopLC), 2 * W},
    {AT(ManagementPortTable, EnableLC), 3 * W},
    {AT(ManagementPortTable, DisableLC), 4 * W},
    {AT(ManagementPortTable, SetOptions), 5 * W},
    {AT(ManagementPortTable, ReleaseIFace), 7 * W},
    {AT(ManagementPortTable, SetFieldString), 8 * W},
    {AT(ManagementPortTable, SetFieldValue), 9 * W},
    {AT(ManagementPortTable, SetFieldBytes), 10 * W},
    {"AvConsoleTable", sizeof(AvConsoleTable), 14 * W},
    {AT(AvConsoleTable, ReleaseIFace), 1 * W},
    {AT(AvConsoleTable, GetTaskCount), 3 * W},
    {AT(AvConsoleTable, SetTask), 5 * W},
    {AT(AvConsoleTable, GetTask), 8 * W},
    {AT(AvConsoleTable, GetODSTask), 9 * W},
    {AT(AvConsoleTable, SetODSTask), 10 * W},
};

#undef AT

TEST(ProductContract, EveryNumberAndTheExportAreAsDocumented) {
  for (const auto& row : kContract) {
    EXPECT_EQ(row.ours, row.documented) << row.name;
  }
  EXPECT_STREQ(kAvSyncGetIFaceName, "AvSync_GetIFace");
  // The stand-in's own export table, which its .def file names apart from the header.
  const LoadedModule library(LoadLibraryA(ProgramBesideTest("SYNCUTIL.DLL").c_str()));
  EXPECT_NE(GetProcAddress(library.get(), "AvSync_GetIFace"), nullptr);
}

}  // namespace
