// LC_EXEC: runs the program named in the settings and records its exit code.
#include "agent/commands/commands.h"
#include "foundation/secure_file.h"
#include "foundation/agent_settings.h"
#include "foundation/unique_handle.h"

namespace {

struct ExecArguments : CommandArguments {
  TextString program;    // LC_EXEC\ExecFilePath, upper-cased: the result text names it
  TextString arguments;  // LC_EXEC\ExecCmdLine
};

}  // namespace

const char* ExecResultArgument(const CommandRun& run, ResultCode, unsigned int&) {
  const ExecArguments* exec = ArgumentsOf<ExecArguments>(run);
  return exec != nullptr ? exec->program.c_str() : "";
}

ResultCode ExecProgram(CommandRun& run, const char*) {
  ExecArguments& exec = MakeArguments<ExecArguments>(run);
  exec.program = Settings().ReadPath(agent_setting::kExecFilePath, "");
  exec.arguments = Settings().ReadString(agent_setting::kExecCmdLine, "");
  exec.program.MakeUpper();
  if (!PathExists(exec.program)) return kResultProgramMissing;
  // Held from here until the process is created, denying writes and deletion: the program
  // started is the file found, not one a user put in its place meanwhile. Opened allowing a
  // pipe server identification only, and only a file on a disk.
  KernelHandle program;
  const FileStatus held = OpenOutsideFile(exec.program, FILE_SHARE_READ, program);
  if (!held.ok()) {
    TraceStatus("The program %s cannot be held for starting: %s.\n", exec.program.c_str(), held.Reason().c_str());
    return kResultProgramNotHeld;
  }

  // The program gets the start-up information the management system gave the agent.
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  GetStartupInfoA(&startup);

  // Path unquoted, one blank (even without arguments), arguments: the program sees the line a
  // settings author has always relied on. The program started is the one checked above, named
  // as the application: the system's search from the front of an unquoted line would start
  // C:\PROGRAM.EXE for C:\PROGRAM FILES\...
  TextString commandLine = exec.program + " " + exec.arguments;
  TraceStatus("Executing \"%s\"\n", commandLine.c_str());

  PROCESS_INFORMATION process = {};
  // CreateProcessA may write into the command line, so it gets a buffer of its own.
  if (!CreateProcessA(exec.program, commandLine.WritableBuffer(commandLine.Length()), nullptr, nullptr, FALSE,
                      CREATE_NEW_CONSOLE, nullptr, nullptr, &startup, &process)) {
    return kResultProgramNotStarted;
  }
  program.reset();
  const KernelHandle processHandle(process.hProcess);
  const KernelHandle threadHandle(process.hThread);

  WaitForSingleObjectEx(processHandle.get(), INFINITE, FALSE);
  DWORD exitCode = 0;
  GetExitCodeProcess(processHandle.get(), &exitCode);
  TraceStatus("Execution Returned %d\n", static_cast<int>(exitCode));
  Settings().WriteDword(agent_setting::kExecReturnCode, exitCode);
  return kResultSuccess;
}
