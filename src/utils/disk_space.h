#pragma once
// Free space of the file system that holds a folder.
#include <cstdint>
#include <string>

namespace Utils {

class HardDiskManager {
 public:
  virtual ~HardDiskManager() = default;

  // Fills the three counters for the file system that holds `folder`, or its nearest existing
  // ancestor when the folder isn't created yet, and returns true. On failure logs the error
  // number, returns false and leaves the counters as they were (0 when never filled, which
  // callers read as "no free space").
  bool CheckFreeSpace(const std::string& folder);

  uint64_t freeBytesAvailable = 0;  // free for this user (without the blocks reserved for root)
  uint64_t totalBytes = 0;          // size of the file system
  uint64_t totalFreeBytes = 0;      // all free bytes, the reserved ones included
};

}  // namespace Utils
