#include "testtools/random_scripts.h"

#include <cstdlib>
#include <vector>

#include "update/record_tables.h"

namespace update_test {
namespace {

struct Key {
  std::string section;
  std::string name;
  FieldType type;
};

const std::vector<Key>& RecordKeys() {
  static const std::vector<Key> keys = [] {
    std::vector<Key> all;
    for (const RecordTable* table : {&GeneralRecordFields, &OASTaskFields, &ODSTaskFields, &UpdateTaskFields,
                                     &UpgradeTaskFields}) {
      ForEachField(*table, [&](const char* section, const char* key, FieldType type, std::size_t) {
        all.push_back({section, key, type});
      });
    }
    for (const char* stem : {"ExcludedItems/ExcludedItem", "ScanItems/ScanItem"}) {
      const std::string text(stem);
      for (int i = 0; i < 12; ++i) {
        all.push_back({text.substr(0, text.find('/')), text.substr(text.find('/') + 1) + "_" + std::to_string(i),
                       FieldType::kText});
      }
    }
    return all;
  }();
  return keys;
}

std::string Pick(Random& random, const std::vector<std::string>& choices) { return choices[random() % choices.size()]; }

std::string Characters(Random& random, std::size_t length, bool anyByte) {
  static const std::string kPrintable = "abcXYZ0189 .,:;\\/_-|*?$#@%\"'()=[]";
  std::string text;
  while (text.size() < length) {
    text += anyByte ? static_cast<char>(random() % 256) : kPrintable[random() % kPrintable.size()];
  }
  return text;
}

std::string ValueFor(Random& random, FieldType type) {
  switch (random() % 4) {
    case 0:
      return Pick(random, {"", "0", "-1", "2", "4294967295", "4294967296", "-2147483649", "0x7fffffff", "abc", " 12 ",
                           "$#@NONE@#$", "0A1", "zz41G1", "\"quoted\""});
    case 1:
      return Characters(random, random() % 4 == 0 ? 500 + random() % 300 : random() % 40, random() % 3 == 0);
    default:
      return type == FieldType::kBytes ? Characters(random, random() % 40, false) : std::to_string(static_cast<int>(random()));
  }
}

}  // namespace

std::uint32_t ScriptSeed() {
  const char* text = std::getenv("TARN_SCRIPT_SEED");
  return text != nullptr ? static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10)) : 20240611u;
}

std::string RandomScript(Random& random) {
  if (random() % 20 == 0) return Characters(random, random() % 4000, true);  // not INI text at all
  const std::string lineEnd = Pick(random, {"\r\n", "\r\n", "\n", "\r"});
  std::string script = random() % 8 == 0 ? "\xEF\xBB\xBF" : "";
  if (random() % 10 != 0) {
    script += "[TARNUPDATE]" + lineEnd + "UpdateType=" +
              Pick(random, {"OAS", "ODS", "SCHEDULE", "oas", "Ods", " OAS ", "\"OAS\"", "", "UNKNOWN"}) + lineEnd;
  }
  // Keys of the real records, in random sections and order, with junk and repeats between them.
  std::string section;
  for (std::size_t lines = random() % 120; lines > 0; --lines) {
    const Key& key = RecordKeys()[random() % RecordKeys().size()];
    if (key.section != section || random() % 10 == 0) {
      section = key.section;
      script += "[" + section + (random() % 10 == 0 ? "x" : "") + "]" + lineEnd;
    }
    script += random() % 12 == 0 ? Pick(random, {"no equals sign", "=value", "[unclosed", ";x=1", Characters(random, 3000, false)})
                                 : key.name + "=" + ValueFor(random, key.type);
    script += lineEnd;
  }
  return script;
}

}  // namespace update_test
