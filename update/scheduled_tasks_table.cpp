// The schedule of a scheduled task as data: one row per script key, in update order (the
// trailing comment is that order), with the offset inside the 18284-byte TaskRecord.
#include "update/record_checks.h"
#include "update/record_tables.h"
#include "product_api/sync_library.h"

namespace {

using T = FieldType;

constexpr FieldRow kTaskScheduleRows[] = {
    {nullptr, "bEnabled", T::kBoolean, 6648},              // 1
    {nullptr, "uType", T::kDWord, 4744},                   // 2
    {nullptr, "uMonth", T::kDWord, 5152},                  // 3
    {nullptr, "uDate", T::kDWord, 5220},                   // 4
    {nullptr, "uYear", T::kDWord, 5288},                   // 5
    {nullptr, "uHour", T::kDWord, 4880},                   // 6
    {nullptr, "uMinute", T::kDWord, 4948},                 // 7
    {nullptr, "uWeekdays", T::kDWord, 5016},               // 8
    {nullptr, "dwStartupDelayMins", T::kDWord, 6308},      // 9
    {nullptr, "bRandomize", T::kBoolean, 6580},            // 10
    {nullptr, "dwRandomWndMins", T::kDWord, 6104},         // 11
    {nullptr, "uStatus", T::kDWord, 4676},                 // 12
    {nullptr, "bLocked", T::kBoolean, 6784},               // 13
    {nullptr, "bAdmin", T::kBoolean, 6716},                // 14
    {nullptr, "dwPasswordCRC", T::kDWord, 16860},          // 15
    {nullptr, "dwPasswordProtect", T::kDWord, 16928},      // 16
};

constexpr RecordTable kTaskScheduleTable = MakeTable(kTaskScheduleRows, kTaskRecordSize);

constexpr FieldRow kUpdateTaskRows[] = {{"Update", nullptr, T::kBlock, 0, &kTaskScheduleTable}};
constexpr FieldRow kUpgradeTaskRows[] = {{"Upgrade", nullptr, T::kBlock, 0, &kTaskScheduleTable}};
constexpr RecordTable kUpdateTaskTable = MakeTable(kUpdateTaskRows, kTaskRecordSize);
constexpr RecordTable kUpgradeTaskTable = MakeTable(kUpgradeTaskRows, kTaskRecordSize);

static_assert(FieldCount(kTaskScheduleTable) == 16, "a task schedule has 16 keys");
static_assert(RowsInside(kTaskScheduleTable) && RowsDisjoint(kTaskScheduleTable),
              "schedule fields overlap or stick out");
// The kind is how the task was found; the script never changes it.
static_assert(RowsAvoid(kTaskScheduleTable, {kTaskKindOffset, 4}), "a schedule field covers the task kind");
static_assert(RowsInside(kUpdateTaskTable) && RowsInside(kUpgradeTaskTable), "task tables");

}  // namespace

const RecordTable TaskScheduleFields = kTaskScheduleTable;
const RecordTable UpdateTaskFields = kUpdateTaskTable;
const RecordTable UpgradeTaskFields = kUpgradeTaskTable;
