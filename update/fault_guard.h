// Runs a piece of work, a store into the product's library, so that nothing raised inside it
// ends the process. The work runs inside a handler frame of its own below the library's, as a
// __try/__except would: the library's own handlers see its exceptions first, and whatever it
// leaves unhandled, of any code (an access violation, a C++ exception of another compiler, a
// stack overflow), stops the work. Only the notices a debugger or the system raises for someone
// else to see are passed on.
#pragma once

// Gives true when work(context) ran to its end, false when an exception stopped it part-way.
// The frames between the guard and the exception are unwound through the system, which runs
// the library's termination handlers but no destructor of the agent's own (mingw's C++ frames
// take no part in it): guarded work must not own anything that needs releasing.
bool RunGuarded(void (*work)(void* context), void* context);

template <typename Work>
bool RunGuarded(Work& work) {
  return RunGuarded([](void* context) { (*static_cast<Work*>(context))(); }, &work);
}
