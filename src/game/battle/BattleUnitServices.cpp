#include "game/battle/BattleUnitServices.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "game/battle/Battle.h"
#include "game/battle/ShotObserver.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapPacket.h"
#include "game/map/OrderState.h"
#include "game/units/records/KillRecord.h"
#include "game/units/Unit.h"
#include "game/units/records/UnitSoundPacket.h"
#include "game/units/vehicle/Vehicle.h"

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

void BattleUnitServices::PlaySoundAtOnce(const UnitSoundPacket& packet) {
  Battle* battle = BattleForUnits();
  if (battle == nullptr || battle->map == nullptr) return;
  // The same event the replay would hand the screen, started now and kept nowhere.
  MapPacket event;
  event.kind = MapPacket::kSound;
  if (packet.unit != nullptr) {
    event.x = packet.unit->x;
    event.y = packet.unit->y;
  }
  event.sound.source = packet.unit;
  event.sound.number = static_cast<uint16_t>(packet.sound);
  event.sound.kind = packet.soundKind;
  event.sound.parameter = packet.size;
  event.sound.looped = packet.attached;
  for (size_t side = 0; side < 2; ++side) {
    for (size_t i = 0; i < 3; ++i) event.sound.position[side][i] = packet.sidePosition[side][i];
    event.sound.audible[side] = packet.audible[side];
  }
  battle->App().Battlefield().StartMapSound(*battle->map, event);
}

void BattleUnitServices::FileShot(const Shot& shot) {
  Battle* battle = BattleForUnits();
  if (battle == nullptr) return;
  if (shotObserver_ != nullptr) shotObserver_->ShotFiled(shot);
  battle->FileUnitShot(shot);
}

void BattleUnitServices::AddFireCounter(int32_t sideIndex, int32_t amount) {
  Battle* battle = BattleForUnits();
  if (battle != nullptr && sideIndex >= 0 && sideIndex < 2) battle->activityCount[sideIndex] += amount;
}

void BattleUnitServices::CreateSmoke(float x, float y, float size) {
  if (Battle* battle = BattleForUnits()) battle->PlaceSmokeAt(x, y, size);
}

void BattleUnitServices::SpreadIntensityNearPoint(int32_t intensity, float x, float y) {
  if (Battle* battle = BattleForUnits()) battle->SpreadIntensityNearPoint(intensity, x, y);
}

bool BattleUnitServices::IsBattleOver() const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr && battle->IsOver();
}

float BattleUnitServices::GetSideStrengthRatio(int32_t sideIndex) const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr ? battle->strengthRatio[sideIndex & 1] : 1.0f;
}

int32_t BattleUnitServices::GetFanaticism(int32_t sideIndex) const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr ? battle->fanaticism[sideIndex & 1] : 0;
}

float BattleUnitServices::GetVisibilityLimit() const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr ? battle->visibilityRange : 5000.0f;
}

bool BattleUnitServices::IsReplaying() const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr && battle->App().GetInputMode() == InputModes::kReplay;
}

int32_t BattleUnitServices::GetConditionValue() const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr ? battle->timeOfDay : 0;
}

bool BattleUnitServices::IsBarrage() const {
  // No step of the battle raises the barrage flag: the spread of indirect fire never widens
  // for it.
  return false;
}

int32_t BattleUnitServices::GetHomeEdge(int32_t sideIndex) const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr ? battle->FindEdgeOfSide(sideIndex & 1) : 0;
}

int32_t BattleUnitServices::GetEdgeSide(int32_t edge) const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr && edge >= 0 && edge <= 3 ? battle->GetEdgeSide(edge) : 2;
}

int32_t BattleUnitServices::GetAttackerSideIndex() const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr ? battle->attacker : 2;
}

bool BattleUnitServices::IsComputingAction() const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr && battle->computingAction != 0;
}

float BattleUnitServices::GetBattleShareToCome() const {
  const Battle* battle = BattleForUnits();
  if (battle == nullptr || battle->lastTurn <= 0) return 1.0f;
  const float share = static_cast<float>(battle->lastTurn - battle->currentTurn + 1) / static_cast<float>(battle->lastTurn);
  return std::max(share, 0.01f);
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

void BattleUnitServices::CountMovingSlice(int32_t sideIndex) {
  if (Battle* battle = BattleForUnits()) ++battle->activityCount[sideIndex & 1];
}

void BattleUnitServices::SetCoverSearch(bool on) {
  if (Battle* battle = BattleForUnits()) battle->vehicleWorking = on ? 1 : 0;
}

float BattleUnitServices::GroundWeight(float pressure, int32_t softness) const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr ? battle->GroundWeight(pressure, softness) : 1.0f;
}

bool BattleUnitServices::IsRevealedAntitankMinefieldAt(float x, float y) const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr && battle->IsMinefieldAt(x, y, true);
}

bool BattleUnitServices::IsRevealedAntipersonnelMinefieldAt(float x, float y) const {
  const Battle* battle = BattleForUnits();
  return battle != nullptr && battle->IsMinefieldAt(x, y, false);
}

void BattleUnitServices::NearUnits::Gather(const Battle& battle, const Unit& mover, float reach,
                                          std::vector<Unit*>& out) const {
  if (stamp != battle.units.Stamp()) {
    stamp = battle.units.Stamp();
    units.clear();
    for (int32_t i = 0; i < battle.UnitCount(); ++i) {
      Unit* unit = battle.UnitAt(i);
      if (allAnimate ? !unit->IsInanimate() : unit->IsVehicle()) units.push_back(unit);
    }
  }
  out.clear();
  if (battle.sliceSerial != 0) {
    // In the action's slices the units are read from the grid made at the slice's start.
    if (gridSerial != battle.sliceSerial || gridStamp != stamp) {
      gridSerial = battle.sliceSerial;
      gridStamp = stamp;
      grid.Make(units);
    }
    grid.Gather(&mover, mover.x, mover.y, reach, allAnimate, out);
  } else {
    for (Unit* unit : units) {
      if (unit == &mover) continue;
      const float ax = std::fabs(unit->x - mover.x);
      const float ay = std::fabs(unit->y - mover.y);
      if (allAnimate ? !(ax > reach || ay > reach) : ax <= reach && ay <= reach) out.push_back(unit);
    }
  }
}

int32_t BattleUnitServices::FindBestVehicleNear(const Vehicle& mover, const Unit** found) const {
  *found = nullptr;
  const Battle* battle = BattleForUnits();
  if (battle == nullptr) return 0;
  // Only the vehicles within reach are handed on, in the group's order.
  vehicles_.Gather(*battle, mover, 3.0f, nearVehicles_);
  const Vehicle* other = nullptr;
  const int32_t grade =
      Vehicle::BestObstruction(mover, nearVehicles_.data(), static_cast<int32_t>(nearVehicles_.size()), &other);
  *found = other;
  return grade;
}

bool BattleUnitServices::GatherUnitsNear(const Unit& asker, float reach, std::vector<Unit*>& out) const {
  const Battle* battle = BattleForUnits();
  if (battle == nullptr) return false;
  animate_.Gather(*battle, asker, reach, out);
  return true;
}

const std::vector<Unit*>* BattleUnitServices::UnitsNotOfSide(const Unit& asker, const MapBattleServices* battle) const {
  const Battle* own = BattleForUnits();
  // The lists stand while the slice they were sorted at goes on with the units list as it was.
  if (own == nullptr || battle != static_cast<const MapBattleServices*>(own) || own->sliceSerial == 0 ||
      own->notOfSideStamp != own->units.Stamp() || asker.side > 1) {
    return nullptr;
  }
  return &own->notOfSide[asker.side];
}

bool BattleUnitServices::AddNewUnit(Unit* unit) {
  Battle* battle = BattleForUnits();
  if (battle == nullptr || unit == nullptr) return false;
  // Units made in play are numbered from 10000 on, apart from the scenario's own.
  if (Unit::gDesignationCounter < 10000) Unit::gDesignationCounter = 10000;
  battle->JoinNewUnit(unit, nullptr);
  return true;
}

bool BattleUnitServices::InsertUnitAfter(Unit* unit, const Unit* after) {
  Battle* battle = BattleForUnits();
  if (battle == nullptr || unit == nullptr) return false;
  battle->JoinNewUnit(unit, after);
  return true;
}

void BattleUnitServices::ReplaceInAIGroups(int32_t sideIndex, const Unit* from, Unit* to) {
  if (Battle* battle = BattleForUnits()) battle->ReplaceInAIGroups(sideIndex, from, to);
}

void BattleUnitServices::TallyMenLost(int32_t men) {
  Battle* battle = BattleForUnits();
  Unit* shooter = battle != nullptr ? battle->currentShooter : nullptr;
  if (shooter == nullptr) return;
  KillRecord& record = shooter->killRecord;
  record.infantryCasualties = static_cast<int16_t>(record.infantryCasualties + men);
}

void BattleUnitServices::TallyWeaponLost(bool gun) {
  Battle* battle = BattleForUnits();
  Unit* shooter = battle != nullptr ? battle->currentShooter : nullptr;
  if (shooter == nullptr) return;
  uint8_t& count = gun ? shooter->killRecord.gunsDestroyed : shooter->killRecord.mortarsDestroyed;
  if (count < 255) ++count;
}
