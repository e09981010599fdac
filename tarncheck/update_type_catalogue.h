// Which sections and keys each update type reads, and how: built from the agent's record
// tables and the records each type updates, in this one place, so that the checker and the
// reference follow whatever the agent runs.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

constexpr char kUpdateTypeSection[] = "TARNUPDATE";
constexpr char kUpdateTypeKey[] = "UpdateType";

enum class ValueKind {
  kUpdateType,  // TARNUPDATE / UpdateType: picks the records
  kBoolean,
  kUInt,
  kDWord,
  kText,
  kExtensionText,
  kBytes,
  kListItem,  // one item of a numbered list
  kAgentVersion,  // TARNUPDATE / RequiresAgent: a.b.c
};

// A record that an update type changes, and how its values reach the product.
struct CatalogueRecord {
  const char* name;
  const char* how;
};

constexpr int kNoRecord = -1;

struct CatalogueKey {
  std::string section;
  std::string key;
  ValueKind kind;
  int record;          // index into UpdateType::records; kNoRecord for the [TARNUPDATE] keys
  std::size_t offset;  // of the field in that record
  const char* meaning = nullptr;  // as the record table gives it, or null
};

// A numbered list <stem>_0, <stem>_1, ... that replaces a product item list.
struct CatalogueList {
  std::string section;
  std::string stem;
  const char* name;
  DWORD listId;
  bool dropsNoExtension;  // NoExtensionString followed by "|" is taken out of each item
  int countRecord;        // the record that gets the item count, or kNoRecord
  std::size_t countOffset;
};

struct UpdateType {
  const char* name;  // as the script gives it, in any letter case
  const char* title;
  std::vector<CatalogueRecord> records;  // in update order
  std::vector<CatalogueKey> keys;        // in the order the agent reads them
  std::vector<CatalogueList> lists;      // read after the keys
  std::vector<std::string> sections;     // each once, in the order first read (lists last)
};

// OAS, ODS and SCHEDULE.
const std::vector<UpdateType>& UpdateTypes();
// The type that `name` selects (letter case ignored), or null.
const UpdateType* FindUpdateType(std::string_view name);

// The sections a type reads, in the order it first reads them (lists last).
const std::vector<std::string>& SectionsOf(const UpdateType& type);
const CatalogueKey* FindCatalogueKey(const UpdateType& type, std::string_view section, std::string_view key);
const CatalogueList* FindCatalogueList(const UpdateType& type, std::string_view section);
bool ReadsSection(const UpdateType& type, std::string_view section);

// "Boolean", "32-bit unsigned", ...
const char* ValueKindName(ValueKind kind);
