// The example scripts run by the real tarnupd.exe against the stand-in product: each passes
// the checker (or warns only as its comments say), each run succeeds, every key the checker
// counts as read is read by the agent (its debugger output names each one) and the lists reach
// the product as the script gives them, so the checker and the agent agree on what it does.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tarncheck/profile_names.h"
#include "tarncheck/script_check.h"
#include "tarncheck/script_parser.h"
#include "tarncheck/update_type_catalogue.h"
#include "testtools/checker_test_support.h"
#include "testtools/product_test.h"

namespace {

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& prefix) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
}

class ExampleRunTest : public product_test::ProductTest, public ::testing::WithParamInterface<checker_test::Example> {
 protected:
  void SetUp() override {
    ProductTest::SetUp();
    // Debugger output on: the readers then name every key they read.
    ASSERT_TRUE(test_registry::SetDword(test_registry::AgentSubkey("Debug"), "Output", 1));
  }
};

TEST_P(ExampleRunTest, AgentAppliesTheExampleAndReadsEveryKeyTheCheckerCountsAsRead) {
  const checker_test::Example& example = GetParam();
  const std::string path = ProgramBesideTest("examples\\" + example.name + ".ini");
  const std::string bytes = ReadBytes(path);
  for (const Finding& finding : CheckScript(bytes)) {  // none, or the one warning its comments explain
    EXPECT_TRUE(!example.warning.empty() && finding.message.rfind(example.warning, 0) == 0)
        << FormatFinding(finding);
  }
  const ParsedScript script = ParseScript(bytes);
  const ScriptLine* typeLine = FindKey(script, kUpdateTypeSection, kUpdateTypeKey);
  ASSERT_NE(typeLine, nullptr);
  const UpdateType* type = FindUpdateType(typeLine->value);
  ASSERT_TRUE(type != nullptr && SameName(type->name, example.name.substr(0, example.name.find('_'))));

  const AgentRun run = RunAgent("LC_UPDATE=" + path);
  ASSERT_TRUE(run.finished);
  ExpectAgentResult(run, 0, kSuccess);
  EXPECT_TRUE(HasLineStarting(run.StatusLines(), "UpdateType = " + typeLine->value));

  for (const ScriptLine& line : script.lines) {
    if (!IsReadKey(script, line)) continue;
    const std::string& section = SectionOf(script, line);
    std::string trace;  // what the agent's reader traces for the key, in the catalogue's names
    if (const CatalogueKey* key = FindCatalogueKey(*type, section, line.name)) {
      if (key->record == kNoRecord) continue;  // the driver reads [TARNUPDATE], no reader traces it
      trace = "[" + key->section + "] " + key->key + " = ";
    } else if (const CatalogueList* list = FindCatalogueList(*type, section)) {
      trace = "AddToList SET [" + list->section + "] " + line.name + " = " + line.value + "\n";
    } else {
      ADD_FAILURE() << "the example sets a key no reader takes: [" << section << "] " << line.name;
    }
    EXPECT_TRUE(trace.empty() || HasLineStarting(run.debugOutput, trace)) << "the agent did not read: " << trace;
  }

  const standin::ProductState state = product_test::State();
  for (const CatalogueList& list : type->lists) {
    std::vector<std::string> items;
    for (const ScriptLine* line : KeysOf(script, list.section)) items.push_back(line->value);
    EXPECT_EQ(state.lists[list.listId], items) << list.section;
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleRunTest, ::testing::ValuesIn(checker_test::kExamples),
                         [](const auto& info) { return info.param.name; });

}  // namespace
