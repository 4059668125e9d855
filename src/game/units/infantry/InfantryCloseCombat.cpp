// Infantry at close quarters: the hand-to-hand assault on enemy infantry, grenades and
// demolition charges thrown within 40 m, the special antitank weapon, engineers clearing
// known minefields, and the consequences of firing from inside a building.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/FineTerrain.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/FindBattleUnit.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

// Working values of the special weapon's search, one unit at a time.
struct SpecialSearch {
  float hitThreshold = 0.0f;
  float worthThreshold = 0.0f;
  float rangeLimit = 0.0f;
  bool shooterInBuilding = false;
};
SpecialSearch gSpecial;

constexpr float kHitThresholds[3] = {0.5f, 0.35f, 0.25f};
constexpr float kWorthThresholds[3] = {0.0f, -6.0f, -12.0f};

Map* CombatMap() {
  const MapBattleServices* battle = UnitBattle();
  return battle != nullptr ? const_cast<Map*>(battle->GetMap()) : nullptr;
}

// A live unit of the side within the radius of the point.
bool AnySideUnitNear(uint8_t side, float px, float py, float radius) {
  return FindBattleUnit([&](const Unit& u) {
           if (u.alive == 0 || u.side != side || u.IsInanimate()) return false;
           const float dx = u.x - px;
           const float dy = u.y - py;
           return dx * dx + dy * dy <= radius * radius;
         }) != nullptr;
}

bool WithinBox(const Unit& a, const Unit& b, float half) {
  return std::fabs(a.x - b.x) <= half && std::fabs(a.y - b.y) <= half;
}

}  // namespace

Unit* Infantry::gAssaultingUnit = nullptr;

float Infantry::CloseAssaultChance(float d, float fatigueValue) {
  if (d > 15.0f) return 0.0f;
  const float p = d <= 7.5f ? 1.2f : (1.0f - d * 0.0666667f) * 2.4f;
  return p * std::max(1.0f - fatigueValue * 0.003f, 0.25f);
}

void Infantry::CloseAssault() {
  if (target == nullptr || !target->IsInfantry() || target->alive == 0 || target->HasSurrendered() ||
      firingTimer != 0.0f) {
    return;
  }
  auto& other = static_cast<Infantry&>(*target);
  if (!WithinBox(*this, other, 15.0f)) return;
  if (IsBuildingTerrain(GetTerrainHere()) != IsBuildingTerrain(other.GetTerrainHere()) || level != other.level) return;
  const float d = DistanceTo(other);
  if (d > 15.0f) return;
  const float p = CloseAssaultChance(d, fatigue);
  if (!(RandomFloat() < p) || !LineOfSightTo(other)) return;
  gAssaultingUnit = this;
  const int32_t lostBefore = other.losses;
  other.TakeCasualties(GetMenPresent(), ScaleByRating(1.0f, false) * 0.00055f, false);
  UnitServices* services = GetUnitServices();
  if (other.losses != lostBefore) {
    if (services != nullptr) {
      services->AddFireCounter(GetSideIndex(), 99999);
      services->RecordSoundPacket(NewSoundPacket(14));
    }
    MaybeVoiceSound(7, 60, 0.5f, 4.0f);
    other.countdown = 0;
    if (other.GetBand() < 3) other.suppression = 65.0f;
    if (other.identificationLevel < 4) other.identificationLevel = 4;
    if (other.alive != 0 && other.CanFight()) {
      identificationLevel = 4;
      gUnitStateChanged = 1;
    }
  }
  flagBytes[kHoldFlag] = 0;
  if (other.alive != 0 && (other.target == nullptr || other.target->DistanceTo(other) > 15.0f)) {
    other.target = this;
  }
  gAssaultingUnit = nullptr;
  if (IsMoving() && (d < 5.0f || AngleToPoint(facing, other.x, other.y, true) > 24.0f)) {
    CancelMoveOrders();
    SettleLevel();
    gUnitStateChanged = 1;
  }
}

float Infantry::ThrowChance(float d, bool charge) const {
  if (charge) return 0.002f;
  float p = std::min(1.5f - 0.025f * d, 1.0f) * 0.000475f * static_cast<float>(std::max(GetMenPresent(), 3));
  if (!IsSquad()) p *= 0.7f;
  if (IsOutOfMainAmmo()) p *= 0.333f;
  return p;
}

void Infantry::ThrowAtTarget() {
  if (target == nullptr || target->alive == 0 || target->HasSurrendered() || firingTimer != 0.0f || timer != 0.0f) return;
  if (!IsSquad() && !GetLeaderLevel()) return;
  Unit& other = *target;
  if (!WithinBox(*this, other, 40.0f)) return;
  const float d = DistanceTo(other);
  if (d > 40.0f || !LineOfSightTo(other)) return;
  const bool charge = chargeCount > 0 && d <= 20.0f && speed == 0.0f && !(other.IsInfantry() && !other.CanFight());
  float p = ThrowChance(d, charge);
  const float s = std::fabs(speed * 40.0f);
  p *= 1.0f - s * 0.2222222f;
  const VehicleServices* vehicle = other.AsVehicle();
  const auto* asVehicle = dynamic_cast<const Vehicle*>(&other);
  const bool closed = other.IsArmored(false) && asVehicle != nullptr && asVehicle->GetOpenTopState(0) == 0;
  const bool emplacement = vehicle != nullptr && vehicle->IsEmplacement();
  if (closed) {
    p *= 1.0f - suppression * 0.007f;
    if (!charge) {
      if (d > 25.0f) return;
      p *= static_cast<float>(GetEffectiveRating(1)) * 0.12f + 0.36f;
      if (emplacement) p *= 0.5f;
    }
  }
  if (Data().Demolition() != 0) p *= emplacement ? 3.0f : 1.5f;
  if (!(RandomFloat() < p)) return;
  if (!other.IsArmored(false) && AnySideUnitNear(side, other.x, other.y, 7.0f)) return;
  const int32_t weapon = charge ? (closed ? 99 : 98) : (closed ? 97 : 96);
  if (charge) chargeCount = static_cast<uint8_t>(chargeCount - 1);
  int32_t t = static_cast<int32_t>(std::lround(d * 2.857143f));
  if (charge) t = static_cast<int32_t>(std::lround(static_cast<float>(t) * 1.4f));
  LaunchThrow(weapon, t, d, other.x, other.y, other.GetBaseHeight());
}

void Infantry::LaunchThrow(int32_t weapon, int32_t flight, float d, float px, float py, float pz) {
  UnitFirePacket packet = NewFirePacket(8, weapon, flight, 60, d);
  int32_t t = flight;
  int32_t due = flight + 140;
  ResolveShot(&packet, 8, weapon, 0, 0, t, due, px, py, pz);
  if (UnitServices* services = GetUnitServices()) services->RecordFirePacket(packet);
  timer = 1.5f;
  if (activityState != kCrawl) SetActivity(speed == 0.0f ? 9 : 8);
  flagBytes[kHoldFlag] = 0;
  gUnitStateChanged = 1;
}

bool Infantry::IsMineToClear(const Unit& candidate, const Infantry& unit) {
  if (!candidate.IsInanimate() || candidate.alive == 0 || !unit.IsEnemy(candidate)) return false;
  const int32_t k = candidate.GetInanimateKind();
  if (k < 4 || k > 6 || candidate.identificationLevel <= 0) return false;
  return WithinBox(candidate, unit, 25.0f) && unit.DistanceTo(candidate) <= 25.0f;
}

void Infantry::ClearMines() {
  if (Data().Demolition() == 0 || firingTimer != 0.0f) return;
  const float p = (1.0f - suppression * 0.008f) * 0.8f * 0.000416667f * (static_cast<float>(GetMenPresent()) * 0.1f);
  if (!(RandomFloat() < p)) return;
  Unit* mine = FindBattleUnit([this](const Unit& c) { return IsMineToClear(c, *this); });
  if (mine == nullptr) return;
  int32_t delay = 40;
  if (mine->GetInanimateKind() != 6) {
    if (chargeCount == 0 || Random(5) > 1) return;
    Unit* former = target;
    target = mine;
    chargeCount = static_cast<uint8_t>(chargeCount - 1);
    const float d = DistanceTo(*mine);
    const int32_t t = static_cast<int32_t>(std::lround(d * 1.4f * 2.857143f));
    LaunchThrow(98, t, d, mine->x, mine->y, mine->GetZ());
    target = former;
    delay += t + 140;
  }
  mine->alive = 0;
  gPacketMark = PacketMark{true, -9999, delay, UnitStatePacket::kAlive};
  mine->MakeStatePacket();
  gPacketMark = PacketMark{};
}

bool Infantry::IsSpecialWeaponArmourTarget(Unit& candidate, Infantry& unit) {
  if (!unit.IsEnemy(candidate) || candidate.alive == 0 || !candidate.IsArmored(false)) return false;
  if (candidate.GetIdentificationLevelFor(unit.IsAxis(), false) < 2 || !WithinBox(candidate, unit, 120.0f)) return false;
  if (!unit.LineOfSightTo(candidate)) return false;
  Unit* kept = unit.target;
  unit.target = &candidate;
  const float h = unit.HitChance(3, 0, &candidate, 0, 0);
  unit.target = kept;
  if (&candidate == kept) return h >= 0.6667f * gSpecial.hitThreshold;
  return h >= gSpecial.hitThreshold && RandomFloat() <= h + 0.2f;
}

bool Infantry::IsSpecialWeaponSoftTarget(Unit& candidate, Infantry& unit) {
  if (!unit.IsEnemy(candidate) || candidate.alive == 0 || candidate.IsAirplane() || candidate.IsInanimate() ||
      candidate.IsArmored(false) || candidate.HasSurrendered()) {
    return false;
  }
  if (candidate.GetIdentificationLevelFor(unit.IsAxis(), false) < 2 || !WithinBox(candidate, unit, 60.0f)) return false;
  if (!unit.LineOfSightTo(candidate)) return false;
  if (gSpecial.shooterInBuilding && IsBuildingTerrain(candidate.GetTerrainHere())) return false;
  const float d = unit.DistanceTo(candidate);
  if (d < 15.0f || d >= gSpecial.rangeLimit) return false;
  float seen = 0.0f;
  if (candidate.IsInfantry()) {
    seen = static_cast<Infantry&>(candidate).VisibilityFromPoint(unit.x, unit.y, unit.GetBaseHeight(), true, false,
                                                                 false, 1);
  } else {
    seen = candidate.VisibilityFromPoint(unit.x, unit.y, unit.GetBaseHeight(), true);
  }
  const float worth = static_cast<float>(candidate.GetMenPresent()) * 1.25f - static_cast<float>(unit.GetMenPresent()) -
                      20.0f * std::sqrt(std::max(seen, 0.0f));
  if (worth < gSpecial.worthThreshold) return false;
  return !AnySideUnitNear(unit.side, candidate.x, candidate.y, 15.0f);
}

void Infantry::FireSpecialWeapon() {
  if (antitankCount == 0 || sliceCounter % 120 != 0) return;
  if (target != nullptr && target->IsInanimate() && target->GetInanimateKind() == 3) return;
  if (GetBand() >= 4 || std::sqrt(suppression) > RandomFloatTimes(10.1f)) return;
  if (activityState != kStationary && activityState != kHiding) return;
  specialWeaponFiring = 1;
  const size_t index = static_cast<size_t>(std::min(static_cast<int32_t>(antitankCount) - 1, 2));
  gSpecial.hitThreshold = kHitThresholds[index];
  gSpecial.worthThreshold = kWorthThresholds[index];
  Unit* found = FindBattleUnit([this](Unit& c) { return IsSpecialWeaponArmourTarget(c, *this); });
  if (found == nullptr && antitankWeaponId != 52 && Random(3) == 0 && IsIdentified()) {
    gSpecial.shooterInBuilding = IsBuildingTerrain(GetTerrainHere());
    gSpecial.rangeLimit = gWeapons.IsValid(antitankWeaponId) ? gWeapons[antitankWeaponId].MaxRange() * 0.6667f : 0.0f;
    found = FindBattleUnit([this](Unit& c) { return IsSpecialWeaponSoftTarget(c, *this); });
  }
  if (found != nullptr) {
    Unit* keptTarget = target;
    const uint8_t keptArea = areaFire;
    target = found;
    areaFire = 0;
    FireAtTarget(3);
    target = keptTarget;
    areaFire = keptArea;
    ApplyConfinedFireEffects();
    antitankCount = static_cast<uint8_t>(antitankCount - 1);
    gUnitStateChanged = 1;
  }
  specialWeaponFiring = 0;
}

void Infantry::ApplyConfinedFireEffects() {
  if (!IsBuildingTerrain(GetTerrainHere())) return;
  if (specialWeaponFiring != 0) {
    if (!IsAxis()) return;
  } else {
    const int32_t weapon = Data().MainWeapon();
    if (gWeapons.IsValid(weapon) && (gWeapons[weapon].Flags() & 4) != 0) return;
  }
  if (suppression < 120.0f) suppression = 120.0f;
  if (GetBand() < 4) FatalError(__LINE__, kInfantryFile);
  if (!IsArtillerySpotter() && Unit::HasAnyAmmo()) {
    reloadState = std::max(reloadState, GetAimTime(1, 0) * 2.5f);
    burst = 0;
  }
  if (Map* map = CombatMap()) map->TryIgnite(0.013f, x, y);
}

bool Infantry::IsGunInBuilding() const {
  const int32_t weapon = Data().MainWeapon();
  return weapon != kNoWeapon && gWeapons.IsValid(weapon) && gWeapons[weapon].Type() == 1 &&
         IsBuildingTerrain(GetTerrainHere());
}

bool Infantry::CanReachPoint(float px, float py, int32_t mode) const {
  if (!LineOfSightToPoint(px, py)) return false;
  const float d = DistanceToPoint(px, py);
  if (IsSquad()) {
    if (d <= 50.0f) return true;
    return antitankCount > 0 && gWeapons.IsValid(antitankWeaponId) && d <= gWeapons[antitankWeaponId].MaxRange();
  }
  const int32_t weapon = GetShownData(mode).MainWeapon();
  if (weapon == kNoWeapon || !gWeapons.IsValid(weapon)) return false;
  return d <= gWeapons[weapon].MaxRange();
}
