#pragma once

#include <cstdint>

// The process-wide random generator: a 32-bit linear congruential generator.
// Each draw sets seed = seed * 1566083941 + 1 (modulo 2^32) and derives its
// result from the new seed.  Not thread-safe; everything runs on one thread.

// Sets the seed.
void Randomize(std::uint32_t value);

// Draws; returns seed / 4294967295.0, a value from 0 to 1 inclusive.
double RandomDouble();

// Draws; returns the seed shifted right by n bits (RandomShift(24) gives
// 0..255).  n <= 0 returns the whole seed, n >= 32 returns 0.
std::uint32_t RandomShift(int n);

// The current seed, without drawing.
std::uint32_t RandomSeed();
