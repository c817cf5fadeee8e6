// The load run scaled down: row changes in a row over a watch list against
// quote-service, many refresh workers alive at once.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/app/viewer_fixture.h"
#include "tests/support/row_change_burst.h"
#include "tests/support/service_process.h"

namespace {

using LoadTest = app_test::ViewerTest;

TEST_F(LoadTest, FiftyRowChangesOverTwentyRowsAllEndWithTheServicesAnswers) {
  app_test::ServiceProcess service;
  ASSERT_GT(service.port(), 0);
  UseService(service.Base());
  const app_test::BurstResult burst = app_test::RunRowChangeBurst(service, 20, 50, 60000);
  std::printf("%d threads at most (%d before); held %.1f MB before, %.1f at most, %.1f after\n",
              burst.threads_peak, burst.threads_before, burst.held_before_mb, burst.held_peak_mb,
              burst.held_after_mb);
  EXPECT_THAT(burst.Failures(), testing::IsEmpty());
  // More than one worker at a time, or the run proves nothing about overlap.
  EXPECT_GE(burst.threads_peak, burst.threads_before + 2);
}

}  // namespace
