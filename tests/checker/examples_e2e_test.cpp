// The example scripts run by the real tarnupd.exe against the stand-in product: each run
// succeeds, and every key the checker counts as read is read by the agent (its debugger
// output names each one), so the checker and the agent agree on what a script does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agent_harness.h"
#include "checker_test_support.h"
#include "script_check.h"
#include "script_parser.h"
#include "standin_state.h"
#include "test_registry.h"
#include "update_type_catalogue.h"

namespace {

using test_registry::AgentSubkey;

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& prefix) {
  for (const std::string& line : lines) {
    if (line.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

// The lines the agent traces for each key of the script it reads, in the catalogue's names.
std::vector<std::string> ExpectedTraces(const ParsedScript& script, const UpdateType& type) {
  std::vector<std::string> traces;
  for (const ScriptLine& line : script.lines) {
    if (!IsReadKey(script, line)) continue;
    const std::string& section = SectionOf(script, line);
    if (const CatalogueKey* key = FindCatalogueKey(type, section, line.name)) {
      if (key->kind != ValueKind::kUpdateType) traces.push_back("[" + key->section + "] " + key->key + " = ");
    } else if (const CatalogueList* list = FindCatalogueList(type, section)) {
      traces.push_back("AddToList SET [" + list->section + "] " + line.name + " = " + line.value + "\n");
    } else {
      ADD_FAILURE() << "the example sets a key no reader takes: [" << section << "] " << line.name;
    }
  }
  return traces;
}

std::vector<std::string> ItemsOf(const ParsedScript& script, const CatalogueList& list) {
  std::vector<std::string> items;
  for (const ScriptLine* line : KeysOf(script, list.section)) items.push_back(line->value);
  return items;
}

class ExampleRunTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    test_registry::DeleteTree(kAgentKeyPath);
    ASSERT_TRUE(standin::ResetState());
    // Debugger output on: the readers then name every key they read.
    ASSERT_TRUE(test_registry::SetDword(AgentSubkey("Debug"), "Output", 1));
  }
  void TearDown() override { test_registry::DeleteTree(kAgentKeyPath); }
};

TEST_P(ExampleRunTest, AgentAppliesTheExampleAndReadsEveryKeyTheCheckerCountsAsRead) {
  const std::string path = checker_test::BesideTest("examples\\" + GetParam() + ".ini");
  const std::string bytes = checker_test::ReadBytes(path);
  ASSERT_TRUE(CheckScript(bytes).empty()) << "the example does not pass tarncheck";
  const ParsedScript script = ParseScript(bytes);
  const ScriptLine* typeLine = FindKey(script, kUpdateTypeSection, kUpdateTypeKey);
  ASSERT_NE(typeLine, nullptr);
  const UpdateType* type = FindUpdateType(typeLine->value);
  ASSERT_NE(type, nullptr);

  AgentRunOptions options;
  options.timeoutMs = 120000;
  const AgentRun run = RunAgent("LC_UPDATE=" + path, options);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(test_registry::GetDword(AgentSubkey("TARNUPDATE"), "ReturnCode"), 0u);
  EXPECT_TRUE(HasLineStarting(run.StatusLines(), "UpdateType = " + typeLine->value));

  for (const std::string& trace : ExpectedTraces(script, *type)) {
    EXPECT_TRUE(HasLineStarting(run.debugOutput, trace)) << "the agent did not read: " << trace;
  }
  // "MISSING [section] key\n": no key the example sets may be among them.
  for (const std::string& line : run.debugOutput) {
    if (line.rfind("MISSING [", 0) != 0) continue;
    const std::size_t close = line.find("] ");
    ASSERT_NE(close, std::string::npos) << line;
    const std::string key = line.substr(close + 2, line.find('\n') - close - 2);
    EXPECT_EQ(FindKey(script, line.substr(9, close - 9), key), nullptr) << "the agent missed a key: " << line;
  }

  standin::ProductState state;
  ASSERT_TRUE(standin::ReadState(&state));
  for (const CatalogueList& list : type->lists) {
    EXPECT_EQ(state.lists[list.listId], ItemsOf(script, list)) << list.section;
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleRunTest, ::testing::ValuesIn(checker_test::kExamples),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

}  // namespace
