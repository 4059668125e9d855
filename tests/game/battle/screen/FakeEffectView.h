#pragma once
// The battlefield's part for the effects' tests, recorded: where each fragment is bound and
// under which culling, which smoke frames show at which alpha, which textures the flame binds.
#include <vector>

#include "framework/core/GRandom.h"
#include "framework/media/RendererRig.h"
#include "game/battle/screen/EffectView.h"

class FakeEffectView : public EffectView {
 public:
  struct Bind {
    int32_t kind;
    bool culling;
    float x, y, z;
  };
  explicit FakeEffectView(RendererProbe& r) : r_(r) {}
  int32_t SmokeOption() const override { return smoke; }
  int32_t ViewLevel() const override { return level; }
  float EyeX() const override { return 0.0f; }
  float EyeY() const override { return -50.0f; }
  float EyeHeight() const override { return 20.0f; }
  void BindEffectTexture(int32_t kind) override {
    const auto& m = r_.Top().m;
    binds.push_back({kind, r_.IsBackfaceCulling(), m[3][0], m[3][1], m[3][2]});
  }
  void BindSmokeTexture(int32_t frame) override {
    frames.push_back(frame);
    alphas.push_back(r_.Colour() >> 24);
  }
  float ElevationAt(float, float) const override { return ground; }
  float DetailFactorAt(float, float) const override { return detail; }
  void BindRandomEffectTexture() override { ++flameBinds; }
  void BindAnimatedFireTexture() override {
    ++bedBinds;
    bedZ = r_.Top().m[3][2];
  }
  bool IsViewersSide(const Unit& shooter) const override { return &shooter == viewersUnit; }
  void ShooterPoint(const Unit&, float* x, float* y, float* z) const override {
    *x = shooterX;
    *y = shooterY;
    *z = shooterZ;
  }
  bool IsAxis(const Unit&) const override { return axis; }
  GRandom& Random() override { return random; }

  int32_t smoke = 0;
  int32_t level = 2;
  float ground = 0.0f;
  float detail = 0.0f;
  const Unit* viewersUnit = nullptr;
  float shooterX = 0.0f;
  float shooterY = 0.0f;
  float shooterZ = 0.0f;
  bool axis = false;
  GRandom random{7};
  std::vector<Bind> binds;
  std::vector<int32_t> frames;
  std::vector<uint32_t> alphas;
  int32_t flameBinds = 0;
  int32_t bedBinds = 0;
  float bedZ = 0.0f;

 private:
  RendererProbe& r_;
};
