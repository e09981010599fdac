// Posting into the status mailslot as a writer does, for the tests and the program they run.
#pragma once

#include <windows.h>

#include <string>

#include "foundation/unique_handle.h"
#include "testtools/trace_names.h"

// One message, every byte as given; false while no collector holds the mailslot.
inline bool PostToCollector(const std::string& message) {
  const KernelHandle slot(
      CreateFileA(kTestMailslotName, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  DWORD written = 0;
  return slot && WriteFile(slot.get(), message.data(), message.size(), &written, nullptr) && written == message.size();
}
