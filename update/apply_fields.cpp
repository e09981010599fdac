#include "update/script_readers.h"

namespace {

using Reader = void (*)(UpdateContext& run, void* field, const char* section, const char* key, DWORD area);

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

}  // namespace

void ApplyFields(UpdateContext& run, BYTE* record, const RecordTable& table, DWORD area) {
  ForEachField(table, [&run, record, area](const char* section, const char* key, FieldType type, std::size_t offset) {
    ReaderFor(type)(run, record + offset, section, key, area);
  });
}
