#include "standin_product/core/journal_format.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace standin {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Unescape(const std::string& value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const char code = value[++i];
    if (code == 't') {
      out += '\t';
    } else if (code == 'n') {
      out += '\n';
    } else if (code == 'r') {
      out += '\r';
    } else if (code == 'x' && i + 2 < value.size() && HexValue(value[i + 1]) >= 0 && HexValue(value[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(value[i + 1]) * 16 + HexValue(value[i + 2]));
      i += 2;
    } else {
      out += code;
    }
  }
  return out;
}

JournalEntry ParseLine(const std::string& line) {
  JournalEntry entry;
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab = line.find('\t'); ; tab = line.find('\t', start)) {
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  if (fields.size() < 2 || fields[0].empty() || fields[1].empty()) {
    entry.call = "?";
    return entry;
  }
  entry.pid = std::strtoul(fields[0].c_str(), nullptr, 10);
  entry.call = fields[1];
  for (std::size_t i = 2; i < fields.size(); ++i) {
    const std::size_t equals = fields[i].find('=');
    if (equals == std::string::npos) {
      entry.args.emplace_back(fields[i], std::string());
    } else {
      entry.args.emplace_back(fields[i].substr(0, equals), Unescape(fields[i].substr(equals + 1)));
    }
  }
  return entry;
}

}  // namespace

JournalLine::JournalLine(DWORD pid, const char* call) {
  line_.reserve(96);
  char number[16];
  std::snprintf(number, sizeof number, "%lu", static_cast<unsigned long>(pid));
  line_ += number;
  line_ += '\t';
  line_ += call;
}

void JournalLine::Key(const char* key) {
  line_ += '\t';
  line_ += key;
  line_ += '=';
}

JournalLine& JournalLine::Number(const char* key, long long value) {
  char number[24];
  std::snprintf(number, sizeof number, "%lld", value);
  Key(key);
  line_ += number;
  return *this;
}

JournalLine& JournalLine::Hex(const char* key, ULONG_PTR value) {
  char number[24];
  std::snprintf(number, sizeof number, "0x%08llX", static_cast<unsigned long long>(value));
  Key(key);
  line_ += number;
  return *this;
}

JournalLine& JournalLine::Text(const char* key, const char* text) {
  Key(key);
  for (const char* at = text; *at != '\0'; ++at) {
    const unsigned char c = static_cast<unsigned char>(*at);
    if (c == '\\') {
      line_ += "\\\\";
    } else if (c == '\t') {
      line_ += "\\t";
    } else if (c == '\n') {
      line_ += "\\n";
    } else if (c == '\r') {
      line_ += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      line_ += "\\x";
      line_ += kHexDigits[c >> 4];
      line_ += kHexDigits[c & 15];
    } else {
      line_ += static_cast<char>(c);
    }
  }
  return *this;
}

JournalLine& JournalLine::Bytes(const char* key, const BYTE* bytes, std::size_t count) {
  Key(key);
  for (std::size_t i = 0; i < count; ++i) {
    line_ += kHexDigits[bytes[i] >> 4];
    line_ += kHexDigits[bytes[i] & 15];
  }
  return *this;
}

bool JournalEntry::Has(const std::string& key) const {
  for (const auto& arg : args) {
    if (arg.first == key) return true;
  }
  return false;
}

std::string JournalEntry::Arg(const std::string& key) const {
  for (const auto& arg : args) {
    if (arg.first == key) return arg.second;
  }
  return std::string();
}

long long JournalEntry::Number(const std::string& key) const {
  const std::string value = Arg(key);
  if (value.compare(0, 2, "0x") == 0) {
    return static_cast<long long>(std::strtoull(value.c_str() + 2, nullptr, 16));
  }
  return std::strtoll(value.c_str(), nullptr, 10);
}

std::vector<BYTE> JournalEntry::BytesArg(const std::string& key) const {
  const std::string value = Arg(key);
  std::vector<BYTE> bytes;
  for (std::size_t i = 0; i + 1 < value.size(); i += 2) {
    bytes.push_back(static_cast<BYTE>(HexValue(value[i]) * 16 + HexValue(value[i + 1])));
  }
  return bytes;
}

std::vector<JournalEntry> ParseJournal(const std::string& text) {
  std::vector<JournalEntry> entries;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) {
      entries.push_back(ParseLine(text.substr(start, end - start)));
    }
    start = end + 1;
  }
  return entries;
}

}  // namespace standin
