// The record the agent leaves after every run, as LastRun.json in its state folder: read back
// for people (one line per value, by its registry name) and for pipelines (the document itself).
#pragma once

#include <nlohmann/json.hpp>

#include <string>

// What reading LastRun.json came to.
struct LastRun {
  enum class Outcome { kShown, kNone, kUnreadable } outcome = Outcome::kNone;
  std::string path;   // the file read, or empty when the system names no program data folder
  std::string error;  // with kUnreadable: "PATH cannot be read: WHY"
  // schemaVersion first, then every member of the record's table in its order (null when the
  // file lacks it), then members the table does not know, in the file's order.
  nlohmann::ordered_json document;
};

LastRun ReadLastRun();

// One line for each member of the table: its registry value name, aligned, and its value.
std::string LastRunText(const nlohmann::ordered_json& document);
