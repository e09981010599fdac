#include "testtools/update_test_support.h"

#include <fstream>

#include "foundation/trace_log.h"
#include "testtools/agent_harness.h"

namespace update_test {
namespace {

std::vector<std::string> g_debugLines;
int* volatile g_nowhere = nullptr;

LONG CALLBACK CollectDebugText(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* record = info->ExceptionRecord;
  if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2 &&
      record->ExceptionInformation[1] != 0) {
    g_debugLines.emplace_back(reinterpret_cast<const char*>(record->ExceptionInformation[1]));
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

ScriptFile::ScriptFile(const std::string& name, const std::string& content)
    : path_(TemporaryPath("tarn-update-" + std::to_string(GetCurrentProcessId()) + "-" + name)) {
  std::ofstream(path_, std::ios::binary) << content;
}

ScriptFile::~ScriptFile() { DeleteFileA(path_.c_str()); }

DebugLines::DebugLines() : handler_(AddVectoredExceptionHandler(1, CollectDebugText)) {
  g_debugLines.clear();
  DebugOutput = 1;
}

DebugLines::~DebugLines() {
  DebugOutput = 0;
  if (handler_ != nullptr) RemoveVectoredExceptionHandler(handler_);
}

std::vector<std::string> DebugLines::Take() {
  std::vector<std::string> lines;
  lines.swap(g_debugLines);
  return lines;
}

int CountOf(const std::vector<std::string>& lines, const std::string& line) {
  int count = 0;
  for (const std::string& each : lines) count += each == line ? 1 : 0;
  return count;
}

BOOL RecordingProduct::GetOptions(OptionsBlock* block, DWORD* size) {
  const BOOL fetched = MemoryProduct::GetOptions(block, size);
  if (withoutGeneralRecord) block->generalRecord = nullptr;
  return fetched;
}

void RecordingProduct::SetFieldValue(const FieldWriteEntry& entry) {
  Take(entry);
  MemoryProduct::SetFieldValue(entry);
}

void RecordingProduct::SetFieldString(const FieldWriteEntry& entry) {
  Take(entry);
  MemoryProduct::SetFieldString(entry);
}

void RecordingProduct::SetFieldBytes(const FieldWriteEntry& entry) {
  Take(entry);
  MemoryProduct::SetFieldBytes(entry);
}

void RecordingProduct::Take(const FieldWriteEntry& entry) {
  ++writes;
  const BYTE* field = static_cast<const BYTE*>(entry.field);
  if (faultAtGeneralOffset >= 0 && field == records().general.data() + faultAtGeneralOffset) *g_nowhere = 1;
}

}  // namespace update_test
