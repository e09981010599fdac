// The head of the thread's chain of structured-exception handler frames, the first word of its
// thread block (FS:0 on x86). Read and written with an instruction of its own: GCC 12 warns on
// the header's NtCurrentTeb() access.
#pragma once

#include <windows.h>

inline EXCEPTION_REGISTRATION_RECORD* SehChain() {
  EXCEPTION_REGISTRATION_RECORD* head;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}

inline void SetSehChain(EXCEPTION_REGISTRATION_RECORD* head) { asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }
