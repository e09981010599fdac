// LC_EXEC: runs the program named in the settings and records its exit code.
#include "agent/commands/commands.h"
#include "foundation/settings_key.h"
#include "foundation/unique_handle.h"

ResultCode ExecProgram(CommandRun& run) {
  run.targetPath = Settings().ReadString("LC_EXEC", "ExecFilePath", "");
  run.execCommandLine = Settings().ReadString("LC_EXEC", "ExecCmdLine", "");
  run.targetPath.MakeUpper();
  if (!PathExists(run.targetPath)) return kResultProgramMissing;

  // The program gets the start-up information the management system gave the agent.
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  GetStartupInfoA(&startup);

  // Path unquoted, one blank (even without arguments), arguments: the system takes the program
  // from the front of the line by its usual rules, so a settings author may rely on them.
  TextString commandLine = run.targetPath + " " + run.execCommandLine;
  TraceStatus("Executing \"%s\"\n", commandLine.c_str());

  PROCESS_INFORMATION process = {};
  // CreateProcessA may write into the command line, so it gets a buffer of its own.
  if (!CreateProcessA(nullptr, commandLine.WritableBuffer(commandLine.Length()), nullptr, nullptr, FALSE,
                      CREATE_NEW_CONSOLE, nullptr, nullptr, &startup, &process)) {
    return kResultInstallerFailed;
  }
  const KernelHandle processHandle(process.hProcess);
  const KernelHandle threadHandle(process.hThread);

  WaitForSingleObjectEx(processHandle.get(), INFINITE, FALSE);
  DWORD exitCode = 0;
  GetExitCodeProcess(processHandle.get(), &exitCode);
  TraceStatus("Execution Returned %d\n", static_cast<int>(exitCode));
  Settings().WriteDword("LC_EXEC", "ReturnCode", exitCode);
  return kResultSuccess;
}
