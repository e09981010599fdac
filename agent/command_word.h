// Command words: searched for in a fixed order anywhere in the upper-cased command line; the
// first one found decides.
#pragma once

#include <cstddef>

// In search order.
enum class CommandWord {
  kNone,
  kStart,
  kStop,
  kUpdate,
  kExec,
  kFileVersion,
  kDebug,
  kRestore,
  kEnable,
  kDisable,
  kVersion,
};

CommandWord RecogniseCommand(const char* upperCommandLine);

// The argument of LC_UPDATE= or LC_VERSION=: the text after the word's length from the start
// of the command line, wherever the word itself stood; empty if the line is shorter.
const char* CommandArgument(const char* upperCommandLine, CommandWord word);

// Copies the word's argument into `buffer` of `size` bytes. An argument that does not fit is
// refused with a status line, never cut: a cut path could name another file that exists.
bool CopyCommandArgument(const char* upperCommandLine, CommandWord word, char* buffer, std::size_t size);
