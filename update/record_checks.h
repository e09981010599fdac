// Compile-time checks of a record table beyond RowsInside and RowsDisjoint: how many fields it
// writes, and that its rows together with the areas it must leave alone account for every
// byte of the record exactly once. A row put at a wrong offset then fails the build, because
// it either overlaps another row or an unwritten area, or leaves a byte that nothing claims.
#pragma once

#include <cstddef>

#include "update/record_table.h"

// A stretch of a record: an area the agent never writes, or a field written by other means.
struct ByteRange {
  std::size_t offset;
  std::size_t length;
};

// Fields the table writes, a block row counting as the fields of its block.
constexpr std::size_t FieldCount(const RecordTable& table) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < table.count; ++i) {
    const FieldRow& row = table.rows[i];
    count += row.type == FieldType::kBlock ? FieldCount(*row.block) : 1;
  }
  return count;
}

// No row touches a byte of `range`.
constexpr bool RowsAvoid(const RecordTable& table, ByteRange range) {
  for (std::size_t i = 0; i < table.count; ++i) {
    const FieldRow& row = table.rows[i];
    if (row.offset < range.offset + range.length && range.offset < row.offset + RowWidth(row)) return false;
  }
  return true;
}

namespace record_checks {

constexpr bool Claim(bool* claimed, std::size_t size, std::size_t offset, std::size_t length) {
  if (offset > size || length > size - offset) return false;
  for (std::size_t i = offset; i < offset + length; ++i) {
    if (claimed[i]) return false;
    claimed[i] = true;
  }
  return true;
}

constexpr bool Tile(const RecordTable& table, std::size_t trailer, const ByteRange* others, std::size_t otherCount,
                    bool* claimed, std::size_t size) {
  for (std::size_t i = 0; i < table.count; ++i) {
    if (!Claim(claimed, size, table.rows[i].offset, RowWidth(table.rows[i]) + trailer)) return false;
  }
  for (std::size_t i = 0; i < otherCount; ++i) {
    if (!Claim(claimed, size, others[i].offset, others[i].length)) return false;
  }
  for (std::size_t i = 0; i < size; ++i) {
    if (!claimed[i]) return false;
  }
  return true;
}

}  // namespace record_checks

// Every byte of a Size-byte record lies in exactly one row (followed by `trailer` bytes that
// belong to it and are never written) or in exactly one of `others`.
template <std::size_t Size, std::size_t N>
constexpr bool RowsTile(const RecordTable& table, std::size_t trailer, const ByteRange (&others)[N]) {
  bool claimed[Size] = {};
  return record_checks::Tile(table, trailer, others, N, claimed, Size);
}

template <std::size_t Size>
constexpr bool RowsTile(const RecordTable& table) {
  bool claimed[Size] = {};
  return record_checks::Tile(table, 0, nullptr, 0, claimed, Size);
}
