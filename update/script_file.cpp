#include "update/script_file.h"

#include <cstring>


DWORD ReadScriptNumber(const UpdateContext& run, const char* section, const char* key, int defaultValue) {
  return GetPrivateProfileIntA(section, key, defaultValue, run.scriptPath);
}

bool ReadScriptText(const UpdateContext& run, const char* section, const char* key,
                    char (&text)[kScriptTextBufferSize]) {
  GetPrivateProfileStringA(section, key, kMissingSentinel, text, kScriptTextBufferSize, run.scriptPath);
  return std::strcmp(text, kMissingSentinel) != 0;
}
