// Runs a piece of work so that nothing raised inside it ends the process: neither a C++
// exception nor a hardware fault such as an access violation inside the product's library.
// mingw's catch (...) does not see structured exceptions, so while a guard stands a vectored
// handler sends a fault on the guarded thread back to the guard's resume point; a fault on any
// other thread is left to its own handlers.
#pragma once

// Faults of the code itself: access violations and the like. Not a stack overflow (there is no
// room left to go on), nor software exceptions such as a debugger print, which belong to others.
bool IsHardwareFault(unsigned long code);

// Gives true when work(context) ran to its end, false when an exception or a fault stopped it
// part-way. The frames between the guard and the fault are abandoned without running their
// destructors: guarded work must not own anything that needs releasing.
bool RunGuarded(void (*work)(void* context), void* context);

template <typename Work>
bool RunGuarded(Work& work) {
  return RunGuarded([](void* context) { (*static_cast<Work*>(context))(); }, &work);
}
