// tarnplan: what an update script would change on this machine, before the agent applies it;
// the product's settings as an update script; a backup to go back to; a script's signature.
//
//   tarnplan preview SCRIPT [--backup FILE] [--json]
//   tarnplan export OAS|ODS|SCHEDULE [--out FILE] [--json]
//   tarnplan history [--json]
//   tarnplan last [--json]
//   tarnplan sign SCRIPT --pfx FILE [--password-env NAME] [--json]
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "foundation/json_schema.h"
#include "foundation/secure_file.h"
#include "foundation/settings_key.h"
#include "foundation/unique_handle.h"
#include "foundation/utf8_text.h"
#include "tarncheck/json_report.h"
#include "tarncheck/script_check.h"
#include "tarnplan/last_run.h"
#include "tarnplan/product_reading.h"
#include "tarnplan/reports.h"
#include "tarnplan/script_signing.h"
#include "tool_cli/tool_cli.h"
#include "update/script_readers.h"
#include "update/undo_capture.h"
#include "update/undo_points.h"

using json = nlohmann::ordered_json;

namespace {

const tool_cli::Tool kTool{
    "tarnplan",
    "usage: tarnplan preview SCRIPT [--backup FILE] [--json]\n"
    "           what the script would change: exit 0 nothing, 1 something, 2 the agent would fail\n"
    "       tarnplan export OAS|ODS|SCHEDULE [--out FILE] [--json]\n"
    "           the product's settings as an update script: exit 0, 1 with values left out, 2 on failure\n"
    "       tarnplan history [--json]\n"
    "           the agent's undo points, newest first: exit 0, 1 when there is none, 2 when unreadable\n"
    "       tarnplan last [--json]\n"
    "           the record of the agent's last run: exit 0, 1 when there is none yet, 2 when unreadable\n"
    "       tarnplan sign SCRIPT --pfx FILE [--password-env NAME] [--json]\n"
    "           writes SCRIPT.p7s, the script's signature by the PFX's certificate: exit 0, 2 on failure\n"
    "       exit 64: a wrong command line\n"};

struct Options {
  std::string command;
  std::string argument;  // the script, or the update type
  std::string file;      // --backup, --out or --pfx
  std::string passwordName;  // --password-env: the variable that holds the PFX's password
  bool json = false;
};

// Empty, or what is wrong with the command line, in a few words.
std::string ParseOptions(int argc, char** argv, Options& options) {
  std::vector<std::string> words;  // the command and its argument
  std::string fileOption;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--json") {
      options.json = true;
    } else if (argument == "--password-env") {
      if (i + 1 >= argc) return argument + " needs a NAME";
      options.passwordName = argv[++i];
    } else if (argument == "--backup" || argument == "--out" || argument == "--pfx") {
      if (!fileOption.empty()) {
        return fileOption == argument ? argument + " given twice" : fileOption + " and " + argument + " together";
      }
      if (i + 1 >= argc) return argument + " needs a FILE";
      fileOption = argument;
      options.file = argv[++i];
    } else if (argument.size() > 1 && argument[0] == '-') {
      return "unknown option " + argument;
    } else {
      words.push_back(argument);
    }
  }
  if (words.empty()) return "no command given: preview, export, history, last or sign";
  options.command = words[0];
  // history and last read what the agent left and take no argument.
  const bool noArgument = options.command == "history" || options.command == "last";
  const bool sign = options.command == "sign";
  if (!noArgument && !sign && options.command != "preview" && options.command != "export") {
    return "unknown command " + options.command;
  }
  if (words.size() < 2 && !noArgument) {
    return options.command == "export" ? "export needs an update type: OAS, ODS or SCHEDULE" : options.command + " needs a SCRIPT";
  }
  if (words.size() > (noArgument ? 1u : 2u)) return "unexpected argument " + words[noArgument ? 1 : 2];
  if (!noArgument) options.argument = words[1];
  const char* ownOption = options.command == "preview" ? "--backup"
                          : options.command == "export" ? "--out"
                          : sign                        ? "--pfx"
                                                        : "";
  if (!fileOption.empty() && fileOption != ownOption) return options.command + " takes no " + fileOption;
  if (!options.passwordName.empty() && !sign) return options.command + " takes no --password-env";
  if (sign && options.file.empty()) return "sign needs --pfx FILE";
  // The JSON report goes to standard output: an exported script must then go to a file.
  if (options.command == "export" && options.json && options.file.empty()) return "export --json needs --out FILE";
  return "";
}

// One run's end: the report, a one-line cause on standard error when it failed, the exit code.
struct Run {
  const Options& options;
  json report;

  // The report's first members; every other member is set before the run can fail, so that a
  // failed run's report has them all, empty.
  static json Begin(const char* command) { return {{"schemaVersion", kJsonSchemaVersion}, {"command", command}}; }

  int Finish(int exitCode, const std::string& error = "") {
    if (!error.empty()) std::fprintf(stderr, "tarnplan: %s\n", error.c_str());
    report["exitCode"] = exitCode;
    report["error"] = error.empty() ? json() : json(AnsiToUtf8(error));
    if (options.json) std::printf("%s\n", report.dump(2).c_str());
    return exitCode;
  }
  int Fail(ResultCode result, const std::string& cause, const std::string& scriptPath) {
    const std::string text = ResultText(result, scriptPath);
    report["result"] = {{"code", result}, {"text", AnsiToUtf8(text)}};
    return Finish(kExitError, cause + ": the agent would end with " + text);
  }
};

std::string FullPath(const std::string& path) {
  char full[MAX_PATH] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? full : path;
}

ScriptWriter BackupScript(const std::string& scriptPath, const Preview& preview, const MemoryProduct::Records& before) {
  std::vector<ReplacedKey> keys;
  for (const KeyChange& key : preview.keys) {
    if (key.committed) keys.push_back({key.section, key.key, key.type, key.current});
  }
  std::vector<ReplacedList> lists;
  if (OptionsUsable(before)) {
    for (const ItemListRow* list : ListsOf(preview.kind)) lists.push_back({list, before.lists.at(list->listId)});
  }
  return UndoScript(preview.kind,
                    {"Backup written by tarnplan before " + scriptPath + ":",
                     "the values that script changes, as the product holds them now, and every list",
                     "(an update replaces whole lists). Apply with tarnupd.exe LC_UPDATE= to go back."},
                    keys, lists);
}

// Writes a whole script file as files made for administrators are written: complete under a
// temporary name, then moved into place, never through a link someone left at that name.
// Empty, or ": " and why not.
std::string WriteScriptFile(const std::string& path, const std::string& text) {
  const FileStatus written = WriteWholeFile(path.c_str(), text.data(), text.size(), FileReaders::kUsers, true);
  return written.ok() ? "" : ": " + std::string(written.Reason().c_str());
}

int RunPreview(const Options& options) {
  const std::string path = FullPath(options.argument);
  Run run{options, Run::Begin("preview")};
  run.report["script"] = AnsiToUtf8(path);
  run.report["updateType"] = nullptr;
  run.report.update(PreviewJson(Preview{}));
  run.report["result"] = nullptr;
  run.report["backup"] = nullptr;
  // Held, sharing reads only, as the agent holds it: what is read is one version of the script.
  KernelHandle script;
  const FileStatus opened = OpenOutsideFile(path.c_str(), FILE_SHARE_READ, script);
  if (!opened.ok()) {
    const std::string why = opened.refusal == FileRefusal::kFailed ? tool_cli::SystemMessage(opened.error)
                                                                    : std::string(opened.Reason().c_str());
    return run.Fail(kResultScriptMissing, "the script cannot be read: " + why, path);
  }
  // Checked as tarncheck checks it, so that a preview that cannot run still says what is wrong
  // with the script (an update type mistyped, say).
  std::string bytes;
  const FileStatus read = ReadToEnd(script.get(), bytes);
  if (!read.ok()) return run.Fail(kResultScriptMissing, "the script cannot be read: " + tool_cli::SystemMessage(read.error), path);
  Findings findings = CheckScript(bytes);
  run.report["findings"] = FindingListJson(findings);
  const auto failChecked = [&](ResultCode result, const std::string& cause) {
    if (!options.json) {
      for (const Finding& finding : findings) std::printf("%s\n", FormatFinding(finding).c_str());
    }
    return run.Fail(result, cause, path);
  };

  MemoryProduct::Records before;
  UpdateKind kind;
  {
    ProductConnection product;
    const Obstacle opened = product.Open();
    if (opened.result != kResultSuccess) return failChecked(opened.result, opened.cause);
    char type[kScriptTextBufferSize];
    GetPrivateProfileStringA("TARNUPDATE", "UpdateType", "UNKNOWN", type, sizeof type, path.c_str());
    if (!FindUpdateKind(type, kind)) {
      const std::string cause = "update type \"" + std::string(type) + "\" is none of OAS, ODS and SCHEDULE";
      return failChecked(kResultBadCommandLine, cause);
    }
    run.report["updateType"] = UpdateKindName(kind);
    product.Read(kind, before);
  }
  const Preview preview = PreviewScript(path, kind, ReadAgentSettings(), before, std::move(findings));
  const std::string resultText = ResultText(preview.result, path);
  run.report.update(PreviewJson(preview));
  run.report["result"] = {{"code", preview.result}, {"text", AnsiToUtf8(resultText)}};
  if (!options.json) std::fputs(PreviewText(path, preview, resultText).c_str(), stdout);

  if (!options.file.empty()) {
    const ScriptWriter backup = BackupScript(path, preview, before);
    const std::string cause = WriteScriptFile(options.file, backup.Text());
    if (!cause.empty()) return run.Finish(kExitError, "the backup cannot be written to " + options.file + cause);
    WarnNotWritten("backup", backup.notWritten());
    run.report["backup"] = {{"file", AnsiToUtf8(FullPath(options.file))},
                            {"notWritten", NotWrittenJson(backup.notWritten())}};
  }
  if (preview.result != kResultSuccess) {
    const Obstacle obstacle = ObstacleIn(kind, before);
    return run.Finish(kExitError, (obstacle.cause.empty() ? "the update would not complete" : obstacle.cause) +
                                      ": the agent would end with " + resultText);
  }
  return run.Finish(preview.WouldChange() ? kExitSomething : kExitNothing);
}

int RunExport(const Options& options) {
  Run run{options, Run::Begin("export")};
  run.report["updateType"] = nullptr;
  run.report["file"] = nullptr;
  run.report["keysWritten"] = 0;
  run.report["notWritten"] = json::array();
  UpdateKind kind;
  if (!FindUpdateKind(options.argument.c_str(), kind)) {
    return run.Finish(kExitError, "\"" + options.argument + "\" is none of OAS, ODS and SCHEDULE");
  }
  run.report["updateType"] = UpdateKindName(kind);
  MemoryProduct::Records records;
  {
    ProductConnection product;
    Obstacle obstacle = product.Open();
    if (obstacle.result == kResultSuccess) {
      product.Read(kind, records);
      obstacle = ObstacleIn(kind, records);
    }
    if (obstacle.result != kResultSuccess) return run.Finish(kExitError, obstacle.cause);
  }
  const ScriptWriter script = ExportScript(kind, records);
  if (options.file.empty()) {
    _setmode(_fileno(stdout), _O_BINARY);  // the script's CR LF as they are
    std::fputs(script.Text().c_str(), stdout);
  } else if (const std::string cause = WriteScriptFile(options.file, script.Text()); !cause.empty()) {
    return run.Finish(kExitError, "the script cannot be written to " + options.file + cause);
  } else {
    run.report["file"] = AnsiToUtf8(FullPath(options.file));
  }
  WarnNotWritten("export", script.notWritten());
  run.report["keysWritten"] = script.keysWritten();
  run.report["notWritten"] = NotWrittenJson(script.notWritten());
  return run.Finish(script.notWritten().empty() ? kExitNothing : kExitSomething);
}

// An undo point's "YYYY-MM-DD HH:MM:SS.mmm UTC" in ISO 8601; null when it is of another form.
json IsoTime(const std::string& headingTime) {
  SYSTEMTIME time = {};
  char zone[4] = {};
  if (std::sscanf(headingTime.c_str(), "%4hu-%2hu-%2hu %2hu:%2hu:%2hu.%3hu %3s", &time.wYear, &time.wMonth,
                  &time.wDay, &time.wHour, &time.wMinute, &time.wSecond, &time.wMilliseconds, zone) != 8 ||
      std::string(zone) != "UTC") {
    return nullptr;
  }
  return tool_cli::IsoTime(time);
}

// The undo points in LC_UPDATE\UndoFolder, newest first: their names begin with the time.
int RunHistory(const Options& options) {
  Run run{options, Run::Begin("history")};
  run.report["folder"] = nullptr;
  run.report["undoPoints"] = json::array();
  const AgentSettings settings = ReadAgentSettings();
  const std::string& folder = settings.undoFolder;
  if (!settings.undoFolderRefusal.empty()) {
    return run.Finish(kExitError, settings.undoFolderRefusal + ": the agent keeps no undo points");
  }
  if (folder.empty()) {
    // The agent is a 32-bit program: on 64-bit Windows its key is in the registry's 32-bit view.
    const std::string key = "HKLM\\" + SettingsToRead().Path() + "\\LC_UPDATE";
    return run.Finish(kExitError, key + "\\UndoFolder is not set: the agent keeps no undo points; set it with reg add \"" +
                                      key + "\" /v UndoFolder /t REG_SZ /d \"C:\\ProgramData\\Velmora\\Tarn " +
                                      "Configuration Agent\\Undo\" /reg:32");
  }
  run.report["folder"] = AnsiToUtf8(folder);
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return run.Finish(kExitError, folder + " cannot be read: it is no folder");
  }
  std::vector<std::string> names;
  // No folder yet: the agent makes it with the first undo point.
  const DWORD error = ListUndoPoints(folder, nullptr, names);
  if (error != ERROR_SUCCESS && error != ERROR_PATH_NOT_FOUND) {
    return run.Finish(kExitError, folder + " cannot be read (error " + std::to_string(error) + ")");
  }
  std::reverse(names.begin(), names.end());  // newest first
  for (const std::string& name : names) {
    UndoPointInfo info;
    if (!ReadUndoHeading(folder + "\\" + name, info)) continue;
    // The script's path is the only free text of a checked heading: shown with its control
    // characters escaped, so that no file can drive the administrator's terminal.
    const std::string script = EscapeControls(info.script);
    run.report["undoPoints"].push_back({{"file", AnsiToUtf8(folder + "\\" + name)},
                                        {"time", IsoTime(info.time)},
                                        {"updateType", info.updateType},
                                        {"script", AnsiToUtf8(script)},
                                        {"keys", info.keys},
                                        {"lists", info.lists}});
    if (!options.json) {
      std::printf("%s  %-8s  %zu keys, %zu lists  before %s\n    %s\\%s\n", info.time.c_str(), info.updateType.c_str(),
                  info.keys, info.lists, script.c_str(), folder.c_str(), name.c_str());
    }
  }
  if (run.report["undoPoints"].empty()) {
    if (!options.json) std::printf("no undo points in %s\n", folder.c_str());
    return run.Finish(kExitSomething);
  }
  return run.Finish(kExitNothing);
}

// The record of the agent's last run, from LastRun.json; with --json the document as the agent
// wrote it, each member of the record present (null where the file lacks it).
int RunLast(const Options& options) {
  const LastRun last = ReadLastRun();
  if (options.json) std::printf("%s\n", last.document.dump(2).c_str());
  switch (last.outcome) {
    case LastRun::Outcome::kShown:
      if (!options.json) std::fputs(LastRunText(last.document).c_str(), stdout);
      return kExitNothing;
    case LastRun::Outcome::kNone:
      if (!options.json) std::printf("no run recorded yet: there is no %s\n", last.path.c_str());
      return kExitSomething;
    case LastRun::Outcome::kUnreadable:
      break;
  }
  std::fprintf(stderr, "tarnplan: %s\n", last.error.c_str());
  return kExitError;
}

// sign SCRIPT --pfx FILE [--password-env NAME] [--json]: the PFX's password, if any, comes from
// the environment, never from the command line that other users may see.
int RunSign(const Options& options) {
  const std::string& pfx = options.file;
  const std::string& passwordName = options.passwordName;
  const std::string path = FullPath(options.argument);
  Run run{options, Run::Begin("sign")};
  run.report["script"] = AnsiToUtf8(path);
  run.report["signature"] = nullptr;
  run.report["signer"] = nullptr;
  std::wstring password;
  if (!passwordName.empty()) {
    const std::wstring name(passwordName.begin(), passwordName.end());
    password.resize(GetEnvironmentVariableW(name.c_str(), nullptr, 0));
    if (password.empty()) return run.Finish(kExitError, "the environment variable " + passwordName + " is not set");
    password.resize(GetEnvironmentVariableW(name.c_str(), &password[0], static_cast<DWORD>(password.size())));
  }
  const ScriptSigning signing = SignScript(path, pfx, password.c_str());
  SecureZeroMemory(&password[0], password.size() * sizeof(wchar_t));
  if (!signing.error.empty()) return run.Finish(kExitError, signing.error);
  const std::string file = path + ".p7s";
  if (const std::string cause = WriteScriptFile(file, signing.signature); !cause.empty()) {
    return run.Finish(kExitError, "the signature cannot be written to " + file + cause);
  }
  run.report["signature"] = AnsiToUtf8(file);
  run.report["signer"] = Sha256Hex(signing.signer);
  if (!options.json) {
    std::printf("%s written: signed by the certificate %s\n", file.c_str(), Sha256Hex(signing.signer).c_str());
  }
  return run.Finish(kExitNothing);

}

// The report is held in standard output's buffer until the end, where a write that fails (a
// full disk, a reader that went away) would otherwise be lost without a word, leaving a
// verdict's exit code with nothing printed: flushed here, a failure is said and is the exit.
int ReportWritten(int exitCode) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return exitCode;
  const DWORD error = GetLastError();
  std::fprintf(stderr, "tarnplan: the report could not be written to standard output (error %lu)\n", error);
  return kExitError;
}

}  // namespace

int main(int argc, char** argv) {
  // A console or a device takes every write of an unbuffered stream on its own: what tarnplan
  // says leaves in one piece at the end.
  std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  if (tool_cli::AsksForHelp(argc, argv)) return tool_cli::ShowHelp(kTool);
  Options options;
  if (const std::string problem = ParseOptions(argc, argv, options); !problem.empty()) {
    return tool_cli::UsageError(kTool, problem);
  }
  if (options.command == "history") return ReportWritten(RunHistory(options));
  if (options.command == "sign") return ReportWritten(RunSign(options));
  if (options.command == "last") return ReportWritten(RunLast(options));
  return ReportWritten(options.command == "preview" ? RunPreview(options) : RunExport(options));
}
