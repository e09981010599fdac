#include "standin_product/standin_state.h"
#include "standin_product/tool/commands.h"

#include <cstdio>
#include <cstdlib>
#include <map>

namespace standin_tool {
namespace {

const char* ListName(std::size_t listId) {
  static const char* const kNames[] = {"on-demand excluded items", "on-demand scan items", "on-access excluded items"};
  return kNames[listId];
}

bool ParseArea(const std::string& text, DWORD* area) {
  if (text == "general" || text == "1") {
    *area = kAreaGeneralRecord;
  } else if (text == "oas" || text == "0") {
    *area = kAreaOASTaskRecord;
  } else {
    return false;
  }
  return true;
}

void PrintHex(const std::vector<BYTE>& bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::printf("%02X%s", bytes[i], (i % 16 == 15 || i + 1 == bytes.size()) ? "\n" : " ");
  }
}

}  // namespace

int ShowState(const Args& args) {
  standin::ProductState state;
  if (!args.empty()) {
    return kUsage;
  }
  if (!standin::ReadState(&state)) {
    std::fprintf(stderr, "cannot read the state in %s\n", standin::StateDirectory().c_str());
    return kFailed;
  }
  std::printf("product: %s, %s\n", state.running ? "running" : "stopped", state.enabled ? "enabled" : "disabled");
  for (std::size_t id = 0; id < state.lists.size(); ++id) {
    std::printf("list %u (%s): %u items\n", static_cast<unsigned>(id), ListName(id),
                static_cast<unsigned>(state.lists[id].size()));
    for (const std::string& item : state.lists[id]) {
      std::printf("  %s\n", item.c_str());
    }
  }
  std::printf("tasks: %u\n", static_cast<unsigned>(state.tasks.size()));
  for (std::size_t i = 0; i < state.tasks.size(); ++i) {
    const DWORD kind = TaskKindOf(state.tasks[i]);
    std::printf("  %u: kind %lu%s\n", static_cast<unsigned>(i), static_cast<unsigned long>(kind),
                kind == kTaskKindUpdate ? " (Update)" : kind == kTaskKindUpgrade ? " (Upgrade)" : "");
  }
  std::vector<std::string> errors;
  if (!standin::ReadProtocolErrors(&errors)) {
    std::printf("protocol errors: journal unreadable\n");
    return kFailed;
  }
  std::printf("protocol errors: %u\n", static_cast<unsigned>(errors.size()));
  for (const std::string& error : errors) {
    std::printf("  %s\n", error.c_str());
  }
  return kOk;
}

int ShowField(const Args& args) {
  DWORD area = 0;
  if (args.size() != 3 || !ParseArea(args[0], &area)) {
    return kUsage;
  }
  const std::size_t offset = std::strtoul(args[1].c_str(), nullptr, 0);
  standin::ProductState state;
  if (!standin::ReadState(&state)) {
    return kFailed;
  }
  const std::string& type = args[2];
  if (type == "dword") {
    const DWORD value = state.FieldDword(area, offset);
    std::printf("%lu (0x%08lX)\n", static_cast<unsigned long>(value), static_cast<unsigned long>(value));
  } else if (type == "text") {
    std::printf("\"%s\"\n", state.FieldText(area, offset).c_str());
  } else if (type.compare(0, 3, "hex") == 0) {
    const std::size_t count = type.size() > 4 && type[3] == ':' ? std::strtoul(type.c_str() + 4, nullptr, 0) : 16;
    PrintHex(state.FieldBytes(area, offset, count));
  } else {
    return kUsage;
  }
  return kOk;
}

int ShowJournal(const Args& args) {
  const bool errorsOnly = args.size() == 1 && args[0] == "errors";
  if (!args.empty() && !errorsOnly) {
    return kUsage;
  }
  std::vector<standin::JournalEntry> entries;
  if (!standin::ReadJournal(&entries)) {
    return kFailed;
  }
  for (const standin::JournalEntry& entry : entries) {
    if (errorsOnly && !entry.IsProtocolError()) {
      continue;
    }
    std::printf("%5lu %-16s", static_cast<unsigned long>(entry.pid), entry.call.c_str());
    for (const auto& arg : entry.args) {
      std::printf(" %s=%s", arg.first.c_str(), arg.second.c_str());
    }
    std::printf("\n");
  }
  return kOk;
}

int ShowFaults(const Args& args) {
  standin::Faults faults;
  if (!args.empty()) {
    return kUsage;
  }
  if (!standin::ReadFaults(&faults)) {
    return kFailed;
  }
  if (!faults.Any()) {
    std::printf("no faults\n");
  }
  if (faults.getOptionsFails) std::printf("GetOptions fails\n");
  if (faults.getOptionsWrongSize) std::printf("GetOptions reports size %lu\n", static_cast<unsigned long>(faults.getOptionsSize));
  if (faults.refuseInterface) {
    std::printf("AvSync_GetIFace(%lu) gives %d\n", static_cast<unsigned long>(faults.refusedInterfaceId),
                faults.refuseResult);
  }
  if (faults.hangIn != standin::ControlCall::kNone) std::printf("%s never returns\n", standin::ControlCallName(faults.hangIn));
  if (faults.getTaskFails) std::printf("GetTask fails\n");
  if (faults.setTaskFails) std::printf("SetTask fails\n");
  if (faults.getODSTaskFails) std::printf("GetODSTask fails\n");
  if (faults.crashOnField) {
    std::printf("fault \"%s\" on a field write at area %lu offset %lu\n", standin::FieldFaultName(faults.crashKind),
                static_cast<unsigned long>(faults.crashArea), static_cast<unsigned long>(faults.crashOffset));
  }
  if (faults.handledFault) std::printf("GetOptions handles an access violation of its own\n");
  if (faults.threadFaultOnField) std::printf("a field write faults on a thread of the library\n");
  return kOk;
}

int ShowWhere(const Args& args) {
  if (!args.empty()) {
    return kUsage;
  }
  std::string library;
  std::printf("library: %s\n", standin::FindInstalledLibrary(&library) ? library.c_str() : "not installed");
  std::printf("state:   %s\n", standin::StateDirectory().c_str());
  return kOk;
}

}  // namespace standin_tool
