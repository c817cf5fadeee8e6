#include "service/boards.h"

#include <algorithm>
#include <array>

namespace service {
namespace {

constexpr Listing kShare = Listing::kShare;
constexpr Listing kBShare = Listing::kBShare;
constexpr Listing kFund = Listing::kFund;

// No head is the start of another, so a code belongs to one board at most.
// Heads no exchange uses yet (602, 604, 004) answer like their neighbours but
// are never drawn into the sample. Every price moves in ticks of 0.01, so the
// funds and B shares are priced a few yuan: at one yuan a fund would hardly
// move a tick a day.
constexpr std::array<Board, 35> kBoards = {{
    // Shanghai: main board, STAR market, funds, B shares.
    {"600", "sh", kShare, 10, 3, 60, 8e8, 3e10, 0.010, 0.030, 0.12},
    {"601", "sh", kShare, 10, 3, 40, 2e9, 8e10, 0.010, 0.030, 0.05},
    {"602", "sh", kShare, 10, 3, 40, 5e8, 5e9, 0.010, 0.030, 0},
    {"603", "sh", kShare, 10, 8, 90, 2e8, 2e9, 0.010, 0.030, 0.07},
    {"604", "sh", kShare, 10, 5, 60, 2e8, 2e9, 0.010, 0.030, 0},
    {"605", "sh", kShare, 10, 8, 80, 1.5e8, 1.5e9, 0.010, 0.030, 0.015},
    {"688", "sh", kShare, 20, 15, 220, 1e8, 1.5e9, 0.020, 0.060, 0.07},
    {"689", "sh", kShare, 20, 15, 150, 1e8, 1e9, 0.020, 0.060, 0.002},
    {"510", "sh", kFund, 10, 3, 12, 2e8, 3e10, 0.010, 0.025, 0.008},
    {"511", "sh", kFund, 10, 3, 12, 2e8, 1e10, 0.010, 0.025, 0.003},
    {"512", "sh", kFund, 10, 3, 12, 2e8, 2e10, 0.010, 0.025, 0.008},
    {"513", "sh", kFund, 10, 3, 12, 2e8, 2e10, 0.010, 0.025, 0.006},
    {"514", "sh", kFund, 10, 3, 12, 1e8, 5e9, 0.010, 0.025, 0.001},
    {"515", "sh", kFund, 10, 3, 12, 2e8, 1e10, 0.010, 0.025, 0.006},
    {"516", "sh", kFund, 10, 3, 12, 2e8, 1e10, 0.010, 0.025, 0.005},
    {"517", "sh", kFund, 10, 3, 12, 1e8, 5e9, 0.010, 0.025, 0.002},
    {"518", "sh", kFund, 10, 3, 12, 1e8, 5e9, 0.010, 0.025, 0.002},
    {"519", "sh", kFund, 10, 3, 12, 1e8, 5e9, 0.010, 0.025, 0.001},
    {"56", "sh", kFund, 10, 3, 8, 1e8, 1e10, 0.010, 0.025, 0.008},
    {"58", "sh", kFund, 10, 3, 8, 1e8, 1e10, 0.010, 0.025, 0.005},
    {"900", "sh", kBShare, 10, 3, 10, 1e8, 1.5e9, 0.010, 0.030, 0.006},
    // Shenzhen: main board, ChiNext, funds, B shares.
    {"000", "sz", kShare, 10, 3, 60, 5e8, 2e10, 0.010, 0.030, 0.06},
    {"001", "sz", kShare, 10, 8, 80, 2e8, 3e9, 0.010, 0.030, 0.01},
    {"002", "sz", kShare, 10, 4, 70, 2e8, 5e9, 0.010, 0.030, 0.12},
    {"003", "sz", kShare, 10, 10, 90, 1e8, 1e9, 0.010, 0.030, 0.01},
    {"004", "sz", kShare, 10, 5, 50, 1e8, 1e9, 0.010, 0.030, 0},
    {"300", "sz", kShare, 20, 8, 160, 1e8, 3e9, 0.020, 0.060, 0.12},
    {"301", "sz", kShare, 20, 10, 120, 5e7, 8e8, 0.020, 0.060, 0.04},
    {"159", "sz", kFund, 10, 3, 12, 1e8, 2e10, 0.010, 0.025, 0.02},
    {"16", "sz", kFund, 10, 3, 8, 5e7, 5e9, 0.010, 0.025, 0.008},
    {"200", "sz", kBShare, 10, 3, 20, 1e8, 1.5e9, 0.010, 0.030, 0.005},
    // Beijing.
    {"43", "bj", kShare, 30, 3, 30, 2e7, 3e8, 0.025, 0.070, 0.005},
    {"83", "bj", kShare, 30, 3, 40, 2e7, 5e8, 0.025, 0.070, 0.01},
    {"87", "bj", kShare, 30, 3, 30, 2e7, 3e8, 0.025, 0.070, 0.005},
    {"920", "bj", kShare, 30, 4, 50, 3e7, 5e8, 0.025, 0.070, 0.01},
}};

}  // namespace

std::span<const Board> Boards() {
  return kBoards;
}

const Board* BoardOf(std::string_view code) {
  if (code.size() != 6 ||
      !std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return nullptr;
  }
  for (const Board& board : kBoards) {
    if (code.starts_with(board.head)) return &board;
  }
  return nullptr;
}

}  // namespace service
