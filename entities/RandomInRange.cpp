#include "RandomInRange.hpp"

#include <sys/random.h>

#include <cerrno>
#include <random>

namespace {

constexpr std::uint64_t twoTo53 = std::uint64_t(1) << 53;

std::uint64_t randomBits()
{
    std::uint64_t bits = 0;
    auto* out = reinterpret_cast<unsigned char*>(&bits);
    std::size_t got = 0;
    while (got < sizeof bits) {
        ssize_t n = getrandom(out + got, sizeof bits - got, 0);
        if (n > 0) {
            got += std::size_t(n);
        } else if (errno != EINTR) {
            // No getrandom (an old kernel): the library's own device-backed source.
            static std::random_device device;
            return (std::uint64_t(device()) << 32) | device();
        }
    }
    return bits;
}

// Uniform over the 2^53 + 1 values 0…2^53: 54 random bits, drawn again when past the end.
std::uint64_t drawUpTo2To53()
{
    for (;;) {
        std::uint64_t k = randomBits() & ((twoTo53 << 1) - 1);
        if (k <= twoTo53) return k;
    }
}

} // namespace

double randomInRangeFromDraw(std::uint64_t k, double lower, double upper)
{
    if (k >= twoTo53) return upper;
    return (upper - lower) * (double(k) * 0x1p-53) + lower;
}

double randomInRange(double lower, double upper) { return randomInRangeFromDraw(drawUpTo2To53(), lower, upper); }
