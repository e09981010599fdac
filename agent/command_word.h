// A command word's argument, where the word takes one: the text after the word's length from
// the start of the command line, wherever the word itself stood. Kept apart from the command
// table, which calls into the product, so that it can be fuzzed natively.
#pragma once

#include <cstddef>

// The argument of `word` in the upper-cased command line; empty if the line is shorter.
const char* CommandArgument(const char* upperCommandLine, const char* word);

// The argument when it has fewer than `capacity` characters. A longer one is refused with a
// status line, never cut (nullptr): a cut path could name another file that exists.
const char* TakeCommandArgument(const char* upperCommandLine, const char* word, std::size_t capacity);
