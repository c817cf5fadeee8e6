// Chart picture costs: decoding a 545 x 300 RGBA PNG into our frame, against
// libpng's simplified API decoding into a BGRA buffer; and composing a full
// 280 x 152 box holding that picture, against QPainter drawing the same image
// over a filled background.
#include <benchmark/benchmark.h>
#include <png.h>

#include <QColor>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/ratio_report.h"
#include "ui/cartoon_composer.h"
#include "ui/png_decoder.h"

namespace {

constexpr int kChartWidth = 545;
constexpr int kChartHeight = 300;
constexpr int kBoxWidth = 280;
constexpr int kBoxHeight = 152;
constexpr uint32_t kBoxBackground = 0x00f0f0f0;

// A chart-like RGBA picture: a light gradient, a grid, a price line and a
// fully transparent margin, so it compresses the way a real chart does.
std::vector<uint8_t> MakeChartPng() {
  std::vector<uint8_t> rgba(size_t(kChartWidth) * kChartHeight * 4);
  for (int y = 0; y < kChartHeight; ++y) {
    for (int x = 0; x < kChartWidth; ++x) {
      uint8_t* p = &rgba[(size_t(y) * kChartWidth + x) * 4];
      const bool grid = x % 50 == 0 || y % 30 == 0;
      const int line_y = 150 + int(60 * std::sin(x * 0.05) + 20 * std::sin(x * 0.31));
      const bool line = std::abs(y - line_y) <= 1;
      p[0] = line ? 220 : grid ? 190 : uint8_t(250 - y / 20);
      p[1] = line ? 30 : grid ? 190 : uint8_t(250 - y / 20);
      p[2] = line ? 30 : grid ? 200 : 255;
      p[3] = (x < 4 || y < 4) ? 0 : line ? 200 : 255;
    }
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = kChartWidth;
  image.height = kChartHeight;
  image.format = PNG_FORMAT_RGBA;
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, rgba.data(), 0, nullptr);
  std::vector<uint8_t> png(size);
  if (!png_image_write_to_memory(&image, png.data(), &size, 0, rgba.data(), 0, nullptr)) {
    std::fprintf(stderr, "cannot write the test picture: %s\n", image.message);
    std::abort();
  }
  png.resize(size);
  return png;
}

const std::vector<uint8_t>& ChartPng() {
  static const std::vector<uint8_t> png = MakeChartPng();
  return png;
}

void DecodeOurs() {
  std::optional<ui::Picture> picture = ui::DecodePng(ChartPng());
  if (!picture) std::abort();
  benchmark::DoNotOptimize(picture->frames[0].pixels.data());
}

void DecodeSimplified() {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, ChartPng().data(), ChartPng().size())) {
    std::abort();
  }
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) std::abort();
  benchmark::DoNotOptimize(pixels.data());
}

// The box's inputs and the equivalent Qt image, built once as a widget would.
struct ComposeScene {
  std::vector<ui::BoxObject> objects;
  std::vector<uint8_t> box = std::vector<uint8_t>(size_t(kBoxWidth) * kBoxHeight * 4);
  QImage chart;
  QImage canvas{kBoxWidth, kBoxHeight, QImage::Format_RGB32};

  ComposeScene() {
    auto picture = std::make_shared<ui::Picture>(*ui::DecodePng(ChartPng()));
    ui::BoxObject object;
    object.picture = picture;
    objects.push_back(object);
    // Qt draws premultiplied ARGB fastest; the conversion is done once, up front.
    QImage straight(kChartWidth, kChartHeight, QImage::Format_ARGB32);
    const std::vector<uint8_t>& pixels = picture->frames[0].pixels;
    for (int y = 0; y < kChartHeight; ++y) {
      auto* line = reinterpret_cast<QRgb*>(straight.scanLine(y));
      for (int x = 0; x < kChartWidth; ++x) {
        const uint8_t* p = &pixels[(size_t(y) * kChartWidth + x) * 4];
        line[x] = qRgba(p[2], p[1], p[0], 255 - p[3]);
      }
    }
    chart = straight.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  }
};

ComposeScene& Scene() {
  static ComposeScene scene;
  return scene;
}

void ComposeOurs() {
  ComposeScene& scene = Scene();
  ui::ComposeBox(scene.box.data(), 0, 0, kBoxWidth, kBoxHeight, kBoxBackground, scene.objects);
  benchmark::DoNotOptimize(scene.box.data());
}

void ComposeQPainter() {
  ComposeScene& scene = Scene();
  scene.canvas.fill(QColor(0xf0, 0xf0, 0xf0));
  QPainter painter(&scene.canvas);
  painter.drawImage(0, 0, scene.chart);
  painter.end();
  benchmark::DoNotOptimize(scene.canvas.constBits());
}

void BM_PngDecodeOurs(benchmark::State& state) {
  for (auto _ : state) DecodeOurs();
}
void BM_PngDecodeSimplifiedApi(benchmark::State& state) {
  for (auto _ : state) DecodeSimplified();
}
void BM_ComposeOurs(benchmark::State& state) {
  for (auto _ : state) ComposeOurs();
}
void BM_ComposeQPainter(benchmark::State& state) {
  for (auto _ : state) ComposeQPainter();
}
BENCHMARK(BM_PngDecodeOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PngDecodeSimplifiedApi)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ComposeQPainter)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  const bench::PairedTiming decode = bench::TimePaired(DecodeOurs, DecodeSimplified, 21, 10);
  bench::ReportRatio("PngDecode", decode.Ratio(), 1.3);
  const bench::PairedTiming compose = bench::TimePaired(ComposeOurs, ComposeQPainter, 21, 200);
  bench::ReportRatio("Compose", compose.Ratio(), -1);
  return 0;
}
