// The faults the library raises on request, each as a real library would meet it: nothing here
// is a trap the compiler chose.
#pragma once

#include <windows.h>

#include "standin_product/core/fault_config.h"

namespace syncutil {

// An access violation that nothing in the library handles.
void RaiseAccessViolation();

// An access violation raised and handled in a frame of the library's own, as __try/__except
// does: true when it was raised and handled.
bool FaultAndRecover();

// IsBadReadPtr on an address nobody mapped: true when it answered "bad" and returned.
bool ProbeBadPointer();

// A C++ exception of another compiler (0xE06D7363, not continuable) that nothing handles.
void RaiseForeignException();

// Recursion until the stack's guard page is gone.
void OverflowStack();

// A thread of the library's own raises a fault (access, foreign or overflow) nothing handles;
// waits for it.
void FaultOnAnotherThread(standin::FieldFault fault);

// Raises `fault` (access, foreign or overflow) where nothing in the library handles it.
void RaiseUnhandled(standin::FieldFault fault);

// Leaves a thread behind, with the library pinned in memory, that raises an access violation
// nothing handles after `delayMs`.
void FaultLater(DWORD delayMs);

}  // namespace syncutil
