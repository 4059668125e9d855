#include "game/battle/screen/BattleBlinkIndicator.h"

#include "framework/core/GObject.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraphic.h"

namespace {

// The picture, or null when the bitmap cannot be loaded (the indicator then shows a gap).
GGraphic* LoadPicture(int32_t number) {
  auto* graphic = new GGraphic;
  if (!graphic->Load(1, static_cast<int16_t>(number), 0, true) || graphic->GetStub() == nullptr) {
    delete graphic;
    return nullptr;
  }
  return graphic;
}

}  // namespace

BattleBlinkIndicator::BattleBlinkIndicator() : pictureA_(LoadPicture(kPictureA)), pictureB_(LoadPicture(kPictureB)) {}

BattleBlinkIndicator::~BattleBlinkIndicator() {
  delete pictureA_;
  delete pictureB_;
}

void BattleBlinkIndicator::SetEnabled(uint8_t enabled) {
  if (enabled != 0) phase_ = 0;
  SetTickInterval(enabled != 0 ? 0 : -1);
  GView::SetEnabled(enabled);
}

void BattleBlinkIndicator::TickAction() {
  Advance(gKernel != nullptr ? static_cast<int32_t>(gKernel->GetFrameTime()) : 0);
}

void BattleBlinkIndicator::Advance(int32_t ms) {
  if (!IsEnabled() || ms < 0) return;
  phase_ += ms;
  if (phase_ > kSwitchMs) Invalidate();
  if (phase_ >= kCycleMs) {
    phase_ -= kCycleMs;
    Invalidate();
  }
}

void BattleBlinkIndicator::Draw() {
  GView::Draw();
  if (!IsEnabled()) return;
  GGraphic* picture = ShownPicture() == kPictureA ? pictureA_ : pictureB_;
  if (picture != nullptr) DrawGraphic(picture, 0, 0);
}
