#include "dispatch.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "exec_program.h"
#include "process_state.h"
#include "settings_key.h"
#include "sync_loader.h"
#include "trace_log.h"
#include "uninstall_restore.h"
#include "worker.h"

namespace {

bool PathExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// Copies an argument into a fixed buffer. An argument that does not fit is refused, never
// cut: a cut path could name another file that exists.
bool CopyArgument(char* buffer, std::size_t size, const char* argument, const char* what) {
  const std::size_t length = std::strlen(argument);
  if (length >= size) {
    TraceStatus("%s argument of %u characters refused: at most %u are allowed.\n", what,
                static_cast<unsigned>(length), static_cast<unsigned>(size - 1));
    return false;
  }
  std::memcpy(buffer, argument, length + 1);
  return true;
}

ResultCode RunUpdateCommand(const char* upperCommandLine) {
  if (!CopyArgument(ScriptPath, sizeof(ScriptPath), CommandArgument(upperCommandLine, kCommandUpdate),
                    "LC_UPDATE=")) {
    return kResultBadCommandLine;
  }
  UpperCaseAscii(ScriptPath);
  if (!PathExists(ScriptPath)) return kResultScriptMissing;
  return RunOnWorker(kCommandUpdate);
}

ResultCode RunExecCommand() {
  TargetPath = Settings().ReadString("LC_EXEC", "ExecFilePath", "");
  ExecCmdLine = Settings().ReadString("LC_EXEC", "ExecCmdLine", "");
  TargetPath.MakeUpper();
  if (!PathExists(TargetPath)) return kResultProgramMissing;
  return ExecProgram();
}

ResultCode RunFileVersionCommand() {
  constexpr char kSubkey[] = "LC_FILEVER";
  constexpr const char* kValues[] = {"FileVersionMajor", "FileVersionMinor", "FileVersionBuild", "FileVersionExtra"};
  TargetPath = Settings().ReadString(kSubkey, "FilePath", "");
  for (const char* value : kValues) Settings().WriteDword(kSubkey, value, 0);

  char versionText[kPathBufferSize] = {};
  const ResultCode result = GetFileVer(TargetPath, versionText, kPathBufferSize);
  int parts[4] = {0, 0, 0, 0};
  std::sscanf(versionText, "%d.%d.%d.%d", &parts[0], &parts[1], &parts[2], &parts[3]);
  for (int i = 0; i < 4; ++i) Settings().WriteDword(kSubkey, kValues[i], static_cast<DWORD>(parts[i]));
  return result;
}

ResultCode ToggleDebugOutput() {
  DebugOutput = DebugOutput == 0 ? 1 : 0;
  Settings().WriteDword("Debug", "Output", DebugOutput);
  OutputDebugStringA(DebugOutput != 0 ? "Debug State = ON\n" : "Debug State = OFF\n");
  return kResultSuccess;
}

ResultCode CheckRequiredVersion(const char* upperCommandLine) {
  if (!CopyArgument(RequiredVersion, sizeof(RequiredVersion), CommandArgument(upperCommandLine, kCommandVersion),
                    "LC_VERSION=")) {
    return kResultBadCommandLine;
  }
  int major = 0;
  int minor = 0;
  int build = 0;
  if (std::sscanf(RequiredVersion, "%d.%d.%d", &major, &minor, &build) < 3) return kResultBadCommandLine;
  // Each part is compared by itself: 0.9.0 asks for a minor version this agent does not have.
  if (major > kAgentVersionMajor || minor > kAgentVersionMinor || build > kAgentVersionBuild) {
    return kResultVersionTooOld;
  }
  return kResultSuccess;
}

}  // namespace

ResultCode DispatchCommand(CommandWord word, const char* upperCommandLine) {
  switch (word) {
    case kCommandStart:
    case kCommandStop:
    case kCommandEnable:
    case kCommandDisable:
      return RunOnWorker(word);
    case kCommandUpdate:
      return RunUpdateCommand(upperCommandLine);
    case kCommandExec:
      return RunExecCommand();
    case kCommandFileVersion:
      return RunFileVersionCommand();
    case kCommandDebug:
      return ToggleDebugOutput();
    case kCommandRestore:
      RestoreLegacyUninstall();
      return kResultSuccess;
    case kCommandVersion:
      return CheckRequiredVersion(upperCommandLine);
    default:
      return kResultSuccess;
  }
}
