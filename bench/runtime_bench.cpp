// The GBK-walking text commands against plain std::string_view work on the same
// 1 MiB of quote-like text. Our side goes through the typed wrappers, result
// freeing included; the baselines ignore character boundaries altogether.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bench/ratio_report.h"
#include "runtime/core_commands.h"
#include "runtime/gbk.h"

namespace {

constexpr std::string_view kNeedle = "600519";

// About 1 MiB of "~"-separated fields: Chinese names (one character with a "~"
// trail byte among them), prices, codes and ASCII words, then the needle near the end.
const std::string& MixedGbkText() {
  static const std::string text = [] {
    const std::vector<std::string> fields = {rt::Utf8ToGbk("浦发银行"),
                                             rt::Utf8ToGbk("成交量（万）"),
                                             rt::Utf8ToGbk("平安"),
                                             "\x81\x7E\xB0\xA1",
                                             "7.50",
                                             "-0.05",
                                             "sh600000",
                                             "1234567",
                                             "v_s_sz",
                                             "20240105150003",
                                             rt::Utf8ToGbk("买一"),
                                             "0.67"};
    std::mt19937 random(7);
    std::string out;
    while (out.size() < (1u << 20) - 64) {
      out += fields[random() % fields.size()];
      out += '~';
    }
    out += kNeedle;
    out += "~";
    out += rt::Utf8ToGbk("完");
    return out;
  }();
  return text;
}

void OursSplit() {
  rt::TextArray parts = rt::SplitText(MixedGbkText(), std::string("~"));
  benchmark::DoNotOptimize(parts.get());
}
void BaselineSplit() {
  std::string_view text = MixedGbkText();
  std::vector<std::string> parts;
  size_t last = 0;
  for (size_t cut; (cut = text.find('~', last)) != std::string_view::npos; last = cut + 1) {
    parts.emplace_back(text.substr(last, cut - last));
  }
  if (last < text.size()) parts.emplace_back(text.substr(last));
  benchmark::DoNotOptimize(parts.data());
}

// The same cuts with each piece in a heap block of its own and the block
// pointers gathered in a vector, all freed afterwards: the work the runtime's
// ownership rules fix for an array of texts, without the GBK walk.
void BaselineSplitOwnBlocks() {
  std::string_view text = MixedGbkText();
  std::vector<char*> parts;
  auto add = [&](std::string_view piece) {
    char* block = static_cast<char*>(std::malloc(piece.size() + 1));
    std::memcpy(block, piece.data(), piece.size());
    block[piece.size()] = '\0';
    parts.push_back(block);
  };
  size_t last = 0;
  for (size_t cut; (cut = text.find('~', last)) != std::string_view::npos; last = cut + 1) {
    add(text.substr(last, cut - last));
  }
  if (last < text.size()) add(text.substr(last));
  benchmark::DoNotOptimize(parts.data());
  for (char* block : parts) std::free(block);
}

void OursFind() {
  static const std::string needle(kNeedle);
  benchmark::DoNotOptimize(rt::FindText(MixedGbkText(), needle));
}
void BaselineFind() {
  benchmark::DoNotOptimize(std::string_view(MixedGbkText()).find(kNeedle));
}

void OursReplace() {
  static const std::string find = "~", replacement = "; ";
  rt::Text replaced = rt::ReplaceText(MixedGbkText(), find, replacement, {}, {}, true);
  benchmark::DoNotOptimize(replaced.get());
}
void BaselineReplace() {
  std::string_view text = MixedGbkText();
  std::string out;
  out.reserve(text.size() + text.size() / 4);
  size_t last = 0;
  for (size_t hit; (hit = text.find('~', last)) != std::string_view::npos; last = hit + 1) {
    out.append(text.substr(last, hit - last));
    out.append("; ");
  }
  out.append(text.substr(last));
  benchmark::DoNotOptimize(out.data());
}

void BM_SplitText(benchmark::State& state) {
  for (auto _ : state) OursSplit();
}
void BM_SplitStringView(benchmark::State& state) {
  for (auto _ : state) BaselineSplit();
}
void BM_SplitOwnBlocks(benchmark::State& state) {
  for (auto _ : state) BaselineSplitOwnBlocks();
}
void BM_FindText(benchmark::State& state) {
  for (auto _ : state) OursFind();
}
void BM_StringViewFind(benchmark::State& state) {
  for (auto _ : state) BaselineFind();
}
void BM_ReplaceText(benchmark::State& state) {
  for (auto _ : state) OursReplace();
}
void BM_StringReplaceLoop(benchmark::State& state) {
  for (auto _ : state) BaselineReplace();
}
BENCHMARK(BM_SplitText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SplitStringView)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SplitOwnBlocks)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StringViewFind)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReplaceText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StringReplaceLoop)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // Keep megabyte buffers on the heap for both sides, so page faults from fresh
  // mappings do not swing the figures.
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  MixedGbkText();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  bench::ReportRatio("SplitText", bench::TimePaired(OursSplit, BaselineSplit).Ratio(), -1);
  bench::ReportRatio("SplitTextOwnBlocks",
                     bench::TimePaired(OursSplit, BaselineSplitOwnBlocks).Ratio(), 1.3);
  bench::ReportRatio("FindText", bench::TimePaired(OursFind, BaselineFind).Ratio(), 2);
  bench::ReportRatio("ReplaceText", bench::TimePaired(OursReplace, BaselineReplace).Ratio(), 2);
  return 0;
}
