// The committed product state on disk. Every process that changes it (the library inside the
// agent, the state library inside tests and the tool) reads, edits and rewrites it under one
// named mutex, so a reset and a commit never interleave.
#pragma once

#include "standin_product/core/product_state.h"
#include "foundation/unique_handle.h"

namespace standin {

// Holds the state mutex for its lifetime. A holder that died leaves the mutex abandoned, which
// still hands it over: its last write went to a temporary file, so the state file is whole.
class StateLock {
 public:
  StateLock();
  ~StateLock();
  StateLock(const StateLock&) = delete;
  StateLock& operator=(const StateLock&) = delete;
  bool Held() const { return held_; }

 private:
  KernelHandle mutex_;
  bool held_ = false;
};

// A missing file reads as the default state. False for an unreadable or malformed file.
bool LoadState(ProductState* state);
// Writes a temporary file beside the state file and moves it over the old one.
bool SaveState(const ProductState& state);

// Loads, lets edit change the state, and saves, all under the lock; false when any step fails
// or edit returns false (then nothing is saved).
template <typename Edit>
bool UpdateState(Edit edit) {
  StateLock lock;
  ProductState state;
  if (!lock.Held() || !LoadState(&state) || !edit(state)) {
    return false;
  }
  return SaveState(state);
}

}  // namespace standin
