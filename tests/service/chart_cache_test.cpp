// The chart cache: pictures painted once per key, and never more kept than
// its capacity.
#include <gtest/gtest.h>

#include "service/chart_cache.h"

namespace {

TEST(ChartCacheTest, PaintsOncePerKeyAndKeepsAtMostItsCapacity) {
  service::ChartCache cache(3);
  int painted = 0;
  auto paint = [&] { return "png " + std::to_string(++painted); };
  EXPECT_EQ(cache.Get("600000", 10, 5, paint), "png 1");
  EXPECT_EQ(cache.Get("600000", 10, 5, paint), "png 1");
  EXPECT_EQ(cache.Get("600000", 10, 6, paint), "png 2");  // the next minute is a new picture
  EXPECT_EQ(cache.Get("000001", 10, 5, paint), "png 3");
  EXPECT_EQ(cache.Get("600000", 10, 5, paint), "png 1");  // used again: now the newest
  EXPECT_EQ(cache.Get("000002", 10, 5, paint), "png 4");  // pushes out the oldest, minute 6
  EXPECT_EQ(cache.size(), 3u);
  EXPECT_EQ(cache.Get("600000", 10, 5, paint), "png 1");
  EXPECT_EQ(cache.Get("600000", 10, 6, paint), "png 5");
  for (int minute = 0; minute < 100; ++minute) cache.Get("600000", 11, minute, paint);
  EXPECT_EQ(cache.size(), 3u);
}

TEST(ChartCacheTest, FailedPaintingIsNotKept) {
  service::ChartCache cache(3);
  int calls = 0;
  EXPECT_EQ(cache.Get("600000", 1, 1,
                      [&] {
                        ++calls;
                        return std::string();
                      }),
            "");
  EXPECT_EQ(cache.Get("600000", 1, 1,
                      [&] {
                        ++calls;
                        return std::string("png");
                      }),
            "png");
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(cache.size(), 1u);
}

}  // namespace
