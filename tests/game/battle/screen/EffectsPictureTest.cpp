// The replay's effects as a picture: bursts at their flash, fragment and puff stages, a
// tracer burst, a rocket's trail and a flame jet, drawn on the software device at 640 x 480
// with test textures. The picture is pinned, and is the same at one and two drawing threads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/GRandom.h"
#include "framework/media/RendererRig.h"
#include "game/battle/screen/EffectView.h"
#include "game/battle/screen/EphemeralBurst.h"
#include "game/battle/screen/EphemeralShot.h"
#include "platform/PBitmapFile.h"
#include "support/PixelHash.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int32_t kSlice = 1000;

// A 32 x 32 texture of two shades in a check.
struct TestTexture {
  explicit TestTexture(uint16_t colour) : surface(32, 32, PPixelFormat::kARGB1555), graphic(&surface) {
    for (int y = 0; y < 32; ++y)
      for (int x = 0; x < 32; ++x)
        surface.Row16(y)[x] = static_cast<uint16_t>(0x8000 | (((x / 4 + y / 4) & 1) != 0 ? colour : colour >> 1 & 0x3DEF));
  }
  PSurface surface;
  FakeGraphic graphic;
};

class PictureView : public EffectView {
 public:
  int32_t SmokeOption() const override { return 2; }
  int32_t ViewLevel() const override { return 2; }
  float EyeX() const override { return 0.0f; }
  float EyeY() const override { return -60.0f; }
  float EyeHeight() const override { return 30.0f; }
  void BindEffectTexture(int32_t kind) override { gGraph3D->SetTexture(&effects[kind & 3]->graphic); }
  void BindSmokeTexture(int32_t) override { gGraph3D->SetTexture(&smoke.graphic); }
  float ElevationAt(float, float) const override { return 0.0f; }
  float DetailFactorAt(float, float) const override { return 0.1f; }
  void BindRandomEffectTexture() override { gGraph3D->SetTexture(&flame.graphic); }
  void BindAnimatedFireTexture() override { gGraph3D->SetTexture(&fire.graphic); }
  bool IsViewersSide(const Unit&) const override { return true; }
  void ShooterPoint(const Unit&, float*, float*, float*) const override {}
  bool IsAxis(const Unit&) const override { return false; }
  GRandom& Random() override { return random; }

  std::unique_ptr<TestTexture> effects[4] = {std::make_unique<TestTexture>(0x5294), std::make_unique<TestTexture>(0x4A00),
                                             std::make_unique<TestTexture>(0x3DEF), std::make_unique<TestTexture>(0x2108)};
  TestTexture smoke{0x6318};
  TestTexture flame{0x7E00};
  TestTexture fire{0x7DE0};
  GRandom random{17};
};

std::vector<std::unique_ptr<Ephemeral>> Scene() {
  std::vector<std::unique_ptr<Ephemeral>> all;
  GRandom random(8);
  const int32_t ages[] = {3, 40, 90};  // flash, fragments, puffs
  for (int i = 0; i < 3; ++i) {
    auto b = std::make_unique<EphemeralBurst>(i);
    b->duration = 200;
    b->size = 15.0f;
    b->originX = static_cast<float>(i) * 25.0f - 25.0f;
    b->originY = 40.0f;
    b->start = kSlice - ages[i];
    b->SetupElements(random);
    all.push_back(std::move(b));
  }
  auto tracers = std::make_unique<EphemeralShot>();
  tracers->code = 19;
  tracers->duration = 44;
  tracers->start = kSlice - 19;
  tracers->originX = -40.0f;
  tracers->originY = 10.0f;
  tracers->targetX = 40.0f;
  tracers->targetY = 70.0f;
  all.push_back(std::move(tracers));
  auto rocket = std::make_unique<EphemeralShot>();
  rocket->code = 1;
  rocket->duration = 80;
  rocket->start = kSlice - 50;
  rocket->originX = 30.0f;
  rocket->originY = 80.0f;
  rocket->originZ = 60.0f;
  rocket->targetX = -10.0f;
  rocket->targetY = 20.0f;
  all.push_back(std::move(rocket));
  auto flame = std::make_unique<EphemeralShot>();
  flame->code = EphemeralShot::kFlameCode;
  flame->duration = 30;
  flame->LengthenFlame();
  flame->start = kSlice - 45;
  flame->originX = -10.0f;
  flame->originY = 0.0f;
  flame->targetX = 5.0f;
  flame->targetY = 20.0f;
  flame->heading = 53.13f;
  all.push_back(std::move(flame));
  return all;
}

uint64_t DrawAt(int32_t threads, const char* save) {
  PSurface screen(kWidth, kHeight, PPixelFormat::kRGB565);
  PSoft3DDevice device(&screen, threads);
  GGraph3DHost host(&device, &screen);
  RendererProbe r(&host);
  gGraph3D = &r;
  r.Init3D();
  PictureView view;
  auto scene = Scene();
  r.RenderBegin();
  r.SetProjection(0, 0, kWidth, kHeight, 60.0f, 1.0f, 500.0f);
  r.LookAt(0.0f, -60.0f, 30.0f, 0.0f, 40.0f, 5.0f, 0.0f, 0.0f, 1.0f);
  for (auto& e : scene) e->Draw(kSlice, view);
  r.RenderEnd();
  gGraph3D = nullptr;
  if (save != nullptr) PBitmapFile::WriteSurface(screen, std::string(save) + "effects.bmp");
  return PixelHash(screen, device);
}

TEST(EffectsPicture, PinnedAtOneAndTwoThreads) {
  const char* save = std::getenv("TARVANE_SAVE_PICTURES");
  const uint64_t one = DrawAt(1, save);
  EXPECT_EQ(DrawAt(2, nullptr), one);
  EXPECT_EQ(one, 10558799080366123571ull) << one;
}

}  // namespace
