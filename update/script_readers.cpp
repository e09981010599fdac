#include "update/script_readers.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "update/fault_guard.h"
#include "update/field_values.h"
#include "update/hex_pairs.h"
#include "update/script_file.h"
#include "foundation/trace_log.h"

namespace {

// At most 255 decoded bytes, and a zero after them for the trace.
constexpr int kByteBufferSize = 256;

void TraceMissing(UpdateContext& run, const char* section, const char* key) {
  TallyCount(run.tally, &UpdateTally::keysAbsent);
  TraceDebug("MISSING [%s] %s\n", section, key);
}

// Runs a key's store in the fault guard, taking the field's value before and after it for an
// undo point, and counts how it went: true when it ran to its end. The field is the engine's
// copy of the record the product handed out, so comparing it costs no call to the product.
template <typename Store>
bool StoreGuarded(UpdateContext& run, const char* section, const char* key, FieldType type, const void* field,
                  Store& store) {
  std::string before;
  bool changed = false;
  auto replace = [&] {
    if (run.tally != nullptr) before = FieldContent(type, static_cast<const BYTE*>(field));
    if (run.undo != nullptr) run.undo->Key(section, key, type, field);
    store();
    if (run.undo != nullptr) run.undo->KeyWritten(field);
    if (run.tally != nullptr) changed = FieldContent(type, static_cast<const BYTE*>(field)) != before;
  };
  const bool stored = RunGuarded(replace);
  TallyCount(run.tally, stored ? &UpdateTally::keysWritten : &UpdateTally::keysFailed);
  if (stored && changed) TallyCount(run.tally, &UpdateTally::keysChanged);
  return stored;
}

using FieldWrite = void (ProductTarget::*)(const FieldWriteEntry& entry);

// One zero-filled entry, handed over with the count 1; the result is not looked at.
void WriteThroughLibrary(UpdateContext& run, FieldWrite write, void* field, DWORD count, ULONG_PTR value, DWORD area) {
  FieldWriteEntry entry = {};
  entry.field = field;
  entry.count = count;
  entry.value = value;
  entry.area = area;
  (run.product->*write)(entry);
}

ULONG_PTR AddressValue(const void* source) { return reinterpret_cast<ULONG_PTR>(source); }

// Fields of the agent's own record copies may lie at any byte offset, hence memcpy.
void StoreNumber(UpdateContext& run, void* field, DWORD number, DWORD area) {
  if (area == kAreaAgentCopy) {
    std::memcpy(field, &number, sizeof number);
  } else {
    WriteThroughLibrary(run, &ProductTarget::SetFieldValue, field, 0, number, area);
  }
}

void StoreText(UpdateContext& run, void* field, const char* text, DWORD area) {
  if (area == kAreaAgentCopy) {
    std::memcpy(field, text, std::strlen(text) + 1);
  } else {
    WriteThroughLibrary(run, &ProductTarget::SetFieldString, field, 0, AddressValue(text), area);
  }
}

void StoreBytes(UpdateContext& run, void* field, const BYTE* bytes, DWORD count, DWORD area) {
  if (area == kAreaAgentCopy) {
    std::memcpy(field, bytes, count);
  } else {
    WriteThroughLibrary(run, &ProductTarget::SetFieldBytes, field, count, AddressValue(bytes), area);
  }
}

// A present key reads alike under both defaults; only an absent one gives back each default.
bool ReadPresentNumber(const UpdateContext& run, const char* section, const char* key, DWORD& number) {
  number = ReadScriptNumber(run, section, key, 0);
  return number != 0 || ReadScriptNumber(run, section, key, 1) != 1;
}

// UpdateUInt and UpdateDWord store alike and differ only in their trace lines.
enum class Sign { kUnsigned, kSigned };

void UpdateNumber(UpdateContext& run, void* field, const char* section, const char* key, DWORD area, Sign sign) {
  DWORD number = 0;
  if (!ReadPresentNumber(run, section, key, number)) {
    TraceMissing(run, section, key);
    return;
  }
  auto store = [&] {
    StoreNumber(run, field, number, area);
    if (sign == Sign::kSigned) {
      TraceDebug("[%s] %s = %d\n", section, key, static_cast<int>(number));
    } else {
      TraceDebug("[%s] %s = %u\n", section, key, static_cast<unsigned>(number));
    }
  };
  const FieldType type = sign == Sign::kSigned ? FieldType::kDWord : FieldType::kUInt;
  if (StoreGuarded(run, section, key, type, field, store)) return;
  if (sign == Sign::kSigned) {
    TraceDebug("UpdateDWord Exception\n");  // the one exception line without section and key
  } else {
    TraceDebug("UpdateUInt Exception [%s] %s\n", section, key);
  }
}

// UpdateString and UpdateFileExtString: the latter drops the NoExtensionString entries first.
enum class Extensions { kKept, kFiltered };

void UpdateText(UpdateContext& run, void* field, const char* section, const char* key, DWORD area, Extensions extensions) {
  char text[kScriptTextBufferSize];
  if (!ReadScriptText(run, section, key, text)) {
    TraceMissing(run, section, key);
    return;
  }
  auto store = [&] {
    if (extensions == Extensions::kFiltered) RemoveNoExtensionString(run, text, " ");
    StoreText(run, field, text, area);
    TraceDebug("[%s] %s = %s\n", section, key, text);
  };
  const FieldType type = extensions == Extensions::kFiltered ? FieldType::kExtensionText : FieldType::kText;
  if (StoreGuarded(run, section, key, type, field, store)) return;
  if (extensions == Extensions::kFiltered) {
    TraceDebug("UpdateFileExtString Exception [%s] %s\n", section, key);
  } else {
    TraceDebug("UpdateString Exception [%s] %s\n", section, key);
  }
}

}  // namespace

void UpdateBoolean(UpdateContext& run, void* field, const char* section, const char* key, DWORD area) {
  const DWORD number = ReadScriptNumber(run, section, key, -1);
  if (number == 0xFFFFFFFF) {
    TraceMissing(run, section, key);
    return;
  }
  auto store = [&] {
    StoreNumber(run, field, number, area);
    TraceDebug(number != 0 ? "[%s] %s = TRUE\n" : "[%s] %s = FALSE\n", section, key);
  };
  if (!StoreGuarded(run, section, key, FieldType::kBoolean, field, store)) {
    TraceDebug("UpdateBoolean Exception [%s] %s\n", section, key);
  }
}

void UpdateUInt(UpdateContext& run, void* field, const char* section, const char* key, DWORD area) {
  UpdateNumber(run, field, section, key, area, Sign::kUnsigned);
}

void UpdateDWord(UpdateContext& run, void* field, const char* section, const char* key, DWORD area) {
  UpdateNumber(run, field, section, key, area, Sign::kSigned);
}

void UpdateString(UpdateContext& run, void* field, const char* section, const char* key, DWORD area) {
  UpdateText(run, field, section, key, area, Extensions::kKept);
}

void UpdateFileExtString(UpdateContext& run, void* field, const char* section, const char* key, DWORD area) {
  UpdateText(run, field, section, key, area, Extensions::kFiltered);
}

void UpdateByteString(UpdateContext& run, void* field, const char* section, const char* key, DWORD area) {
  char text[kScriptTextBufferSize] = {};
  if (!ReadScriptText(run, section, key, text)) {
    TraceMissing(run, section, key);
    return;
  }
  BYTE bytes[kByteBufferSize] = {};
  // A last odd character is dropped.
  const DWORD count = static_cast<DWORD>(std::strlen(text) / 2);
  for (DWORD i = 0; i < count; ++i) bytes[i] = DecodeHexPair(text[2 * i], text[2 * i + 1]);
  auto store = [&] {
    StoreBytes(run, field, bytes, count, area);
    TraceDebug("[%s] %s = %s\n", section, key, reinterpret_cast<const char*>(bytes));
  };
  if (!StoreGuarded(run, section, key, FieldType::kBytes, field, store)) {
    TraceDebug("UpdateByteString Exception [%s] %s\n", section, key);
  }
}
