#include "game/battle/HeadlessHost.h"

#include "game/battle/Battle.h"
#include "game/battle/BattleBase.h"

int32_t HeadlessHost::GetGameDate() const { return battle != nullptr ? battle->GetDate() : 4406; }

int32_t HeadlessHost::GetComputerBonus() const {
  const auto* base = dynamic_cast<const BattleBase*>(battle);
  return base != nullptr ? base->computerBonus : 0;
}

namespace {

Battle* InPlay(MapBattleServices* battle) { return dynamic_cast<Battle*>(battle); }

}  // namespace

void HeadlessHost::FileShot(const Shot& shot) {
  if (Battle* b = InPlay(battle)) b->FileUnitShot(shot);
}

void HeadlessHost::AddFireCounter(int32_t sideIndex, int32_t amount) {
  Battle* b = InPlay(battle);
  if (b != nullptr && sideIndex >= 0 && sideIndex < 2) b->fireCounter[sideIndex] += amount;
}

void HeadlessHost::CreateSmoke(float x, float y, float size) {
  if (Battle* b = InPlay(battle)) b->PlaceSmokeAt(x, y, size);
}

void HeadlessHost::SpreadIntensityNearPoint(int32_t intensity, float x, float y) {
  if (Battle* b = InPlay(battle)) b->SpreadIntensityNearPoint(intensity, x, y);
}
