#include "download/part_ranges.h"

#include <gtest/gtest.h>

namespace {

TEST(PartRangesTest, SplitsIntoAtMostTwoPartsAndGivesTheRemainderToTheLast) {
  struct Case {
    int64_t length;
    std::vector<std::pair<int64_t, int64_t>> parts;
  };
  const int64_t mib = 1048576;
  const Case cases[] = {
      {256, {{0, 255}}},
      {15 * mib, {{0, 15728639}}},
      {20 * mib - 1, {{0, 20 * mib - 2}}},
      {25 * mib, {{0, 13107199}, {13107200, 26214399}}},
      {25 * mib + 1, {{0, 13107199}, {13107200, 26214400}}},
      // Packages of 2 GiB and more: offsets past 32 bits stay exact.
      {3 * 1024 * mib + 1, {{0, 1610612735}, {1610612736, 3221225472}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    std::vector<std::pair<int64_t, int64_t>> parts;
    for (const PartRange& range : SplitIntoParts(c.length)) parts.emplace_back(range.first, range.last);
    EXPECT_EQ(parts, c.parts);
  }
}

TEST(PartRangesTest, NeverLetsABlockPastTheEndOfARange) {
  struct Case {
    int64_t next;
    int64_t last;
    size_t offered;
    size_t taken;
  };
  const Case cases[] = {
      {0, 99, 99, 99},   // ends one byte before the part's end...
      {99, 99, 1, 1},    // ...and the last byte completes it
      {90, 99, 20, 10},  // reaches beyond the end: only the part's bytes
      {100, 99, 5, 0},   // the part is complete
      {3000000000, 3000000009, 16, 10},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BytesWithinRange(c.next, c.last, c.offered), c.taken) << c.next << " " << c.offered;
  }
}

}  // namespace
