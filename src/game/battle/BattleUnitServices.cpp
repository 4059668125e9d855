#include "game/battle/BattleUnitServices.h"

#include "game/battle/Battle.h"

namespace {

Battle* Recording(Battle* battle) { return battle != nullptr && battle->computingAction != 0 ? battle : nullptr; }

}  // namespace

void BattleUnitServices::RecordStatePacket(const UnitStatePacket& packet) {
  if (Battle* battle = Recording(BattleForUnits())) battle->RecordUnitState(packet);
}

void BattleUnitServices::RecordSoundPacket(const UnitSoundPacket& packet) {
  if (Battle* battle = Recording(BattleForUnits())) battle->RecordUnitSound(packet);
}

void BattleUnitServices::RecordFirePacket(const UnitFirePacket& packet) {
  if (Battle* battle = Recording(BattleForUnits())) battle->RecordUnitFire(packet);
}

void BattleUnitServices::FileShot(const Shot& shot) {
  if (Battle* battle = BattleForUnits()) battle->FileUnitShot(shot);
}

void BattleUnitServices::AddFireCounter(int32_t sideIndex, int32_t amount) {
  Battle* battle = BattleForUnits();
  if (battle != nullptr && sideIndex >= 0 && sideIndex < 2) battle->fireCounter[sideIndex] += amount;
}

void BattleUnitServices::CreateSmoke(float x, float y, float size) {
  if (Battle* battle = BattleForUnits()) battle->PlaceSmokeAt(x, y, size);
}

void BattleUnitServices::SpreadIntensityNearPoint(int32_t intensity, float x, float y) {
  if (Battle* battle = BattleForUnits()) battle->SpreadIntensityNearPoint(intensity, x, y);
}

int32_t BattleUnitServices::GetCurrentTurn() const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr ? battle->currentTurn : 1;
}

int32_t BattleUnitServices::GetLastTurn() const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr ? battle->lastTurn : 30;
}

void BattleUnitServices::SetCurrentSlice(int32_t slice) {
  if (Battle* battle = BattleForUnits()) battle->currentSlice = slice;
}
