// The tail of the reply times: worst case and nearest-rank percentiles.

#include <gtest/gtest.h>

#include "ReplyTimes.h"

namespace {

TEST(ReplyTimes, WorstAndNearestRankPercentiles) {
  ReplyTimes none;
  EXPECT_EQ(none.worst(), 0.0);
  EXPECT_EQ(none.percentile(99.9), 0.0);

  // 1..2000 ms in a scrambled order: the 99.9th percentile is the value of
  // rank ceil(0.999 * 2000) = 1998, the 50th that of rank 1000.
  ReplyTimes times;
  for (int i = 0; i < 2000; ++i) times.add(static_cast<double>((i * 7919) % 2000 + 1));
  EXPECT_EQ(times.count(), 2000u);
  EXPECT_EQ(times.worst(), 2000.0);
  EXPECT_EQ(times.percentile(99.9), 1998.0);
  EXPECT_EQ(times.percentile(50), 1000.0);
  EXPECT_EQ(times.percentile(100), 2000.0);

  // Fewer replies than a thousand: the 99.9th percentile is the worst one.
  ReplyTimes few;
  few.add(5.0);
  few.add(3.0);
  ReplyTimes merged;
  merged.add(few);
  merged.add(101.5);
  EXPECT_EQ(merged.count(), 3u);
  EXPECT_EQ(merged.percentile(99.9), 101.5);
  EXPECT_EQ(merged.percentile(1), 3.0);
}

}  // namespace
