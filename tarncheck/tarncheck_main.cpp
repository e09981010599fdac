// tarncheck SCRIPT...: checks update scripts without touching the product; exit code 0 when all
// are clean, 1 with warnings, 2 with errors (a script that cannot be read is one), the worst
// over all scripts. With --json (or --format json) the findings are one JSON document.
// tarncheck --reference: prints the update script reference in Markdown.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/json_schema.h"
#include "foundation/secure_file.h"
#include "foundation/unique_handle.h"
#include "tarncheck/findings.h"
#include "tarncheck/json_report.h"
#include "tarncheck/reference_text.h"
#include "tarncheck/script_check.h"
#include "tarncheck/script_signature.h"
#include "tool_cli/tool_cli.h"

namespace {

const tool_cli::Tool kTool{
    "tarncheck",
    "usage: tarncheck [--json | --format text|json] SCRIPT...\n"
    "           check update scripts: exit 0 clean, 1 warnings, 2 errors (the worst of all scripts)\n"
    "       tarncheck --reference\n"
    "           print the update script reference (Markdown)\n"
    "       exit 64: a wrong command line\n"};

int PrintReference() {
  // The reference is checked in with Unix line ends: no CR LF from the runtime's text mode.
  _setmode(_fileno(stdout), _O_BINARY);
  const std::string text = ReferenceMarkdown();
  std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0 ? kExitClean : kExitErrors;
}

// The whole file, or the system's error number.
DWORD ReadScript(const std::string& path, std::string& bytes) {
  const KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  const FileStatus read = ReadToEnd(file.get(), bytes);
  return read.ok() ? ERROR_SUCCESS : read.error;
}

struct Checked {
  std::string path, bytes;
  Findings findings;
  ScriptSignature signature;
};

Checked CheckFile(const std::string& path) {
  Checked checked{path, "", {}, {}};
  const DWORD error = ReadScript(path, checked.bytes);
  if (error != ERROR_SUCCESS) {
    checked.bytes.clear();
    checked.findings = {{0, Severity::kError, Rule::kScriptUnreadable, "cannot read the script: " + tool_cli::SystemMessage(error), "", ""}};
  } else {
    checked.findings = CheckScript(checked.bytes);
    checked.signature = CheckScriptSignature(path, checked.bytes);
    // The agent would refuse the script where its signers are required: an error like any other.
    if (checked.signature.present && !checked.signature.valid) {
      checked.findings.push_back({0, Severity::kError, Rule::kSignatureInvalid, SignatureText(checked.signature), "", ""});
    }
  }
  return checked;
}

int Report(const std::vector<Checked>& scripts, bool json) {
  Findings all;
  int exitCode = kExitClean;
  nlohmann::ordered_json documents = nlohmann::ordered_json::array();
  for (const Checked& script : scripts) {
    all.insert(all.end(), script.findings.begin(), script.findings.end());
    exitCode = std::max(exitCode, ExitCodeOf(script.findings));
    if (json) {
      documents.push_back(FindingsJson(script.path, script.bytes, script.findings));
      documents.back()["signature"] = SignatureJson(script.signature);
    } else {
      for (const Finding& finding : script.findings) std::printf("%s\n", FormatFinding(finding).c_str());
      if (script.signature.valid) std::printf("%s\n", SignatureText(script.signature).c_str());
      std::printf("%s: %s\n", script.path.c_str(), Summary(script.findings).c_str());
    }
  }
  if (json) {
    const int errors = static_cast<int>(
        std::count_if(all.begin(), all.end(), [](const Finding& f) { return f.severity == Severity::kError; }));
    const nlohmann::ordered_json document = {
        {"schemaVersion", kJsonSchemaVersion},
        {"scripts", documents},
        {"counts", {{"errors", errors}, {"warnings", static_cast<int>(all.size()) - errors}}},
        {"exitCode", exitCode}};
    std::printf("%s\n", document.dump(2).c_str());
  } else if (scripts.size() > 1) {
    std::printf("%zu scripts: %s\n", scripts.size(), Summary(all).c_str());
  }
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  if (tool_cli::AsksForHelp(argc, argv)) return tool_cli::ShowHelp(kTool);
  if (argc == 2 && std::string(argv[1]) == "--reference") return PrintReference();
  std::vector<std::string> paths;
  bool json = false;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--json") {
      json = true;
    } else if (argument == "--format") {
      const std::string format = i + 1 < argc ? argv[++i] : "";
      if (format != "json" && format != "text") return tool_cli::UsageError(kTool, "--format needs json or text");
      json = format == "json";
    } else if (argument == "--reference") {
      return tool_cli::UsageError(kTool, "--reference takes nothing else");
    } else if (argument.size() > 1 && argument[0] == '-') {
      return tool_cli::UsageError(kTool, "unknown option " + argument);
    } else {
      paths.push_back(argument);
    }
  }
  if (paths.empty()) return tool_cli::UsageError(kTool, "no SCRIPT given");
  std::vector<Checked> scripts;
  for (const std::string& path : paths) scripts.push_back(CheckFile(path));
  return Report(scripts, json);
}
