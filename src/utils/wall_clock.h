#pragma once
// The two clocks of the installer: a millisecond tick counter that wraps at 2^32 (used for
// elapsed times, where the unsigned difference stays right across a wrap) and the local time.
#include <cstdint>

namespace Utils {

// CLOCK_MONOTONIC in milliseconds, modulo 2^32.
uint32_t TickCount();

struct LocalTime {
  int year, month, day, hour, minute, second, millisecond;
};

// One reading of the real-time clock, converted to local time; every field comes from it.
LocalTime ReadLocalTime();

}  // namespace Utils
