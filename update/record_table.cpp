#include "record_table.h"

#include "script_readers.h"

namespace {

using Reader = void (*)(void* field, const char* section, const char* key, DWORD area);

Reader ReaderFor(FieldType type) {
  switch (type) {
    case FieldType::kBoolean:
      return UpdateBoolean;
    case FieldType::kUInt:
      return UpdateUInt;
    case FieldType::kDWord:
      return UpdateDWord;
    case FieldType::kText:
      return UpdateString;
    case FieldType::kExtensionText:
      return UpdateFileExtString;
    case FieldType::kBytes:
      return UpdateByteString;
    case FieldType::kBlock:
      break;
  }
  return nullptr;
}

void ApplyRows(BYTE* base, const RecordTable& table, const char* blockSection, DWORD area) {
  for (std::size_t i = 0; i < table.count; ++i) {
    const FieldRow& row = table.rows[i];
    const char* section = blockSection != nullptr ? blockSection : row.section;
    if (row.type == FieldType::kBlock) {
      ApplyRows(base + row.offset, *row.block, row.section, area);
    } else {
      ReaderFor(row.type)(base + row.offset, section, row.key, area);
    }
  }
}

}  // namespace

void ApplyFields(BYTE* record, const RecordTable& table, DWORD area) { ApplyRows(record, table, nullptr, area); }
