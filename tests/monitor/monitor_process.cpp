#include "monitor_process.h"

#include <regex>
#include <sstream>

#include "agent_harness.h"
#include "trace_names.h"

namespace {

constexpr DWORD kPollMs = 10;

}  // namespace

bool MonitorProcess::Start(const std::string& arguments) {
  SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return false;
  output_pipe_ = tarnmon::OwnedHandle(readEnd);
  const tarnmon::OwnedHandle childEnd(writeEnd);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  const tarnmon::OwnedHandle nul(CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                             OPEN_EXISTING, 0, nullptr));

  std::string commandLine = "\"" + ProgramBesideTest("tarnmon.exe") + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul.Get();
  startup.hStdOutput = childEnd.Get();
  startup.hStdError = childEnd.Get();
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
    return false;
  }
  process_ = tarnmon::OwnedHandle(info.hProcess);
  CloseHandle(info.hThread);
  return true;
}

bool MonitorProcess::ReadAvailable() {
  DWORD available = 0;
  if (!PeekNamedPipe(output_pipe_.Get(), nullptr, 0, nullptr, &available, nullptr)) return false;
  if (available == 0) return true;
  std::string chunk(available, '\0');
  DWORD read = 0;
  if (!ReadFile(output_pipe_.Get(), &chunk[0], available, &read, nullptr)) return false;
  output_.append(chunk, 0, read);
  return true;
}

bool MonitorProcess::WaitForOutput(const std::string& text, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    const bool open = ReadAvailable();
    if (output_.find(text) != std::string::npos) return true;
    if (!open || GetTickCount64() >= deadline) return false;
    Sleep(kPollMs);
  }
}

std::optional<DWORD> MonitorProcess::Finish(DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (ReadAvailable() && GetTickCount64() < deadline) Sleep(kPollMs);
  DWORD exitCode = 0;
  if (WaitForSingleObject(process_.Get(), 0) != WAIT_OBJECT_0 || !GetExitCodeProcess(process_.Get(), &exitCode)) {
    return std::nullopt;
  }
  return exitCode;
}

void MonitorProcess::Kill() {
  TerminateProcess(process_.Get(), 1);
  WaitForSingleObject(process_.Get(), INFINITE);
  while (ReadAvailable()) {
  }
}

std::vector<MonitorLine> MonitorProcess::Lines() const {
  // Columns: time (12), sequence (4), stream (7), each followed by one space, then the text.
  constexpr std::size_t kTextColumn = 26;
  static const std::regex kHead(R"(\d\d:\d\d:\d\d\.\d\d\d (#\d{1,3} *| {4}) (\w+) *)");
  std::vector<MonitorLine> lines;
  std::istringstream stream(output_);
  std::string text;
  while (std::getline(stream, text)) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    MonitorLine line;
    std::smatch match;
    const std::string head = text.substr(0, kTextColumn);
    if (head.size() == kTextColumn && std::regex_match(head, match, kHead) && match.length(1) == 4 &&
        match.position(2) == 18) {
      line.wellFormed = true;
      if (match.str(1)[0] == '#') line.sequence = std::stoi(match.str(1).substr(1));
      line.stream = match.str(2);
      line.text = text.substr(kTextColumn);
    } else {
      line.text = text;
    }
    lines.push_back(line);
  }
  return lines;
}

bool PostStatus(unsigned char sequence, const std::string& line) {
  const tarnmon::OwnedHandle mailslot(CreateFileA(kTestMailslotName, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!mailslot.IsValid()) return false;
  const std::string message = std::string(1, static_cast<char>(sequence)) + kTestStatusPrefix + line + "\n" + '\0';
  DWORD written = 0;
  return WriteFile(mailslot.Get(), message.data(), static_cast<DWORD>(message.size()), &written, nullptr) &&
         written == message.size();
}
