#pragma once
// The byte-range bookkeeping of the multi-part downloader, apart from any transfer: how a file is
// split into parts, and how much of a received block belongs to a part.
#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr int64_t kPartUnitBytes = 10485760;  // one part per 10 MiB
inline constexpr int kMaxParts = 2;

struct PartRange {
  int64_t first;  // offset of the part's first byte in the whole file
  int64_t last;   // offset of its last byte, inclusive
};

// At most two parts of equal size; the last one also takes the remainder.
std::vector<PartRange> SplitIntoParts(int64_t fileLength);

// How many of `offered` bytes may still be written to a part whose next needed byte is `next` and
// whose last byte is `last`: never a byte past the range.
size_t BytesWithinRange(int64_t next, int64_t last, size_t offered);
