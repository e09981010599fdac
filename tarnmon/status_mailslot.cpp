#include "tarnmon/status_mailslot.h"

#include <cstring>

namespace tarnmon {

int StatusMailslot::Create(const char* name) {
  handle_ = KernelHandle(CreateMailslotA(name, 0, 0, nullptr));
  if (static_cast<bool>(handle_)) return kMailslotCreated;
  return GetLastError() == ERROR_ALREADY_EXISTS ? kMailslotInUse : kMailslotFailed;
}

void StatusMailslot::Drain(const std::function<void(const std::string& message)>& onMessage) {
  if (!IsOpen()) return;
  for (;;) {
    DWORD nextSize = 0;
    if (!GetMailslotInfo(handle_.get(), nullptr, &nextSize, nullptr, nullptr) || nextSize == MAILSLOT_NO_MESSAGE) {
      return;
    }
    // An empty message is read too: left in place it would come round for ever. Wine leaves it
    // there when a read asks for no bytes; given room it takes it but reports a broken pipe.
    std::string message(nextSize + 1, '\0');
    DWORD read = 0;
    if (!ReadFile(handle_.get(), &message[0], nextSize + 1, &read, nullptr) &&
        !(nextSize == 0 && GetLastError() == ERROR_BROKEN_PIPE)) {
      return;
    }
    message.resize(read);
    onMessage(message);
  }
}

StatusMessage SplitStatusMessage(const std::string& message, const char* prefix) {
  StatusMessage split;
  if (message.empty()) return split;
  split.sequence = static_cast<unsigned char>(message[0]);
  split.text = message.substr(1);
  if (!split.text.empty() && split.text.back() == '\0') split.text.pop_back();
  const std::size_t prefixLength = std::strlen(prefix);
  if (split.text.compare(0, prefixLength, prefix) == 0) split.text.erase(0, prefixLength);
  return split;
}

}  // namespace tarnmon
