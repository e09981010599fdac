// Values the entry point sets before any command runs; the worker thread only reads them.
#pragma once

#include <windows.h>

#include "text_string.h"

constexpr int kPathBufferSize = 260;
constexpr int kRequiredVersionBufferSize = 24;

// The agent's own version: shown in the start banner and the bound of the version check.
constexpr int kAgentVersionMajor = 1;
constexpr int kAgentVersionMinor = 0;
constexpr int kAgentVersionBuild = 15;

constexpr DWORD kDefaultFuncTimeout = 240000;

extern HINSTANCE InstanceHandle;
extern char ScriptPath[kPathBufferSize];
extern char RequiredVersion[kRequiredVersionBufferSize];
extern TextString NoExtensionString;
extern TextString ProductVersion;
extern DWORD FuncTimeout;
extern TextString TargetPath;
extern TextString ExecCmdLine;
