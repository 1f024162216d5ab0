#pragma once
// Run-time library services: command-line arguments and pseudo-random numbers.
#include <cstdint>
#include <string>

namespace plat {

// Argument `index` of the program's command line; 0 is the executable's full path.
std::wstring ParamStr(int index);
int ParamCount();

// A uniformly distributed integer r with 0 <= r < range; 0 when range is 0 or less.
int Random(int range);
// Re-seeds the generator from the low 32 bits of the performance counter, or from the
// milliseconds since system start when the machine has no such counter.
void Randomize();
std::uint32_t RandSeed();
void SetRandSeed(std::uint32_t seed);

} // namespace plat
