// The stand-in product's state: its options area with the two records the agent writes, the
// three item lists, the scheduled tasks, the on-demand task and the visible control state.
// The defaults are patterned so a test can tell untouched bytes from written ones.
#pragma once

#include "product_api/sync_library.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace standin {

// Where the records lie inside the options area. The on-access record starts on a round
// boundary after the general record so offsets in a hex dump are easy to read.
constexpr std::size_t kGeneralRecordOffset = 0;
constexpr std::size_t kOASRecordOffset = 0x4000;
static_assert(kGeneralRecordOffset + kGeneralRecordExtent <= kOASRecordOffset, "records overlap");
static_assert(kOASRecordOffset + kOASTaskRecordExtent <= kOptionsAreaSize, "on-access record outside the area");

constexpr std::size_t kListCount = 3;
constexpr std::size_t kMaxItemLength = kItemTextSize - 1;

bool IsRecordArea(DWORD area);
// Start of the record an area code names inside the options area, and the bytes it spans.
// Both are 0 for an unknown area code.
std::size_t RecordOffset(DWORD area);
std::size_t RecordExtent(DWORD area);
const char* AreaName(DWORD area);

struct ProductState {
  ProductState();

  std::vector<BYTE> options;  // kOptionsAreaSize bytes
  std::array<std::vector<std::string>, kListCount> lists;
  std::vector<TaskRecord> tasks;
  std::vector<BYTE> odsTask;  // kODSTaskRecordSize bytes
  bool running = true;
  bool enabled = true;

  // Reads a field of a record; out-of-record requests give 0, "" or fewer bytes.
  DWORD FieldDword(DWORD area, std::size_t offset) const;
  std::string FieldText(DWORD area, std::size_t offset) const;
  std::vector<BYTE> FieldBytes(DWORD area, std::size_t offset, std::size_t count) const;
};

// The state a fresh install (or a reset) has.
ProductState DefaultState();
std::vector<DWORD> DefaultTaskKinds();

// Task records are filled with a pattern that depends on the task's index and never has a
// zero byte; the kind is stored over it at kTaskKindOffset.
BYTE TaskPatternByte(std::size_t taskIndex, std::size_t offset);
TaskRecord PatternedTask(std::size_t taskIndex, DWORD kind);
std::vector<TaskRecord> PatternedTasks(const std::vector<DWORD>& kinds);
void SetTaskKind(TaskRecord* task, DWORD kind);

BYTE ODSPatternByte(std::size_t offset);

}  // namespace standin
