#include "ole32.h"

#include <gtest/gtest.h>

#include <thread>

#include "ole32_state.h"

namespace {

using platform::CoInitializeDepthForThisThread;

TEST(Ole32Test, InitialisationNestsInBalancedPairs) {
  ASSERT_EQ(CoInitializeDepthForThisThread(), 0);
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  EXPECT_EQ(CoInitializeDepthForThisThread(), 2);
  CoUninitialize();
  EXPECT_EQ(CoInitializeDepthForThisThread(), 1);
  EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(CoInitializeDepthForThisThread(), 0);
  // One too many is harmless, and the next initialisation is a first one again.
  CoUninitialize();
  EXPECT_EQ(CoInitializeDepthForThisThread(), 0);
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  CoUninitialize();
}

TEST(Ole32Test, EachThreadCountsForItself) {
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  HRESULT other_first = -1;
  int other_depth = -1;
  std::thread other([&] {
    other_first = CoInitialize(nullptr);
    other_depth = CoInitializeDepthForThisThread();
    CoUninitialize();
  });
  other.join();
  EXPECT_EQ(other_first, S_OK);
  EXPECT_EQ(other_depth, 1);
  EXPECT_EQ(CoInitializeDepthForThisThread(), 1);
  CoUninitialize();
}

}  // namespace
