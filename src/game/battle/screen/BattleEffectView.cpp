#include "game/battle/screen/BattleEffectView.h"

#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/units/Unit.h"

namespace {

constexpr int32_t kSmokeGraphicsOption = 15;

}  // namespace

int32_t BattleEffectView::SmokeOption() const { return map_.App().GetOption(kSmokeGraphicsOption); }
int32_t BattleEffectView::ViewLevel() const { return map_.GetViewLevel(); }
float BattleEffectView::EyeX() const { return map_.frame.eyeX; }
float BattleEffectView::EyeY() const { return map_.frame.eyeY; }
float BattleEffectView::EyeHeight() const { return map_.camera.height; }

void BattleEffectView::BindEffectTexture(int32_t kind) { map_.BindSetTexture(kind); }

void BattleEffectView::BindSmokeTexture(int32_t frame) {
  if (frame < 0 || frame > 9) FatalError(811, "Ephemeral");
  map_.BindSlot(Map::Slot::kTen + frame);
}

float BattleEffectView::ElevationAt(float x, float y) const { return map_.ElevationAt(x, y); }
float BattleEffectView::DetailFactorAt(float x, float y) const { return map_.DetailFactorAt(x, y); }

void BattleEffectView::BindRandomEffectTexture() { map_.BindSlot(Map::Slot::kEffects + Random().Random(3)); }

// The first frame of the animated fire until the map animates its fire textures.
void BattleEffectView::BindAnimatedFireTexture() { map_.BindSlot(Map::Slot::kAnimated); }

bool BattleEffectView::IsViewersSide(const Unit& shooter) const { return shooter.IsCurrentSide(); }

void BattleEffectView::ShooterPoint(const Unit& shooter, float* x, float* y, float* z) const {
  *x = shooter.x;
  *y = shooter.y;
  *z = shooter.GetBaseHeight();
}

bool BattleEffectView::IsAxis(const Unit& shooter) const { return shooter.IsAxis(); }

GRandom& BattleEffectView::Random() { return GRandom::Presentation(); }
