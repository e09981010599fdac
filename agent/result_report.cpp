#include "result_report.h"

#include <windows.h>

#include "message_ids.h"
#include "process_state.h"
#include "settings_key.h"
#include "trace_log.h"

namespace {

constexpr char kResultSubkey[] = "TARNUPDATE";
constexpr int kFirstLoadSize = 256;
constexpr int kLoadStep = 256;

}  // namespace

bool LoadMessage(TextString& text, unsigned int id) {
  text = "";
  const HINSTANCE module = InstanceHandle;
  const LPCSTR block = MAKEINTRESOURCEA(id / 16 + 1);
  if (FindResourceA(module, block, MAKEINTRESOURCEA(6) /* RT_STRING */) == nullptr) return false;

  // LoadStringA gives no sign of a cut text other than filling the buffer: grow until the
  // buffer is at least two characters longer than what it loaded.
  for (int size = kFirstLoadSize;; size += kLoadStep) {
    char* buffer = text.WritableBuffer(size);
    if (text.Capacity() < size) return false;
    const int loaded = LoadStringA(module, id, buffer, size);
    text.SyncLength(loaded > 0 ? loaded : 0);
    if (loaded <= size - 2) return loaded > 0;
  }
}

TextString ResultText(ResultCode code) {
  TextString message;
  TextString text;
  if (code >= kResultSuccess && code <= kResultLast) {
    LoadMessage(message, IDS_RESULT_FIRST + static_cast<unsigned int>(code));
    switch (code) {
      case kResultScriptMissing:
        text.Format(message, ScriptPath);
        break;
      case kResultProgramMissing:
        text.Format(message, TargetPath.c_str());
        break;
      case kResultVersionTooOld:
        text.Format(message, RequiredVersion);
        break;
      default:
        text = message;
        break;
    }
  } else {
    LoadMessage(message, IDS_UNRECOGNISED_ERROR);
    text.Format(message, code);
  }
  return text;
}

void ReportResult(ResultCode code) {
  const TextString text = ResultText(code);
  Settings().WriteDword(kResultSubkey, "ReturnCode", static_cast<DWORD>(code));
  Settings().WriteString(kResultSubkey, "ReturnString", text);
  TraceStatus("%s\n", text.c_str());
}
