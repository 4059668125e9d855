// The cost of turning a 256 x 256 numbered bitmap into a texture: reading and decoding the
// file, making the texture (key colour and tint), halving it, and the whole load by number.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Quorl.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicHost.h"
#include "framework/media/GGraphicPixels.h"
#include "framework/media/GGraphicRenderer.h"
#include "framework/media/GGraphicsStore.h"
#include "platform/PBitmapFile.h"
#include "platform/PPath.h"
#include "platform/PTextureBudget.h"

namespace {

constexpr int32_t kSide = 256;

class BenchRenderer : public GGraphicRenderer {
 public:
  int32_t GetDownsampleLevel() const override { return 2; }
  int32_t GetMaxTextureSize() const override { return 256; }
  bool TextureMemoryExhausted() const override { return false; }
  void NoteTextureMemoryExhausted() override {}
  void GetColorScale(float* out) const override {
    out[0] = 0.9f;
    out[1] = 0.8f;
    out[2] = 0.7f;
  }
  void AddTextureMemory(int32_t) override {}
};

// A program folder in the temporary folder holding BMP\1.bmp, with a host and a store.
class BenchHost : public GGraphicHost {
 public:
  BenchHost() : budget_(64u << 20) {
    folder_ = std::filesystem::temp_directory_path() / ("tarvane-graphics-bench-" + std::to_string(TickCount()));
    std::filesystem::create_directories(folder_ / "BMP");
    std::vector<uint32_t> pixels(kSide * kSide);
    SeedRandom(7);
    for (uint32_t& p : pixels) p = Random(8) == 0 ? 0xFF00FF : static_cast<uint32_t>(Random(0x1000000));
    PBitmapFile::WritePixels(pixels.data(), kSide, kSide, PPath::ToProgram((folder_ / "BMP" / "1.bmp").string()));
    program_ = PPath::ToProgram(folder_.string() + "/");
    store_.Init();
    GGraphicHost::SetCurrent(this);
  }
  ~BenchHost() override {
    GGraphicHost::SetCurrent(nullptr);
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  GGraphicsStore* GetGraphicsStore() override { return &store_; }
  bool IsBitmapExcluded(int32_t) override { return false; }
  void TrackGraphic(GGraphic*, bool) override {}
  bool GetBaseFolder(std::string& folder, bool) override {
    folder = program_;
    return false;
  }
  PDisplay* GetDirectDraw() override { return nullptr; }
  PTextureBudget* GetTextureBudget() override { return &budget_; }
  GGraphicRenderer* GetRenderer() override { return &renderer_; }
  std::string BitmapPath() const { return program_ + GGraphic::BitmapName(1); }

 private:
  std::filesystem::path folder_;
  std::string program_;
  PTextureBudget budget_;
  BenchRenderer renderer_;
  GGraphicsStore store_;
};

void Label(benchmark::State& state) { state.SetLabel("256 x 256 texture"); }

void BM_LoadBitmapFile(benchmark::State& state) {
  BenchHost host;
  PBitmapFile::Image image;
  for (auto _ : state) {
    PBitmapFile::Load(host.BitmapPath(), image);
    benchmark::DoNotOptimize(image.pixels.data());
  }
  Label(state);
}
BENCHMARK(BM_LoadBitmapFile)->Unit(benchmark::kMillisecond);

void BM_ConvertToTexture(benchmark::State& state) {
  BenchHost host;
  PBitmapFile::Image image;
  PBitmapFile::Load(host.BitmapPath(), image);
  const float scale[3] = {0.9f, 0.8f, 0.7f};
  for (auto _ : state) {
    std::unique_ptr<PSurface> texture;
    CreateBitmapSurface(kSide, kSide, true, texture);
    PBitmapFile::CopyToSurface(image, *texture);
    if (PrepareTexturePixels(*texture, scale)) FillTransparentTexels(*texture);
    benchmark::DoNotOptimize(texture->Pixels());
  }
  Label(state);
}
BENCHMARK(BM_ConvertToTexture)->Unit(benchmark::kMillisecond);

void BM_HalveTexture(benchmark::State& state) {
  BenchHost host;
  PBitmapFile::Image image;
  PBitmapFile::Load(host.BitmapPath(), image);
  const float scale[3] = {1.0f, 1.0f, 1.0f};
  std::unique_ptr<PSurface> source;
  CreateBitmapSurface(kSide, kSide, true, source);
  PBitmapFile::CopyToSurface(image, *source);
  PrepareTexturePixels(*source, scale);
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<PSurface> texture;
    CreateBitmapSurface(kSide, kSide, true, texture);
    std::copy(source->Pixels(), source->Pixels() + source->SizeInBytes(), texture->Pixels());
    int32_t w = kSide, h = kSide;
    state.ResumeTiming();
    HalveTexture(2, texture, w, h);
    benchmark::DoNotOptimize(texture->Pixels());
  }
  Label(state);
}
BENCHMARK(BM_HalveTexture)->Unit(benchmark::kMillisecond);

// The whole load by number: read, convert, tint, halve once each way, fill, store.
void BM_LoadTextureByNumber(benchmark::State& state) {
  BenchHost host;
  for (auto _ : state) {
    GGraphic graphic;
    graphic.Load(GGraphic::kTextureKind, 1);
    benchmark::DoNotOptimize(graphic.GetTexture());
  }
  Label(state);
}
BENCHMARK(BM_LoadTextureByNumber)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
