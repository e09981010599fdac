#include "update/report_block.h"

#include "update/record_checks.h"

// Twelve fields, side by side, filling the whole block.
static_assert(FieldCount(ReportBlock) == 12, "ReportBlock has twelve keys");
static_assert(RowsInside(ReportBlock) && RowsDisjoint(ReportBlock), "ReportBlock fields overlap or stick out");
static_assert(RowsTile<kReportBlockSize>(ReportBlock), "ReportBlock leaves a byte unaccounted for");
