// What every run leaves for the management system: the exit code, ReturnCode and ReturnString
// below the agent key, and the same text as the run's last status line, after the command's own.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
