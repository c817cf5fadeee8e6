// The cost of reaching platform functions through the lazily bound table, and
// of the code page 936 converters as callers use them (a size query, then the
// conversion of the same input), each against its plain counterpart.
#include <benchmark/benchmark.h>
#include <unicode/ucnv.h>

#include <string>
#include <vector>

#include "bench/ratio_report.h"
#include "kernel32.h"
#include "ole32.h"
#include "runtime/platform_functions.h"

namespace {

constexpr int kCallsPerRun = 1000;

// CoUninitialize on a thread that never initialised COM does almost nothing,
// so the difference between the two loops is the binding's own overhead.
void BoundCalls() {
  for (int i = 0; i < kCallsPerRun; ++i) rt::CallPlatformFunction<rt::kCoUninitialize>();
}

[[gnu::noinline]] void DirectCalls() {
  for (int i = 0; i < kCallsPerRun; ++i) {
    CoUninitialize();
    benchmark::ClobberMemory();
  }
}

// About 1 MiB of quote-like GBK text: Chinese names, digits, "~" separators.
std::string MixedGbkText() {
  const std::u16string record =
      u"v_sz000001=\"51~平安银行~000001~10.52~10.49~10.50~1234567~601234~633333~"
      u"10.51~120~10.50~300~上证指数（沪市）~20240105150003~0.03~0.29~10.58~10.41~"
      u"“买入”、“卖出”~-~\";\n";
  std::u16string wide;
  while (wide.size() < (1u << 20) / 2) wide += record;
  UErrorCode error = U_ZERO_ERROR;
  UConverter* converter = ucnv_open("windows-936-2000", &error);
  std::string gbk(wide.size() * 2, '\0');
  int32_t length = ucnv_fromUChars(converter, gbk.data(), static_cast<int32_t>(gbk.size()),
                                   reinterpret_cast<const UChar*>(wide.data()),
                                   static_cast<int32_t>(wide.size()), &error);
  ucnv_close(converter);
  gbk.resize(static_cast<size_t>(length));
  return gbk;
}

struct ConversionFixture {
  std::string gbk = MixedGbkText();
  std::vector<char16_t> wide = std::vector<char16_t>(gbk.size() + 1);
  std::vector<char> bytes = std::vector<char>(gbk.size() * 2 + 1);
  int wide_length = 0;
  UConverter* icu = nullptr;

  ConversionFixture() {
    UErrorCode error = U_ZERO_ERROR;
    icu = ucnv_open("windows-936-2000", &error);
    wide_length =
        MultiByteToWideChar(CP_GBK, 0, gbk.data(), -1, wide.data(), static_cast<int>(wide.size()));
  }
  ~ConversionFixture() { ucnv_close(icu); }

  // What AnsiToWide does: size query with -1, then the conversion.
  void OursToWide() {
    int needed = MultiByteToWideChar(CP_GBK, 0, gbk.data(), -1, nullptr, 0);
    benchmark::DoNotOptimize(MultiByteToWideChar(CP_GBK, 0, gbk.data(), -1, wide.data(), needed));
  }
  void IcuToWide() {
    UErrorCode error = U_ZERO_ERROR;
    benchmark::DoNotOptimize(ucnv_toUChars(icu, reinterpret_cast<UChar*>(wide.data()),
                                           static_cast<int32_t>(wide.size()), gbk.data(),
                                           static_cast<int32_t>(gbk.size()) + 1, &error));
  }
  // What WideToAnsi does: size query with an explicit length and
  // WC_COMPOSITECHECK, then the conversion.
  void OursToBytes() {
    int needed = WideCharToMultiByte(CP_GBK, WC_COMPOSITECHECK, wide.data(), wide_length, nullptr,
                                     0, nullptr, nullptr);
    benchmark::DoNotOptimize(WideCharToMultiByte(CP_GBK, WC_COMPOSITECHECK, wide.data(),
                                                 wide_length, bytes.data(), needed, nullptr,
                                                 nullptr));
  }
  void IcuToBytes() {
    UErrorCode error = U_ZERO_ERROR;
    benchmark::DoNotOptimize(ucnv_fromUChars(icu, bytes.data(), static_cast<int32_t>(bytes.size()),
                                             reinterpret_cast<const UChar*>(wide.data()),
                                             wide_length, &error));
  }
};

ConversionFixture& Conversions() {
  static ConversionFixture fixture;
  return fixture;
}

void BM_BoundCall(benchmark::State& state) {
  for (auto _ : state) BoundCalls();
  state.SetItemsProcessed(state.iterations() * kCallsPerRun);
}
void BM_DirectCall(benchmark::State& state) {
  for (auto _ : state) DirectCalls();
  state.SetItemsProcessed(state.iterations() * kCallsPerRun);
}
void BM_MultiByteToWideCharPair(benchmark::State& state) {
  for (auto _ : state) Conversions().OursToWide();
}
void BM_IcuToUChars(benchmark::State& state) {
  for (auto _ : state) Conversions().IcuToWide();
}
void BM_WideCharToMultiBytePair(benchmark::State& state) {
  for (auto _ : state) Conversions().OursToBytes();
}
void BM_IcuFromUChars(benchmark::State& state) {
  for (auto _ : state) Conversions().IcuToBytes();
}
BENCHMARK(BM_BoundCall);
BENCHMARK(BM_DirectCall);
BENCHMARK(BM_MultiByteToWideCharPair)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IcuToUChars)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WideCharToMultiBytePair)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IcuFromUChars)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  rt::BindPlatformFunction(rt::kCoUninitialize);
  auto calls = bench::TimePaired(BoundCalls, DirectCalls, 31, 50);
  double overhead_ns = (calls.ours_ns - calls.baseline_ns) / kCallsPerRun;
  bench::ReportRatio("BoundCall", overhead_ns, 2);

  ConversionFixture& conversions = Conversions();
  auto to_wide =
      bench::TimePaired([&] { conversions.OursToWide(); }, [&] { conversions.IcuToWide(); }, 61, 3);
  bench::ReportRatio("MultiByteToWideCharPair", to_wide.Ratio(), 1.2);
  auto to_bytes = bench::TimePaired([&] { conversions.OursToBytes(); },
                                    [&] { conversions.IcuToBytes(); }, 61, 3);
  bench::ReportRatio("WideCharToMultiBytePair", to_bytes.Ratio(), 1.2);
  return 0;
}
