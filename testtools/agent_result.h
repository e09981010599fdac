// What every run leaves for the management system: the exit code, ReturnCode and ReturnString
// below the agent key, and the same text as the run's last status line, after the command's own.
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "foundation/run_record.h"

#include "testtools/agent_harness.h"
#include "testtools/test_registry.h"

inline const std::string kSuccess = "[0] Command successful.";

// Runs the agent, which must end within its time.
inline AgentRun RunToEnd(const std::string& arguments, const AgentRunOptions& options = {}) {
  AgentRun run = RunAgent(arguments, options);
  EXPECT_TRUE(run.finished) << arguments;
  return run;
}

inline void ExpectAgentResult(const AgentRun& run, DWORD code, const std::string& text) {
  const std::string resultKey = test_registry::AgentSubkey("TARNUPDATE");
  EXPECT_EQ(run.exitCode, code);
  EXPECT_EQ(test_registry::GetDword(resultKey, "ReturnCode"), code);
  EXPECT_EQ(test_registry::GetString(resultKey, "ReturnString"), text);
  const std::vector<std::string> lines = run.StatusLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), text + "\n");
}

// The status lines between the two start-up lines and the result line.
inline std::vector<std::string> CommandLines(const AgentRun& run) {
  const std::vector<std::string> lines = run.StatusLines();
  return lines.size() < 3 ? std::vector<std::string>{} : std::vector<std::string>(lines.begin() + 2, lines.end() - 1);
}

// The run record below TARNUPDATE, each value of the table by its JSON name as text; every value
// must be there with its type. With `file`, LastRun.json must hold the same, in the table's order
// after schemaVersion, numbers as numbers.
inline std::map<std::string, std::string> RunRecord(bool file = true) {
  const std::string key = test_registry::AgentSubkey("TARNUPDATE");
  std::map<std::string, std::string> record;
  for (const RunRecordField& field : kRunRecordFields) {
    const bool number = field.type == RunRecordType::kNumber;
    const auto dword = test_registry::GetDword(key, field.value);
    record[field.json] = number && dword ? std::to_string(*dword) : test_registry::GetString(key, field.value).value_or("-");
    EXPECT_NE(record[field.json], "-") << field.value;
  }
  if (!file) return record;
  std::ifstream in(kAgentStateFolder + "\\" + kRunRecordFileName, std::ios::binary);
  const nlohmann::ordered_json json = nlohmann::ordered_json::parse(std::istreambuf_iterator<char>(in), {}, nullptr, false);
  EXPECT_FALSE(json.is_discarded());
  if (json.is_discarded()) return record;
  EXPECT_EQ(json.size(), kRunRecordFieldCount + 1);
  auto member = json.begin();
  EXPECT_EQ(json.value("schemaVersion", 0), 1);
  for (const RunRecordField& field : kRunRecordFields) {
    if (++member == json.end()) break;
    EXPECT_EQ(member.key(), field.json);
    EXPECT_EQ(member->is_string() ? member->get<std::string>() : member->dump(), record[field.json]) << field.json;
    EXPECT_EQ(member->is_number(), field.type == RunRecordType::kNumber) << field.json;
  }
  return record;
}
