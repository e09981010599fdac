// Misbehaviours a test can ask of the stand-in product. The library reads them each time an
// interface is obtained, from an INI file in the state folder:
//
//   [faults]
//   GetOptionsFails=1          GetOptions returns FALSE
//   GetOptionsSize=1234        GetOptions succeeds but reports this size
//   RefuseInterface=6          AvSync_GetIFace refuses this interface id ...
//   RefuseResult=7             ... with this result (default 1)
//   HangIn=StopLC              this control call never returns (StartLC/StopLC/EnableLC/DisableLC)
//   GetTaskFails=1             GetTask returns FALSE
//   SetTaskFails=1             SetTask returns FALSE and stores nothing
//   GetODSTaskFails=1          GetODSTask returns FALSE
//   CrashOnField=1:120         a field write at area 1, offset 120 raises an access violation;
//   CrashOnField=1:120:KIND    ... or, by KIND: "handled" raises one and handles it in a frame
//                              of its own, "probe" asks IsBadReadPtr about a bad address (both
//                              then write the field), "foreign" raises a C++ exception of
//                              another compiler (0xE06D7363) that nothing in it handles,
//                              "overflow" overflows its stack
//   FieldWriteDelay=50         every field write takes this many milliseconds (a slow product)
//   SetTaskDelay=500           SetTask takes this many milliseconds after it stored the task
//   EmptyInterface=6           AvSync_GetIFace answers 0 for this id but fills nothing
//   HandledFault=1             GetOptions raises an access violation and handles it itself
//   RaiseIn=StartLC:foreign    this control call raises a fault of that KIND (access, foreign or
//                              overflow, as for CrashOnField) that nothing in it handles
//   LateFault=20               StartLC leaves a thread of the library's own behind, which
//                              raises an access violation this many milliseconds after it
//                              started running
//   ThreadFaultOnField=1       the first field write starts a thread of the library's own that
//                              raises an access violation nothing handles, and waits for it;
//   ThreadFaultOnField=KIND    ... or a fault of that KIND (access, foreign, overflow)
#pragma once

#include <windows.h>

#include <string>

namespace standin {

enum class ControlCall { kNone, kStartLC, kStopLC, kEnableLC, kDisableLC };

enum class FieldFault { kAccessViolation, kHandled, kBadPointerProbe, kForeignException, kStackOverflow };

const char* FieldFaultName(FieldFault fault);
bool ParseFieldFault(const std::string& name, FieldFault* fault);

const char* ControlCallName(ControlCall call);
bool ParseControlCall(const std::string& name, ControlCall* call);

struct Faults {
  bool getOptionsFails = false;
  bool getOptionsWrongSize = false;
  DWORD getOptionsSize = 0;
  bool refuseInterface = false;
  DWORD refusedInterfaceId = 0;
  int refuseResult = 1;
  ControlCall hangIn = ControlCall::kNone;
  bool getTaskFails = false;
  bool setTaskFails = false;
  bool getODSTaskFails = false;
  bool crashOnField = false;
  DWORD crashArea = 0;
  DWORD crashOffset = 0;
  FieldFault crashKind = FieldFault::kAccessViolation;
  DWORD fieldWriteDelayMs = 0;
  DWORD setTaskDelayMs = 0;
  bool emptyInterface = false;
  DWORD emptyInterfaceId = 0;
  bool handledFault = false;
  bool threadFaultOnField = false;
  FieldFault threadFaultKind = FieldFault::kAccessViolation;
  ControlCall raiseIn = ControlCall::kNone;
  FieldFault raiseKind = FieldFault::kAccessViolation;
  bool lateFault = false;
  DWORD lateFaultMs = 0;

  bool Any() const;
};

// A missing file means no faults. False only when the file exists but cannot be read.
bool ReadFaultsFile(const std::string& path, Faults* faults);
bool WriteFaultsFile(const std::string& path, const Faults& faults);

}  // namespace standin
