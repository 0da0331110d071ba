#pragma once
#include <cstdint>

#include "utils/wall_clock.h"

namespace Utils {

// Elapsed seconds since a start tick; the owner sets the two fields directly when it starts timing.
struct Stopwatch {
  uint32_t startTick = 0;
  bool running = false;

  void Start() {
    startTick = TickCount();
    running = true;
  }
  // The unsigned difference keeps the result right across a wrap of the tick counter.
  float Elapsed() const { return running ? static_cast<float>(TickCount() - startTick) / 1000.0f : 0.0f; }
};

}  // namespace Utils
