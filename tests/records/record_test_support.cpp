#include "record_test_support.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "core/state_file.h"
#include "test_registry.h"

namespace records_test {
namespace {

void FlattenInto(const RecordTable& table, std::size_t base, const char* blockSection, std::vector<Field>& fields) {
  for (std::size_t i = 0; i < table.count; ++i) {
    const FieldRow& row = table.rows[i];
    const char* section = blockSection != nullptr ? blockSection : row.section;
    if (row.type == FieldType::kBlock) {
      FlattenInto(*row.block, base + row.offset, row.section, fields);
    } else {
      fields.push_back({section, row.key, row.type, base + row.offset});
    }
  }
}

std::string Hex(const std::vector<BYTE>& bytes) {
  std::string text;
  char pair[3];
  for (BYTE byte : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", byte);
    text += pair;
  }
  return text;
}

}  // namespace

std::vector<Field> Flatten(const RecordTable& table) {
  std::vector<Field> fields;
  FlattenInto(table, 0, nullptr, fields);
  return fields;
}

std::vector<BYTE> NumberBytes(DWORD number) {
  return {static_cast<BYTE>(number), static_cast<BYTE>(number >> 8), static_cast<BYTE>(number >> 16),
          static_cast<BYTE>(number >> 24)};
}

std::vector<BYTE> TextBytes(const std::string& text) {
  std::vector<BYTE> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

std::vector<FieldValue> DistinctValues(const std::vector<Field>& fields) {
  std::vector<FieldValue> values;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const Field& field = fields[i];
    FieldValue value{field, {}, {}};
    const DWORD number = static_cast<DWORD>(1000 + 7 * i);
    switch (field.type) {
      case FieldType::kText:
        value.text = field.section + "." + field.key + " #" + std::to_string(i);
        value.stored = TextBytes(value.text);
        break;
      case FieldType::kExtensionText:
        value.text = "EXE COM X" + std::to_string(i);
        value.stored = TextBytes(value.text);
        break;
      case FieldType::kBytes:
        value.stored = {static_cast<BYTE>(i), 0xA5, 0x00, 0x5A, static_cast<BYTE>(0xF0 ^ i)};
        value.text = Hex(value.stored);
        break;
      default:
        value.text = std::to_string(number);
        value.stored = NumberBytes(number);
        break;
    }
    values.push_back(value);
  }
  return values;
}

const FieldValue& ValueOf(const std::vector<FieldValue>& values, const std::string& section, const std::string& key) {
  for (const FieldValue& value : values) {
    if (value.field.section == section && value.field.key == key) return value;
  }
  ADD_FAILURE() << "no field [" << section << "] " << key;
  static const FieldValue kNone{};
  return kNone;
}

void Store(std::vector<BYTE>& image, std::size_t at, const std::vector<BYTE>& bytes) {
  for (std::size_t i = 0; i < bytes.size() && at + i < image.size(); ++i) image[at + i] = bytes[i];
}

Writes WritesOf(const std::vector<FieldValue>& values) {
  Writes writes;
  for (const FieldValue& value : values) writes.emplace_back(value.field.offset, value.stored);
  return writes;
}

std::vector<BYTE> Written(std::vector<BYTE> image, std::size_t base, const Writes& writes) {
  for (const auto& write : writes) Store(image, base + write.first, write.second);
  return image;
}

std::vector<BYTE> Slice(const std::vector<BYTE>& image, std::size_t at, std::size_t count) {
  if (at > image.size()) return {};
  return std::vector<BYTE>(image.begin() + at, image.begin() + std::min(image.size(), at + count));
}

void ExpectKnownFields(const std::vector<BYTE>& image, std::size_t base, const std::vector<FieldValue>& values,
                       const std::vector<KnownField>& known) {
  for (const KnownField& field : known) {
    const std::vector<BYTE>& stored = ValueOf(values, field.section, field.key).stored;
    EXPECT_EQ(Slice(image, base + field.offset, stored.size()), stored)
        << "[" << field.section << "] " << field.key << " at " << field.offset;
  }
}

std::string FirstDifference(const std::vector<BYTE>& expected, const std::vector<BYTE>& actual, std::size_t base) {
  if (expected.size() != actual.size()) {
    return "sizes differ: " + std::to_string(expected.size()) + " and " + std::to_string(actual.size());
  }
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] != actual[i]) {
      char text[128];
      const long offset = static_cast<long>(i) - static_cast<long>(base);
      std::snprintf(text, sizeof text, "offset %ld: expected %02X, found %02X", offset, expected[i], actual[i]);
      return text;
    }
  }
  return "";
}

Script::Script(const std::string& updateType) { Set("TARNUPDATE", "UpdateType", updateType); }

Script& Script::Set(const std::string& section, const std::string& key, const std::string& value) {
  const std::string line = key + "=" + value + "\r\n";
  for (auto& entry : sections_) {
    if (entry.first == section) {
      entry.second += line;
      return *this;
    }
  }
  sections_.emplace_back(section, line);
  return *this;
}

Script& Script::SetAll(const std::vector<FieldValue>& values) {
  for (const FieldValue& value : values) Set(value.field.section, value.field.key, value.text);
  return *this;
}

Script& Script::SetList(const std::string& section, const std::string& stem, const std::vector<std::string>& items) {
  for (std::size_t i = 0; i < items.size(); ++i) Set(section, stem + "_" + std::to_string(i), items[i]);
  return *this;
}

std::string Script::Text() const {
  std::string text;
  for (const auto& entry : sections_) text += "[" + entry.first + "]\r\n" + entry.second;
  return text;
}

std::vector<std::string> ConsoleCalls() {
  const std::vector<standin::JournalEntry> journal = update_test::Journal();
  const std::set<std::string> shown = {"AvSync_GetIFace", "ReleaseIFace", "GetTaskCount", "GetTask",
                                       "SetTask",         "GetODSTask",   "SetODSTask",   "SetOptions"};
  std::vector<std::string> calls;
  bool console = false;
  for (const standin::JournalEntry& entry : journal) {
    console = console || (entry.call == "AvSync_GetIFace" && entry.Number("id") == AVSIF_AVCONSOL);
    if (!console || shown.count(entry.call) == 0) continue;
    const char* detail = entry.Has("id") ? "id" : entry.Has("index") ? "index" : nullptr;
    calls.push_back(detail != nullptr ? entry.call + " " + entry.Arg(detail) : entry.call);
  }
  return calls;
}

void RecordE2ETest::SetUp() {
  test_registry::DeleteTree(kAgentKeyPath);
  ASSERT_TRUE(standin::ResetState());
  // A fresh options area is all zeros; a pattern shows any byte written that should not be.
  ASSERT_TRUE(standin::UpdateState([](standin::ProductState& state) {
    for (std::size_t i = 0; i < state.options.size(); ++i) state.options[i] = static_cast<BYTE>(0x21 + i * 7 % 0xDB);
    return true;
  }));
}

void RecordE2ETest::TearDown() {
  standin::ClearFaults();
  test_registry::DeleteTree(kAgentKeyPath);
}

AgentRun RecordE2ETest::RunScript(const Script& script, DWORD timeoutMs) {
  const update_test::ScriptFile file(::testing::UnitTest::GetInstance()->current_test_info()->name() +
                                     std::string(".ini"),
                                     script.Text());
  AgentRunOptions options;
  options.timeoutMs = timeoutMs;
  AgentRun run = RunAgent("LC_UPDATE=" + file.Path(), options);
  EXPECT_TRUE(run.finished);
  return run;
}

void RecordE2ETest::ExpectResult(const AgentRun& run, DWORD code) {
  EXPECT_EQ(run.exitCode, code);
  EXPECT_EQ(test_registry::GetDword(test_registry::AgentSubkey("TARNUPDATE"), "ReturnCode"), code);
}

standin::ProductState RecordE2ETest::State() {
  standin::ProductState state;
  EXPECT_TRUE(standin::ReadState(&state));
  return state;
}

}  // namespace records_test
