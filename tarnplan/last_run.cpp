#include "tarnplan/last_run.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "foundation/json_schema.h"
#include "foundation/run_record.h"
#include "foundation/secure_file.h"
#include "foundation/trusted_folder.h"
#include "foundation/unique_handle.h"
#include "tarncheck/code_page.h"
#include "tarnplan/reports.h"
#include "tool_cli/tool_cli.h"

using json = nlohmann::ordered_json;

namespace {

// The agent writes a few hundred bytes; anything far larger is no record of its own.
constexpr DWORD kLargestRecord = 1 << 20;

json EmptyDocument() {
  json document = {{"schemaVersion", kJsonSchemaVersion}};
  for (const RunRecordField& field : kRunRecordFields) document[field.json] = nullptr;
  return document;
}

// The file's bytes; empty, or why they could not be read.
std::string ReadRecordFile(const std::string& path, std::string& bytes, bool& missing) {
  KernelHandle file;
  // Shared for writing and deleting too: the agent's next record replaces the file by a move,
  // which a reader must never hold up.
  const FileStatus opened =
      OpenOutsideFile(path.c_str(), FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, file, true);
  if (!opened.ok()) {
    missing = opened.refusal == FileRefusal::kFailed &&
              (opened.error == ERROR_FILE_NOT_FOUND || opened.error == ERROR_PATH_NOT_FOUND);
    return opened.refusal == FileRefusal::kFailed ? tool_cli::SystemMessage(opened.error)
                                                  : std::string(opened.Reason().c_str());
  }
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.get(), &size)) return tool_cli::SystemMessage(GetLastError());
  if (size.QuadPart > kLargestRecord) return "it is larger than a run record can be";
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() && !ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr)) {
    return tool_cli::SystemMessage(GetLastError());
  }
  bytes.resize(read);
  return "";
}

// Empty, or why `written` is no run record: the table's members must be of the table's types
// (or absent, or null), whatever else the document holds.
std::string Problem(const json& written) {
  if (!written.is_object()) return "it is no JSON object";
  for (const RunRecordField& field : kRunRecordFields) {
    const auto member = written.find(field.json);
    if (member == written.end() || member->is_null()) continue;
    const bool number = field.type == RunRecordType::kNumber;
    if (number ? !member->is_number_unsigned() : !member->is_string()) {
      return std::string(field.json) + (number ? " is no number of 0 or more" : " is no string");
    }
  }
  return "";
}

}  // namespace

LastRun ReadLastRun() {
  LastRun run;
  run.document = EmptyDocument();
  const TextString folder = AgentStateFolder();
  if (folder.IsEmpty()) {
    run.outcome = LastRun::Outcome::kUnreadable;
    run.error = "the system names no program data folder: no run record can be found";
    return run;
  }
  run.path = std::string(folder.c_str()) + "\\" + kRunRecordFileName;
  std::string bytes;
  bool missing = false;
  std::string why = ReadRecordFile(run.path, bytes, missing);
  if (missing) return run;
  json written;
  if (why.empty()) {
    try {
      written = json::parse(bytes);
      why = Problem(written);
    } catch (const json::exception& error) {
      // "[json.exception.parse_error.101] parse error at ...": the part after the id.
      const char* text = std::strchr(error.what(), ']');
      why = std::string("it is no JSON document: ") + (text != nullptr ? text + 2 : error.what());
    }
  }
  if (!why.empty()) {
    run.outcome = LastRun::Outcome::kUnreadable;
    run.error = run.path + " cannot be read: " + why;
    return run;
  }
  const auto version = written.find("schemaVersion");
  run.document["schemaVersion"] = version != written.end() ? *version : json();
  for (const auto& member : written.items()) run.document[member.key()] = member.value();
  run.outcome = LastRun::Outcome::kShown;
  return run;
}

std::string LastRunText(const json& document) {
  std::size_t width = 0;
  for (const RunRecordField& field : kRunRecordFields) width = std::max(width, std::strlen(field.value));
  std::string text;
  for (const RunRecordField& field : kRunRecordFields) {
    const json& value = document.at(field.json);
    std::string shown = value.is_null()     ? "(not recorded)"
                        : value.is_string() ? EscapeControls(ToAnsi(ToUtf16(CodePage::kUtf8, value.get<std::string>())))
                                            : value.dump();
    text += field.value + std::string(width + 2 - std::strlen(field.value), ' ') + shown + "\n";
  }
  return text;
}
