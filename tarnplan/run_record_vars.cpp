// run_record_vars FILE: writes the variables by which the fleet's Ansible role reads the run
// record (docs/fleet/roles/tarn_update/vars/run_record.yml) from the table the agent writes the
// record from, and the names of the settings it sets, so they follow the agent's. tools/update-fleet-vars
// runs it; the role holds its output, checked in.
#include <cstdio>
#include <string>

#include "foundation/agent_settings.h"
#include "foundation/run_record.h"
#include "foundation/settings_key.h"

namespace {

// A YAML single-quoted scalar: backslashes stay as they are, a quote is doubled.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}

std::string Vars() {
  std::string out =
      "---\n"
      "# Written by run_record_vars from the table the agent writes its run record from\n"
      "# (tools/update-fleet-vars): change the table, not this file.\n"
      "\n"
      "# The agent's key below HKLM\\SOFTWARE (a 32-bit program's: below WOW6432Node on 64-bit\n"
      "# Windows) and the subkey of the record.\n"
      "tarn_update_agent_subpath: " +
      Quoted(std::string(kAgentVendorPath) + "\\" + kAgentKeyName) + "\n" +
      "tarn_update_record_subkey: " + Quoted(agent_setting::kReturnCode.subkey) + "\n" +
      "# The hash pin, and the folder of undo points, below the agent's key.\n"
      "tarn_update_pin: {subkey: " + Quoted(agent_setting::kScriptSha256.subkey) +
      ", value: " + Quoted(agent_setting::kScriptSha256.value) + "}\n" +
      "tarn_update_undo_folder: {subkey: " + Quoted(agent_setting::kUndoFolder.subkey) +
      ", value: " + Quoted(agent_setting::kUndoFolder.value) + "}\n" +
      "# The same record as JSON, in the agent's state folder.\n"
      "tarn_update_record_file: " + Quoted(kRunRecordFileName) + "\n" +
      "# One value per run, each written every run: its registry name and type, its JSON member.\n"
      "tarn_update_record_fields:\n";
  for (const RunRecordField& field : kRunRecordFields) {
    const bool number = field.type == RunRecordType::kNumber;
    out += std::string("  - value: ") + Quoted(field.value) + "\n" +
           "    json: " + Quoted(field.json) + "\n" +
           "    type: " + (number ? "REG_DWORD" : "REG_SZ") + "\n" +
           "    json_type: " + (number ? "number" : "string") + "\n" +
           "    meaning: " + Quoted(field.meaning) + "\n";
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: run_record_vars FILE\n");
    return 64;
  }
  const std::string text = Vars();
  std::FILE* file = std::fopen(argv[1], "wb");
  const bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (file == nullptr || std::fclose(file) != 0 || !written) {
    std::fprintf(stderr, "run_record_vars: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
