#include "script_file.h"

#include <cstring>

#include "process_state.h"

DWORD ReadScriptNumber(const char* section, const char* key, int defaultValue) {
  return GetPrivateProfileIntA(section, key, defaultValue, ScriptPath);
}

bool ReadScriptText(const char* section, const char* key, char (&text)[kScriptTextBufferSize]) {
  GetPrivateProfileStringA(section, key, kMissingSentinel, text, kScriptTextBufferSize, ScriptPath);
  return std::strcmp(text, kMissingSentinel) != 0;
}
