// What the compile-time checks of the tables cannot see: a key read twice, which would write
// one script value into two fields while leaving a field of the record unread.
#include <set>
#include <string>
#include <utility>

#include "oas_record.h"
#include "ods_task.h"
#include "record_test_support.h"
#include "scheduled_tasks.h"

namespace records_test {
namespace {

TEST(RecordTables, NoTableReadsTheSameKeyOfASectionTwice) {
  for (const RecordTable* table : {&OASTaskFields, &ODSTaskFields, &UpdateTaskFields, &UpgradeTaskFields}) {
    std::set<std::pair<std::string, std::string>> seen;
    for (const Field& field : Flatten(*table)) {
      EXPECT_TRUE(seen.insert({field.section, field.key}).second) << "[" << field.section << "] " << field.key;
    }
  }
}

}  // namespace
}  // namespace records_test
