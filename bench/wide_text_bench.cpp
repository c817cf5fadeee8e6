// Code page 936 to UTF-16 and back through the platform function table,
// against one direct ICU conversion of the same 1 MiB text.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unicode/ucnv.h>

#include <string>

#include "bench/ratio_report.h"
#include "runtime/gbk.h"
#include "runtime/wide_text.h"

namespace {

// About 1 MiB of quote-like GBK text: Chinese names, digits, ASCII punctuation.
const std::string& MixedGbkText() {
  static const std::string text = [] {
    std::string unit =
        rt::Utf8ToGbk("v_s_sh600000=\"1~浦发银行~600000~7.50~0.05~0.67~1234567~成交量（万）\";\n");
    std::string out;
    while (out.size() < (1u << 20)) out += unit;
    return out;
  }();
  return text;
}

const rt::ByteSet& MixedWideText() {
  static const rt::ByteSet wide = rt::AnsiToWide(MixedGbkText());
  return wide;
}

struct IcuConverter {
  UConverter* converter;
  IcuConverter() {
    UErrorCode error = U_ZERO_ERROR;
    converter = ucnv_open("windows-936-2000", &error);
  }
  ~IcuConverter() { ucnv_close(converter); }
};

void IcuToWide() {
  static IcuConverter icu;
  const std::string& text = MixedGbkText();
  std::u16string out(text.size() + 1, u'\0');
  UErrorCode error = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(icu.converter, reinterpret_cast<UChar*>(out.data()),
                            static_cast<int32_t>(out.size()), text.data(),
                            static_cast<int32_t>(text.size()), &error);
  benchmark::DoNotOptimize(n);
}

void IcuToGbk() {
  static IcuConverter icu;
  const rt::ByteSet& wide = MixedWideText();
  int32_t units = wide.size() / 2;
  std::string out(static_cast<size_t>(units) * 2 + 1, '\0');
  UErrorCode error = U_ZERO_ERROR;
  int32_t n = ucnv_fromUChars(icu.converter, out.data(), static_cast<int32_t>(out.size()),
                              reinterpret_cast<const UChar*>(wide.data()), units, &error);
  benchmark::DoNotOptimize(n);
}

void OursToWide() {
  benchmark::DoNotOptimize(rt::AnsiToWide(MixedGbkText()).get());
}
void OursToGbk() {
  benchmark::DoNotOptimize(rt::WideToAnsi(MixedWideText()).get());
}

void BM_AnsiToWide(benchmark::State& state) {
  for (auto _ : state) OursToWide();
}
void BM_IcuToUnicode(benchmark::State& state) {
  for (auto _ : state) IcuToWide();
}
void BM_WideToAnsi(benchmark::State& state) {
  for (auto _ : state) OursToGbk();
}
void BM_IcuFromUnicode(benchmark::State& state) {
  for (auto _ : state) IcuToGbk();
}
BENCHMARK(BM_AnsiToWide)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IcuToUnicode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WideToAnsi)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IcuFromUnicode)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // Keep megabyte buffers on the heap for both sides, so page faults from fresh
  // mappings do not swing the figures: a block cut back to its size would
  // otherwise keep the allocator's mapping threshold below the next request.
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  MixedGbkText();
  MixedWideText();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  bench::ReportRatio("AnsiToWide", bench::TimePaired(OursToWide, IcuToWide).Ratio(), 1.2);
  bench::ReportRatio("WideToAnsi", bench::TimePaired(OursToGbk, IcuToGbk).Ratio(), 1.2);
  return 0;
}
