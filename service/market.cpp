#include "service/market.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <set>

#include "service/gbk.h"
#include "service/noise.h"

namespace service {
namespace {

// Code families: the first three digits, the exchange, and how common they are.
struct Family {
  const char* head;
  const char* exchange;
  double weight;
  int limit_percent;
  double price_low, price_high;    // yuan, drawn log-uniformly
  double shares_low, shares_high;  // drawn log-uniformly
};

constexpr std::array<Family, 7> kFamilies = {{
    {"600", "sh", 0.26, 10, 3, 60, 8e8, 3e10},
    {"601", "sh", 0.10, 10, 3, 40, 2e9, 8e10},
    {"603", "sh", 0.14, 10, 8, 90, 2e8, 2e9},
    {"688", "sh", 0.10, 20, 15, 220, 1e8, 1.5e9},
    {"000", "sz", 0.12, 10, 3, 60, 5e8, 2e10},
    {"002", "sz", 0.16, 10, 4, 70, 2e8, 5e9},
    {"300", "sz", 0.12, 20, 8, 160, 1e8, 3e9},
}};

// Names are a two-character brand and a trade, like most listed companies.
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

template <size_t N>
const char* Pick(const std::array<const char*, N>& table, uint64_t h) {
  return table[h % N];
}

double LogUniform(uint64_t h, double low, double high) {
  return std::exp(Between(h, std::log(low), std::log(high)));
}

size_t PickFamily(uint64_t h) {
  double point = Unit(h), sum = 0;
  for (size_t i = 0; i < kFamilies.size(); ++i) {
    sum += kFamilies[i].weight;
    if (point < sum) return i;
  }
  return kFamilies.size() - 1;
}

Stock MakeStock(uint64_t seed, const Family& family, std::string code, const std::string& name) {
  Stock stock;
  stock.code = std::move(code);
  stock.exchange = family.exchange;
  stock.name_utf8 = name;
  stock.name_gbk = ToGbk(name);
  stock.key = Hash(seed, std::stoull(stock.code), 0x5354'4F43'4Bull);
  stock.limit_percent = family.limit_percent;
  stock.base_ticks =
      std::llround(LogUniform(Hash(stock.key, 1), family.price_low, family.price_high) * 100);
  stock.shares =
      std::llround(LogUniform(Hash(stock.key, 2), family.shares_low, family.shares_high) / 1e4) *
      10000;
  stock.daily_sigma = Between(Hash(stock.key, 3), 0.010, 0.030) * (family.limit_percent / 10.0);
  stock.daily_turnover = LogUniform(Hash(stock.key, 4), 0.003, 0.04);
  return stock;
}

}  // namespace

Market::Market(uint64_t seed, int count) : seed_(seed) {
  count = std::clamp(count, 1, kMaxStocks);
  std::set<std::string> codes, names;
  std::array<int, kFamilies.size()> used{};
  auto unique_name = [&](uint64_t h) {
    for (uint64_t attempt = 0;; ++attempt) {
      uint64_t n = Hash(h, attempt);
      std::string name =
          std::string(Pick(kBrandFirst, n)) + Pick(kBrandSecond, n >> 16) + Pick(kTrades, n >> 32);
      if (names.insert(name).second) return name;
    }
  };
  auto add = [&](size_t family, int suffix, uint64_t h) {
    char code[8];
    std::snprintf(code, sizeof code, "%s%03d", kFamilies[family].head, suffix);
    if (!codes.insert(code).second) return false;
    ++used[family];
    stocks_.push_back(MakeStock(seed, kFamilies[family], code, unique_name(h)));
    return true;
  };

  // The well-known codes come first, as far as the count goes.
  for (std::string_view code : kWellKnownCodes) {
    if (static_cast<int>(stocks_.size()) == count) break;
    const std::string_view head = code.substr(0, 3);
    size_t family = 0;
    while (kFamilies[family].head != head) ++family;
    add(family, std::stoi(std::string(code.substr(3))), Hash(seed, std::stoull(std::string(code))));
  }
  for (uint64_t i = 0; static_cast<int>(stocks_.size()) < count; ++i) {
    uint64_t h = Hash(seed, 0x434F'4445ull, i);
    size_t family = PickFamily(h);
    // A family that is full passes its draw on to the next one.
    while (used[family] >= 999) family = (family + 1) % kFamilies.size();
    int suffix = static_cast<int>((h >> 32) % 1000);
    if (kFamilies[family].head == std::string_view("000") && suffix == 0) continue;
    add(family, suffix, h);
  }
  std::sort(stocks_.begin(), stocks_.end(),
            [](const Stock& a, const Stock& b) { return a.code < b.code; });
}

const Stock* Market::FindCode(std::string_view code) const {
  auto it = std::lower_bound(stocks_.begin(), stocks_.end(), code,
                             [](const Stock& stock, std::string_view c) { return stock.code < c; });
  return it != stocks_.end() && it->code == code ? &*it : nullptr;
}

const Stock* Market::Find(std::string_view exchange, std::string_view code) const {
  const Stock* stock = FindCode(code);
  return stock && stock->exchange == exchange ? stock : nullptr;
}

}  // namespace service
