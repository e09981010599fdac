// The on-demand task record as data: one row per script key, in the order the options are
// updated (the trailing comment is that order), with the offset of the option's value. Every
// value is followed by a 64-byte trailer that only the product knows.

#include "update/record_checks.h"
#include "update/record_tables.h"
#include "product_api/sync_library.h"

namespace {

using T = FieldType;

constexpr FieldRow kODSTaskRows[] = {
    {"ScanOptions", "bAutoStart", T::kBoolean, 0},                                        // 1
    {"ScanOptions", "bAutoExit", T::kBoolean, 68},                                        // 2
    {"ScanOptions", "bAlwaysExit", T::kBoolean, 136},                                     // 3
    {"ScanOptions", "bSkipMemoryScan", T::kBoolean, 204},                                 // 4
    {"ScanOptions", "bSkipBootScan", T::kBoolean, 272},                                   // 5
    {"ScanOptions", "bSkipSplash", T::kBoolean, 340},                                     // 6
    {"ScanOptions", "bConfigurableGuiMode", T::kBoolean, 408},                            // 7
    {"ScanOptions", "dwUIType", T::kDWord, 544},                                          // 8
    {"ScanOptions", "dwPriority", T::kDWord, 612},                                        // 9
    {"ScanOptions", "dwChecksum", T::kDWord, 680, kTakenAsWritten},                       // 10
    {"ScanOptions", "szScanItem", T::kText, 748,                                          // 11
     "one text of its own, apart from the list `[ScanItems]`"},
    {"ScanOptions", "szTaskName", T::kText, 1324},                                        // 12
    {"DetectionOptions", "bScanAllFiles", T::kBoolean, 1900},                             // 13
    {"DetectionOptions", "bScanAllOLE", T::kBoolean, 2240},                               // 14
    {"DetectionOptions", "bScanCompressed", T::kBoolean, 2036},                           // 15
    {"DetectionOptions", "bRemoveAllMacros", T::kBoolean, 2104},                          // 16
    {"DetectionOptions", "bIncludeSubFolders", T::kBoolean, 2308},                        // 17
    {"DetectionOptions", "bProgFileHeuristics", T::kBoolean, 2376},                       // 18
    {"DetectionOptions", "bMacroHeuristics", T::kBoolean, 2444},                          // 19
    {"DetectionOptions", "bDetectTrojans", T::kBoolean, 2512},                            // 20
    {"DetectionOptions", "bDetectJoke", T::kBoolean, 2580},                               // 21
    {"DetectionOptions", "bDetectCorrupted", T::kBoolean, 2716},                          // 22
    {"DetectionOptions", "dwUIType", T::kDWord, 2784},                                    // 23
    {"DetectionOptions", "szProgramExtensions", T::kExtensionText, 2852},                 // 24
    {"DetectionOptions", "szDefaultProgramExtensions", T::kExtensionText, 3428},          // 25
    {"AlertOptions", "bNetworkAlert", T::kBoolean, 4648},                                 // 26
    {"AlertOptions", "bSoundAlert", T::kBoolean, 4716},                                   // 27
    {"AlertOptions", "bAlert", T::kBoolean, 4784},                                        // 28
    {"AlertOptions", "szSuggestMessage", T::kText, 4852},                                 // 29
    {"AlertOptions", "szCustomMessage", T::kText, 5428},                                  // 30
    {"AlertOptions", "szNetworkAlertPath", T::kText, 6004},                               // 31
    {"ActionOptions", "bDisplayMessage", T::kBoolean, 6580},                              // 32
    {"ActionOptions", "bButtonClean", T::kBoolean, 6648},                                 // 33
    {"ActionOptions", "bButtonDelete", T::kBoolean, 6716},                                // 34
    {"ActionOptions", "bButtonExclude", T::kBoolean, 6784},                               // 35
    {"ActionOptions", "bButtonMove", T::kBoolean, 6852},                                  // 36
    {"ActionOptions", "bButtonContinue", T::kBoolean, 6920},                              // 37
    {"ActionOptions", "bButtonStop", T::kBoolean, 6988},                                  // 38
    {"ActionOptions", "dwScanAction", T::kDWord, 7056},                                   // 39
    {"ActionOptions", "dwScanActionButtons", T::kDWord, 7124},                            // 40
    {"ActionOptions", "szMoveToFolder", T::kText, 7192},                                  // 41
    {"ActionOptions", "szCustomMessage", T::kText, 7768},                                 // 42
    {"ReportOptions", "szLogFileName", T::kText, 9092},                                   // 43
    {"ReportOptions", "bLogToFile", T::kBoolean, 8344},                                   // 44
    {"ReportOptions", "bLimitSize", T::kBoolean, 8412},                                   // 45
    {"ReportOptions", "bLogDetection", T::kBoolean, 8480},                                // 46
    {"ReportOptions", "bLogClean", T::kBoolean, 8548},                                    // 47
    {"ReportOptions", "bLogDelete", T::kBoolean, 8616},                                   // 48
    {"ReportOptions", "bLogMove", T::kBoolean, 8684},                                     // 49
    {"ReportOptions", "bLogSettings", T::kBoolean, 8752},                                 // 50
    {"ReportOptions", "bLogSummary", T::kBoolean, 8820},                                  // 51
    {"ReportOptions", "bLogDateTime", T::kBoolean, 8888},                                 // 52
    {"ReportOptions", "bLogUserName", T::kBoolean, 8956},                                 // 53
    {"ReportOptions", "dwMaxKilobytes", T::kDWord, 9024},                                 // 54
    {"SecurityOptions", "bComplainOneMonth", T::kBoolean, 9668},                          // 55
    {"SecurityOptions", "bInheritSecurity", T::kBoolean, 9736},                           // 56
    {"SecurityOptions", "dwComplainYear", T::kDWord, 9804},                               // 57
    {"SecurityOptions", "dwComplainMonth", T::kDWord, 9872},                              // 58
    {"SecurityOptions", "dwComplainDay", T::kDWord, 9940},                                // 59
    {"SecurityOptions", "szAlphaNum", T::kText, 10144},                                   // 60
};

constexpr RecordTable kODSTaskTable = MakeTable(kODSTaskRows, kODSTaskRecordSize);

constexpr std::size_t kTrailerSize = 64;
constexpr std::size_t kExcludedItemsCountOffset = 10720;
constexpr std::size_t kScanItemsCountOffset = 10788;

// Slots the agent leaves as fetched, and the two item-count slots that AddToList fills.
constexpr ByteRange kODSOtherSlots[] = {
    {476, 68},   {1968, 68},  {2172, 68},  {2648, 68}, {4004, 644}, {10008, 136}, {10856, 576},
    {kExcludedItemsCountOffset, 4 + kTrailerSize}, {kScanItemsCountOffset, 4 + kTrailerSize},
};

static_assert(FieldCount(kODSTaskTable) == 60, "the on-demand task has 60 option fields besides its two counts");
static_assert(RowsInside(kODSTaskTable) && RowsDisjoint(kODSTaskTable), "on-demand fields overlap or stick out");
// Each value with its trailer, the unwritten slots and the count slots make up the whole
// record, each byte once: no field reaches into a trailer or an unwritten slot.
static_assert(RowsTile<kODSTaskRecordSize>(kODSTaskTable, kTrailerSize, kODSOtherSlots),
              "on-demand layout has a hole or overlap");

}  // namespace

const RecordTable ODSTaskFields = kODSTaskTable;

const ItemListRow ODSTaskLists[2] = {
    {kListODSExcludedItems, "ExcludedItems", "ExcludedItem", kExcludedItemsCountOffset},  // 61
    {kListODSScanItems, "ScanItems", "ScanItem", kScanItemsCountOffset},                  // 62
};

const ItemListRow* const kAllItemLists[3] = {&OASExcludedItems, &ODSTaskLists[0], &ODSTaskLists[1]};
