// The standin tool's commands; each takes the words after its name and gives the exit code.
#pragma once

#include <string>
#include <vector>

namespace standin_tool {

using Args = std::vector<std::string>;

// inspect_commands.cpp
int ShowState(const Args& args);
int ShowField(const Args& args);
int ShowJournal(const Args& args);
int ShowFaults(const Args& args);
int ShowWhere(const Args& args);

// change_commands.cpp
int Reset(const Args& args);
int SetFault(const Args& args);
int ClearFaults(const Args& args);
int SetTasks(const Args& args);
int Install(const Args& args);
int Uninstall(const Args& args);

// Exit codes shared by the commands.
constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

}  // namespace standin_tool
