// Update scripts of every shape, from a seed: the keys of the real records with values of
// every kind (numbers beyond 32 bits, texts past 511 characters, odd and non-hex byte
// strings), duplicate sections and keys, junk lines, any line end, a byte-order mark, and
// now and then no INI text at all.
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace update_test {

using Random = std::mt19937;

// The seed of a run: TARN_SCRIPT_SEED when set, else a fixed one, so a failure repeats.
std::uint32_t ScriptSeed();

std::string RandomScript(Random& random);

}  // namespace update_test
