// What the end-to-end tests share about the installed stand-in product: its state and journal
// read, and its fault switches set, apart from the agent; and a test that starts and ends clean.
// Header only: a test program that includes it links standin_state.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "standin_product/core/state_file.h"
#include "standin_product/standin_state.h"
#include "testtools/agent_result.h"

namespace product_test {

// Where the product keeps its version for the agent's start-up line.
const std::string kProductKey = "Software\\Velmora\\Brask\\Lumicor";

inline standin::ProductState State() {
  standin::ProductState state;
  EXPECT_TRUE(standin::ReadState(&state));
  return state;
}

// The name of each call the product received since the last reset, in order.
inline std::vector<std::string> Calls() {
  std::vector<standin::JournalEntry> journal;
  EXPECT_TRUE(standin::ReadJournal(&journal));
  std::vector<std::string> calls;
  for (const standin::JournalEntry& entry : journal) calls.push_back(entry.call);
  return calls;
}

// The switches `change` turns on, taken by the product when an interface is next obtained.
inline void SetFaults(const std::function<void(standin::Faults&)>& change) {
  standin::Faults faults;
  change(faults);
  ASSERT_TRUE(standin::SetFaults(faults));
}

// Starts and ends without the agent's settings and results or the product's version, and with a
// fresh product (which has no faults).
class ProductTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    test_registry::DeleteTree(kAgentKeyPath);
    test_registry::DeleteTree(kAgentPolicyKeyPath);
    test_registry::DeleteTree(kProductKey);
    ASSERT_TRUE(standin::ResetState());
  }
};

}  // namespace product_test
