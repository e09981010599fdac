// Hundreds of seeded random scripts through ApplyUpdateScript in this process, against the
// built stand-in library driven as the worker drives it, some with a misbehaving product.
// Every run must end with a ResultCode the driver can give, commit only on 0, write only the
// general record's own fields into area 1, and leave the product's protocol checks clean.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "general_record.h"
#include "process_state.h"
#include "random_scripts.h"
#include "sync_loader.h"
#include "update_driver.h"
#include "update_test_support.h"

namespace {

using update_test::BuiltStandin;
using update_test::CountOf;

constexpr int kScripts = 300;
constexpr ULONGLONG kRunLimitMs = 20000;

const std::set<ResultCode> kDriverResults = {0, 1, 2, 3, 4, 9, 10};

// Some products misbehave: a wrong size, no options, or a fault inside one field write.
standin::Faults RandomFaults(update_test::Random& random) {
  standin::Faults faults;
  switch (random() % 10) {
    case 0:
      faults.getOptionsWrongSize = true;
      faults.getOptionsSize = random() % 2 == 0 ? kOptionsAreaSize + 1 : random() % 100000;
      break;
    case 1:
      faults.getOptionsFails = true;
      break;
    case 2:
    case 3: {
      const FieldRow& row = GeneralRecordFields.rows[random() % GeneralRecordFields.count];
      faults.crashOnField = true;
      faults.crashArea = kAreaGeneralRecord;
      faults.crashOffset = static_cast<DWORD>(row.offset);
      break;
    }
    default:
      break;
  }
  return faults;
}

std::set<long long> GeneralOffsets() {
  std::set<long long> offsets;
  for (std::size_t i = 0; i < GeneralRecordFields.count; ++i) offsets.insert(static_cast<long long>(GeneralRecordFields.rows[i].offset));
  return offsets;
}

// What the worker does around the driver.
ResultCode RunUpdate() {
  if (AvSyncGetIFace(AVSIF_MANAGEMENTPORT, &ManagementPort) != kGetIFaceOk) return -1;
  const ResultCode result = ApplyUpdateScript();
  ManagementPort.ReleaseIFace();
  ManagementPort = {};
  return result;
}

TEST(RandomScripts, EveryRunEndsWithADriverResultAndACleanProtocol) {
  const std::uint32_t seed = update_test::ScriptSeed();
  SCOPED_TRACE("TARN_SCRIPT_SEED=" + std::to_string(seed));
  update_test::Random random(seed);
  const std::set<long long> generalOffsets = GeneralOffsets();
  NoExtensionString = "W";
  ProductVersion = "4.5.0.0";
  std::set<ResultCode> seen;
  for (int i = 0; i < kScripts; ++i) {
    SCOPED_TRACE("script " + std::to_string(i));
    ASSERT_TRUE(BuiltStandin::Reset());
    ASSERT_TRUE(BuiltStandin::Attach());
    ASSERT_TRUE(standin::SetFaults(RandomFaults(random)));
    const update_test::ScriptFile script("random-" + std::to_string(seed) + "-" + std::to_string(i) + ".ini",
                                         update_test::RandomScript(random));
    script.Use();

    // Every fourth run formats its detail lines too.
    std::unique_ptr<update_test::DebugLines> debug(i % 4 == 0 ? new update_test::DebugLines : nullptr);
    const ULONGLONG started = GetTickCount64();
    const ResultCode result = RunUpdate();
    EXPECT_LT(GetTickCount64() - started, kRunLimitMs);
    seen.insert(result);

    ASSERT_EQ(kDriverResults.count(result), 1u) << result;
    std::vector<std::string> errors;
    ASSERT_TRUE(standin::ReadProtocolErrors(&errors));
    ASSERT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(CountOf(update_test::Calls(), "SetOptions"), result == 0 ? 1 : 0);
    for (const standin::JournalEntry& write : update_test::FieldWrites()) {
      if (write.Number("area") == kAreaGeneralRecord) {
        EXPECT_EQ(generalOffsets.count(write.Number("offset")), 1u);
      }
    }
  }
  // The scripts reached every part of the driver.
  for (ResultCode expected : {0, 1, 2, 3}) EXPECT_EQ(seen.count(expected), 1u) << expected;
  NoExtensionString = "";
  ProductVersion = "";
}

}  // namespace
