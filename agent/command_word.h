// A command word's argument, where the word takes one: the text after the word's length from
// the start of the command line, wherever the word itself stood. Kept apart from the command
// table, which calls into the product, so that it can be fuzzed natively.
#pragma once

#include <cstddef>
#include <string>

// The argument of `word` in the upper-cased command line; empty if the line is shorter.
const char* CommandArgument(const char* upperCommandLine, const char* word);

// The argument when it has fewer than `capacity` characters. A longer one is refused with a
// status line, never cut (nullptr): a cut path could name another file that exists.
const char* TakeCommandArgument(const char* upperCommandLine, const char* word, std::size_t capacity);

// Whether the argument of `word` was taken from where the word's writer did not mean it: the
// word did not start the line, or the argument starts with '=', '"' or a blank (a quoted path,
// a blank after the word).
bool ArgumentMisplaced(const char* upperCommandLine, const char* word);

// The argument as its writer most likely meant it: the text after the word in `commandLine` (as
// given, its letters not upper-cased) without the blanks and quotes around it.
std::string MeantArgument(const char* commandLine, const char* upperCommandLine, const char* word);
