// The vehicle's reaction to danger: it finds the most dangerous enemy, weighs it against its
// own chances, and holds, faces the threat, changes its move mode, drives off a little, or
// searches for cover with a small tree of 15 m steps (CoverSearchNode) and drives there,
// popping smoke on the way when it carries dischargers. A halted vehicle on a burning tile
// escapes the fire.
#include <algorithm>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Distance.h"
#include "game/map/FineTerrain.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/vehicle/CoverSearchNode.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/vehicle/VehicleHeadings.h"

namespace {

constexpr uint16_t kAlwaysWaryFlag = 0x400;

// The difference of two headings folded into 0..180.
float Fold(float a) {
  a = std::fabs(Normalize360(a));
  return a > 180.0f ? 360.0f - a : a;
}

// The threat search of one reaction. One thread, not re-entrant.
struct ThreatSearch {
  Unit* threat = nullptr;
  float value = 0.0f;
  bool indirect = false;
  bool aware = false;
  // Off while a candidate position is re-rated: the rating then draws nothing.
  bool notice = true;
};
ThreatSearch gSearch;

// Whether the threat can engage the point, as it was last identified.
bool ThreatCanEngage(const Unit& threat, float px, float py) { return threat.CanEngagePoint(px, py, 1); }

}  // namespace

// ---- The cover search's pool and nodes ----

std::array<CoverSearchNode, CoverSearchNode::kPoolSize> CoverSearchNode::gPool{};
std::array<CoverSearchNode*, CoverSearchNode::kPoolSize> CoverSearchNode::gFreeList{};
int32_t CoverSearchNode::gFree = 0;
bool CoverSearchNode::gPoolReady = false;
int32_t CoverSearchNode::gMade = 0;
Unit* CoverSearchNode::gVehicle = nullptr;
Unit* CoverSearchNode::gThreat = nullptr;
CoverSearchNode* CoverSearchNode::gFound = nullptr;

CoverSearchNode* CoverSearchNode::Make(CoverSearchNode* parent, float heading) {
  if (!gPoolReady) {
    for (int32_t i = 0; i < kPoolSize; ++i) gFreeList[static_cast<size_t>(i)] = &gPool[static_cast<size_t>(i)];
    gFree = kPoolSize;
    gPoolReady = true;
  }
  if (gFree <= 0) return nullptr;
  CoverSearchNode* node = gFreeList[static_cast<size_t>(--gFree)];
  *node = CoverSearchNode{};
  node->parent = parent;
  node->heading = heading;
  if (parent != nullptr) {
    node->x = parent->x + kStep * std::cos(heading);
    node->y = parent->y + kStep * std::sin(heading);
  } else if (gVehicle != nullptr) {
    node->x = gVehicle->x;
    node->y = gVehicle->y;
  }
  ++gMade;
  return node;
}

void CoverSearchNode::Release(CoverSearchNode* node) {
  if (node == nullptr) return;
  for (CoverSearchNode*& child : node->children) {
    Release(child);
    child = nullptr;
  }
  gFreeList[static_cast<size_t>(gFree++)] = node;
}

void CoverSearchNode::Begin(Unit* vehicle, Unit* threat) {
  gVehicle = vehicle;
  gThreat = threat;
  gFound = nullptr;
}

void CoverSearchNode::Search(bool wide) {
  if (expanded == 0) {
    Expand(wide);
    return;
  }
  for (CoverSearchNode* child : children) {
    if (gFound != nullptr) return;
    if (child != nullptr) child->Search(true);
  }
}

void CoverSearchNode::Expand(bool wide) {
  static constexpr float kOffsets[3] = {0.0f, -30.0f * GMath::kRadiansPerDegree, 30.0f * GMath::kRadiansPerDegree};
  const int32_t n = wide ? 3 : 1;
  for (int32_t i = 0; i < n; ++i) {
    CoverSearchNode* child = Make(this, heading + kOffsets[i]);
    if (child == nullptr) break;
    if (!child->IsPassable()) {
      Release(child);
      continue;
    }
    children[static_cast<size_t>(i)] = child;
    if (gThreat != nullptr && !ThreatCanEngage(*gThreat, child->x, child->y)) {
      gFound = child;
      break;
    }
  }
  expanded = 1;
}

bool CoverSearchNode::IsPassable() {
  const Map* map = UnitBattleMap();
  if (map == nullptr || gVehicle == nullptr || parent == nullptr || !map->IsOnMap(x, y)) return false;
  if (!gVehicle->CanStandAt(x, y, true)) return false;
  for (const float share : {1.0f / 3.0f, 2.0f / 3.0f}) {
    const float px = parent->x + share * (x - parent->x);
    const float py = parent->y + share * (y - parent->y);
    if (!gVehicle->CanStandAt(px, py, true)) return false;
  }
  return true;
}

void CoverSearchNode::WritePath(Waypoint* points, int32_t index, int32_t moveMode) const {
  const CoverSearchNode* node = this;
  while (node->parent != nullptr) {
    if (index < 0) FatalError(5728, "Vehicle");
    Waypoint& point = points[index];
    point = Waypoint{};
    point.x = node->x;
    point.y = node->y;
    const Map* map = UnitBattleMap();
    point.height = map != nullptr ? map->ElevationAt(node->x, node->y) : 0.0f;
    point.moveMode = moveMode;
    point.pointKind = 0;
    node = node->parent;
    --index;
  }
  if (index != -1) FatalError(5741, "Vehicle");
}

// ---- The threat ----

void Vehicle::RateThreat(Unit& candidate, Vehicle& vehicle) {
  if (&candidate == &vehicle || candidate.alive == 0 || !vehicle.IsEnemy(candidate)) return;
  if (!candidate.CanMove() && !candidate.IsUnitInArc(vehicle)) return;
  const bool targetsUs = candidate.target == &vehicle;
  const bool indirect = candidate.HasMainWeaponOfType5();
  const int32_t mainType = candidate.GetMainWeaponType();
  const bool aware = indirect || (targetsUs && mainType == 4);
  if (!aware) {
    const int32_t level = candidate.GetIdentificationLevelFor(vehicle.IsAxis(), false);
    if (level < (targetsUs ? 2 : 3) || !candidate.IsIdentified() || candidate.IsInanimate() ||
        candidate.IsAirplane() || !candidate.CanFight() || !candidate.LineOfSightTo(vehicle)) {
      return;
    }
  }
  float value = 0.0f;
  if (!indirect) {
    if (mainType == 4 && !(targetsUs && candidate.shotCounter >= 2)) return;
    if (gSearch.notice && candidate.IsInfantry() && vehicle.buttoned != 0) {
      int32_t chance = 33;
      if (candidate.HasMainWeaponOfType23(true)) chance = targetsUs ? 70 : 50;
      if (Random(100) >= chance) return;
    }
    int32_t kind = candidate.ChooseAmmo(&vehicle);
    if (kind == 4) return;
    if (kind == 2) kind = 1;
    int32_t weapon = kNoWeapon;
    int32_t type = 0;
    candidate.QueryWeapon(1, weapon, type);
    if (type == 1) kind = 3;
    // Kind 6 (nothing usable) has no value of its own: it counts as 0.
    const float kindValue =
        gWeapons.IsValid(weapon) && kind >= 0 && kind < kAmmoKinds ? gWeapons[weapon].Mass(kind) : 0.0f;
    if (kindValue == 0.0f) kind = kind == 0 || kind == 3 ? 1 : 0;
    value = candidate.WeaponEffect(&vehicle, kind, false, true, true, 1, 0);
    if (!targetsUs) value *= 0.6f;
    if (value < 1.0f && candidate.IsVehicle() && candidate.CanFireAnyMachineGun() &&
        vehicle.TrueClass().KindCode() == VehicleData::kKindHalfTrack) {
      const float reach = gSearch.notice ? 300.0f + RandomFloatTimes(100.0f) : 400.0f;
      if (candidate.DistanceTo(vehicle) < reach) value = 1.0f;
    }
    if (!candidate.CanFight()) {
      value *= 0.3f;
    } else if (candidate.GetBand() == 4) {
      value *= 0.5f;
    } else if (candidate.GetBand() == 3) {
      value *= 0.75f;
    }
    const float bearing = candidate.RelativeBearingTo(vehicle.x, vehicle.y, true, true);
    if (bearing > 150.0f) {
      value *= 0.3f;
    } else if (bearing > 120.0f) {
      value *= 0.4f;
    } else if (bearing > 90.0f) {
      value *= 0.6f;
    } else if (bearing > 60.0f) {
      value *= 0.8f;
    }
  } else if (candidate.areaFire != 0 && candidate.aimTime == 0.0f && !candidate.HasMoveOrder() &&
             vehicle.GetOpenTopState(0) > 0 &&
             Distance(candidate.targetX, candidate.targetY, vehicle.x, vehicle.y) <= 50.0f) {
    value = 0.25f;
  }
  if (value > gSearch.value) {
    gSearch.threat = &candidate;
    gSearch.value = value;
    gSearch.indirect = indirect;
    gSearch.aware = aware;
  }
}

void Vehicle::FindThreat() {
  gSearch.threat = nullptr;
  gSearch.value = 0.0f;
  gSearch.indirect = false;
  gSearch.aware = false;
  MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return;
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    if (auto* unit = UnitOfView(battle->GetUnit(i))) RateThreat(*unit, *this);
  }
}

float Vehicle::RerateFacing(Unit& threat, Unit** found) {
  const float keptFacing = facing;
  const float keptOffset = turretOffset;
  facing = HeadingDegrees(threat.x - x, threat.y - y);
  turretOffset = 0.0f;
  gSearch.notice = false;
  FindThreat();
  gSearch.notice = true;
  facing = keptFacing;
  turretOffset = keptOffset;
  *found = gSearch.threat;
  return gSearch.value;
}

void Vehicle::DriveOffAtRandom(float baseDistance) {
  const float distance = RandomFloatTimes(30.0f) + baseDistance;
  const float heading = (facing + RandomFloatTimes(60.0f) - 30.0f) * GMath::kRadiansPerDegree;
  const float px = x + distance * std::cos(heading);
  const float py = y + distance * std::sin(heading);
  const Map* map = UnitBattleMap();
  if (map != nullptr && map->IsOnMap(px, py)) AddWaypoint(px, py, kOrderFastMove, true);
}

// ---- The reaction ----

void Vehicle::ReactToDanger() {
  const VehicleData record = TrueClass();
  const bool openTop = GetOpenTopState(0) > 0;
  if (!(GetIdentificationLevelFor(!IsAxis(), false) > 1 || openTop)) return;
  if (Random(4) == 0 || IsBoat()) return;
  if (buttoned != 0 && !openTop && Random(2) != 0) return;
  if (waypointCount > 0) {
    const int32_t mode = waypoints[0].moveMode;
    if ((mode == 3 || mode == Waypoint::kReverse) &&
        !(!IsArmored(false) && (record.Flags() & kAlwaysWaryFlag) == 0 && Random(2) == 0)) {
      return;
    }
  }
  const float threshold = HasMainWeapon() ? RandomFloatTimes(0.4f) + 0.2f : RandomFloatTimes(0.3f) + 0.1f;
  const uint8_t keptButtoned = buttoned;
  buttoned = 1;
  FindThreat();
  if (gSearch.threat != nullptr) {
    if (gSearch.indirect) {
      if (!HasMoveOrder()) DriveOffAtRandom(30.0f);
    } else {
      ReactToDirectThreat(threshold);
    }
  }
  buttoned = keptButtoned;
  if (!IsMoving()) {
    const Map* map = UnitBattleMap();
    if (map != nullptr && map->BurningAt(x, y)) EscapeFire();
  }
}

void Vehicle::ReactToDirectThreat(float threshold) {
  Unit& threat = *gSearch.threat;
  const float value = gSearch.value;
  bool targetsUsNote = gSearch.aware && threat.target == this;
  const bool rearGun = TrueClass().TraverseLimit(0) < 0;
  if (value >= 0.05f) {
    bool outmatched = false;
    float best = 0.0f;
    if (value < threshold) {
      targetsUsNote = false;
    } else {
      const float keptSpeed = speed;
      speed = 0.0f;
      float own = 0.0f;
      const int32_t kind = ChooseAmmo(&threat);
      if (kind != kNoAmmo) own = AITargeting::WeaponEffect(*this, &threat, kind, false, true, false, 0, 1);
      if (&threat != target && !threat.HasMainWeaponOfType23(false)) own = 0.0f;
      float current = 0.0f;
      if (target != nullptr && target != &threat && target->alive != 0 && target->IsArmored(false)) {
        const int32_t currentKind = ChooseAmmo(target);
        if (currentKind != kNoAmmo) {
          current = AITargeting::WeaponEffect(*this, target, currentKind, false, true, false, 0, 1);
        }
      }
      speed = keptSpeed;
      best = std::max(own, current);
      outmatched = (RandomFloatTimes(0.8f) + 1.8f) * best <= value;
    }
    const bool hold = value < threshold ||
                      (!outmatched && (waypointCount <= 0 || waypoints[0].moveMode != 1));
    if (hold) {
      if (!HasMoveOrder() && IsArmored(false) && !rearGun) {
        Unit* again = nullptr;
        const float second = RerateFacing(threat, &again);
        if (again == nullptr || second < 0.7f * value) AddWaypoint(threat.x, threat.y, kOrderRotate, true);
      }
    } else if (NextPointIsCovered(threat)) {
      waypoints[0].moveMode = 3;
    } else {
      bool done = false;
      if (outmatched) {
        Unit* again = nullptr;
        const float second = RerateFacing(threat, &again);
        if (again == nullptr || second < threshold || again == target) {
          if (waypointCount <= 0 && IsArmored(false) && !rearGun) AddWaypoint(threat.x, threat.y, kOrderRotate, true);
        } else {
          SeekCover(threat, best < 0.2f, second < 0.7f * value, HeadingDegrees(threat.x - x, threat.y - y));
          done = true;
        }
      }
      if (!done && waypointCount > 0 && waypoints[0].moveMode != Waypoint::kRotateTo) {
        if (outmatched) {
          waypoints[0].moveMode = 2;
        } else {
          // The threat's own chance against this vehicle turned toward it.
          const float keptFacing = facing;
          const float keptOffset = turretOffset;
          facing = HeadingDegrees(threat.x - x, threat.y - y);
          turretOffset = 0.0f;
          const int32_t kind = threat.ChooseAmmo(this);
          const float chance = kind != kNoAmmo ? threat.WeaponEffect(this, kind, false, true, true, 1, 0) : 0.0f;
          facing = keptFacing;
          turretOffset = keptOffset;
          if (chance <= 0.6f * value) waypoints[0].moveMode = 2;
        }
      }
    }
  }
  if (targetsUsNote && !HasMoveOrder()) DriveOffAtRandom(20.0f);
}

bool Vehicle::NextPointIsCovered(const Unit& threat) const {
  if (waypointCount <= 0 || waypoints[0].moveMode == Waypoint::kRotateTo) return false;
  const Waypoint* point = &waypoints[0];
  if (DistanceToPoint(point->x, point->y) > 100.0f) return false;
  if (waypointCount > 1 && DistanceToPoint(waypoints[1].x, waypoints[1].y) <= 100.0f) point = &waypoints[1];
  return !ThreatCanEngage(threat, point->x, point->y);
}

// ---- The cover search ----

int32_t Vehicle::SearchFrom(CoverSearchNode*& root, Unit& threat, float heading) {
  CoverSearchNode::Begin(this, &threat);
  root = CoverSearchNode::Make(nullptr, heading * GMath::kRadiansPerDegree);
  int32_t depth = 0;
  while (root != nullptr && !CoverSearchNode::Found() && ++depth < 8) root->Search(false);
  return depth;
}

bool Vehicle::SeekCover(Unit& threat, bool weak, bool stillExposed, float threatHeading) {
  UnitServices* services = GetUnitServices();
  const Map* map = UnitBattleMap();
  // 1. Smoke.
  const int32_t smoke = TrueClass().SmokeEquipment();
  if (smoke != 0) {
    float chance = 0.4f;
    float distance = 0.0f;
    float heading = facing;
    if (smoke == 2) {
      chance = 0.7f;
      distance = 25.0f;
      heading = GunDirection();
    } else if (smoke == 3) {
      chance = 0.7f;
      distance = 10.0f;
      heading = threatHeading;
    }
    const float px = x + distance * std::cos(heading * GMath::kRadiansPerDegree);
    const float py = y + distance * std::sin(heading * GMath::kRadiansPerDegree);
    if (RandomFloat() < chance && !(map != nullptr && IsBuildingTerrain(map->TerrainTypeAt(px, py)))) {
      if (services != nullptr) services->CreateSmoke(px, py, 0.0f);
      PostLauncherSound();
    }
  }
  // 2. The search runs with the battle's cover-search byte set.
  if (services != nullptr) services->SetCoverSearch(true);
  const float keptFacing = facing;
  if (stillExposed && Fold(facing - threatHeading) <= 60.0f) facing = threatHeading;
  // 3. Forward, then back.
  CoverSearchNode* forward = nullptr;
  CoverSearchNode* backward = nullptr;
  const int32_t depthA = SearchFrom(forward, threat, facing);
  CoverSearchNode* const foundA = CoverSearchNode::FoundNode();
  const int32_t depthB = SearchFrom(backward, threat, facing + 180.0f);
  CoverSearchNode* const foundB = CoverSearchNode::FoundNode();
  // 4. The choice.
  CoverSearchNode* chosen = nullptr;
  int32_t depth = 0;
  bool back = false;
  if (foundA != nullptr && foundB != nullptr) {
    back = stillExposed || depthA > depthB + 1 || Fold(facing - threatHeading) <= 90.0f;
  } else {
    back = foundB != nullptr;
  }
  if (back && foundB != nullptr) {
    chosen = foundB;
    depth = depthB;
  } else if (foundA != nullptr) {
    chosen = foundA;
    depth = depthA;
  }
  bool result = false;
  if (chosen == nullptr) {
    result = SeekCoverFallback(weak, threatHeading);
  } else {
    const bool firstReverse = waypointCount > 0 && waypoints[0].moveMode == Waypoint::kReverse;
    const int32_t mode = back ? Waypoint::kReverse : 3;
    if (back ? !firstReverse : firstReverse) speed = 0.0f;
    chosen->WritePath(waypoints.data(), depth - 1, mode);
    waypointCount = depth;
    if (back && depth > 3) {
      // Backing away must not lead toward the threat: the first point that closes on it
      // turns the path around.
      float previous = DistanceTo(threat);
      for (int32_t i = 0; i < depth; ++i) {
        const float d = Distance(waypoints[static_cast<size_t>(i)].x, waypoints[static_cast<size_t>(i)].y, threat.x,
                                 threat.y);
        if (d < 100.0f && d < previous - 7.5f) {
          SetWaypointModes(&threat, 3, false, 0.0f, 0.0f);
          break;
        }
        previous = d;
      }
    }
    result = true;
  }
  // 8. A failed search waits longer before the next check.
  if (!result) {
    countdown += static_cast<int32_t>((RandomFloatTimes(6.0f) + (weak ? 9.0f : 6.0f)) * 40.0f);
  } else if (waypointCount > 0) {
    waypoints[static_cast<size_t>(waypointCount - 1)].pointKind = 1;
  }
  // 9. Tidy up.
  CoverSearchNode::Release(forward);
  CoverSearchNode::Release(backward);
  CoverSearchNode::Begin(nullptr, nullptr);
  commandDelay = 0.0f;
  gUnitStateChanged = 1;
  facing = keptFacing;
  bool closed = false;
  if (buttoned == 0 && CanToggleButtoned(closed)) ToggleButtoned();
  if (services != nullptr) services->SetCoverSearch(false);
  return result;
}

bool Vehicle::SeekCoverFallback(bool weak, float threatHeading) {
  if (waypointCount > 0 && waypoints[0].moveMode != Waypoint::kRotateTo) {
    waypoints[0].moveMode = 3;
    return true;
  }
  if (!weak) return false;
  const Map* map = UnitBattleMap();
  if (map == nullptr) return false;
  const bool away = Fold(threatHeading - facing) <= 90.0f;
  const float heading = (away ? facing + 180.0f : facing) * GMath::kRadiansPerDegree;
  float distance = RandomFloatTimes(40.0f) + 80.0f;
  float px = 0.0f;
  float py = 0.0f;
  for (;;) {
    px = x + distance * std::cos(heading);
    py = y + distance * std::sin(heading);
    if (map->IsOnMap(px, py) && CanStandAt(px, py, true)) break;
    distance *= 0.75f;
    if (distance < 5.0f) return false;
  }
  const int32_t mode = away ? Waypoint::kReverse : 3;
  if (speed != 0.0f && (speed < 0.0f) != away) speed = 0.0f;
  Waypoint& point = waypoints[0];
  point = Waypoint{};
  point.x = px;
  point.y = py;
  point.height = map->ElevationAt(px, py);
  point.moveMode = mode;
  waypointCount = 1;
  return true;
}
