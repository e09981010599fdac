// The record every run leaves for a fleet's tools: below TARNUPDATE beside the result, and as
// LastRun.json in the agent's state folder. One table, read by the agent that writes the record
// and by everything that describes or reads it, so that names and types cannot drift apart.
#pragma once

#include <cstddef>

// The JSON form of the record, in the agent's state folder.
constexpr char kRunRecordFileName[] = "LastRun.json";

enum class RunRecordType { kText, kNumber };  // REG_SZ and a JSON string; REG_DWORD and a JSON number

struct RunRecordField {
  const char* value;  // the registry value below TARNUPDATE
  const char* json;   // its member in LastRun.json
  RunRecordType type;
  const char* meaning;
};

constexpr RunRecordField kRunRecordFields[] = {
    {"ReturnCode", "returnCode", RunRecordType::kNumber, "the run's result, also its exit code"},
    {"ReturnString", "returnString", RunRecordType::kText, "the result's text"},
    {"LastRunTime", "lastRunTime", RunRecordType::kText, "when the run ended: UTC, ISO 8601 with milliseconds"},
    {"LastCommand", "lastCommand", RunRecordType::kText, "the command word as recognised, such as LC_UPDATE; empty for none"},
    {"LastScript", "lastScript", RunRecordType::kText, "the update script as given; empty for other commands"},
    {"LastScriptSha256", "lastScriptSha256", RunRecordType::kText,
     "SHA-256 of the script bytes the agent held; empty when it held none"},
    {"LastUpdateType", "lastUpdateType", RunRecordType::kText, "OAS, ODS or SCHEDULE; empty when not read"},
    {"KeysChanged", "keysChanged", RunRecordType::kNumber,
     "keys whose new value differs from the one the product held before"},
    {"KeysWritten", "keysWritten", RunRecordType::kNumber, "keys written to the product"},
    {"KeysFailed", "keysFailed", RunRecordType::kNumber, "keys whose write failed with an exception"},
    {"ListsReplaced", "listsReplaced", RunRecordType::kNumber, "item lists replaced"},
    {"LastUndoPoint", "lastUndoPoint", RunRecordType::kText, "the undo point the run kept; empty for none"},
    {"Retryable", "retryable", RunRecordType::kNumber,
     "1 when the same run may succeed later unchanged (another run held the product, a time-out), else 0"},
};
constexpr std::size_t kRunRecordFieldCount = sizeof kRunRecordFields / sizeof kRunRecordFields[0];
