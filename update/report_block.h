// The layout of a report section, shared by the on-access scanner's ReportOptions and the
// EMailReportOptions and DownloadReportOptions of its companion scanners. Offsets are from
// the start of the block; a block row of a record table places it and names the section.
// Defined here, not in a .cpp, so that record tables can check their block rows at compile
// time.
#pragma once

#include "update/record_table.h"

inline constexpr std::size_t kReportBlockSize = 556;

inline constexpr FieldRow kReportBlockRows[] = {
    {nullptr, "szLogFileName", FieldType::kText, 0},
    {nullptr, "bLogToFile", FieldType::kBoolean, 512},
    {nullptr, "bLimitSize", FieldType::kBoolean, 516},
    {nullptr, "bLogDetection", FieldType::kBoolean, 520},
    {nullptr, "bLogClean", FieldType::kBoolean, 524},
    {nullptr, "bLogDelete", FieldType::kBoolean, 528},
    {nullptr, "bLogMove", FieldType::kBoolean, 532},
    {nullptr, "bLogSettings", FieldType::kBoolean, 536},
    {nullptr, "bLogSummary", FieldType::kBoolean, 540},
    {nullptr, "bLogDateTime", FieldType::kBoolean, 544},
    {nullptr, "bLogUserName", FieldType::kBoolean, 548},
    {nullptr, "uMaxKilobytes", FieldType::kUInt, 552},
};

inline constexpr RecordTable ReportBlock = MakeTable(kReportBlockRows, kReportBlockSize);
