// How fast a vehicle may drive, which vehicle blocks it, when it cuts a corner and how its
// hull tilts on the ground.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/map/Distance.h"
#include "game/map/Heading.h"
#include "game/map/FineTerrain.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

constexpr float kMphToSlice = 0.4473f * 0.025f;

float MphToSlice(float mph) { return mph * kMphToSlice; }

float NormalizeDegrees(float a) {
  while (a < 0.0f) a += 360.0f;
  while (a >= 360.0f) a -= 360.0f;
  return a;
}

// Absolute difference folded into 0..180; exactly 0 becomes 0.0001.
float FoldAwayFromZero(float a) {
  a = std::fabs(a);
  if (a > 180.0f) a = 360.0f - a;
  if (a == 0.0f) a = 0.0001f;
  return a;
}

bool InList(int32_t t, std::initializer_list<int32_t> list) {
  return std::find(list.begin(), list.end(), t) != list.end();
}

bool IsStandingTerrain(int32_t t) {
  return t == 0 || t == 8 || t == 9 || t == 11 || (t >= 13 && t <= 17) || (t >= 36 && t <= 42);
}

// The factor of a ground vehicle's speed on terrain t and the softness code it gives.
float GroundTerrainFactor(int32_t t, int32_t k, float size, bool allied, int32_t date, int32_t ground, int32_t& c) {
  auto byKind = [k](float k01, float k2, float k34, int32_t line) {
    if (k == 0 || k == 1) return k01;
    if (k == 2) return k2;
    if (k == 3 || k == 4) return k34;
    FatalError(line, "Vehicle");
  };
  auto soft = [k, size]() {
    float f = 0.0f;
    if (k == 0 || k == 1) f = 0.075f;
    else if (k == 2) f = 0.135f;
    else if (k == 3) f = 0.2f;
    else if (k == 4) f = 0.3f;
    else FatalError(1481, "Vehicle");
    return f / size;
  };
  if (t < 0 || t > 44) FatalError(1407, "Vehicle");
  switch (t) {
    case 0: c = 0; return byKind(0.35f, 0.5f, 0.7f, 1453);
    case 1: case 16: case 17: c = 0; return byKind(0.2f, 0.35f, 0.55f, 1467);
    case 2: c = 1; return 0.5f * soft();
    case 13: c = 1; return soft();
    case 5: case 6:
      c = 0;
      if (k >= 0 && k <= 3) return 0.0f;
      if (k == 4) return 0.4f;
      FatalError(1441, "Vehicle");
    case 8: c = -2; return byKind(0.65f, 0.75f, 0.9f, 1420);
    case 9: case 11: case 36: case 37: case 38: case 39: case 40: case 41: case 42: return 1.0f;
    case 10: c = std::max(3 - ground, 0); return k == 4 ? 0.4f : 0.2f;
    case 28: c = 0; return k == 4 && allied && date > 4406 ? 0.06f : 0.0f;
    case 29: c = 0; return k == 4 ? 0.08f : 0.0f;
    case 30:
      c = 0;
      if (k == 0) return 0.0f;
      if (k == 1 || k == 2) return 0.05f;
      if (k == 3) return 0.1f;
      if (k == 4) return 0.2f;
      FatalError(1516, "Vehicle");
    default: return 0.0f;
  }
}

// The order delay of the next leg capped by the rating (the unit's own rule); the speed is
// cleared and the route's point kinds are turned back to their turn-start form.
void CapOrderDelay(Vehicle& vehicle) {
  if (vehicle.withdraw != 0) return;
  vehicle.CapDelayByRating(false);
  vehicle.speed = 0.0f;
  for (int32_t w = 0; w < vehicle.waypointCount; ++w) {
    Waypoint& point = vehicle.WaypointAt(w);
    if (point.pointKind == Waypoint::kRoutePoint) point.pointKind = 0;
    if (point.pointKind == Waypoint::kRouteEnd) point.pointKind = 1;
  }
}

}  // namespace

float Vehicle::TerrainMobility(float* levelOut) {
  if (levelOut != nullptr) *levelOut = level;
  const VehicleData record = TrueClass();
  const MapBattleServices* battle = UnitBattle();
  const UnitServices* services = GetUnitServices();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  const float weight = static_cast<float>(record.Weight());
  gGroundFactor = 1.0f;
  const float load = PassengerWeight(passengers[0]) + PassengerWeight(passengers[1]);
  const float loadFactor = load == 0.0f ? 1.0f : weight / (weight + load);
  float v = MphToSlice(static_cast<float>(record.MaxSpeed()));
  if (load != 0.0f) v *= loadFactor;
  const bool routePoint = FirstWaypointIsRoutePoint();
  const bool moving = IsMoving();
  gLookAheadX = x;
  gLookAheadY = y;
  if (moving) {
    const float reach = routePoint ? -v * 2.0f : v * 2.0f;
    const float radians = facing * 0.017453292519444445f;
    gLookAheadX = x + reach * std::cos(radians);
    gLookAheadY = y + reach * std::sin(radians);
  }
  const float p = routePoint ? -hullPitch : hullPitch;
  if (p > 0.1f) v *= (35.0f - 2.905f * std::pow(p, 0.7f)) / 35.0f;
  const int32_t ahead = map != nullptr ? map->TerrainTypeAt(gLookAheadX, gLookAheadY, mapMemo) : 0;
  // A bridge acts by the level the vehicle drives on: from below, the water or road under it.
  const int32_t t = moving ? TerrainUnderfoot(ahead) : ahead;
  int32_t c = -99;
  const int32_t k = record.KindCode();
  if (k == VehicleData::kKindEmplacement) {
    if (battle != nullptr && !battle->IsSetupPhase()) return 0.0f;
    return IsStandingTerrain(t) ? 0.0001f : 0.0f;
  }
  if (k == VehicleData::kKindBoat) {
    if (InList(t, {0, 8, 9, 11, 26}) || (t >= 36 && t <= 42)) {
      v *= 0.5f;
    } else if (t == 18 || (t >= 20 && t <= 24) || (t >= 31 && t <= 35)) {
      v = 0.0f;
    } else if (t != 25) {
      v *= 0.35f;
    }
    if (load == 0.0f && passengers[0] == nullptr && passengers[1] == nullptr) v *= 0.0001f;
  } else {
    const int32_t ground = battle != nullptr ? battle->GetGroundCondition() : 0;
    v *= GroundTerrainFactor(t, k, record.Size(), side == 0, UnitGameDate(), ground, c);
  }
  if (v != 0.0f) {
    if (battle != nullptr && waypointCount > 0 && t != 25 && t != 26) {
      const float g = services != nullptr ? services->GroundWeight(GroundPressure(), c) : 1.0f;
      gGroundFactor = g;
      v *= g;
    }
    if (gFullCheck != 0.0f) {
      const Unit* other = nullptr;
      const int32_t grade = services != nullptr ? services->FindBestVehicleNear(*this, &other) : 0;
      if (grade > 0) gUnitInWay = const_cast<Unit*>(other);
      if (grade == 3) return 0.0f;
      if (grade == 1 && other != nullptr && other->AsVehicle() != nullptr) {
        const float otherWeight = static_cast<float>(other->AsVehicle()->GetClassData(0).Weight());
        v *= weight / (weight + 6.0f * otherWeight);
      } else if (grade == 2) {
        v = std::min(v, 0.0013f);
      }
      if (map != nullptr && map->BurningAheadOnly(x, y, gLookAheadX, gLookAheadY)) return 0.0f;
      if (waypointCount > 0) {
        const int32_t m = WaypointAt(0).moveMode;
        if (m != 3) {
          float cap = 6.0f;
          if (m == 1) {
            cap = 3.5f;
          } else if (m == -1) {
            cap = (record.Flags() & 0x100) != 0 ? 30.0f
                                                 : 0.27f * std::min(static_cast<float>(record.MaxSpeed()), 40.0f);
          }
          v = std::min(v, std::min(MphToSlice(cap), 0.8f * v));
        }
      }
      if (alive != 0 && CanMove()) {
        float a = std::fabs(speed);
        if (turnRate == 0.0f) {
          float gain = gGroundFactor * loadFactor * (static_cast<float>(record.EnginePower()) / weight) * 3.75e-5f;
          if (p > 0.1f) {
            gain *= (35.0f - p) / 35.0f;
          } else if (p < -0.1f) {
            gain -= p * 0.02857142857142857f * 0.025f * 0.025f;
          }
          a += gain;
        } else if (a == 0.0f) {
          a = 0.00001f;
        }
        v = std::min(v, a);
      }
    }
    // Onto or off a bridge's two levels: which level the vehicle takes, and whether it may.
    if (v != 0.0f && moving) v = AdjustForLevelTerrain(v, ahead, levelOut);
  }
  if (gWayAheadCheck && v != 0.0f && battle != nullptr && services != nullptr) {
    const float reach = 1.5f * 40.0f * v;
    const float radians = facing * 0.017453292519444445f;
    if (services->IsRevealedAntitankMinefieldAt(x + reach * std::cos(radians), y + reach * std::sin(radians))) {
      v = 0.0f;
      while (waypointCount > 0 && services->IsRevealedAntitankMinefieldAt(WaypointAt(0).x, WaypointAt(0).y)) {
        for (int32_t i = 1; i < waypointCount; ++i) WaypointAt(i - 1) = WaypointAt(i);
        --waypointCount;
      }
    }
  }
  return v;
}

float Vehicle::GetTerrainMobility() const {
  // The slot asks without the way-ahead test, which alone changes the vehicle.
  const bool wayAhead = gWayAheadCheck;
  gWayAheadCheck = false;
  const float v = const_cast<Vehicle*>(this)->TerrainMobility(nullptr);
  gWayAheadCheck = wayAhead;
  return v;
}

int32_t Vehicle::ObstructionGrade(const Vehicle& mover) const {
  const MapBattleServices* battle = UnitBattle();
  const UnitServices* services = GetUnitServices();
  const bool setup = battle != nullptr && battle->IsSetupPhase();
  const bool computing = services != nullptr && services->IsComputingAction();
  if (battle != nullptr && !setup && !computing && HasMoveOrder()) return 0;
  if (status != 0) return 0;
  const float dx = x - mover.x;
  const float dy = y - mover.y;
  if (dx < -3.0f || dx > 3.0f || dy < -3.0f || dy > 3.0f) return 0;
  bool conflict = (mover.movementFlag == 0 && !mover.IsMoving()) || setup;
  if (!conflict) {
    const float h = HeadingDegrees(dx, dy);
    const float heading = mover.FirstWaypointIsRoutePoint() ? NormalizeDegrees(mover.facing + 180.0f) : mover.facing;
    const float d = std::fabs(heading - h);
    conflict = !(d >= 70.0f && d <= 290.0f);
  }
  if (!conflict) return 0;
  if (IsEmplacement()) return 3;
  const float moverWeight = static_cast<float>(mover.TrueClass().Weight());
  const float weight = static_cast<float>(TrueClass().Weight());
  if (alive == 0 || !CanMove()) return moverWeight < weight * 0.66667f ? 2 : 1;
  return side == mover.side || moverWeight <= weight ? 3 : 1;
}

int32_t Vehicle::BestObstruction(const Vehicle& mover, Unit* const* units, int32_t count, const Vehicle** found) {
  int32_t best = 0;
  *found = nullptr;
  for (int32_t i = 0; i < count && best < 3; ++i) {
    const Unit* unit = units[i];
    if (unit == nullptr || unit == &mover || !unit->IsVehicle()) continue;
    const auto* other = static_cast<const Vehicle*>(unit);
    if (mover.ignoreMovers != 0 && other->HasMoveOrder()) continue;
    if (std::fabs(other->x - mover.x) > 3.0f || std::fabs(other->y - mover.y) > 3.0f) continue;
    const int32_t grade = other->ObstructionGrade(mover);
    if (grade > best) {
      best = grade;
      *found = other;
    }
  }
  return best;
}

bool Vehicle::TryCutCorner() {
  if (waypointCount < 2) return false;
  const Waypoint& first = WaypointAt(0);
  const Waypoint& second = WaypointAt(1);
  if (second.moveMode == 9) return false;
  const bool routePoint = first.moveMode == -1;
  if (routePoint != (second.moveMode == -1)) return false;
  const float r = GetTurnStep();
  if (!(r > 0.0f)) return false;
  const float s = std::fabs(speed);
  const float h2 = HeadingDegrees(second.x - first.x, second.y - first.y);
  const float h1 = HeadingDegrees(first.x - x, first.y - y);
  const float theta = FoldAwayFromZero(h2 - h1);
  const float alpha = (180.0f - theta) * 0.008726646259722222f;
  const float sinA = std::sin(alpha);
  if (!(sinA >= 1e-6f)) return false;
  const float d = Distance(x, y, first.x, first.y);
  if (d >= 6.0f) return false;
  const float heading = routePoint ? NormalizeDegrees(facing + 180.0f) : facing;
  const float phi = FoldAwayFromZero(heading - h1);
  const float dPrime = std::max(d - (phi / r) * s, 0.0f);
  const float a = 40.0f * r;
  const float b = 40.0f * s;
  const float cotA = std::cos(alpha) / sinA;
  const float radius = std::min(b, a * 0.0785398163375f / (1.0f / sinA - 1.0f));
  const float lead = (radius * 57.29577951471995f / a) * cotA;
  if (!(dPrime <= lead)) return false;
  const float w = a * 0.025f * dPrime * 0.017453292519444445f / cotA;
  if (std::fabs(speed) < std::fabs(w)) return false;
  speed = (speed < 0.0f ? -std::fabs(w) : std::fabs(w)) * 0.9f;
  if (first.pointKind == 1) CapOrderDelay(*this);
  for (int32_t i = 1; i < waypointCount; ++i) WaypointAt(i - 1) = WaypointAt(i);
  --waypointCount;
  stateChanged = 1;
  return true;
}

float Vehicle::GroundPressure() const {
  const VehicleData record = TrueClass();
  float base = 0.0f;
  switch (record.KindCode()) {
    case 0: base = 16.0f; break;
    case 1: base = 13.0f; break;
    case 2: base = 12.0f; break;
    case 3: base = 12.5f; break;
    case 4: base = record.BaseGroundPressure(); break;
    case 5: base = 0.0f; break;
    default: FatalError(1652, "Vehicle");
  }
  return base + static_cast<float>(record.Weight()) * 0.025f;
}

void Vehicle::OrientToGround() {
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  hullPitch = 0.0f;
  hullRoll = 0.0f;
  if (map == nullptr) return;
  float px = x;
  float py = y;
  GetShownPosition(px, py, nullptr);
  auto road = [map](float ax, float ay) { return IsRoadTerrain(map->TerrainTypeAt(ax, ay)); };
  if (road(px, py)) return;
  float q = 6.0f;
  // One probe pair along a bearing: the elevation difference over the probe, as degrees.
  auto probe = [&](float bearing, bool pitch) {
    const float radians = bearing * 0.017453292519444445f;
    float ox = q * std::cos(radians);
    float oy = q * std::sin(radians);
    if (road(px + ox, py + oy) || road(px - ox, py - oy)) {
      ox *= 0.1f;
      oy *= 0.1f;
      q *= 0.1f;
    }
    float delta = 0.0f;
    if (!road(px + ox, py + oy) && !road(px - ox, py - oy)) {
      const float ahead = map->ElevationAt(px + ox, py + oy);
      const float behind = map->ElevationAt(px - ox, py - oy);
      delta = pitch ? ahead - behind : behind - ahead;
    }
    if (delta == 0.0f) return 0.0f;
    const float degrees = std::atan(delta * 0.5f / q) * 57.29577951471995f;
    return std::clamp(degrees, -35.0f, 35.0f);
  };
  hullPitch = probe(facing, true);
  hullRoll = probe(facing - 90.0f, false);
}

float Vehicle::TiltAlongGun(float pitch, float roll, float a) {
  if (pitch == 0.0f && roll == 0.0f) return 0.0f;
  if (a > 0.0f && a <= 90.0f) {
    const float f = 1.0f - a / 90.0f;
    return -f * pitch - (1.0f - f) * roll;
  }
  if (a > 90.0f && a <= 180.0f) {
    const float f = a / 90.0f - 1.0f;
    return f * pitch - (1.0f - f) * roll;
  }
  if (a >= -90.0f && a <= 0.0f) {
    const float f = 1.0f + a / 90.0f;
    return -f * pitch + (1.0f - f) * roll;
  }
  if (a >= -180.0f && a < -90.0f) {
    const float f = -a / 90.0f - 1.0f;
    return f * pitch + (1.0f - f) * roll;
  }
  FatalError(a > 0.0f ? 1957 : 1971, "Vehicle");
}

float Vehicle::GetTiltAlongGun() const {
  const_cast<Vehicle*>(this)->OrientToGround();
  // A turret angle read from a file may lie past a half turn; the tilt is the same there.
  return TiltAlongGun(hullPitch, hullRoll, WrapTurretAngle(turretOffset));
}
