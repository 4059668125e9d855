// The replay's effect pass at view level 2: 40 bursts at High Quality with 250 fragments each
// and their puffs, 20 bursts of six tracers and 4 flame jets, drawn at slices where all are in
// flight. On the recording device (scene building and the translucent sort, no pixels) and on
// the software device at 1 and 2 threads (the rasterised frame), 640 x 480. Reports the
// triangles and the allocations per software frame, the renderer and device included.
#include <benchmark/benchmark.h>

#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "framework/core/GRandom.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraph3DHost.h"
#include "framework/media/GGraph3DTexture.h"
#include "game/battle/screen/EffectView.h"
#include "game/battle/screen/EphemeralBurst.h"
#include "game/battle/screen/EphemeralShot.h"
#include "platform/PRecording3DDevice.h"
#include "platform/PSoft3DDevice.h"
#include "platform/PSurface.h"

namespace {


constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int32_t kSlice = 20;

class Texture : public GGraph3DTexture {
 public:
  explicit Texture(uint16_t colour) : surface_(32, 32, PPixelFormat::kARGB1555) {
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x) surface_.Row16(y)[x] = static_cast<uint16_t>(0x8000 | (colour + ((x ^ y) & 7)));
  }
  const PSurface* GetTexture() const override { return &surface_; }

 private:
  PSurface surface_;
};

class BenchView : public EffectView {
 public:
  int32_t SmokeOption() const override { return 2; }
  int32_t ViewLevel() const override { return 2; }
  float EyeX() const override { return 0.0f; }
  float EyeY() const override { return -150.0f; }
  float EyeHeight() const override { return 120.0f; }
  void BindEffectTexture(int32_t kind) override { gGraph3D->SetTexture(&effects_[static_cast<size_t>(kind)]); }
  void BindSmokeTexture(int32_t) override { gGraph3D->SetTexture(&smoke_); }
  float ElevationAt(float, float) const override { return 0.0f; }
  float DetailFactorAt(float, float) const override { return 0.1f; }
  void BindRandomEffectTexture() override { gGraph3D->SetTexture(&effects_[0]); }
  void BindAnimatedFireTexture() override { gGraph3D->SetTexture(&effects_[1]); }
  bool IsViewersSide(const Unit&) const override { return true; }
  void ShooterPoint(const Unit&, float*, float*, float*) const override {}
  bool IsAxis(const Unit&) const override { return true; }
  GRandom& Random() override { return random_; }

 private:
  Texture effects_[4] = {Texture(0x7C00), Texture(0x03E0), Texture(0x001F), Texture(0x4210)};
  Texture smoke_{0x6318};
  GRandom random_{5};
};

// The effects, made once.
struct Effects {
  Effects() {
    GRandom random(3);
    for (int i = 0; i < 40; ++i) {
      auto b = std::make_unique<EphemeralBurst>(i % 3);
      b->duration = 244;
      b->size = 20.0f;
      b->originX = static_cast<float>(i % 8) * 40.0f - 140.0f;
      b->originY = static_cast<float>(i / 8) * 50.0f;
      b->start = i % 2 == 0 ? kSlice - 2 : kSlice - 30;  // flash and fragment stages
      b->SetupElements(random);
      all.push_back(std::move(b));
    }
    for (int i = 0; i < 20; ++i) {
      auto s = std::make_unique<EphemeralShot>();
      s->code = 19;
      s->duration = 44;
      s->start = kSlice - 10;
      s->originX = static_cast<float>(i) * 10.0f - 100.0f;
      s->targetX = -s->originX;
      s->targetY = 300.0f;
      all.push_back(std::move(s));
    }
    for (int i = 0; i < 4; ++i) {
      auto f = std::make_unique<EphemeralShot>();
      f->code = EphemeralShot::kFlameCode;
      f->duration = 30;
      f->LengthenFlame();
      f->start = kSlice - 40;
      f->originX = static_cast<float>(i) * 50.0f - 75.0f;
      f->targetX = f->originX + 10.0f;
      f->targetY = 30.0f;
      f->heading = 70.0f;
      all.push_back(std::move(f));
    }
  }
  std::vector<std::unique_ptr<Ephemeral>> all;
};

void DrawFrame(GGraph3D& r, Effects& effects, BenchView& view) {
  r.RenderBegin();
  r.SetProjection(0, 0, kWidth, kHeight, 70.0f, 1.0f, 1200.0f);
  r.LookAt(0, -150, 120, 0, 150, 0, 0, 0, 1);
  for (auto& e : effects.all) e->Draw(kSlice, view);
  r.RenderEnd();
}

void BM_EffectsRecording(benchmark::State& state) {
  PSurface screen(kWidth, kHeight, PPixelFormat::kRGB565);
  PRecording3DDevice device;
  GGraph3DHost host(&device, &screen);
  GGraph3D renderer(&host);
  gGraph3D = &renderer;
  renderer.Init3D();
  Effects effects;
  BenchView view;
  DrawFrame(renderer, effects, view);
  const auto counts = renderer.FrameTriangles();
  for (auto _ : state) {
    device.ClearCalls();
    DrawFrame(renderer, effects, view);
  }
  gGraph3D = nullptr;
  state.counters["triangles"] = static_cast<double>(counts.given);
}
BENCHMARK(BM_EffectsRecording)->Unit(benchmark::kMillisecond);

void BM_EffectsSoftware(benchmark::State& state) {
  PSurface screen(kWidth, kHeight, PPixelFormat::kRGB565);
  PSoft3DDevice device(&screen, static_cast<int32_t>(state.range(0)));
  GGraph3DHost host(&device, &screen);
  GGraph3D renderer(&host);
  gGraph3D = &renderer;
  renderer.Init3D();
  Effects effects;
  BenchView view;
  // The recording device keeps every call, so allocations are counted here, where the
  // device draws in place.
  int64_t allocations = 0;
  for (auto _ : state) {
    const int64_t before = gAllocations.load();
    DrawFrame(renderer, effects, view);
    benchmark::DoNotOptimize(screen.Pixels());
    allocations += gAllocations.load() - before;
  }
  gGraph3D = nullptr;
  state.counters["alloc/frame"] = static_cast<double>(allocations) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_EffectsSoftware)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace


BENCHMARK_MAIN();
