// What every run leaves for the management system: the exit code, ReturnCode and ReturnString
// below the agent key, and the same text as the run's last status line.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "testtools/agent_harness.h"
#include "testtools/test_registry.h"

inline void ExpectAgentResult(const AgentRun& run, DWORD code, const std::string& text) {
  const std::string resultKey = test_registry::AgentSubkey("TARNUPDATE");
  EXPECT_EQ(run.exitCode, code);
  EXPECT_EQ(test_registry::GetDword(resultKey, "ReturnCode"), code);
  EXPECT_EQ(test_registry::GetString(resultKey, "ReturnString"), text);
  const std::vector<std::string> lines = run.StatusLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), text + "\n");
}
