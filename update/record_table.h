// Option records as data: each record is a table of {section, key, type, offset, meaning} rows
// in update order, run by ApplyFields. The type picks the reader and gives the field's width,
// so the tables can be checked at compile time against their record's size and for overlaps.
#pragma once

#include <windows.h>

#include <cstddef>

enum class FieldType {
  kBoolean,        // UpdateBoolean, 4 bytes
  kUInt,           // UpdateUInt, 4 bytes
  kDWord,          // UpdateDWord, 4 bytes
  kText,           // UpdateString, 512 bytes
  kExtensionText,  // UpdateFileExtString, 512 bytes
  kBytes,          // UpdateByteString, 512 bytes
  kBlock,          // the rows of `block`, at this offset and with this row's section
};

// What each type is called, in FieldType's order: an identifier for machines (the tools' JSON)
// and the name wherever people read about a field (the script reference, the checker's and
// tarnplan's reports); a block row has neither.
struct FieldTypeNaming {
  const char* id;
  const char* name;
};
constexpr FieldTypeNaming kFieldTypeNames[] = {{"bool", "Boolean"}, {"uint32", "32-bit unsigned"},
                                               {"int32", "32-bit signed"}, {"text", "text"},
                                               {"text", "extension list"}, {"bytes", "byte string"}, {"", ""}};
static_assert(sizeof kFieldTypeNames / sizeof kFieldTypeNames[0] == static_cast<std::size_t>(FieldType::kBlock) + 1,
              "one name for each field type");

constexpr const char* FieldTypeName(FieldType type) { return kFieldTypeNames[static_cast<std::size_t>(type)].name; }
constexpr const char* FieldTypeId(FieldType type) { return kFieldTypeNames[static_cast<std::size_t>(type)].id; }

struct RecordTable;

// The meaning of a number that looks computed (a checksum, a time stamp) but is copied.
inline constexpr char kTakenAsWritten[] = "taken as written: the agent computes nothing for it";

struct FieldRow {
  const char* section;
  const char* key;  // null for a block row
  FieldType type;
  std::size_t offset;
  // What the product's documentation says the key means, and its unit; null where it says
  // nothing. Only the script reference shows it.
  const char* meaning = nullptr;
  const RecordTable* block = nullptr;
};

struct RecordTable {
  const FieldRow* rows;
  std::size_t count;
  std::size_t size;  // bytes the table's fields may span
};

constexpr std::size_t FieldWidth(FieldType type) {
  return type == FieldType::kText || type == FieldType::kExtensionText || type == FieldType::kBytes ? 512 : 4;
}

// Bytes a row spans: a field's width, or a block's size.
constexpr std::size_t RowWidth(const FieldRow& row) {
  return row.type == FieldType::kBlock ? row.block->size : FieldWidth(row.type);
}

// Every row lies inside the table's size, and a block's own rows inside the block.
constexpr bool RowsInside(const RecordTable& table) {
  for (std::size_t i = 0; i < table.count; ++i) {
    const FieldRow& row = table.rows[i];
    if (row.type == FieldType::kBlock && (row.block == nullptr || !RowsInside(*row.block))) return false;
    if (row.offset + RowWidth(row) > table.size) return false;
  }
  return true;
}

// No two rows share a byte.
constexpr bool RowsDisjoint(const RecordTable& table) {
  for (std::size_t i = 0; i < table.count; ++i) {
    for (std::size_t j = i + 1; j < table.count; ++j) {
      const FieldRow& a = table.rows[i];
      const FieldRow& b = table.rows[j];
      if (a.offset < b.offset + RowWidth(b) && b.offset < a.offset + RowWidth(a)) return false;
    }
  }
  return true;
}

// Calls visit(section, row, offset) for every field row of the table in update order: a block
// row's fields come at the row's offset, under the row's section.
template <typename Visit>
void ForEachFieldRow(const RecordTable& table, Visit&& visit, std::size_t base = 0,
                     const char* blockSection = nullptr) {
  for (std::size_t i = 0; i < table.count; ++i) {
    const FieldRow& row = table.rows[i];
    if (row.type == FieldType::kBlock) {
      ForEachFieldRow(*row.block, visit, base + row.offset, row.section);
    } else {
      visit(blockSection != nullptr ? blockSection : row.section, row, base + row.offset);
    }
  }
}

// Calls visit(section, key, type, offset) for every field of the table in update order. The
// agent runs its readers this way, and the script checker learns from it which keys each
// record reads.
template <typename Visit>
void ForEachField(const RecordTable& table, Visit&& visit) {
  ForEachFieldRow(table, [&visit](const char* section, const FieldRow& row, std::size_t offset) {
    visit(section, row.key, row.type, offset);
  });
}

// Builds a RecordTable from a row array.
template <std::size_t N>
constexpr RecordTable MakeTable(const FieldRow (&rows)[N], std::size_t size) {
  return RecordTable{rows, N, size};
}
