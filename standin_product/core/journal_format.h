// The journal: one text line per call the library received, appended as the call happens.
//
//   <pid> TAB <call> { TAB <key>=<value> } LF
//
// Values escape backslash, TAB, CR, LF and other control bytes (\\ \t \r \n \xNN), so a line
// never breaks inside a value and any text round-trips. Numbers are decimal, addresses and
// raw values 0x-prefixed hex, byte runs plain hex pairs. A protocol error the library found
// in a call is a line of its own right after that call's line:
//
//   <pid> TAB ProtocolError TAB in=<call> TAB message=<why>
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace standin {

constexpr char kProtocolErrorCall[] = "ProtocolError";

// Builds one line; cheap enough to run on every call of a long agent run.
class JournalLine {
 public:
  JournalLine(DWORD pid, const char* call);

  JournalLine& Number(const char* key, long long value);
  JournalLine& Hex(const char* key, ULONG_PTR value);
  JournalLine& Text(const char* key, const char* text);
  JournalLine& Bytes(const char* key, const BYTE* bytes, std::size_t count);

  // The finished line, with its LF.
  std::string Finish() const { return line_ + '\n'; }

 private:
  void Key(const char* key);
  std::string line_;
};

struct JournalEntry {
  DWORD pid = 0;
  std::string call;
  std::vector<std::pair<std::string, std::string>> args;

  bool Has(const std::string& key) const;
  // The value of key, "" when absent.
  std::string Arg(const std::string& key) const;
  // The value of key read as a decimal or 0x-hex number; 0 when absent.
  long long Number(const std::string& key) const;
  // A byte run written with JournalLine::Bytes.
  std::vector<BYTE> BytesArg(const std::string& key) const;
  bool IsProtocolError() const { return call == kProtocolErrorCall; }
};

// Reads a whole journal; a malformed line becomes an entry with call "?" and no args, so a
// count of entries is never off.
std::vector<JournalEntry> ParseJournal(const std::string& text);

}  // namespace standin
