// The cost of showing a frame (the 16-bit screen through the gamma ramp into the 32-bit
// picture) and of drawing a text.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/PFont.h"
#include "platform/PPresenter.h"
#include "platform/PSurface.h"

namespace {

void BM_PresentConvert1024x768(benchmark::State& state) {
  PSurface screen(1024, 768, PPixelFormat::kRGB565);
  for (int32_t y = 0; y < 768; ++y)
    for (int32_t x = 0; x < 1024; ++x) screen.Row16(y)[x] = static_cast<uint16_t>(x * 64 + y);
  PPresenter presenter;
  PGammaRamp ramp = PGammaRamp::Identity();
  for (int i = 0; i < 256; ++i) ramp.green[i] = static_cast<uint16_t>(i * 200);
  presenter.SetGammaRamp(ramp);
  presenter.Convert(screen);  // the table is built once, outside the timing
  for (auto _ : state) {
    presenter.Convert(screen);
    benchmark::DoNotOptimize(presenter.Frame().data());
  }
  state.SetItemsProcessed(state.iterations() * 1024 * 768);
}
BENCHMARK(BM_PresentConvert1024x768);

void BM_GammaTableRebuild(benchmark::State& state) {
  PSurface screen(1, 1, PPixelFormat::kRGB565);
  PPresenter presenter;
  PGammaRamp ramp = PGammaRamp::Identity();
  for (auto _ : state) {
    presenter.SetGammaRamp(ramp);
    presenter.Convert(screen);
  }
}
BENCHMARK(BM_GammaTableRebuild);

void BM_DrawText20(benchmark::State& state) {
  auto font = PFont::OpenStandard(static_cast<int32_t>(state.range(0)));
  if (!font) {
    state.SkipWithError("font missing");
    return;
  }
  PSurface surface(640, 480, PPixelFormat::kRGB565);
  const std::string text = "Resolution: 1024x768";  // 20 characters
  font->DrawText(surface, text, 10, 100, 0xFFFF);  // glyphs prepared outside the timing
  for (auto _ : state) {
    font->DrawText(surface, text, 10, 100, 0xFFFF);
    benchmark::DoNotOptimize(surface.Pixels());
  }
}
BENCHMARK(BM_DrawText20)->Arg(0)->Arg(1)->Arg(2);

void BM_TextWidth20(benchmark::State& state) {
  auto font = PFont::OpenStandard(0);
  const std::string text = "Resolution: 1024x768";
  for (auto _ : state) benchmark::DoNotOptimize(font->TextWidth(text));
}
BENCHMARK(BM_TextWidth20);

}  // namespace

BENCHMARK_MAIN();
