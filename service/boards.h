// The boards of the three exchanges: which leading digits of a six-digit code
// each one lists, and the traits its securities are drawn from. Every code of
// a board is a listed security of that board's exchange; no other code is.
#pragma once

#include <span>
#include <string_view>

namespace service {

enum class Listing {
  kShare,   // an A share
  kBShare,  // a B share, named with "Ｂ股"
  kFund,    // an exchange-traded or listed open-ended fund
};

struct Board {
  std::string_view head;      // leading digits
  std::string_view exchange;  // "sh", "sz" or "bj"
  Listing listing;
  int limit_percent;               // daily limit either side of the previous close
  double price_low, price_high;    // yuan, drawn log-uniformly
  double shares_low, shares_high;  // drawn log-uniformly
  double sigma_low, sigma_high;    // spread of a day's price path, as a log fraction
  double sample_weight;            // how often the listed sample draws from it
};

// In the order the index page names them: Shanghai, Shenzhen, Beijing.
std::span<const Board> Boards();

// The board of a code of six ASCII digits, or null for any other text and for
// a code no board lists.
const Board* BoardOf(std::string_view code);

}  // namespace service
