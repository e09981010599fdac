// What the record tests share: the tables' fields in update order, scripts that set each of
// them to a value of its own, the bytes those values must leave in a record, and a fixture
// that runs tarnupd.exe against the stand-in product with a patterned options area.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "agent_harness.h"
#include "record_table.h"
#include "standin_state.h"
#include "update_test_support.h"

namespace records_test {

using update_test::JournalOf;

struct Field {
  std::string section;
  std::string key;
  FieldType type;
  std::size_t offset;
};

// The table's fields in update order, block rows expanded under their own section.
std::vector<Field> Flatten(const RecordTable& table);

// A script value and the bytes it stores into its field.
struct FieldValue {
  Field field;
  std::string text;
  std::vector<BYTE> stored;
};

std::vector<BYTE> NumberBytes(DWORD number);
std::vector<BYTE> TextBytes(const std::string& text);  // the text and its terminator

// A value for each field, no two alike, so a field written from the wrong key shows.
std::vector<FieldValue> DistinctValues(const std::vector<Field>& fields);
const FieldValue& ValueOf(const std::vector<FieldValue>& values, const std::string& section, const std::string& key);

// A field named the way the description of its record gives it.
struct KnownField {
  const char* section;
  const char* key;
  std::size_t offset;
};

// Writes bytes into an image at `at`.
void Store(std::vector<BYTE>& image, std::size_t at, const std::vector<BYTE>& bytes);
// (offset, bytes) pairs: what a run should have written into a record.
using Writes = std::vector<std::pair<std::size_t, std::vector<BYTE>>>;
Writes WritesOf(const std::vector<FieldValue>& values);
// The image with the writes made into the record that starts at `base`.
std::vector<BYTE> Written(std::vector<BYTE> image, std::size_t base, const Writes& writes);
// The `count` bytes of an image from `at`.
std::vector<BYTE> Slice(const std::vector<BYTE>& image, std::size_t at, std::size_t count);
// Each known field of the record at `base` holds the value its key was given.
void ExpectKnownFields(const std::vector<BYTE>& image, std::size_t base, const std::vector<FieldValue>& values,
                       const std::vector<KnownField>& known);
// "" when both images are equal, else the first differing offset (from `base`) and bytes.
std::string FirstDifference(const std::vector<BYTE>& expected, const std::vector<BYTE>& actual, std::size_t base = 0);

// An update script, sections in the order first set.
class Script {
 public:
  explicit Script(const std::string& updateType);
  Script& Set(const std::string& section, const std::string& key, const std::string& value);
  Script& SetAll(const std::vector<FieldValue>& values);
  // <stem>_0, <stem>_1, ... for each item, in order.
  Script& SetList(const std::string& section, const std::string& stem, const std::vector<std::string>& items);
  std::string Text() const;

 private:
  std::vector<std::pair<std::string, std::string>> sections_;  // name, "key=value\r\n" lines
};

// From the console's AvSync_GetIFace on: the interface, task and commit calls, each with its
// interface id or task index ("GetTask 3", "ReleaseIFace 4").
std::vector<std::string> ConsoleCalls();

class RecordE2ETest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs LC_UPDATE= with the script; the run must end in time.
  AgentRun RunScript(const Script& script, DWORD timeoutMs = 120000);
  static void ExpectResult(const AgentRun& run, DWORD code);
  static standin::ProductState State();
  static bool HasStatusLine(const AgentRun& run, const std::string& prefix) {
    return update_test::CountStartingWith(run.StatusLines(), prefix) > 0;
  }
};

}  // namespace records_test
