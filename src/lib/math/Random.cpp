#include "Random.h"

namespace {

std::uint32_t seed = 0;

std::uint32_t Draw()
{
    // Unsigned arithmetic wraps modulo 2^32 by definition.
    seed = seed * 1566083941u + 1u;
    return seed;
}

} // namespace

void Randomize(std::uint32_t value)
{
    seed = value;
}

double RandomDouble()
{
    return Draw() / 4294967295.0;
}

std::uint32_t RandomShift(int n)
{
    const std::uint32_t value = Draw();
    if (n <= 0)
        return value;
    if (n >= 32)
        return 0;
    return value >> n;
}

std::uint32_t RandomSeed()
{
    return seed;
}
