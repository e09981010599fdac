#include "standin_product/core/fault_config.h"

#include "foundation/unique_handle.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace standin {
namespace {

template <typename Value>
struct Named {
  Value value;
  const char* name;
};
constexpr Named<ControlCall> kControlCalls[] = {{ControlCall::kStartLC, "StartLC"},
                                       {ControlCall::kStopLC, "StopLC"},
                                       {ControlCall::kEnableLC, "EnableLC"},
                                       {ControlCall::kDisableLC, "DisableLC"}};

constexpr Named<FieldFault> kFieldFaults[] = {{FieldFault::kAccessViolation, "access"},
                                            {FieldFault::kHandled, "handled"},
                                            {FieldFault::kBadPointerProbe, "probe"},
                                            {FieldFault::kForeignException, "foreign"},
                                            {FieldFault::kStackOverflow, "overflow"}};

template <typename Value, std::size_t kCount>
const char* NameIn(const Named<Value> (&table)[kCount], Value value, const char* otherwise) {
  for (const Named<Value>& named : table) {
    if (named.value == value) return named.name;
  }
  return otherwise;
}

// Names in any letter case.
template <typename Value, std::size_t kCount>
bool ParseIn(const Named<Value> (&table)[kCount], const std::string& name, Value* value) {
  for (const Named<Value>& named : table) {
    if (_stricmp(named.name, name.c_str()) == 0) {
      *value = named.value;
      return true;
    }
  }
  return false;
}

DWORD ToDword(const std::string& text) { return std::strtoul(text.c_str(), nullptr, 0); }

void ApplySetting(const std::string& key, const std::string& value, Faults* faults) {
  if (key == "GetOptionsFails") {
    faults->getOptionsFails = ToDword(value) != 0;
  } else if (key == "GetOptionsSize") {
    faults->getOptionsWrongSize = true;
    faults->getOptionsSize = ToDword(value);
  } else if (key == "RefuseInterface") {
    faults->refuseInterface = true;
    faults->refusedInterfaceId = ToDword(value);
  } else if (key == "RefuseResult") {
    faults->refuseResult = static_cast<int>(std::strtol(value.c_str(), nullptr, 0));
  } else if (key == "HangIn") {
    ParseControlCall(value, &faults->hangIn);
  } else if (key == "GetTaskFails") {
    faults->getTaskFails = ToDword(value) != 0;
  } else if (key == "SetTaskFails") {
    faults->setTaskFails = ToDword(value) != 0;
  } else if (key == "GetODSTaskFails") {
    faults->getODSTaskFails = ToDword(value) != 0;
  } else if (key == "CrashOnField") {
    const std::size_t colon = value.find(':');
    const std::size_t kind = value.find(':', colon == std::string::npos ? colon : colon + 1);
    if (colon != std::string::npos) {
      faults->crashOnField = true;
      faults->crashArea = ToDword(value.substr(0, colon));
      faults->crashOffset = ToDword(value.substr(colon + 1, kind - colon - 1));
      if (kind != std::string::npos) ParseFieldFault(value.substr(kind + 1), &faults->crashKind);
    }
  } else if (key == "FieldWriteDelay") {
    faults->fieldWriteDelayMs = ToDword(value);
  } else if (key == "SetTaskDelay") {
    faults->setTaskDelayMs = ToDword(value);
  } else if (key == "EmptyInterface") {
    faults->emptyInterface = true;
    faults->emptyInterfaceId = ToDword(value);
  } else if (key == "HandledFault") {
    faults->handledFault = ToDword(value) != 0;
  } else if (key == "ThreadFaultOnField") {
    faults->threadFaultOnField = ParseFieldFault(value, &faults->threadFaultKind) || ToDword(value) != 0;
  } else if (key == "RaiseIn") {
    const std::size_t colon = value.find(':');
    ParseControlCall(value.substr(0, colon), &faults->raiseIn);
    if (colon != std::string::npos) ParseFieldFault(value.substr(colon + 1), &faults->raiseKind);
  } else if (key == "LateFault") {
    faults->lateFault = true;
    faults->lateFaultMs = ToDword(value);
  }
}

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

const char* ControlCallName(ControlCall call) { return NameIn(kControlCalls, call, "none"); }

bool ParseControlCall(const std::string& name, ControlCall* call) { return ParseIn(kControlCalls, name, call); }

const char* FieldFaultName(FieldFault fault) { return NameIn(kFieldFaults, fault, "access"); }

bool ParseFieldFault(const std::string& name, FieldFault* fault) { return ParseIn(kFieldFaults, name, fault); }

bool Faults::Any() const {
  return getOptionsFails || getOptionsWrongSize || refuseInterface || hangIn != ControlCall::kNone || getTaskFails ||
         setTaskFails || getODSTaskFails || crashOnField || fieldWriteDelayMs != 0 || setTaskDelayMs != 0 || emptyInterface || handledFault ||
         threadFaultOnField || raiseIn != ControlCall::kNone || lateFault;
}

bool ReadFaultsFile(const std::string& path, Faults* faults) {
  *faults = Faults();
  KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  char buffer[4096];
  DWORD read = 0;
  if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
    return false;
  }
  const std::string text(buffer, read);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trimmed(text.substr(start, end - start));
    const std::size_t equals = line.find('=');
    if (!line.empty() && line[0] != ';' && line[0] != '[' && equals != std::string::npos) {
      ApplySetting(Trimmed(line.substr(0, equals)), Trimmed(line.substr(equals + 1)), faults);
    }
    start = end + 1;
  }
  return true;
}

bool WriteFaultsFile(const std::string& path, const Faults& faults) {
  std::string text = "[faults]\r\n";
  char line[64];
  const auto add = [&](const char* key, unsigned long value) {
    std::snprintf(line, sizeof line, "%s=%lu\r\n", key, value);
    text += line;
  };
  if (faults.getOptionsFails) add("GetOptionsFails", 1);
  if (faults.getOptionsWrongSize) add("GetOptionsSize", faults.getOptionsSize);
  if (faults.refuseInterface) {
    add("RefuseInterface", faults.refusedInterfaceId);
    std::snprintf(line, sizeof line, "RefuseResult=%d\r\n", faults.refuseResult);
    text += line;
  }
  if (faults.hangIn != ControlCall::kNone) text += std::string("HangIn=") + ControlCallName(faults.hangIn) + "\r\n";
  if (faults.getTaskFails) add("GetTaskFails", 1);
  if (faults.setTaskFails) add("SetTaskFails", 1);
  if (faults.getODSTaskFails) add("GetODSTaskFails", 1);
  if (faults.crashOnField) {
    std::snprintf(line, sizeof line, "CrashOnField=%lu:%lu:%s\r\n", static_cast<unsigned long>(faults.crashArea),
                  static_cast<unsigned long>(faults.crashOffset), FieldFaultName(faults.crashKind));
    text += line;
  }
  if (faults.fieldWriteDelayMs != 0) add("FieldWriteDelay", faults.fieldWriteDelayMs);
  if (faults.setTaskDelayMs != 0) add("SetTaskDelay", faults.setTaskDelayMs);
  if (faults.emptyInterface) add("EmptyInterface", faults.emptyInterfaceId);
  if (faults.handledFault) add("HandledFault", 1);
  if (faults.threadFaultOnField) text += std::string("ThreadFaultOnField=") + FieldFaultName(faults.threadFaultKind) + "\r\n";
  if (faults.raiseIn != ControlCall::kNone) {
    text += std::string("RaiseIn=") + ControlCallName(faults.raiseIn) + ":" + FieldFaultName(faults.raiseKind) + "\r\n";
  }
  if (faults.lateFault) add("LateFault", faults.lateFaultMs);
  KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

}  // namespace standin
