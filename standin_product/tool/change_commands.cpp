#include "standin_product/standin_state.h"
#include "standin_product/tool/commands.h"

#include <cstdio>
#include <cstdlib>

namespace standin_tool {
namespace {

int Done(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "%s failed (state folder %s)\n", what, standin::StateDirectory().c_str());
    return kFailed;
  }
  return kOk;
}

DWORD Number(const std::string& text) { return std::strtoul(text.c_str(), nullptr, 0); }

// Applies one named switch to faults; false for an unknown name or wrong arguments.
bool ApplyFault(const Args& args, standin::Faults* faults) {
  const std::string& name = args[0];
  const std::size_t extra = args.size() - 1;
  if (name == "getoptions-fails" && extra == 0) {
    faults->getOptionsFails = true;
  } else if (name == "getoptions-size" && extra == 1) {
    faults->getOptionsWrongSize = true;
    faults->getOptionsSize = Number(args[1]);
  } else if (name == "refuse" && (extra == 1 || extra == 2)) {
    faults->refuseInterface = true;
    faults->refusedInterfaceId = Number(args[1]);
    faults->refuseResult = extra == 2 ? static_cast<int>(std::strtol(args[2].c_str(), nullptr, 0)) : kGetIFaceFailed;
  } else if (name == "hang" && extra == 1) {
    return standin::ParseControlCall(args[1], &faults->hangIn);
  } else if (name == "gettask-fails" && extra == 0) {
    faults->getTaskFails = true;
  } else if (name == "settask-fails" && extra == 0) {
    faults->setTaskFails = true;
  } else if (name == "getodstask-fails" && extra == 0) {
    faults->getODSTaskFails = true;
  } else if (name == "crash" && (extra == 2 || extra == 3)) {
    faults->crashOnField = true;
    faults->crashArea = Number(args[1]);
    faults->crashOffset = Number(args[2]);
    return extra == 2 || standin::ParseFieldFault(args[3], &faults->crashKind);
  } else {
    return false;
  }
  return true;
}

}  // namespace

int Reset(const Args& args) { return args.empty() ? Done(standin::ResetState(), "reset") : kUsage; }

// Switches add up: "fault gettask-fails" after "fault hang StopLC" keeps both.
int SetFault(const Args& args) {
  standin::Faults faults;
  if (args.empty()) {
    return kUsage;
  }
  if (!standin::ReadFaults(&faults)) {
    return Done(false, "reading the faults");
  }
  if (!ApplyFault(args, &faults)) {
    return kUsage;
  }
  return Done(standin::SetFaults(faults), "setting the fault");
}

int ClearFaults(const Args& args) { return args.empty() ? Done(standin::ClearFaults(), "clearing faults") : kUsage; }

int SetTasks(const Args& args) {
  if (args.size() != 1) {
    return kUsage;
  }
  std::vector<DWORD> kinds;
  if (args[0] != "none") {
    for (std::size_t start = 0; start <= args[0].size();) {
      std::size_t comma = args[0].find(',', start);
      if (comma == std::string::npos) comma = args[0].size();
      kinds.push_back(Number(args[0].substr(start, comma - start)));
      start = comma + 1;
    }
  }
  return Done(standin::SetTaskKinds(kinds), "setting the tasks");
}

int Install(const Args& args) {
  if (args.size() != 1) {
    return kUsage;
  }
  const int code = standin::InstallPackage(args[0]);
  std::printf("msiexec /i: %d\n", code);
  return code == 0 ? kOk : kFailed;
}

int Uninstall(const Args& args) {
  if (!args.empty()) {
    return kUsage;
  }
  const int code = standin::UninstallProduct();
  std::printf("msiexec /x: %d\n", code);
  return code == 0 ? kOk : kFailed;
}

}  // namespace standin_tool
