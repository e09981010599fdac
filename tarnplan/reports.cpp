#include "tarnplan/reports.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "foundation/messages.h"
#include "foundation/utf8_text.h"
#include "resources/message_ids.h"
#include "tarncheck/json_report.h"
#include "tarncheck/profile_names.h"
#include "update/field_values.h"
#include "update/record_table.h"

using json = nlohmann::ordered_json;

namespace {

std::string Counted(int count, const char* what) {
  return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

const BYTE* Bytes(const std::string& field) { return reinterpret_cast<const BYTE*>(field.data()); }

// Both sides of a byte string as long as the longer one needs.
std::size_t BytesShown(const KeyChange& change) {
  return change.type == FieldType::kBytes ? std::max(ShownBytes(Bytes(change.current)), ShownBytes(Bytes(change.next)))
                                          : 0;
}

json JsonValue(FieldType type, const std::string& field, std::size_t bytes) {
  if (type == FieldType::kBytes) return HexPairs(Bytes(field), bytes);
  if (type == FieldType::kText || type == FieldType::kExtensionText) return AnsiToUtf8(FieldContent(type, Bytes(field)));
  return NumberValue(type, Bytes(field));
}

// The items of `from` that `to` does not hold, each as often as it is missing.
std::vector<std::string> Missing(const std::vector<std::string>& from, std::vector<std::string> to) {
  std::vector<std::string> missing;
  for (const std::string& item : from) {
    const auto found = std::find(to.begin(), to.end(), item);
    if (found == to.end()) {
      missing.push_back(item);
    } else {
      to.erase(found);
    }
  }
  return missing;
}

json Utf8Items(const std::vector<std::string>& items) {
  json list = json::array();
  for (const std::string& item : items) list.push_back(AnsiToUtf8(item));
  return list;
}

std::string ListName(const ItemListRow& list) {
  return "[" + std::string(list.section) + "] " + list.stem + "_0, " + list.stem + "_1, ...";
}

bool IsAbout(const Finding& finding, const char* section, const char* key) {
  return SameName(finding.section, section) && (key == nullptr || SameName(finding.key, key));
}

// The checker's findings about a shown key (or, without a key, a shown list's section), each
// on a line of its own below it.
std::string FindingsAbout(const Findings& findings, const char* section, const char* key) {
  std::string text;
  for (const Finding& finding : findings) {
    if (IsAbout(finding, section, key)) text += "  " + FormatFinding(finding) + "\n";
  }
  return text;
}

// The findings about nothing shown: the script as a whole, and lines that change nothing.
std::string OtherFindings(const Preview& preview) {
  std::string text;
  for (const Finding& finding : preview.findings) {
    bool shown = false;
    for (const KeyChange& key : preview.keys) shown = shown || IsAbout(finding, key.section, key.key);
    for (const ListChange& list : preview.lists) shown = shown || IsAbout(finding, list.list->section, nullptr);
    if (!shown) text += FormatFinding(finding) + "\n";
  }
  return text;
}

}  // namespace

std::string ResultText(ResultCode code, const std::string& scriptPath) {
  TextString message;
  LoadMessage(GetModuleHandleA(nullptr), IDS_RESULT_FIRST + static_cast<unsigned int>(code), message);
  TextString text;
  text.Format(message, scriptPath.c_str());  // only the script's own result names a file
  return text.c_str();
}

std::string PreviewText(const std::string& scriptPath, const Preview& preview, const std::string& resultText) {
  std::string text = OtherFindings(preview);
  int changed = 0;
  int lost = 0;
  for (const KeyChange& key : preview.keys) {
    const std::size_t bytes = BytesShown(key);
    text += "[" + std::string(key.section) + "] " + key.key + ": " + ShownValue(key.type, Bytes(key.current), bytes) +
            " -> " + ShownValue(key.type, Bytes(key.next), bytes) + (key.committed ? "\n" : " (never committed)\n") +
            FindingsAbout(preview.findings, key.section, key.key);
    ++(key.committed ? changed : lost);
  }
  int listsChanged = 0;
  for (const ListChange& list : preview.lists) {
    text += ListName(*list.list) + ": " + std::to_string(list.current.size()) + " items -> " +
            std::to_string(list.next.size()) + " items" + (list.committed ? "\n" : " (never committed)\n") +
            FindingsAbout(preview.findings, list.list->section, nullptr);
    const std::vector<std::string> removed = Missing(list.current, list.next);
    const std::vector<std::string> added = Missing(list.next, list.current);
    for (const std::string& item : removed) text += "  - \"" + item + "\"\n";
    for (const std::string& item : added) text += "  + \"" + item + "\"\n";
    if (removed.empty() && added.empty()) text += "  the same items in another order\n";
    ++(list.committed ? listsChanged : lost);
  }
  text += scriptPath + " (" + UpdateKindName(preview.kind) + "): " + Counted(changed, "key") + " would change, " +
          std::to_string(preview.unchanged) + " unchanged, " + std::to_string(preview.absent) +
          " absent from the script; " + Counted(listsChanged, "list") + " would change, " +
          std::to_string(preview.listsUnchanged) + " unchanged";
  if (lost > 0) text += "; " + Counted(lost, "change") + " handed over but never committed";
  return text + "\nthe agent would end with " + resultText + "\n";
}

json PreviewJson(const Preview& preview) {
  json keys = json::array();
  int changed = 0;
  for (const KeyChange& key : preview.keys) {
    const std::size_t bytes = BytesShown(key);
    keys.push_back({{"section", key.section},
                    {"key", key.key},
                    {"type", FieldTypeId(key.type)},
                    {"typeText", FieldTypeName(key.type)},
                    {"current", JsonValue(key.type, key.current, bytes)},
                    {"new", JsonValue(key.type, key.next, bytes)},
                    {"committed", key.committed}});
    changed += key.committed ? 1 : 0;
  }
  json lists = json::array();
  int listsChanged = 0;
  for (const ListChange& list : preview.lists) {
    lists.push_back({{"section", list.list->section},
                     {"stem", list.list->stem},
                     {"listId", list.list->listId},
                     {"current", Utf8Items(list.current)},
                     {"new", Utf8Items(list.next)},
                     {"removed", Utf8Items(Missing(list.current, list.next))},
                     {"added", Utf8Items(Missing(list.next, list.current))},
                     {"committed", list.committed}});
    listsChanged += list.committed ? 1 : 0;
  }
  return {{"changes", keys},
          {"lists", lists},
          {"counts",
           {{"changed", changed},
            {"unchanged", preview.unchanged},
            {"absent", preview.absent},
            {"neverCommitted", static_cast<int>(preview.keys.size() + preview.lists.size()) - changed - listsChanged},
            {"listsChanged", listsChanged},
            {"listsUnchanged", preview.listsUnchanged}}},
          {"findings", FindingListJson(preview.findings)}};
}

json NotWrittenJson(const std::vector<NotWritten>& notWritten) {
  json list = json::array();
  for (const NotWritten& each : notWritten) {
    list.push_back({{"section", each.section}, {"key", each.key}, {"reason", each.reason}});
  }
  return list;
}

void WarnNotWritten(const char* what, const std::vector<NotWritten>& notWritten) {
  for (const NotWritten& each : notWritten) {
    std::fprintf(stderr, "tarnplan: warning: %s: [%s] %s is left out: %s\n", what, each.section.c_str(),
                 each.key.c_str(), each.reason.c_str());
  }
}

std::string EscapeControls(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      escaped += c;
    } else {
      char code[5];
      std::snprintf(code, sizeof code, "\\x%02x", byte);
      escaped += code;
    }
  }
  return escaped;
}
