// The vehicle's crew at work: how fast the hull turns and the turret traverses on the ground
// it stands on, how it is spotted, and the small answers the unit code asks of a vehicle.
#include <algorithm>
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

// The fog-of-war option (10), 0 without an application.
int32_t FogOfWarSetting() {
  const MapAppServices* app = UnitApp();
  return app != nullptr ? app->GetOption(10) : 0;
}

// The terrain type under the point at the distance along the heading, -1 without a map.
int32_t TerrainAlong(const Unit& unit, float heading, float distance) {
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map == nullptr) return -1;
  const float r = heading * GMath::kRadiansPerDegree;
  return map->TerrainTypeAt(unit.x + distance * std::cos(r), unit.y + distance * std::sin(r));
}

}  // namespace

float Vehicle::TerrainTurnFactor(int32_t type) {
  switch (type) {
    case 13:
    case 21: return 0.6f;
    case 14:
    case 15:
    case 22:
    case 23: return 0.5f;
    case 28:
    case 31:
    case 32:
    case 33:
    case 34:
    case 35: return 0.4f;
    default: return 1.0f;
  }
}

float Vehicle::ComputeTurnStep() {
  if (!CanMove()) return 0.0f;
  const VehicleData record = TrueClass();
  // The mobility is asked without the full check of the ground ahead.
  gFullCheck = 0.0f;
  const float m = TerrainMobility(nullptr);
  gFullCheck = 1.0f;
  const float maxSpeed = static_cast<float>(record.MaxSpeed());
  const float a = std::fabs(40.0f * m / (0.4473f * maxSpeed) * 0.67f) + 0.33f;
  const int32_t kindCode = record.KindCode();
  const float k = kindCode == 3 || kindCode == 4 ? 1.83f : 2.92f;
  float step = k * a * (static_cast<float>(record.EnginePower()) / static_cast<float>(record.Weight()));
  if (speed == 0.0f) step *= 0.4f;
  // The hull's ends sweep the ground ahead and behind: the worse of the two slows the turn.
  const int32_t overhang = record.Value248();
  float length = 3.6f * record.Size();
  if (overhang == 1) length += 1.3f;
  if (overhang == 2) length += 2.5f;
  const float ahead = TerrainTurnFactor(TerrainAlong(*this, facing, length));
  const float behind = TerrainTurnFactor(TerrainAlong(*this, facing + 180.0f, length));
  return step * std::min(ahead, behind) * 0.025f;
}

float Vehicle::GetTurretStep() const {
  if (gunDestroyed != 0) return 0.0f;
  const VehicleData record = TrueClass();
  float rate = 0.0f;
  switch (record.TurretSpeedClass()) {
    case 0: rate = 6.0f; break;
    case 1: rate = 8.0f; break;
    case 2: rate = 14.0f; break;
    case 3: rate = 24.0f; break;
    case 4: rate = 45.0f; break;
    case 5:
      if (!HasHeavyWeapon(true)) {
        rate = 35.0f;
      } else {
        rate = gWeapons[record.MainWeapon()].Type() == 3 ? 24.0f : 5.0f;
      }
      break;
    default: FatalError(2418, "Vehicle");
  }
  const int32_t overhang = record.Value248();
  if (overhang == 1 || overhang == 2) {
    const float reach = overhang == 1 ? 6.0f : 4.0f;
    rate *= TerrainTurnFactor(TerrainAlong(*this, facing + turretOffset, reach));
  }
  return rate * 0.025f;
}

int32_t Vehicle::GetPurchaseCode() const {
  if (IsEmplacement()) return 8;
  return TrueClass().ArmourPage() != 0 ? 4 : 9;
}

bool Vehicle::CanChangePosture() const { return IsCrewExposed(); }

int32_t Vehicle::GetBattleLosses() const {
  if (lossesFinal != 0) return 0;
  return losses - lossesCountedByMorale;
}

bool Vehicle::IsActive() const {
  if (Unit::IsActive()) return true;
  return IsArmoredIn(0) && burning == 0 && abandoned == 0 && !IsEmplacement();
}

float Vehicle::FireKindFactor(int32_t fireKind, int32_t topArmour) {
  const float t = static_cast<float>(topArmour);
  if (fireKind == 2) {
    if (topArmour > 15) return 0.1f;
    if (topArmour > 9) return 0.1f + 0.15f * (15.0f - t);
  } else if (fireKind == 3) {
    if (topArmour > 6) return 0.1f;
    if (topArmour > 4) return 0.1f + 0.45f * (6.0f - t);
  }
  return 1.0f;
}

float Vehicle::ValueForFireKind(int32_t fireKind) {
  float v = Unit::GetTargetValue();
  const VehicleData record = TrueClass();
  const int32_t top = std::min(record.TopArmour(0), record.TopArmour(1));
  v *= FireKindFactor(fireKind, top);
  if (alive == 0) v *= burning != 0 ? 0.0f : 0.4f;
  if (!IsEmplacement()) v *= 2.0f;
  return v;
}

int32_t Vehicle::SpottedLevel(int32_t level, bool fortification, bool boat, int32_t fogOption) {
  if (fortification && (level == 2 || level == 3)) return 4;
  if (boat && level == 2) return fogOption < 2 ? 4 : 3;
  return level;
}

void Vehicle::UpdateSpotting() {
  const int32_t keptLevel = identificationLevel;
  const uint8_t keptHidden = hidden;
  const uint8_t keptHiddenSecond = hiddenSecond;
  Unit::UpdateSpotting();
  // The riders are seen as well as the vehicle, but no better than a shape under armour.
  int32_t level = identificationLevel;
  if (TrueClass().RidersProtected() != 0) level = std::min(level, 2);
  for (Unit* rider : passengers) {
    if (rider == nullptr) continue;
    if (rider->identificationLevel < level || rider->hidden != 0 || rider->hiddenSecond != 0) {
      rider->identificationLevel = level;
      rider->hidden = 0;
      rider->hiddenSecond = 0;
      rider->stateChanged = 1;
      rider->positionErrorX = positionErrorX;
      rider->positionErrorY = positionErrorY;
    }
  }
  identificationLevel = SpottedLevel(identificationLevel, IsEmplacement(), IsBoat(), FogOfWarSetting());
  if (identificationLevel != keptLevel || hidden != keptHidden || hiddenSecond != keptHiddenSecond) {
    PostMotionSound(speed != 0.0f || turnRate != 0.0f);
    gUnitStateChanged = 1;
  }
}

bool Vehicle::CanStayInView() const { return !IsBoat(); }

void Vehicle::DropBurstIfIdle() {
  // An immobilised vehicle keeps no move orders; a bogged one may still be freed.
  if (waypointCount > 0 && !CanMoveNow()) waypointCount = 0;
}

void Vehicle::LeaveBattlefield(bool ownExit) {
  for (Unit* rider : passengers) {
    if (rider != nullptr) rider->LeaveBattlefield(ownExit);
  }
  Unit::LeaveBattlefield(ownExit);
}

void Vehicle::SetMovingActivity() {
  int32_t weapon = kNoWeapon;
  int32_t type = 0;
  QueryWeapon(2, weapon, type);
  if (type == 2 || type == 3 || type == 6) SetActivity(3);
}

float Vehicle::ActivityRange(bool usePrevious, float& size) const {
  const VehicleData record = TrueClass();
  size = std::sqrt(std::max(record.Size(), 0.0f));
  if (emplaced != 0) size *= 0.5f;
  if (usePrevious) return 60.0f;
  if (IsBoat()) return waypointCount > 0 ? 75.0f : 20.0f;
  if (waypointCount == 0 || commandDelay != 0.0f) {
    if (turnRate != 0.0f) return 120.0f;
    return turretRate != 0.0f ? 90.0f : 60.0f;
  }
  const int32_t mode = waypoints[0].moveMode;
  if (mode == 1 || mode == Waypoint::kRotateTo) return 160.0f;
  if (mode == 2 || mode == Waypoint::kReverse) return 220.0f;
  if (mode == 3) return 300.0f;
  GErrorLog::LogValue("Vehicle: move mode", mode);
  FatalError(3921, "Vehicle");
}

int32_t Vehicle::ActivityRadius(bool usePrevious, const Unit* observer) {
  float size = 0.0f;
  const float radius = ActivityRange(usePrevious, size);
  if (!usePrevious) return EnemyIdentificationLevel(radius, size, observer);
  // Judged from where the vehicle was last seen.
  const float keptX = x;
  const float keptY = y;
  x = lastSeenX;
  y = lastSeenY;
  const int32_t level = EnemyIdentificationLevel(radius, size, observer);
  x = keptX;
  y = keptY;
  return level;
}

int32_t Vehicle::BestEnemyIdentification(bool relaxed, int32_t /*unused*/) const {
  return const_cast<Vehicle*>(this)->ActivityRadius(relaxed, nullptr);
}

void Vehicle::SetWaypointModes(Unit* threat, int32_t mode, bool insert, float px, float py) {
  if (waypointCount <= 0) return;
  if (insert) {
    const int32_t count = std::min(waypointCount + 1, kMaxWaypoints);
    for (int32_t i = count - 1; i > 0; --i) waypoints[static_cast<size_t>(i)] = waypoints[static_cast<size_t>(i - 1)];
    waypoints[0] = Waypoint{};
    waypoints[0].x = px;
    waypoints[0].y = py;
    waypointCount = count;
  }
  Unit* from = threat != nullptr ? threat : target;
  if (from == nullptr && IsArmoredIn(0)) {
    if (const MapBattleServices* battle = UnitBattle()) {
      const int32_t units = battle->GetUnitCount();
      for (int32_t i = 0; i < units && from == nullptr; ++i) {
        Unit* u = UnitOfView(battle->GetUnit(i));
        if (u != nullptr && u->target == this && u->HasMainWeaponOfType123()) from = u;
      }
    }
  }
  float h = facing;
  if (from != nullptr) {
    h = HeadingDegrees(from->x - x, from->y - y);
  } else if (areaFire != 0) {
    h = HeadingDegrees(targetX - x, targetY - y);
  }
  int32_t reverse = Waypoint::kReverse;
  if (mode == Waypoint::kReverse) {
    reverse = 3;
    h += 180.0f;
  }
  const float bound = IsArmoredIn(0) ? 95.0f : 135.0f;
  float fromX = x;
  float fromY = y;
  float legHeading = 0.0f;
  for (int32_t i = 0; i < waypointCount; ++i) {
    Waypoint& w = waypoints[static_cast<size_t>(i)];
    w.moveMode = mode;
    const float heading = HeadingDegrees(w.x - fromX, w.y - fromY);
    if (i == 0) {
      if (RelativeBearing(h, x, y, w.x, w.y, true) >= bound) w.moveMode = reverse;
    } else {
      float turn = std::fabs(heading - legHeading);
      if (turn > 180.0f) turn = 360.0f - turn;
      if (waypoints[static_cast<size_t>(i - 1)].moveMode == reverse) turn = 180.0f - turn;
      if (turn > 90.0f) w.moveMode = reverse;
    }
    legHeading = heading;
    fromX = w.x;
    fromY = w.y;
  }
}
