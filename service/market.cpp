#include "service/market.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <set>

#include "service/boards.h"
#include "service/gbk.h"
#include "service/noise.h"

namespace service {
namespace {

// Names are a two-character brand and a trade, like most listed companies;
// funds put a theme where the trade goes, and B shares end in "Ｂ股".
constexpr std::array<const char*, 36> kBrandFirst = {
    "华", "中", "东", "南", "西", "北", "金", "银", "海", "天", "长", "新",
    "恒", "宏", "安", "信", "国", "鑫", "瑞", "广", "美", "嘉", "盛", "泰",
    "永", "和", "通", "联", "康", "汇", "博", "远", "明", "凯", "锦", "君"};
constexpr std::array<const char*, 32> kBrandSecond = {
    "兴", "达", "润", "源", "丰", "鼎", "科", "光", "阳", "邦", "辰", "川", "宇", "创", "亿", "维",
    "德", "诚", "祥", "星", "晟", "峰", "威", "隆", "航", "发", "腾", "钧", "泽", "宁", "普", "合"};
constexpr std::array<const char*, 28> kTrades = {
    "科技", "电子", "药业", "能源", "电气", "材料", "股份", "控股", "传媒", "重工",
    "汽车", "食品", "化工", "环保", "智能", "生物", "电力", "通信", "软件", "机械",
    "建设", "物流", "置业", "钢铁", "纺织", "精密", "矿业", "医疗"};
constexpr std::array<const char*, 16> kFundThemes = {"红利", "成长", "价值", "指数", "医药", "科创",
                                                     "消费", "券商", "军工", "芯片", "黄金", "债券",
                                                     "新能", "银行", "港股", "传媒"};
constexpr const char* kBShareEnding = "Ｂ股";

// Each piece as UTF-8 and as GBK. The GBK forms are converted once, so a
// name costs a few appends however many codes are asked for.
struct Piece {
  const char* utf8;
  std::string gbk;
};

template <size_t N>
std::vector<Piece> Pieces(const std::array<const char*, N>& table) {
  std::vector<Piece> pieces;
  for (const char* utf8 : table) pieces.push_back({utf8, ToGbk(utf8)});
  return pieces;
}

struct NamePieces {
  std::vector<Piece> brand_first = Pieces(kBrandFirst);
  std::vector<Piece> brand_second = Pieces(kBrandSecond);
  std::vector<Piece> trades = Pieces(kTrades);
  std::vector<Piece> fund_themes = Pieces(kFundThemes);
  Piece b_share_ending{kBShareEnding, ToGbk(kBShareEnding)};
};

const NamePieces& TheNamePieces() {
  static const NamePieces pieces;
  return pieces;
}

const Piece& Pick(const std::vector<Piece>& pieces, uint64_t h) {
  return pieces[h % pieces.size()];
}

void Name(Listing listing, uint64_t h, Stock& stock) {
  const NamePieces& pieces = TheNamePieces();
  const Piece* parts[] = {&Pick(pieces.brand_first, h), &Pick(pieces.brand_second, h >> 16),
                          &pieces.b_share_ending};
  if (listing == Listing::kShare) parts[2] = &Pick(pieces.trades, h >> 32);
  if (listing == Listing::kFund) parts[2] = &Pick(pieces.fund_themes, h >> 32);
  for (const Piece* part : parts) {
    stock.name_utf8 += part->utf8;
    stock.name_gbk += part->gbk;
  }
}

double LogUniform(uint64_t h, double low, double high) {
  return std::exp(Between(h, std::log(low), std::log(high)));
}

Stock MakeStock(uint64_t seed, const Board& board, std::string_view code) {
  uint64_t number = 0;
  std::from_chars(code.data(), code.data() + code.size(), number);
  Stock stock;
  stock.code = code;
  stock.exchange = board.exchange;
  stock.key = Hash(seed, number, 0x5354'4F43'4Bull);
  Name(board.listing, Hash(stock.key, 0x4E41'4D45ull), stock);
  stock.limit_percent = board.limit_percent;
  stock.base_ticks =
      std::llround(LogUniform(Hash(stock.key, 1), board.price_low, board.price_high) * 100);
  stock.shares =
      std::llround(LogUniform(Hash(stock.key, 2), board.shares_low, board.shares_high) / 1e4) *
      10000;
  // Companies keep part of their shares out of trading; fund units all trade.
  double floating = board.listing == Listing::kFund ? 1.0 : Between(Hash(stock.key, 5), 0.25, 1.0);
  stock.float_shares = std::llround(stock.shares * floating / 100) * 100;
  stock.daily_sigma = Between(Hash(stock.key, 3), board.sigma_low, board.sigma_high);
  stock.daily_turnover = LogUniform(Hash(stock.key, 4), 0.003, 0.04);
  if (board.listing != Listing::kFund) {
    stock.earnings = stock.base_ticks / LogUniform(Hash(stock.key, 6), 8, 60);
  }
  return stock;
}

// The code a draw lands on: a board by weight, then any code of that board.
std::string DrawCode(uint64_t h) {
  std::span<const Board> boards = Boards();
  double total = 0;
  for (const Board& board : boards) total += board.sample_weight;
  double point = Unit(h) * total;
  const Board* chosen = &boards.back();
  for (const Board& board : boards) {
    if (point < board.sample_weight) {
      chosen = &board;
      break;
    }
    point -= board.sample_weight;
  }
  std::string code(chosen->head);
  uint64_t rest = h >> 32;
  while (code.size() < 6) {
    code += static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
  return code;
}

}  // namespace

Market::Market(uint64_t seed, int sample_size) : seed_(seed) {
  sample_size = std::clamp(sample_size, 1, kMaxStocks);
  std::set<std::string> codes, names;
  // A drawn code is skipped when it is listed already or another listed
  // stock has its name; the well-known codes are listed whatever their names.
  auto add = [&](const std::string& code, bool always) {
    if (codes.count(code) != 0) return;
    std::optional<Stock> stock = FindCode(code);
    if (!stock || (!names.insert(stock->name_utf8).second && !always)) return;
    codes.insert(code);
    stocks_.push_back(std::move(*stock));
  };
  for (const char* code : kWellKnownCodes) {
    if (static_cast<int>(stocks_.size()) == sample_size) break;
    add(code, true);
  }
  for (uint64_t i = 0; static_cast<int>(stocks_.size()) < sample_size; ++i) {
    add(DrawCode(Hash(seed, 0x434F'4445ull, i)), false);
  }
  std::sort(stocks_.begin(), stocks_.end(),
            [](const Stock& a, const Stock& b) { return a.code < b.code; });
}

std::optional<Stock> Market::FindCode(std::string_view code) const {
  const Board* board = BoardOf(code);
  if (!board) return std::nullopt;
  return MakeStock(seed_, *board, code);
}

std::optional<Stock> Market::Find(std::string_view exchange, std::string_view code) const {
  const Board* board = BoardOf(code);
  if (!board || board->exchange != exchange) return std::nullopt;
  return MakeStock(seed_, *board, code);
}

}  // namespace service
