// standin: inspects and steers the stand-in product from a console.
#include "standin_product/tool/commands.h"

#include <cstdio>
#include <cstring>

namespace {

struct Command {
  const char* name;
  int (*run)(const standin_tool::Args&);
  const char* usage;
};

constexpr Command kCommands[] = {
    {"reset", standin_tool::Reset, "reset                      default state, empty journal, no faults"},
    {"state", standin_tool::ShowState, "state                      control state, lists, tasks, protocol errors"},
    {"field", standin_tool::ShowField, "field AREA OFFSET TYPE     AREA general|oas|1|0, TYPE dword|text|hex[:N]"},
    {"journal", standin_tool::ShowJournal, "journal [errors]           every call received (or only protocol errors)"},
    {"faults", standin_tool::ShowFaults, "faults                     fault switches in force"},
    {"fault", standin_tool::SetFault, "fault NAME [ARGS]          getoptions-fails | getoptions-size N |\n"
                                      "                           refuse ID [RESULT] | hang StartLC|StopLC|EnableLC|DisableLC |\n"
                                      "                           gettask-fails | settask-fails | getodstask-fails |\n"
                                      "                           crash AREA OFFSET [access|handled|probe|foreign|overflow]"},
    {"clear-faults", standin_tool::ClearFaults, "clear-faults               no faults"},
    {"tasks", standin_tool::SetTasks, "tasks KIND,KIND,...|none   replace the scheduled tasks (kinds by index)"},
    {"where", standin_tool::ShowWhere, "where                      installed library and state folder"},
    {"install", standin_tool::Install, "install PACKAGE.msi        msiexec /i PACKAGE /qn"},
    {"uninstall", standin_tool::Uninstall, "uninstall                  msiexec /x {product} /qn"},
};

int Usage() {
  std::fprintf(stderr, "usage: standin COMMAND [ARGS]\n");
  for (const Command& command : kCommands) {
    std::fprintf(stderr, "  %s\n", command.usage);
  }
  return standin_tool::kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    return Usage();
  }
  for (const Command& command : kCommands) {
    if (std::strcmp(argv[1], command.name) == 0) {
      const int result = command.run(standin_tool::Args(argv + 2, argv + argc));
      if (result == standin_tool::kUsage) {
        std::fprintf(stderr, "usage: standin %s\n", command.usage);
      }
      return result;
    }
  }
  return Usage();
}
