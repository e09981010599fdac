// The catalogue the checks and the reference are built on, the reference itself, and the
// examples, which must pass the checker cleanly.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "checker_test_support.h"
#include "profile_names.h"
#include "reference_text.h"
#include "script_check.h"
#include "script_parser.h"
#include "update_type_catalogue.h"

namespace {

std::set<std::string> ListSections(const UpdateType& type) {
  std::set<std::string> sections;
  for (const CatalogueList& list : type.lists) sections.insert(list.section + "/" + list.stem);
  return sections;
}

TEST(UpdateTypeCatalogue, EachTypeReadsTheKeysOfItsRecordsOnceEach) {
  // UpdateType, then the general record's 28 keys and the scanner record's, or the two tasks'.
  const std::vector<std::pair<std::string, std::size_t>> expected = {
      {"OAS", 1 + 28 + 193}, {"ODS", 1 + 28 + 60}, {"SCHEDULE", 1 + 16 + 16}};
  ASSERT_EQ(UpdateTypes().size(), expected.size());
  for (const auto& [name, count] : expected) {
    SCOPED_TRACE(name);
    const UpdateType* type = FindUpdateType(LowerCase(name));
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->keys.size(), count);
    EXPECT_EQ(type->keys.front().section, kUpdateTypeSection);
    EXPECT_EQ(type->keys.front().kind, ValueKind::kUpdateType);
    std::set<std::string> seen;
    for (const CatalogueKey& key : type->keys) {
      EXPECT_TRUE(seen.insert(LowerCase(key.section + "/" + key.key)).second) << key.section << " " << key.key;
    }
  }
  EXPECT_EQ(ListSections(*FindUpdateType("OAS")), (std::set<std::string>{"ExcludedItems/ExcludedItem"}));
  EXPECT_EQ(ListSections(*FindUpdateType("ODS")),
            (std::set<std::string>{"ExcludedItems/ExcludedItem", "ScanItems/ScanItem"}));
  EXPECT_TRUE(FindUpdateType("SCHEDULE")->lists.empty());
  EXPECT_EQ(SectionsOf(*FindUpdateType("SCHEDULE")), (std::vector<std::string>{"TARNUPDATE", "Update", "Upgrade"}));
  EXPECT_EQ(FindUpdateType("UNKNOWN"), nullptr);
}

// The part of `text` from `heading` up to the next heading of the same level.
std::string Chapter(const std::string& text, const std::string& heading) {
  const std::size_t start = text.find("\n" + heading + "\n");
  if (start == std::string::npos) return "";
  const std::string level = heading.substr(0, heading.find(' ') + 1);
  const std::size_t end = text.find("\n" + level, start + 1);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

TEST(UpdateScriptReference, NamesEveryKeyAndListOfEachTypeInItsSection) {
  const std::string reference = ReferenceMarkdown();
  for (const UpdateType& type : UpdateTypes()) {
    const std::string chapter = Chapter(reference, "## " + std::string(type.name) + ": " + type.title);
    ASSERT_FALSE(chapter.empty()) << type.name;
    for (const CatalogueKey& key : type.keys) {
      const std::string section = Chapter(chapter, "### [" + key.section + "]");
      EXPECT_NE(section.find("| `" + key.key + "` | " + ValueKindName(key.kind) + " |"), std::string::npos)
          << type.name << " [" << key.section << "] " << key.key;
    }
    for (const CatalogueList& list : type.lists) {
      EXPECT_NE(Chapter(chapter, "### [" + list.section + "]").find("`" + list.stem + "_0`"), std::string::npos)
          << type.name << " [" << list.section << "]";
    }
  }
  EXPECT_EQ(reference.back(), '\n');
  EXPECT_EQ(reference.find('\r'), std::string::npos);
}

TEST(Examples, EachExamplePassesTheCheckerAndNamesItsOwnType) {
  for (const std::string& name : checker_test::kExamples) {
    SCOPED_TRACE(name);
    const std::string script = checker_test::ReadBytes(checker_test::BesideTest("examples\\" + name + ".ini"));
    ASSERT_FALSE(script.empty());
    for (const Finding& finding : CheckScript(script)) ADD_FAILURE() << FormatFinding(finding);
    const ScriptLine* type = FindKey(ParseScript(script), kUpdateTypeSection, kUpdateTypeKey);
    ASSERT_NE(type, nullptr);
    EXPECT_TRUE(SameName(type->value, name));
  }
}

}  // namespace
