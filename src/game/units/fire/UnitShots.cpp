// Fire packets and shots: what a round leaves for the replay (the fire packet), what the
// battle carries until it falls due (the Shot), and where each round lands.
#include <algorithm>
#include <array>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/Unit.h"
#include "game/units/fire/WeaponFormulas.h"
#include "game/units/ports/AirplaneServices.h"
#include "game/units/ports/UnitBattleQueries.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/records/Shot.h"
#include "game/units/records/UnitFirePacket.h"
#include "game/units/tables/DataFlags.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/UnitNearPoint.h"

namespace {

// Seconds before the landing that the incoming sound of each variant starts.
constexpr std::array<float, 8> kIncomingLead = {2.93f, 3.576f, 3.187f, 1.431f, 1.788f, 3.193f, 1.091f, 0.761f};

float BlastValue(int32_t weapon, int32_t kind) {
  if (!gWeapons.IsValid(weapon) || kind < 0 || kind >= Unit::kAmmoKinds) return 0.0f;
  return WeaponBlastValue(weapon, kind);
}

bool IsHullDownFrom(const Unit* targetUnit, const Unit& firer) {
  const VehicleServices* vehicle = targetUnit != nullptr && targetUnit->IsVehicle() ? targetUnit->AsVehicle() : nullptr;
  return vehicle != nullptr && vehicle->IsHullDownFrom(firer);
}

// A draw from [0, 1) kept above 0 so that its logarithm stays finite.
float PositiveFloat() { return std::max(RandomFloat(), 1.0e-7f); }

}  // namespace

void ScaleShare(float factor, UnitFirePacket& record, int32_t& total, int32_t& a, int32_t& b) {
  record.count = static_cast<int32_t>(static_cast<float>(record.count) * factor + 0.5f);
  const int32_t scaled = static_cast<int32_t>(static_cast<float>(a) * factor + 0.5f);
  const int32_t change = scaled - a;
  a = scaled;
  b += change;
  total += change;
}

UnitFirePacket Unit::NewFirePacket(int32_t fireType, int32_t weapon, int32_t rounds, int32_t delay, float distance) {
  UnitFirePacket packet;
  packet.slice = static_cast<int16_t>(std::max(0, UnitBattleSlice() + delay));
  packet.x = x;
  packet.y = y;
  packet.z = GetBaseHeight();
  packet.typeSixFlag = fireType == 6 ? 1 : 0;
  if (target != nullptr) {
    packet.targetUnit = target;
  } else {
    if (areaFire == 0) FatalError(__LINE__, "Unit.cpp");
    packet.targetX = targetX;
    packet.targetY = targetY;
    const Map* map = UnitBattleMap();
    packet.targetZ = map != nullptr ? map->SurfaceHeightAt(targetX, targetY) : 0.0f;
  }
  packet.shooter = this;
  packet.originShown = IsKnownToViewer() ? 1 : 0;
  packet.speedFactor = IsVehicle() ? 2.25f : 1.0f;
  packet.count = rounds;
  if (fireType == 3) packet.count = rounds * 2;
  if (fireType == 0) packet.count = static_cast<int32_t>(std::lround(static_cast<float>(rounds) * 2.2f));
  const uint16_t flags = gWeapons.IsValid(weapon) ? gWeapons[weapon].Flags() : 0;
  switch (fireType) {
    case 0: {
      const float power = FirepowerAt(distance, 0);
      int32_t s = 2;
      if (power > 105.0f) {
        s = 6;
      } else if (power > 70.0f) {
        s = 5;
      } else if (power > 40.0f) {
        s = 4;
      } else if (power > 20.0f) {
        s = 3;
      }
      packet.effectCode = static_cast<int16_t>(13 + s);
      break;
    }
    case 1: packet.effectCode = (flags & 0x4) != 0 ? 2 : 1; break;
    case 3: packet.effectCode = 5; break;
    case 4: packet.effectCode = 6; break;
    case 5: packet.effectCode = 7; break;
    case 6: packet.effectCode = 11; break;
    case 7: packet.effectCode = 14; break;
    case 8: packet.effectCode = weapon == 98 || weapon == 99 ? 10 : (IsAxis() ? 9 : 8); break;
    default: packet.effectCode = (flags & 0x1) != 0 ? 1 : 0; break;
  }
  return packet;
}

namespace {

// The shot's common part: who fired, at what, from where.
Shot NewShot(const Unit& unit, int32_t fireType, int32_t weapon, int32_t kind, int32_t delay) {
  Shot shot;
  shot.shooter = const_cast<Unit*>(&unit);
  shot.targetUnit = unit.target;
  shot.dueSlice = UnitBattleSlice() + delay;
  shot.side = unit.side;
  shot.fireType = fireType;
  shot.weapon = weapon;
  shot.ammoKind = kind;
  shot.airplaneTarget = unit.target != nullptr && unit.target->IsAirplane() ? 1 : 0;
  shot.shooterX = unit.x;
  shot.shooterY = unit.y;
  shot.shooterZ = unit.GetBaseHeight();
  return shot;
}

void AddFireCounter(const Unit& unit) {
  if (UnitServices* services = GetUnitServices()) services->AddFireCounter(unit.GetSideIndex(), 3000);
}

void FileShot(const Shot& shot) {
  if (UnitServices* services = GetUnitServices()) services->FileShot(shot);
}

}  // namespace

void Unit::FireShell(UnitFirePacket& record, int32_t fireType, int32_t weapon, int32_t kindUsed, int32_t hitArg,
                     int32_t delay) {
  AddFireCounter(*this);
  Shot shot = NewShot(*this, fireType, weapon, kindUsed, delay);
  record.blastValue = BlastValue(weapon, kindUsed);
  float t = 1.0f;
  bool hit = false;
  if (target != nullptr && target->IsAirplane()) {
    hit = true;
  } else {
    hit = RollHit(kindUsed, hitArg, &t);
  }
  if (hit) {
    shotCounter = 4;
    record.bodyHit = IsHullDownFrom(target, *this) ? 0 : 1;
    shot.hit = 1;
    shot.hitQuality = t;
    if (target != nullptr) {
      record.landed = 1;
      record.impactX = shot.impactX = target->x;
      record.impactY = shot.impactY = target->y;
      record.impactZ = shot.impactZ = target->GetBaseHeight();
    }
    FileShot(shot);
    return;
  }
  shot.targetUnit = nullptr;
  const float aimX = target != nullptr ? target->x : targetX;
  const float aimY = target != nullptr ? target->y : targetY;
  const Map* map = UnitBattleMap();
  const float shellZ = GetBaseHeight();
  const float groundZ = map != nullptr ? map->ElevationAt(aimX, aimY) : shellZ;
  const float reach = std::max(1.0f, std::hypot(aimX - x, aimY - y));
  float px = aimX;
  float py = aimY;
  float pz = groundZ;
  float v = 1.0f;
  for (int32_t attempt = 0; attempt < 2; ++attempt) {
    float error = (2.0f - t) * (RandomFloat() - 0.5f);
    if (Random(2) == 0) error *= 0.5f;
    if (fireType == 1) error *= 5.0f;
    const float bearing = (HeadingDegrees(aimX - x, aimY - y) + error) * GMath::kRadiansPerDegree;
    const float g = (1.0f - t) * 0.2f + (1.0f - 0.25f * static_cast<float>(shotCounter));
    float f = 1.0f;
    if (Random(2) == 0) {
      f = 1.0f - RandomFloatTimes(0.23f) * g;
    } else {
      f = 1.0f + RandomFloatTimes(0.3f) * g;
    }
    px = x + f * reach * std::cos(bearing);
    py = y + f * reach * std::sin(bearing);
    pz = shellZ + f * (groundZ - shellZ) + (attempt == 1 ? 0.9f : 0.0f);
    if (map != nullptr) v = map->TraceArc(static_cast<float>(hitArg), x, y, shellZ, px, py, pz);
    const float landed = std::hypot(px - x, py - y);
    if (attempt == 1 || landed >= 25.0f || landed >= 0.5f * reach) break;
  }
  record.landed = 1;
  record.impactX = px;
  record.impactY = py;
  record.impactZ = pz;
  if (map != nullptr) v = std::pow(v, 1.1f);
  ScaleShare(v, record, shot.dueSlice, hitArg, delay);
  shot.impactX = px;
  shot.impactY = py;
  shot.impactZ = pz;
  NewExplosionPacket(delay, weapon, kindUsed, px, py);
  FileShot(shot);
}

void Unit::ResolveShot(UnitFirePacket* record, int32_t fireType, int32_t weapon, int32_t query, int32_t kindUsed,
                       int32_t& flight, int32_t& due, float px, float py, float pz) {
  (void)query;
  UnitFirePacket scratch;
  UnitFirePacket& packet = record != nullptr ? *record : scratch;
  const bool spreadType = fireType == 0 || fireType == 6 || fireType == 7;
  AddFireCounter(*this);
  if (record != nullptr) {
    if (spreadType || (target != nullptr && target->IsVehicle() && !IsHullDownFrom(target, *this))) packet.bodyHit = 1;
    if (!spreadType) packet.blastValue = BlastValue(weapon, kindUsed);
  }
  Shot shot = NewShot(*this, fireType, weapon, kindUsed, due);
  shot.targetX = px;
  shot.targetY = py;
  shot.targetZ = pz;
  const Map* map = UnitBattleMap();
  const float shooterZ = GetBaseHeight();

  if (fireType == 0) {
    const float distance = DistanceToPoint(px, py);
    float firepower = FirepowerAt(distance, 0);
    float bonus = static_cast<float>(CloseRangeBonus(distance));
    // A burst at a unit: the firer's bearing, posture and motion scale both chances, then what
    // the target is (a vehicle's hatches, arc and motion).
    if (target != nullptr && areaFire == 0) {
      AdjustHitChances(*target, firepower, bonus);
      target->AdjustChancesOfBeingHit(*this, firepower, bonus);
    }
    shot.firepower = firepower;
    shot.closeRangeBonus = static_cast<int32_t>(bonus);
    shot.smallArms = 1;
    if (target == nullptr || target->IsAirplane()) shot.areaFire = 1;
    FileShot(shot);
    return;
  }
  if (fireType == 7) {
    FileShot(shot);
    return;
  }
  if (fireType == 5) {
    const WeaponData data = gWeapons[gWeapons.IsValid(weapon) ? weapon : 0];
    const int32_t a = data.CostClass(0);
    const int32_t b = data.CostClass(1);
    float c = 1.08f;
    if (a == 0) {
      c = b == 3 ? 5.0f : 1.25f;
    } else if (a == 2) {
      c = b == 3 ? 4.0f : 1.0f;
    } else if (b == 3) {
      c = 4.0f;
    }
    // Unobserved fire spreads wider: neither a reference point nor the firer's own sight.
    if (!UnitNearPoint(px, py) && !LineOfSightToPoint(px, py)) {
      const MapAppServices* app = UnitApp();
      c += app != nullptr && app->GetHumanPlayers() == 1 && !IsCurrentSide() ? 0.6f : 1.0f;
    }
    UnitServices* services = GetUnitServices();
    if (services != nullptr && services->IsBarrage()) {
      c += 1.5f;
    } else if (firingBytes[kLaidWhileMoving] != 0) {
      c += 0.75f;
    }
    const float u1 = PositiveFloat();
    const float u2 = PositiveFloat();
    const float k = b == 3 || firingBytes[kLaidWhileMoving] != 0 || kindUsed == 4 ? 26.24f : 9.184f;
    float e1 = 26.24f * c * std::pow(-std::log(u1), 0.742f);
    float e2 = k * c * std::pow(-std::log(u2), 0.742f);
    if (Random(2) == 0) e1 = -e1;
    if (Random(2) == 0) e2 = -e2;
    const int32_t edge = services != nullptr ? services->GetHomeEdge(GetSideIndex()) : 0;
    const bool across = edge == 0 || edge == 2;
    const float ix = px + (across ? e1 : e2);
    const float iy = py + (across ? e2 : e1);
    const float iz = map != nullptr ? map->SurfaceHeightAt(ix, iy) : pz;
    if (b == 1) shot.marked = RandomFloat() < 0.75f ? 1 : 0;
    int32_t variant = 0;
    if (b != 3) {
      const int32_t calibre = static_cast<int32_t>(std::lround(data.Calibre()));
      if (calibre < 84) {
        variant = 6 + Random(2);
      } else if (calibre < 125) {
        variant = 3 + Random(3);
      } else if (calibre < 180) {
        variant = 1 + Random(5);
      } else {
        variant = 1 + Random(2);
      }
    }
    if (variant < 0 || variant > 7) FatalError(__LINE__, "Unit.cpp");
    UnitSoundPacket sound;
    const int32_t lead = static_cast<int32_t>(std::lround(40.0f * kIncomingLead[static_cast<size_t>(variant)]));
    sound.slice = static_cast<int16_t>(std::max(0, UnitBattleSlice() + due - lead));
    sound.sound = static_cast<int16_t>(620 + variant);
    sound.soundKind = static_cast<int16_t>(b == 3 ? 23 : 22);
    for (auto& position : sound.sidePosition) position = {ix, iy, 10.0f};
    sound.audible = {1, 1};
    if (services != nullptr) services->RecordSoundPacket(sound);
    NewExplosionPacket(due, weapon, kindUsed, ix, iy);
    packet.landed = 1;
    packet.impactX = shot.impactX = ix;
    packet.impactY = shot.impactY = iy;
    packet.impactZ = shot.impactZ = iz;
    FileShot(shot);
    return;
  }

  // Every other fire type: one round, at most two tries.
  const bool doubling = gWeapons.IsValid(weapon) && (gWeapons[weapon].Flags() & 0x1) != 0;
  const Unit* aimedAt = areaFire != 0 ? nullptr : target;
  const float aimReach = std::max(1.0f, std::hypot(px - x, py - y));
  float aimZ = pz;
  float ix = px;
  float iy = py;
  float iz = pz;
  for (int32_t attempt = 0; attempt < 2; ++attempt) {
    float dx = 0.0f;
    float dy = 0.0f;
    ShotScatter(false, attempt == 1, aimedAt, px, py, flight, fireType, doubling, kindUsed, dx, dy);
    if (weapon == 99) {
      dx *= 0.5f;
      dy *= 0.5f;
    }
    ix = px + dx;
    iy = py + dy;
    iz = aimZ;
    const float spread3d = std::sqrt((ix - x) * (ix - x) + (iy - y) * (iy - y) + (iz - shooterZ) * (iz - shooterZ));
    ScaleShare(std::pow(spread3d / aimReach, 1.1f), packet, shot.dueSlice, flight, due);
    if ((kindUsed == 4 || areaFire != 0) && attempt == 0) {
      const float aim3d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y) + (aimZ - shooterZ) * (aimZ - shooterZ));
      const float bounce = std::min(12.0f * std::max(RandomFloat(), RandomFloat()), 0.1f * aim3d);
      const float heading = RandomFloatTimes(360.0f) * GMath::kRadiansPerDegree;
      const float mx = ix + bounce * std::cos(heading);
      const float my = iy + bounce * std::sin(heading);
      if (map != nullptr && (kindUsed == 4 || map->TerrainTypeAt(mx, my) == map->TerrainTypeAt(px, py))) {
        float visibility = 0.0f;
        float traced = 0.0f;
        const bool clear = map->TraceLine(false, true, false, x, y, shooterZ, mx, my, map->SurfaceHeightAt(mx, my),
                                          visibility, traced) &&
                           visibility >= Map::kBlockingVisibility;
        if (clear) {
          ix = mx;
          iy = my;
        }
      }
    }
    if (fireType == 4 || (target != nullptr && target->IsAirplane())) {
      iz = map != nullptr ? map->SurfaceHeightAt(ix, iy) : iz;
      if (fireType == 4 && target != nullptr) {
        const float t = static_cast<float>(due) * 0.025f;
        MaybeVoiceSound(10, 25, t - 2.0f, t - 0.5f);
      }
      break;
    }
    float v = 1.0f;
    float tx = ix;
    float ty = iy;
    float tz = iz;
    if (map != nullptr) v = map->TraceArc(static_cast<float>(flight), x, y, shooterZ, tx, ty, tz);
    const float landed = std::hypot(tx - x, ty - y);
    const bool direct = fireType >= 1 && fireType <= 3;
    if (attempt == 1 || !direct || (landed >= 25.0f && landed >= 0.5f * aimReach)) {
      ix = tx;
      iy = ty;
      iz = tz;
      ScaleShare(v, packet, shot.dueSlice, flight, due);
      break;
    }
    aimZ += 0.9f;
  }
  packet.landed = 1;
  packet.impactX = shot.impactX = ix;
  packet.impactY = shot.impactY = iy;
  packet.impactZ = shot.impactZ = iz;
  if (fireType != 6) NewExplosionPacket(fireType == 3 ? due + flight : due, weapon, kindUsed, ix, iy);
  if (kindUsed == 4 && ammo[4] <= 3 && std::hypot(ix - targetX, iy - targetY) <= 5.0f) ClearOrderState(false);
  FileShot(shot);
}
