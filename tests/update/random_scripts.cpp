#include "random_scripts.h"

#include <cstdlib>
#include <vector>

#include "general_record.h"
#include "item_list_row.h"
#include "oas_record.h"
#include "ods_task.h"
#include "scheduled_tasks.h"

namespace update_test {
namespace {

struct Key {
  std::string section;
  std::string name;
  FieldType type;
};

void CollectKeys(const RecordTable& table, const char* blockSection, std::vector<Key>& keys) {
  for (std::size_t i = 0; i < table.count; ++i) {
    const FieldRow& row = table.rows[i];
    const char* section = blockSection != nullptr ? blockSection : row.section;
    if (row.type == FieldType::kBlock) {
      CollectKeys(*row.block, row.section, keys);
    } else {
      keys.push_back({section != nullptr ? section : "", row.key, row.type});
    }
  }
}

const std::vector<Key>& RecordKeys() {
  static const std::vector<Key> keys = [] {
    std::vector<Key> all;
    for (const RecordTable* table : {&GeneralRecordFields, &OASTaskFields, &ODSTaskFields, &UpdateTaskFields,
                                     &UpgradeTaskFields}) {
      CollectKeys(*table, nullptr, all);
    }
    return all;
  }();
  return keys;
}

int Below(Random& random, int bound) { return static_cast<int>(random() % static_cast<unsigned>(bound)); }
bool OneIn(Random& random, int n) { return Below(random, n) == 0; }

std::string Pick(Random& random, const std::vector<std::string>& choices) {
  return choices[static_cast<std::size_t>(Below(random, static_cast<int>(choices.size())))];
}

std::string Characters(Random& random, int length, bool anyByte) {
  static const std::string kPrintable =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,:;\\/_-|*?$#@%\"'()";
  std::string text;
  for (int i = 0; i < length; ++i) {
    text += anyByte ? static_cast<char>(Below(random, 256)) : kPrintable[static_cast<std::size_t>(Below(random, static_cast<int>(kPrintable.size())))];
  }
  return text;
}

std::string NumberValue(Random& random) {
  switch (Below(random, 5)) {
    case 0:
      return Pick(random, {"0", "1", "-1", "2", "4294967295", "4294967296", "2147483648", "-2147483649",
                           "99999999999999999999999", "0x7fffffff", "0xFFFFFFFFF", "abc", " 12 ", "+7", "--3", "1e9"});
    case 1:
      return std::to_string(static_cast<std::int64_t>((std::uint64_t{random()} << 32) | random()));
    default:
      return std::to_string(static_cast<std::int32_t>(random()));
  }
}

std::string HexValue(Random& random) {
  static const std::string kHex = "0123456789abcdefABCDEF";
  std::string text;
  const int length = OneIn(random, 4) ? Below(random, 700) : Below(random, 40);
  for (int i = 0; i < length; ++i) {
    text += OneIn(random, 10) ? Characters(random, 1, false) : std::string(1, kHex[static_cast<std::size_t>(Below(random, 22))]);
  }
  return text;
}

std::string TextValue(Random& random) {
  switch (Below(random, 6)) {
    case 0:
      return "$#@NONE@#$";
    case 1:
      return Characters(random, 500 + Below(random, 300), false);
    case 2:
      return Characters(random, Below(random, 40), true);
    default:
      return Characters(random, Below(random, 60), false);
  }
}

std::string ValueFor(Random& random, FieldType type) {
  if (OneIn(random, 8)) return "";
  switch (type) {
    case FieldType::kText:
    case FieldType::kExtensionText:
      return TextValue(random);
    case FieldType::kBytes:
      return HexValue(random);
    default:
      return OneIn(random, 6) ? TextValue(random) : NumberValue(random);
  }
}

std::string UpdateTypeLine(Random& random) {
  const std::string type = Pick(random, {"OAS", "ODS", "SCHEDULE", "oas", "Ods", "schedule", " OAS ", "\"OAS\"", "",
                                         "UNKNOWN", "OAS;x", Characters(random, 8, false)});
  return "UpdateType=" + type;
}

// One section's lines: its real keys (some of them), list keys, and junk.
std::vector<std::string> SectionLines(Random& random, const std::string& section) {
  std::vector<std::string> lines;
  for (const Key& key : RecordKeys()) {
    if (key.section == section && !OneIn(random, 3)) lines.push_back(key.name + "=" + ValueFor(random, key.type));
  }
  if (OneIn(random, 3)) {
    const int items = Below(random, 25);
    const std::string stem = Pick(random, {"ExcludedItem", "ScanItem"});
    for (int i = 0; i < items; ++i) {
      if (!OneIn(random, 12)) lines.push_back(stem + "_" + std::to_string(i) + "=" + TextValue(random));
    }
  }
  const int junk = Below(random, 4);
  for (int i = 0; i < junk; ++i) {
    lines.push_back(Pick(random, {"no equals sign", "=value without key", "[unclosed", ";comment=1", "",
                                  "   key with blanks   =   value   ", Characters(random, 3000, false),
                                  "UpdateType=ODS"}));
  }
  return lines;
}

std::vector<std::string> Sections() {
  std::vector<std::string> sections = {"CurrentVer", "ExcludedItems", "ScanItems", "Update", "Upgrade"};
  for (const Key& key : RecordKeys()) {
    bool known = false;
    for (const std::string& section : sections) known = known || section == key.section;
    if (!known && !key.section.empty()) sections.push_back(key.section);
  }
  return sections;
}

}  // namespace

std::uint32_t ScriptSeed() {
  const char* text = std::getenv("TARN_SCRIPT_SEED");
  return text != nullptr ? static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10)) : 20240611u;
}

std::string RandomScript(Random& random) {
  if (OneIn(random, 20)) return Characters(random, Below(random, 4000), true);  // not INI text at all
  static const std::vector<std::string> kSections = Sections();
  const std::string lineEnd = Pick(random, {"\r\n", "\r\n", "\n", "\r"});
  std::string script = OneIn(random, 8) ? "\xEF\xBB\xBF" : "";
  auto addSection = [&](const std::string& name, const std::vector<std::string>& lines) {
    script += "[" + name + "]" + lineEnd;
    for (const std::string& line : lines) script += line + lineEnd;
  };
  if (!OneIn(random, 10)) addSection("TARNUPDATE", {UpdateTypeLine(random)});
  const int sections = Below(random, static_cast<int>(kSections.size()));
  for (int i = 0; i < sections; ++i) {
    const std::string& section = kSections[static_cast<std::size_t>(Below(random, static_cast<int>(kSections.size())))];
    addSection(OneIn(random, 10) ? section + "x" : section, SectionLines(random, section));
  }
  // Now and then a second TARNUPDATE section.
  if (OneIn(random, 10)) addSection("tarnupdate", {UpdateTypeLine(random)});
  return script;
}

}  // namespace update_test
