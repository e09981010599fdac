#include "agent/last_run.h"

#include <cstdio>
#include <cstring>

#include "agent/commands/commands.h"
#include "agent/commands/update.h"
#include "foundation/json_schema.h"
#include "foundation/run_record.h"
#include "foundation/secure_file.h"
#include "foundation/settings_key.h"
#include "foundation/trace_log.h"
#include "update/update_kind.h"

namespace {

constexpr char kRecordKey[] = "TARNUPDATE";
// Room for a result text naming a path, and for a path itself.
constexpr int kTextCapacity = 2 * kPathBufferSize + 128;

struct RecordValue {
  DWORD number;
  char text[kTextCapacity];
};

// What the run gives the record from.
struct RecordSources {
  const CommandRun& run;
  ResultCode code;
  const char* resultText;
  TimeOutCause cause;
};

void Put(RecordValue& value, const char* text) {
  std::snprintf(value.text, sizeof value.text, "%s", text != nullptr ? text : "");
}

LONG Read(const volatile LONG& value) { return InterlockedCompareExchange(const_cast<volatile LONG*>(&value), 0, 0); }

const UpdateTally* TallyOf(const RecordSources& from) {
  return IsUpdateRun(from.run) && from.run.details != nullptr ? &from.run.details->update : nullptr;
}

DWORD Count(const RecordSources& from, volatile LONG UpdateTally::*counter) {
  const UpdateTally* tally = TallyOf(from);
  return tally != nullptr ? static_cast<DWORD>(Read(tally->*counter)) : 0;
}

using Give = void (*)(const RecordSources& from, RecordValue& value);

struct RecordSource {
  const char* value;  // the table's name of the value it gives
  Give give;
};

// The one place that says where each value of the record comes from, in the table's order.
constexpr RecordSource kSources[] = {
    {"ReturnCode", [](const RecordSources& from, RecordValue& value) { value.number = static_cast<DWORD>(from.code); }},
    {"ReturnString", [](const RecordSources& from, RecordValue& value) { Put(value, from.resultText); }},
    {"LastRunTime",
     [](const RecordSources&, RecordValue& value) {
       SYSTEMTIME now = {};
       GetSystemTime(&now);
       std::snprintf(value.text, sizeof value.text, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", now.wYear, now.wMonth,
                     now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
     }},
    {"LastCommand",
     [](const RecordSources& from, RecordValue& value) {
       // The word without the '=' that some words take their argument after.
       const char* word = from.run.command != nullptr ? from.run.command->word : "";
       std::snprintf(value.text, sizeof value.text, "%.*s", static_cast<int>(std::strcspn(word, "=")), word);
     }},
    {"LastScript",
     [](const RecordSources& from, RecordValue& value) {
       const UpdateArguments* update = UpdateArgumentsOf(from.run);
       Put(value, update != nullptr ? update->scriptPath.c_str() : "");
     }},
    {"LastScriptSha256",
     [](const RecordSources& from, RecordValue& value) {
       const UpdateArguments* update = UpdateArgumentsOf(from.run);
       Put(value, update != nullptr ? update->scriptSha256.c_str() : "");
     }},
    {"LastUpdateType",
     [](const RecordSources& from, RecordValue& value) {
       const UpdateTally* tally = TallyOf(from);
       const LONG kind = tally != nullptr ? Read(tally->kind) : 0;
       Put(value, kind > 0 ? UpdateKindName(static_cast<UpdateKind>(kind - 1)) : "");
     }},
    {"KeysChanged",
     [](const RecordSources& from, RecordValue& value) { value.number = Count(from, &UpdateTally::keysChanged); }},
    {"KeysWritten",
     [](const RecordSources& from, RecordValue& value) { value.number = Count(from, &UpdateTally::keysWritten); }},
    {"KeysFailed",
     [](const RecordSources& from, RecordValue& value) { value.number = Count(from, &UpdateTally::keysFailed); }},
    {"ListsReplaced",
     [](const RecordSources& from, RecordValue& value) {
       // One bit per list filled again.
       DWORD lists = Count(from, &UpdateTally::listsReplaced);
       for (value.number = 0; lists != 0; lists &= lists - 1) ++value.number;
     }},
    {"LastUndoPoint",
     [](const RecordSources& from, RecordValue& value) {
       const bool kept = TallyOf(from) != nullptr && Read(from.run.details->undoState) == kUndoWritten;
       Put(value, kept ? from.run.details->undoFile : "");
     }},
    {"Retryable",
     [](const RecordSources& from, RecordValue& value) { value.number = DescribeTimeOut(from.cause).retryable ? 1 : 0; }},
};

constexpr bool SameText(const char* one, const char* other) {
  while (*one != '\0' && *one == *other) ++one, ++other;
  return *one == *other;
}
constexpr bool SourcesFollowTable() {
  if (sizeof kSources / sizeof kSources[0] != kRunRecordFieldCount) return false;
  for (std::size_t i = 0; i < kRunRecordFieldCount; ++i) {
    if (!SameText(kSources[i].value, kRunRecordFields[i].value)) return false;
  }
  return true;
}
static_assert(SourcesFollowTable(), "one source per value of the run record, in the table's order");

// Only the claimant of the result writes the record, once: static storage is no one else's.
RecordValue g_values[kRunRecordFieldCount];
wchar_t g_wide[kTextCapacity];
char g_utf8[4 * kTextCapacity];
// Every character escaped at most six times over, and the members' names and punctuation.
char g_json[kRunRecordFieldCount * (6 * sizeof g_utf8 + 64) + 64];

// Appends to the document; false once it would not fit.
class JsonText {
 public:
  bool Add(const char* text) {
    const std::size_t length = std::strlen(text);
    if (length_ + length >= sizeof g_json) return false;
    std::memcpy(g_json + length_, text, length + 1);
    length_ += length;
    return true;
  }
  // A text of the system code page as a JSON string of UTF-8.
  bool AddString(const char* ansi) {
    g_utf8[0] = '\0';
    if (*ansi != '\0') {
      const int wide = MultiByteToWideChar(CP_ACP, 0, ansi, -1, g_wide, kTextCapacity);
      if (wide <= 0 || WideCharToMultiByte(CP_UTF8, 0, g_wide, -1, g_utf8, sizeof g_utf8, nullptr, nullptr) <= 0) {
        return false;
      }
    }
    bool fits = Add("\"");
    for (const char* at = g_utf8; fits && *at != '\0'; ++at) {
      const unsigned char c = static_cast<unsigned char>(*at);
      char escaped[8] = {static_cast<char>(c), '\0'};
      if (c == '"' || c == '\\') {
        escaped[0] = '\\', escaped[1] = static_cast<char>(c), escaped[2] = '\0';
      } else if (c < 0x20) {
        std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      }
      fits = Add(escaped);
    }
    return fits && Add("\"");
  }
  std::size_t size() const { return length_; }

 private:
  std::size_t length_ = 0;
};

bool FormatJson(JsonText& json) {
  char number[32];
  std::snprintf(number, sizeof number, "{\n  \"schemaVersion\": %d", kJsonSchemaVersion);
  bool fits = json.Add(number);
  for (std::size_t i = 0; fits && i < kRunRecordFieldCount; ++i) {
    const RunRecordField& field = kRunRecordFields[i];
    fits = json.Add(",\n  \"") && json.Add(field.json) && json.Add("\": ");
    if (field.type == RunRecordType::kNumber) {
      std::snprintf(number, sizeof number, "%lu", static_cast<unsigned long>(g_values[i].number));
      fits = fits && json.Add(number);
    } else {
      fits = fits && json.AddString(g_values[i].text);
    }
  }
  return fits && json.Add("\n}\n");
}

void WriteJson(const RunDetails& details) {
  if (!details.stateFolder.IsOpen()) {
    TraceStatus("%s is not written: the agent's state folder cannot be used (%s).\n", kRunRecordFileName,
                details.stateRefusal.c_str());
    return;
  }
  JsonText json;
  if (!FormatJson(json)) {
    TraceStatus("%s is not written: a value cannot be put in JSON.\n", kRunRecordFileName);
    return;
  }
  const FileStatus written = WriteWholeFile(details.stateFolder.PathOf(kRunRecordFileName), g_json, json.size(),
                                            FileReaders::kUsers, true);
  if (!written.ok()) {
    TraceStatus("%s is not written: %s.\n", kRunRecordFileName, written.Reason().c_str());
  }
}

}  // namespace

void OpenLastRunFolder(RunDetails& details) {
  const TextString folder = AgentStateFolder();
  if (folder.IsEmpty()) {
    details.stateRefusal = "the system does not say where the program data folder is";
    return;
  }
  const FileStatus opened = details.stateFolder.Open(folder);
  if (!opened.ok()) details.stateRefusal = details.stateFolder.Refusal(opened);
}

bool ClearLastRun() {
  bool cleared = true;
  for (const RunRecordField& field : kRunRecordFields) {
    cleared = Settings().WriteString({kRecordKey, field.value}, nullptr) && cleared;
  }
  return cleared;
}

bool WriteLastRun(const CommandRun& run, ResultCode code, const char* resultText, TimeOutCause cause) {
  const RecordSources from{run, code, resultText, cause};
  bool written = true;
  for (std::size_t i = 0; i < kRunRecordFieldCount; ++i) {
    RecordValue& value = g_values[i];
    value.number = 0;
    value.text[0] = '\0';
    kSources[i].give(from, value);
    const SettingName name{kRecordKey, kRunRecordFields[i].value};
    written = (kRunRecordFields[i].type == RunRecordType::kNumber ? Settings().WriteDword(name, value.number)
                                                                   : Settings().WriteString(name, value.text)) &&
              written;
  }
  if (run.details != nullptr) WriteJson(*run.details);
  return written;
}
