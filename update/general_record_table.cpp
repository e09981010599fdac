// The general record as data: one row per script key of section CurrentVer, in update order,
// with the offset from the start of the record.
#include "update/record_checks.h"
#include "product_api/sync_library.h"
#include "update/record_tables.h"

namespace {

constexpr char kSection[] = "CurrentVer";

constexpr FieldRow kGeneralRecordRows[] = {
    {kSection, "szCurrentVersionNumber", FieldType::kText, 0},
    {kSection, "szDAT", FieldType::kText, 512},
    {kSection, "szECClient", FieldType::kText, 1024},
    {kSection, "szFaxForm", FieldType::kText, 1536},
    {kSection, "szNotifyOneMonth", FieldType::kText, 2048},
    {kSection, "szProductID", FieldType::kText, 2560},
    {kSection, "szSerialNum", FieldType::kText, 3072},
    {kSection, "szSettingsSYS", FieldType::kText, 3584},
    {kSection, "szInstallDir", FieldType::kText, 4096},
    {kSection, "szLangID", FieldType::kText, 4608},
    {kSection, "szNetworkAlertPath", FieldType::kText, 5120},
    {kSection, "szProductLocation", FieldType::kText, 5632},
    {kSection, "szUpdateMsgFile", FieldType::kText, 6144},
    {kSection, "szUpgradeEXE", FieldType::kText, 6656},
    {kSection, "szVirusInfoURL", FieldType::kText, 7168},
    {kSection, "szPalisorMSG", FieldType::kText, 7680},
    {kSection, "szPlsrwin32EXE", FieldType::kText, 8192},
    {kSection, "szWebSupport", FieldType::kText, 8704},
    // 9216..9727: a text the agent neither reads nor writes.
    {kSection, "bNetworkAlert", FieldType::kBoolean, 9728},
    {kSection, "bShowIcon", FieldType::kBoolean, 9732},
    {kSection, "bPalisorEnabled", FieldType::kBoolean, 9736},
    {kSection, "bPlsrMailEnabled", FieldType::kBoolean, 9740},
    {kSection, "dwDelayStartup", FieldType::kDWord, 9744},
    {kSection, "dwLoadSchedulerStartup", FieldType::kDWord, 9748},
    {kSection, "dwLoadLumicorStartup", FieldType::kDWord, 9752},
    {kSection, "dwLoadPalisorStartup", FieldType::kDWord, 9756},
    {kSection, "dwLSound", FieldType::kDWord, 9760},
    {kSection, "dwNotifiedTime", FieldType::kDWord, 9764},
};

constexpr RecordTable kGeneralRecordTable = MakeTable(kGeneralRecordRows, kGeneralRecordExtent);

}  // namespace

const RecordTable GeneralRecordFields = kGeneralRecordTable;
static_assert(FieldCount(kGeneralRecordTable) == 28, "the general record has 28 keys");
static_assert(RowsInside(kGeneralRecordTable) && RowsDisjoint(kGeneralRecordTable),
              "general record fields lie inside the record and apart");
// The fields and the one text the agent leaves alone cover the record without a gap.
constexpr ByteRange kUnwrittenText[] = {{9216, 512}};
static_assert(RowsTile<kGeneralRecordExtent>(kGeneralRecordTable, 0, kUnwrittenText), "general record layout");

