// tarnmon.exe run as a person would from a console, its standard output and error read through
// a pipe, and its lines taken apart again.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "owned_handle.h"

struct MonitorLine {
  bool wellFormed = false;  // "hh:mm:ss.mmm #seq stream text" in tarnmon's columns
  int sequence = -1;        // -1: the line carries none
  std::string stream;
  std::string text;
};

class MonitorProcess {
 public:
  // Starts tarnmon.exe with `arguments` after its quoted path; false when it did not start.
  bool Start(const std::string& arguments);
  // Reads output until `text` is in it or `timeoutMs` passes; whether it appeared.
  bool WaitForOutput(const std::string& text, DWORD timeoutMs);
  // Reads all output and waits for the exit code; nothing when tarnmon did not end in time.
  std::optional<DWORD> Finish(DWORD timeoutMs);
  // Ends tarnmon at once: a test cannot press Ctrl+C under Wine.
  void Kill();

  const std::string& Output() const { return output_; }
  std::vector<MonitorLine> Lines() const;

 private:
  // Takes what the pipe holds now; false once it is closed and empty.
  bool ReadAvailable();

  tarnmon::OwnedHandle process_;
  tarnmon::OwnedHandle output_pipe_;
  std::string output_;
};

// Posts one message into the status mailslot as the agent would: sequence byte, "[TarnUpdate] ",
// the line, "\n", NUL.
bool PostStatus(unsigned char sequence, const std::string& line);
