// What the record tests and record_bench share: update scripts that set the keys of the
// record tables, each to a value of its own, and the bytes each value must leave in its field.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "update/record_tables.h"

namespace records_test {

inline std::vector<BYTE> NumberBytes(DWORD n) {
  return {static_cast<BYTE>(n), static_cast<BYTE>(n >> 8), static_cast<BYTE>(n >> 16), static_cast<BYTE>(n >> 24)};
}

// One key of a record table as a script sets it, and what it must leave at its offset.
struct KeyValue { std::string section, key, text; std::size_t offset; std::vector<BYTE> stored; };

// Every key of the table, valued from its type and its position `first` + i in the run, so no
// two keys of a run share a value and a field written from the wrong key shows.
inline std::vector<KeyValue> ValuesOf(const RecordTable& table, std::size_t first = 0) {
  std::vector<KeyValue> values;
  ForEachField(table, [&](const char* section, const char* key, FieldType type, std::size_t offset) {
    const std::size_t n = first + values.size();
    KeyValue value{section, key, std::to_string(1000 + 7 * n), offset, NumberBytes(static_cast<DWORD>(1000 + 7 * n))};
    if (type == FieldType::kBytes) {  // a zero inside (bytes, not a text), hex digits of both cases
      value.text = "0a" + std::to_string(10 + n % 90) + "00Ff";
      value.stored = {0x0A, static_cast<BYTE>(std::stoi(value.text.substr(2, 2), nullptr, 16)), 0x00, 0xFF};
    } else if (FieldWidth(type) > 4) {
      value.text = value.section + "." + key + " #" + std::to_string(n);
      value.stored.assign(value.text.c_str(), value.text.c_str() + value.text.size() + 1);
    }
    values.push_back(value);
  });
  return values;
}

// An update script: the keys of each section in the order set.
struct Script {
  explicit Script(const std::string& updateType) { Set("TARNUPDATE", "UpdateType", updateType); }
  Script& Set(const std::string& section, const std::string& key, const std::string& value) {
    sections[section] += key + "=" + value + "\r\n";
    return *this;
  }
  Script& Set(const std::vector<KeyValue>& values) {
    for (const KeyValue& value : values) Set(value.section, value.key, value.text);
    return *this;
  }
  // <stem>_0, <stem>_1, ... in order.
  Script& SetList(const std::string& section, const std::string& stem, const std::vector<std::string>& items) {
    for (std::size_t i = 0; i < items.size(); ++i) Set(section, stem + "_" + std::to_string(i), items[i]);
    return *this;
  }
  std::string Text() const {
    std::string text;
    for (const auto& section : sections) text += "[" + section.first + "]\r\n" + section.second;
    return text;
  }
  std::map<std::string, std::string> sections;  // name, "key=value\r\n" lines
};

}  // namespace records_test
