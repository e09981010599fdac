// Command words: searched for in a fixed order anywhere in the upper-cased command line; the
// first one found decides.
#pragma once

using CommandWord = int;

constexpr CommandWord kCommandNone = 0;
constexpr CommandWord kCommandStart = 1;
constexpr CommandWord kCommandStop = 2;
constexpr CommandWord kCommandUpdate = 3;
constexpr CommandWord kCommandExec = 4;
constexpr CommandWord kCommandFileVersion = 5;
constexpr CommandWord kCommandDebug = 6;
constexpr CommandWord kCommandRestore = 7;
constexpr CommandWord kCommandEnable = 8;
constexpr CommandWord kCommandDisable = 9;
constexpr CommandWord kCommandVersion = 10;

CommandWord RecogniseCommand(const char* upperCommandLine);

// The argument of LC_UPDATE= or LC_VERSION=: the text after the word's length from the start
// of the command line, wherever the word itself stood; empty if the line is shorter.
const char* CommandArgument(const char* upperCommandLine, CommandWord word);
