// SetFieldString / SetFieldValue / SetFieldBytes: writes into the working copy's records. Each
// entry is checked against the record its area code names before a byte is written, since a
// wrong address there would silently corrupt the product's options.
#include "standin_product/syncutil/entry_points.h"
#include "standin_product/syncutil/raised_faults.h"
#include "standin_product/syncutil/session.h"

#include <cstring>

namespace syncutil {
namespace {

enum class FieldKind { kString, kValue, kBytes };

struct Source {
  const BYTE* bytes;
  std::size_t size;
};

// What an entry writes: the DWORD itself, the text with its terminator, or count bytes.
// A value entry's number is copied here: the record's field is 32 bits whatever the word size.
bool SourceOf(FieldKind kind, const FieldWriteEntry& entry, CallRecord& record, Source* source, DWORD* number) {
  switch (kind) {
    case FieldKind::kValue:
      *number = FieldNumber(entry);
      *source = {reinterpret_cast<const BYTE*>(number), sizeof *number};
      record.Line().Hex("value", entry.value);
      return true;
    case FieldKind::kString: {
      const char* text = static_cast<const char*>(FieldSource(entry));
      record.Line().Hex("value", entry.value);
      if (text == nullptr) {
        record.Error("null source text");
        return false;
      }
      record.Line().Text("text", text);
      *source = {reinterpret_cast<const BYTE*>(text), std::strlen(text) + 1};
      return true;
    }
    case FieldKind::kBytes: {
      const BYTE* bytes = static_cast<const BYTE*>(FieldSource(entry));
      record.Line().Hex("value", entry.value);
      if (bytes == nullptr && entry.count > 0) {
        record.Error("null source for %lu bytes", static_cast<unsigned long>(entry.count));
        return false;
      }
      if (entry.count > kOptionsAreaSize) {
        // Larger than the whole options area: do not even read the source.
        record.Error("%lu bytes exceed every record", static_cast<unsigned long>(entry.count));
        return false;
      }
      record.Line().Bytes("bytes", bytes, entry.count);
      *source = {bytes, entry.count};
      return true;
    }
  }
  return false;
}

// Faults the library handles itself leave a line and let the write go on; the others leave
// the call, so its line is written and the session let go of first.
void RaiseFieldFault(standin::FieldFault fault, CallRecord& record, SessionGuard& guard) {
  switch (fault) {
    case standin::FieldFault::kHandled:
      record.Line().Text("fault", FaultAndRecover() ? "access violation handled" : "no access violation");
      return;
    case standin::FieldFault::kBadPointerProbe:
      record.Line().Text("fault", ProbeBadPointer() ? "bad pointer probed" : "pointer not reported bad");
      return;
    default:
      break;
  }
  record.Line().Text("fault", fault == standin::FieldFault::kAccessViolation ? "access violation"
                                                                             : standin::FieldFaultName(fault));
  record.Flush();
  guard.Unlock();
  RaiseUnhandled(fault);
}

void WriteEntry(FieldKind kind, const char* call, const FieldWriteEntry& entry, SessionGuard& guard) {
  Session& session = TheSession();
  CallRecord record(call);
  const UINT_PTR target = reinterpret_cast<UINT_PTR>(entry.field);
  const bool knownArea = standin::IsRecordArea(entry.area);
  const UINT_PTR base = reinterpret_cast<UINT_PTR>(session.working.options.data()) + standin::RecordOffset(entry.area);
  const long long offset = static_cast<long long>(target) - static_cast<long long>(base);
  const long long extent = static_cast<long long>(standin::RecordExtent(entry.area));
  record.Line().Number("area", entry.area);
  if (knownArea) {
    record.Line().Number("offset", offset);
  } else {
    record.Line().Hex("address", target);
  }
  record.Line().Number("count", entry.count);

  Source source{};
  DWORD number = 0;
  if (!SourceOf(kind, entry, record, &source, &number)) {
    return;
  }
  if (!knownArea) {
    record.Error("area code %lu is neither 1 (general record) nor 0 (on-access record)",
                 static_cast<unsigned long>(entry.area));
    return;
  }
  if (offset < 0 || offset >= extent) {
    record.Error("field address 0x%08llX lies outside the %s (offset %lld, record spans %lld bytes)",
                 static_cast<unsigned long long>(target), standin::AreaName(entry.area), offset, extent);
    return;
  }
  if (offset + static_cast<long long>(source.size) > extent) {
    record.Error("%u bytes at offset %lld run past the end of the %s (%lld bytes)", static_cast<unsigned>(source.size),
                 offset, standin::AreaName(entry.area), extent);
    return;
  }
  if (session.faults.crashOnField && session.faults.crashArea == entry.area &&
      static_cast<long long>(session.faults.crashOffset) == offset) {
    RaiseFieldFault(session.faults.crashKind, record, guard);
  }
  std::memcpy(reinterpret_cast<BYTE*>(target), source.bytes, source.size);
}

BOOL WriteFields(FieldKind kind, const char* call, const FieldWriteEntry* entries, DWORD count) {
  SessionGuard guard;
  if (TheSession().LiveCount(kManagementPort) == 0 || entries == nullptr || count == 0) {
    // Nothing to write: the one line says why.
    CallRecord record(call);
    record.Line().Number("entries", count);
    if (RequireLive(kManagementPort, call, record)) {
      record.Error("%s with %s", call, entries == nullptr ? "a null entry list" : "no entries");
    }
    return FALSE;
  }
  if (TheSession().faults.threadFaultOnField) {
    // A thread of the library's own faults while the caller is inside the library.
    guard.Unlock();
    FaultOnAnotherThread(TheSession().faults.threadFaultKind);
  }
  for (DWORD i = 0; i < count; ++i) {
    WriteEntry(kind, call, entries[i], guard);
  }
  const DWORD delay = TheSession().faults.fieldWriteDelayMs;
  if (delay != 0) {
    guard.Unlock();  // a slow product, not a stuck one: other calls may go on meanwhile
    Sleep(delay);
  }
  return TRUE;
}

}  // namespace

BOOL WINAPI SetFieldString(const FieldWriteEntry* entries, DWORD count) {
  return WriteFields(FieldKind::kString, "SetFieldString", entries, count);
}

BOOL WINAPI SetFieldValue(const FieldWriteEntry* entries, DWORD count) {
  return WriteFields(FieldKind::kValue, "SetFieldValue", entries, count);
}

BOOL WINAPI SetFieldBytes(const FieldWriteEntry* entries, DWORD count) {
  return WriteFields(FieldKind::kBytes, "SetFieldBytes", entries, count);
}

}  // namespace syncutil
