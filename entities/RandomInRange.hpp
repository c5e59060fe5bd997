#pragma once

#include <cstdint>

// A uniformly distributed double in [lower, upper], both ends reachable, drawn from the
// operating system's random source; there is no seed.
[[nodiscard]] double randomInRange(double lower, double upper);

// The mapping behind it, for a draw k in [0, 2^53]: k = 2^53 gives exactly upper.
[[nodiscard]] double randomInRangeFromDraw(std::uint64_t k, double lower, double upper);
