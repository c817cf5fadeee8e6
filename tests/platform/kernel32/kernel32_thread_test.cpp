#include <gtest/gtest.h>

#include <future>

#include "kernel32.h"

namespace {

struct Handoff {
  int value = 0;
  std::promise<int> seen;
};

DWORD Record(LPVOID parameter) {
  auto* handoff = static_cast<Handoff*>(parameter);
  handoff->seen.set_value(handoff->value * 2);
  return 0;
}

TEST(CreateThreadTest, RunsTheRoutineAtOnceWithItsParameter) {
  Handoff first{21, {}};
  Handoff second{5, {}};
  DWORD first_id = 0, second_id = 0;
  HANDLE a = CreateThread(nullptr, 0, Record, &first, 0, &first_id);
  HANDLE b = CreateThread(nullptr, 0, Record, &second, 0, &second_id);
  EXPECT_NE(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_NE(first_id, 0u);
  EXPECT_NE(first_id, second_id);
  auto first_seen = first.seen.get_future();
  auto second_seen = second.seen.get_future();
  ASSERT_EQ(first_seen.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  ASSERT_EQ(second_seen.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(first_seen.get(), 42);
  EXPECT_EQ(second_seen.get(), 10);
}

TEST(CreateThreadTest, ThreadIdIsOptionalAndBadRequestsFail) {
  Handoff handoff{1, {}};
  auto seen = handoff.seen.get_future();
  EXPECT_NE(CreateThread(nullptr, 0, Record, &handoff, 0, nullptr), nullptr);
  ASSERT_EQ(seen.wait_for(std::chrono::seconds(10)), std::future_status::ready);

  SetLastError(0);
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  constexpr DWORD kCreateSuspended = 4;  // no way to resume it here
  EXPECT_EQ(CreateThread(nullptr, 0, Record, &handoff, kCreateSuspended, nullptr), nullptr);
}

TEST(Kernel32Test, UserLocaleIsSimplifiedChinese) {
  EXPECT_EQ(GetUserDefaultLCID(), 0x0804u);
}

TEST(Kernel32Test, LastErrorIsPerThread) {
  SetLastError(1234);
  DWORD seen_elsewhere = 99;
  std::thread([&] { seen_elsewhere = GetLastError(); }).join();
  EXPECT_EQ(seen_elsewhere, 0u);
  EXPECT_EQ(GetLastError(), 1234u);
}

}  // namespace
