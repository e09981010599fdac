#include "update/script_writer.h"

#include "update/field_values.h"

namespace {

constexpr char kLineEnd[] = "\r\n";

// What a section holds, for the comment above it: the part of the product by the section's
// prefix, and what that part's options are for by the rest of its name.
std::string Purpose(UpdateKind kind, const std::string& section) {
  if (section == "CurrentVer") return "The product's general record (OAS and ODS both read it).";
  if (section == "Update" || section == "Upgrade") return "The scheduled " + section + " task.";
  if (section == "ExcludedItems" || section == "ScanItems") {
    return std::string(section == "ScanItems" ? "What the scan looks at" : "What the scanner leaves alone") +
           ": the items replace the product's whole list, numbered from 0 without a gap.";
  }
  static const std::pair<const char*, const char*> kParts[] = {
      {"EMail", "The e-mail scanner"}, {"Download", "The download scanner"}, {"INetFltr", "The internet filter"}};
  std::string part = kind == UpdateKind::kODS ? "The on-demand scan task" : "The on-access scanner";
  std::string rest = section;
  for (const auto& each : kParts) {
    if (section.rfind(each.first, 0) == 0) {
      part = each.second;
      rest = section.substr(std::string(each.first).size());
    }
  }
  static const std::pair<const char*, const char*> kPurposes[] = {
      {"General", "whether it runs"},        {"GeneralOptions", "whether it runs"},
      {"DetectionOptions", "what it scans"}, {"AlertOptions", "how it tells of a find"},
      {"ActionOptions", "what it does with a find"}, {"ReportOptions", "what it logs"},
      {"SecurityOptions", "its password and protection"},  {"ScanOptions", "how it starts and runs"}};
  for (const auto& each : kPurposes) {
    if (rest == each.first) return part + ": " + each.second + ".";
  }
  return part + ".";
}

}  // namespace

ScriptWriter::ScriptWriter(UpdateKind kind, const std::vector<std::string>& heading) : kind_(kind) {
  SetHeading(heading);
  Section("TARNUPDATE").push_back(std::string("UpdateType=") + UpdateKindName(kind));
}

void ScriptWriter::SetHeading(const std::vector<std::string>& heading) {
  heading_.clear();
  for (const std::string& line : heading) heading_ += ";" + (line.empty() ? "" : " " + line) + kLineEnd;
}

void ScriptWriter::MarkUndoPoint() { Section("TARNUPDATE").push_back(std::string(kUndoPointKey) + "=1"); }

std::vector<std::string>& ScriptWriter::Section(const char* name) {
  for (auto& section : sections_) {
    if (section.first == name) return section.second;
  }
  sections_.emplace_back(name, std::vector<std::string>());
  return sections_.back().second;
}

void ScriptWriter::Key(const char* section, const char* key, FieldType type, const BYTE* field) {
  std::string value;
  std::string whyNot;
  if (ScriptValue(type, field, value, whyNot)) {
    Section(section).push_back(std::string(key) + "=" + value);
    ++keysWritten_;
  } else {
    Section(section).push_back("; " + std::string(key) + " is left out: " + whyNot);
    notWritten_.push_back({section, key, whyNot});
  }
}

void ScriptWriter::List(const ItemListRow& list, const std::vector<std::string>& items) {
  std::vector<std::string>& lines = Section(list.section);
  ++listsWritten_;
  int number = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::string value;
    std::string whyNot;
    const std::string key = std::string(list.stem) + "_" + std::to_string(number);
    if (ScriptText(items[i], value, whyNot)) {
      lines.push_back(key + "=" + value);
      ++number;
    } else {
      const std::string item = "item " + std::to_string(i + 1) + " of " + std::to_string(items.size());
      lines.push_back("; " + item + " is left out: " + whyNot);
      notWritten_.push_back({list.section, std::string(list.stem) + " " + item, whyNot});
    }
  }
}

std::string ScriptWriter::Text() const {
  std::string text = heading_;
  for (const auto& section : sections_) {
    text += kLineEnd;
    if (section.first != "TARNUPDATE") text += "; " + Purpose(kind_, section.first) + kLineEnd;
    text += "[" + section.first + "]" + kLineEnd;
    for (const std::string& line : section.second) text += line + kLineEnd;
  }
  return text;
}

