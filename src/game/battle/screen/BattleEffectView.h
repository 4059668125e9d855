#pragma once
#include "game/battle/screen/EffectView.h"

class Map;

// The battlefield as the battle's effects see it while the map draws them: the map's options,
// view, eye and textures, the shooters as units, and the presentation's generator. Made on
// the stack for each effect pass.
class BattleEffectView : public EffectView {
 public:
  explicit BattleEffectView(Map& map) : map_(map) {}

  int32_t SmokeOption() const override;
  int32_t ViewLevel() const override;
  float EyeX() const override;
  float EyeY() const override;
  float EyeHeight() const override;
  void BindEffectTexture(int32_t kind) override;
  void BindSmokeTexture(int32_t frame) override;
  float ElevationAt(float x, float y) const override;
  float DetailFactorAt(float x, float y) const override;
  void BindRandomEffectTexture() override;
  void BindAnimatedFireTexture() override;
  bool IsViewersSide(const Unit& shooter) const override;
  void ShooterPoint(const Unit& shooter, float* x, float* y, float* z) const override;
  bool IsAxis(const Unit& shooter) const override;
  GRandom& Random() override;

 private:
  Map& map_;
};
