#include "download/part_ranges.h"

#include <algorithm>

std::vector<PartRange> SplitIntoParts(int64_t fileLength) {
  const int64_t count = std::clamp<int64_t>(fileLength / kPartUnitBytes, 1, kMaxParts);
  const int64_t size = fileLength / count;
  std::vector<PartRange> parts;
  int64_t offset = 0;
  for (int64_t i = 0; i < count; ++i) {
    const int64_t length = i + 1 == count ? fileLength - offset : size;
    parts.push_back({offset, offset + length - 1});
    offset += length;
  }
  return parts;
}

size_t BytesWithinRange(int64_t next, int64_t last, size_t offered) {
  if (next > last) return 0;
  return static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(offered), last - next + 1));
}
