// The schedule of a scheduled task as data: one row per script key, in update order (the
// trailing comment is that order), with the offset inside the 18284-byte TaskRecord and what
// the key means.
#include "update/record_checks.h"
#include "update/record_tables.h"
#include "product_api/sync_library.h"

namespace {

using T = FieldType;

constexpr FieldRow kTaskScheduleRows[] = {
    {nullptr, "bEnabled", T::kBoolean, 6648, "task enabled"},                                       // 1
    {nullptr, "uType", T::kDWord, 4744, "schedule type"},                                           // 2
    {nullptr, "uMonth", T::kDWord, 5152, "month"},                                                  // 3
    {nullptr, "uDate", T::kDWord, 5220, "day of the month"},                                        // 4
    {nullptr, "uYear", T::kDWord, 5288, "year"},                                                    // 5
    {nullptr, "uHour", T::kDWord, 4880, "start hour"},                                              // 6
    {nullptr, "uMinute", T::kDWord, 4948, "start minute"},                                          // 7
    {nullptr, "uWeekdays", T::kDWord, 5016, "days of the week"},                                    // 8
    {nullptr, "dwStartupDelayMins", T::kDWord, 6308, "start-up delay, in minutes"},                 // 9
    {nullptr, "bRandomize", T::kBoolean, 6580, "randomise the start time"},                         // 10
    {nullptr, "dwRandomWndMins", T::kDWord, 6104, "width of the random start window, in minutes"},  // 11
    {nullptr, "uStatus", T::kDWord, 4676, "task status"},                                           // 12
    {nullptr, "bLocked", T::kBoolean, 6784, "task locked"},                                         // 13
    {nullptr, "bAdmin", T::kBoolean, 6716, "administrator flag"},                                   // 14
    {nullptr, "dwPasswordCRC", T::kDWord, 16860,  // 15
     "CRC of the task password, taken as written: the agent computes nothing"},
    {nullptr, "dwPasswordProtect", T::kDWord, 16928, "password protection setting"},                // 16
};

constexpr RecordTable kTaskScheduleTable = MakeTable(kTaskScheduleRows, kTaskRecordSize);

constexpr FieldRow kUpdateTaskRows[] = {{"Update", nullptr, T::kBlock, 0, nullptr, &kTaskScheduleTable}};
constexpr FieldRow kUpgradeTaskRows[] = {{"Upgrade", nullptr, T::kBlock, 0, nullptr, &kTaskScheduleTable}};
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
