#include "process_state.h"

HINSTANCE InstanceHandle = nullptr;
char ScriptPath[kPathBufferSize] = {};
char RequiredVersion[kRequiredVersionBufferSize] = {};
TextString NoExtensionString;
TextString ProductVersion;
DWORD FuncTimeout = kDefaultFuncTimeout;
TextString TargetPath;
TextString ExecCmdLine;
