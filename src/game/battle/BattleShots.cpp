// Shots: making them, carrying them out at their due slice, smoke, blasts and the danger they
// spread.
#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleShot.h"
#include "game/battle/Packet.h"
#include "game/map/Map.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/records/Shot.h"
#include "game/units/Unit.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/tables/VehicleData.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/fire/WeaponFormulas.h"

namespace {

float Distance3D(float ax, float ay, float az, float bx, float by, float bz) {
  const float dx = ax - bx;
  const float dy = ay - by;
  const float dz = az - bz;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

float Falloff(float v, float d, float radius) {
  ScaleByRangeFalloff(&v, d, radius);
  return v;
}

// The settings of one blast, by the shot's kind.
struct BlastSettings {
  bool friendly = true;
  bool lineOfSight = true;
  bool spareFirer = false;
  bool exposure = true;
  bool falloff = true;
  bool fromStart = false;
  bool vehiclesOnly = false;
  int32_t exposureMode = 0;
  float ignition = 0.0f;
  bool ignite = true;
  float radius = 0.0f;
};

// The shot as a squad takes it: its kind, where it came from, and its flags. The source flag
// is set when a unit fired it (a blast of its own has nobody to turn toward); the second
// impact flag when the squad is the shot's own target, so that even a fixed-strength or
// falling blast can knock out its crew weapon.
Shot InfantryShot(const BattleShot& shot, int32_t kind, const Unit* struck) {
  Shot hit = shot.round;
  hit.shooter = shot.shooter;
  hit.weapon = shot.weapon;
  hit.ammoKind = shot.ammoKind;
  hit.shooterX = shot.startX;
  hit.shooterY = shot.startY;
  hit.shooterZ = shot.startZ;
  hit.impactX = shot.impactX;
  hit.impactY = shot.impactY;
  hit.impactZ = shot.impactZ;
  hit.kind = kind;
  hit.sourceFlag = shot.shooter != nullptr && shot.shooter != struck ? 1 : 0;
  hit.secondImpact = shot.target == struck ? 1 : 0;
  return hit;
}

// A unit struck by the shot: a squad takes the damage through its own form, and so does a
// vehicle given the strike (the blast's strength where it stands, the shot's kind); the other
// kinds work the hit out from the weapon.
void StrikeUnit(Unit* unit, const BattleShot& shot, float damage, int32_t extraRolls, int32_t kind,
                const VehicleStrike* strike = nullptr) {
  InfantryServices* squad = unit->AsInfantry();
  if (squad != nullptr) {
    squad->TakeShotDamage(damage, extraRolls, InfantryShot(shot, kind, unit));
    return;
  }
  auto* vehicle = strike != nullptr ? unit->AsVehicleUnit() : nullptr;
  if (vehicle != nullptr) {
    VehicleStrike struck = *strike;
    struck.fireKind = kind;
    vehicle->TakeStrikeDamage(damage, extraRolls, struck);
    return;
  }
  unit->TakeDamage(shot.shooter, shot.weapon, shot.ammoKind, shot.impactX, shot.impactY, shot.impactZ);
}

// A small-arms burst on a squad: the firepower filed at the firing, seen from the firer's
// position (cover and the squad's posture) and turned by the angle from the squad's facing,
// a fifth of it as the damage; the close-range bonus gives the extra dice.
float SmallArmsDamage(const BattleShot& shot, Unit& target) {
  const UnitServices* services = GetUnitServices();
  const int32_t condition = services != nullptr ? services->GetConditionValue() : 0;
  float f = shot.round.firepower;
  f *= target.VisibilityFromPoint(shot.startX, shot.startY, shot.startZ, true);
  f *= (AngleFactor(target.AngleToPoint(target.facing, shot.startX, shot.startY, true), condition) + 1.0f) * 0.5f;
  return f * 0.2f;
}

}  // namespace

BattleShot* Battle::NewShot(int32_t a, int32_t b, int32_t delay, uint8_t sideByte, bool visibilityEvent) {
  auto* shot = new BattleShot;
  shot->creatorA = a;
  shot->creatorB = b;
  shot->dueSlice = currentSlice + delay;
  shot->side = sideByte;
  shot->visibilityEvent = visibilityEvent ? 1 : 0;
  // A shot made while the due shots are walked waits in the second list: the walked list
  // takes no new member.
  if (visibilityEvent || inDueShotPass) {
    laterShots.Append(shot);
  } else {
    shots.Append(shot);
  }
  return shot;
}

void Battle::FileUnitShot(const Shot& round) {
  BattleShot* shot = NewShot(0, 0, round.dueSlice - currentSlice, round.side, false);
  shot->round = round;
  shot->fromUnit = true;
  shot->kind = round.fireType >= 1 && round.fireType <= 8 ? round.fireType : 0;
  shot->weapon = round.weapon;
  shot->ammoKind = round.ammoKind;
  shot->shooter = round.shooter;
  shot->target = round.hit != 0 ? round.targetUnit : nullptr;
  shot->startX = round.shooterX;
  shot->startY = round.shooterY;
  shot->startZ = round.shooterZ;
  shot->impactX = round.impactX;
  shot->impactY = round.impactY;
  shot->impactZ = round.impactZ;
  shotsAwaitingPacket.push_back(shot);
}

void Battle::StepShot(BattleShot& shot) {
  if (shot.visibilityEvent != 0) {
    ++shotsRun;
    if (map != nullptr) map->InvalidateVisibilityNear(shot.impactX, shot.impactY, shot.impactZ);
    return;
  }
  ++shotsRun;
  currentShooter = shot.shooter;
  FollowTarget(shot);
  // Small arms: the burst works on its target unit alone.
  if (shot.fromUnit && shot.round.smallArms != 0) {
    Unit* target = shot.round.areaFire != 0 ? nullptr : shot.round.targetUnit;
    if (target != nullptr && target->IsAlive()) {
      if (target->AsInfantry() != nullptr) {
        StrikeUnit(target, shot, SmallArmsDamage(shot, *target), shot.round.closeRangeBonus, 2);
      } else {
        StrikeUnit(target, shot, 0.0f, 0, 2);
      }
    }
    currentShooter = nullptr;
    return;
  }
  if (shot.ammoKind == 4) {
    const float blast = gWeapons.IsValid(shot.weapon) ? WeaponBlastValue(shot.weapon, 4) : 0.0f;
    PlaceSmokeAt(shot.impactX, shot.impactY, blast * 1.8f);
    if (shot.kind >= 1 && shot.kind <= 5 && map != nullptr && gWeapons.IsValid(shot.weapon)) {
      float size = std::pow(gWeapons[shot.weapon].ChargeValue(), 0.8f) * 1.2f;
      if (gWeapons[shot.weapon].Count() > 1) size *= static_cast<float>(gWeapons[shot.weapon].Count());
      map->AddImpactCrater(shot.impactX, shot.impactY, size, false, true);
    }
    currentShooter = nullptr;
    return;
  }
  CheckTreeBurst(shot);
  std::fill(std::begin(hitReport), std::end(hitReport), uint8_t{0});
  const bool areaBurst = shot.kind == 4 || shot.kind == 5 || shot.kind == 8 ||
                         (shot.specialHit != 0 && shot.weapon == 101 && shot.target == nullptr);
  if (areaBurst) {
    if (shot.target != nullptr) FatalError(4450, "Battle");
    shot.target = FindArmoredUnitAt(shot);
  }
  if (shot.target != nullptr) StrikeTarget(shot, areaBurst);
  ApplyBlast(shot);
  if (shot.kind >= 1 && shot.kind <= 5 && shot.treeBurst == 0 && shot.target == nullptr && map != nullptr &&
      gWeapons.IsValid(shot.weapon) && shot.ammoKind >= 0 && shot.ammoKind <= 3) {
    map->AddImpactCrater(shot.impactX, shot.impactY, WeaponFragmentValue(shot.weapon, shot.ammoKind), false, true);
  }
  currentShooter = nullptr;
}

void Battle::FollowTarget(BattleShot& shot) {
  // A round that struck a unit lands where the unit is when it arrives, on the ground or on
  // the surface it stands on; the replay's flight ends there too.
  if (shot.firePacket == nullptr || shot.target == nullptr || map == nullptr) return;
  Packet::Fire& fire = shot.firePacket->fire;
  const Unit* unit = shot.target;
  fire.targetX = unit->x;
  fire.targetY = unit->y;
  if (shot.impactZ <= map->ElevationAt(shot.impactX, shot.impactY) + 0.1f || unit->IsAirplane()) {
    fire.targetZ = unit->GetBaseHeight();
  } else {
    fire.targetZ = map->SurfaceHeightAt(unit->x, unit->y);
  }
  const bool raised = fire.targetZ > map->ElevationAt(fire.targetX, fire.targetY) + 0.1f;
  if (!unit->IsAirplane() && map->IsOnMap(fire.targetX, fire.targetY)) {
    fire.targetZ = raised ? map->SurfaceHeightAt(fire.targetX, fire.targetY) : map->ElevationAt(fire.targetX, fire.targetY);
  }
  shot.impactX = fire.targetX;
  shot.impactY = fire.targetY;
  shot.impactZ = fire.targetZ;
}

VehicleStrike Battle::StrikeOf(const BattleShot& shot) const {
  VehicleStrike strike;
  strike.fireKind = shot.kind;
  strike.weapon = shot.weapon;
  strike.ammoKind = shot.ammoKind;
  strike.startX = shot.startX;
  strike.startY = shot.startY;
  strike.startZ = shot.startZ;
  strike.currentX = shot.impactX;
  strike.currentY = shot.impactY;
  strike.strength = shot.GetStrength(false, nullptr);
  strike.killValue = shot.round.hitQuality;
  strike.fromAbove = shot.specialHit != 0;
  strike.target = shot.round.targetUnit != nullptr ? shot.round.targetUnit : shot.target;
  strike.shooter = shot.shooter;
  // Every round a unit fires has its flight recorded; one that has none (a blast made by the
  // battle itself) only leaves out the deflected round's flight.
  strike.hasFirePacket = true;
  return strike;
}

void Battle::StrikeTarget(BattleShot& shot, bool areaBurst) {
  Unit* target = shot.target;
  const int32_t before = target->GetMenPresent();
  auto* vehicle = target->AsVehicleUnit();
  int32_t part = 0;
  int32_t value = 0;
  const bool shell = shot.kind >= 1 && shot.kind <= 3;
  if (vehicle == nullptr || !(areaBurst || shell)) {
    // Not a shell striking armour: the unit takes the shot's strength as a blast.
    float aux = 0.0f;
    const float strength = shot.GetStrength(false, &aux);
    const VehicleStrike strike = StrikeOf(shot);
    StrikeUnit(target, shot, strength, static_cast<int32_t>(aux), shot.kind, &strike);
  } else {
    VehicleStrike strike = StrikeOf(shot);
    bool resolve = false;
    if (areaBurst) {
      part = Random(3) == 0 ? 3 : 4;
      resolve = true;
    } else if (shot.specialHit != 0 && shot.kind == 3) {
      if (Random(2) == 0) {
        part = 5;
        vehicle->lastFirer = shot.shooter != nullptr ? shot.shooter : vehicle->lastFirer;
        vehicle->RollSystemDamage(shot.GetStrength(true, nullptr), 5, 1.0f, shot.ammoKind == 0, &strike.flags);
      } else {
        part = Random(3) == 0 ? 3 : 4;
        resolve = true;
      }
    } else {
      part = vehicle->LocateHit(strike, value, resolve);
    }
    if (resolve) vehicle->ResolveHit(strike, part, value);
    const VehicleStrike::Flags& f = strike.flags;
    const bool flags[7] = {f.immobilized, f.gunDestroyed, f.penetrated, f.brokeUp, f.ricochet, f.weakPoint, f.flaking};
    for (size_t i = 0; i < 7; ++i) hitReport[i] = flags[i] ? 1 : 0;
    if (strike.ricochetPackets && shot.firePacket != nullptr) MakeRicochetPackets(*shot.firePacket, strike.ricochetShatter);
  }
  if (shot.kind >= 0 && shot.kind <= 5) {
    Packet* packet = NewPacket(10);
    packet->kind = Packet::kHitReport;
    packet->x = target->x;
    packet->y = target->y;
    packet->z = target->GetBaseHeight();
    packet->hit.vehicle = target;
    packet->hit.part = part;
    packet->hit.facing = value;
    packet->hit.menLost = target->IsAlive() ? std::max(0, before - target->GetMenPresent()) : 0;
    for (size_t i = 0; i < packet->hit.flags.size(); ++i) packet->hit.flags[i] = hitReport[i];
  }
}

bool Battle::CheckTreeBurst(BattleShot& shot) {
  if (shot.kind != 4 && shot.kind != 5) return false;
  bool burst = shot.treeBurst != 0;
  if (!burst && map != nullptr) {
    // The terrain is tested before each draw, so open ground draws nothing.
    const int32_t t = map->TerrainTypeAt(shot.impactX, shot.impactY);
    if (t == 13 || t == 21) burst = Random(10) < 3;
    if (!burst && (t == 14 || t == 15 || t == 22 || t == 23)) burst = Random(10) < 6;
  }
  if (burst) {
    shot.impactZ += 6.0f;
    shot.treeBurst = 1;
    // The replay shows the burst in the trees.
    if (shot.firePacket != nullptr && shot.firePacket->fire.firstFlag == 0) {
      shot.firePacket->fire.targetZ += 6.0f;
      shot.firePacket->fire.firstFlag = 1;
    }
  }
  return burst;
}

void Battle::PlaceSmokeAt(float x, float y, float strength) {
  if (map == nullptr || !map->IsOnMap(x, y)) return;
  const int32_t terrain = map->TerrainTypeAt(x, y);
  if (terrain == 12 || terrain == 25 || terrain == 26) return;
  float s = strength;
  int32_t u = 30;
  int32_t life = 0;
  if (s > 0.0f) {
    const float c = std::min(s, 14.0f);
    life = static_cast<int32_t>(((c * 1.49f + 7.25f) - c * 0.0848f * c) * c);
  } else {
    s = 7.0f;
    u = 10;
    life = 60;
  }
  life = static_cast<int32_t>(static_cast<float>(life) * (0.7f + RandomFloatTimes(0.6f)));
  int32_t delay = u * 40;
  for (int32_t i = 0; i < 3 && currentSlice + delay > 2400; ++i) delay /= 2;
  Packet* packet = NewPacket(delay);
  packet->kind = Packet::kSmokePlaced;
  packet->x = x;
  packet->y = y;
  packet->smoke.startSlice = packet->timeSlice;
  packet->smoke.lifetime = life * 40 + delay;
  packet->smoke.radius = s;
  AddSmokeCloud(*packet);
  BattleShot* event = NewShot(0, 0, delay + 1, 0, true);
  event->impactX = x;
  event->impactY = y;
  event->impactZ = s;
}

Unit* Battle::FindArmoredUnitAt(const BattleShot& shot) const {
  for (int32_t i = 0; i < units.Count(); ++i) {
    Unit* unit = UnitAt(i);
    if (!unit->IsArmored(false) || !unit->IsAlive()) continue;
    const VehicleServices* vehicle = unit->AsVehicle();
    float radius = 3.0f;
    if (vehicle != nullptr && !vehicle->IsEmplacement()) {
      radius = vehicle->GetClassData(0).Size() * (shot.kind == 5 ? 1.75f : 1.1f);
    }
    if (unit->DistanceToPoint(shot.impactX, shot.impactY) < radius) return unit;
  }
  return nullptr;
}

void Battle::SpreadIntensityNearPoint(int32_t intensity, float x, float y) {
  const int32_t raised = static_cast<int32_t>(static_cast<float>(intensity) * 1.2f);
  for (int32_t i = 0; i < units.Count(); ++i) {
    Unit* unit = UnitAt(i);
    if (!unit->IsAlive() || unit->IsInanimate() || unit->IsAirplane()) continue;
    const float d = unit->DistanceToPoint(x, y);
    const float f = d > 13.0f ? 13.0f / d : 1.0f;
    const int32_t v = std::min(static_cast<int32_t>(static_cast<float>(raised) * f), 20000);
    unit->incomingFire = static_cast<int16_t>(std::max<int32_t>(unit->incomingFire, v));
  }
}

void Battle::ApplyBlast(BattleShot& shot) {
  float aux = 0.0f;
  float s = shot.GetStrength(false, &aux);
  BlastSettings b;
  b.ignition = std::sqrt(std::max(s, 0.0f)) * 0.0004f;
  bool common = false;
  switch (shot.kind) {
    case 0:
      b.friendly = timeOfDay == 2;
      b.fromStart = true;
      b.ignition = 0.0f;
      b.ignite = false;
      b.radius = 25.0f;
      b.exposureMode = 2;
      b.exposure = false;
      if (shot.doubledBlast != 0) {
        b.radius *= 2.0f;
        s *= 0.5f;
      }
      break;
    case 1:
    case 2:
    case 3:
    case 4:
    case 5: common = true; break;
    case 6:
      b.radius = 5.0f;
      b.exposure = false;
      b.exposureMode = 1;
      b.spareFirer = true;
      b.ignition = 0.5f;
      b.ignite = false;
      b.lineOfSight = false;
      break;
    case 7:
      b.friendly = false;
      b.fromStart = true;
      b.ignition = 0.0f;
      b.ignite = false;
      b.radius = 0.01f;
      b.exposureMode = 2;
      b.exposure = false;
      break;
    case 8:
      b.spareFirer = true;
      if (shot.weapon == 97 || shot.weapon == 99) {
        b.ignite = false;
        b.friendly = false;
        b.vehiclesOnly = true;
      } else {
        b.friendly = timeOfDay == 2 && Random(2) != 0;
      }
      common = true;
      break;
    default: FatalError(4191, "Battle");
  }
  if (common) {
    SpreadIntensityNearPoint(static_cast<int32_t>(165.0f * s), shot.impactX, shot.impactY);
    b.radius = gWeapons.IsValid(shot.weapon) && shot.ammoKind >= 0 && shot.ammoKind <= 4
                   ? WeaponBlastValue(shot.weapon, shot.ammoKind)
                   : 0.0f;
    if (shot.kind == 1) {
      b.ignition *= 2.5f;
      b.radius *= shot.target != nullptr ? 0.2f : 0.75f;
    }
  }
  const float px = b.fromStart ? shot.startX : shot.impactX;
  const float py = b.fromStart ? shot.startY : shot.impactY;
  const float pz = b.fromStart ? shot.startZ : shot.impactZ;
  // The group may grow while hits are taken (a squad split joins at the next slice), so the
  // count is read once.
  const int32_t count = units.Count();
  const VehicleStrike strike = StrikeOf(shot);
  for (int32_t i = 0; i < count; ++i) {
    Unit* u = UnitAt(i);
    if (u == shot.target || !u->IsActive() || u->IsPassenger()) continue;
    if (b.vehiclesOnly && !u->IsVehicle()) continue;
    const bool affected =
        (b.friendly && (!b.spareFirer || u != shot.shooter)) || (u->IsAxis() != (shot.side != 0));
    if (!affected) continue;
    float d = Distance3D(u->x, u->y, u->GetBaseHeight(), shot.impactX, shot.impactY, shot.impactZ);
    float v = s;
    if (shot.kind == 7) {
      if (u->IsInfantry()) {
        const int32_t men = u->GetMenPresent();
        // No men present: nothing to share the blast among.
        if (men <= 0) continue;
        v = v / static_cast<float>(men);
      } else if (u->IsVehicle()) {
        v = !u->IsArmored(false) || (u->AsVehicle() != nullptr && u->AsVehicle()->IsButtoned()) ? v * 0.1f : v * 0.5f;
      } else {
        v = 0.0f;
      }
    }
    if (b.exposure || b.exposureMode > 0) {
      float e = u->VisibilityFromPoint(px, py, pz, b.lineOfSight);
      if (b.exposureMode == 1 && e != 1.0f) e = std::pow(e, 0.4f);
      if (e < 1.0f && shot.squareRoot != 0) e = std::sqrt(e);
      if (b.exposure && e > 0.0f) d = e < 1.0f ? d / std::sqrt(e) : d / e;
      if (b.exposureMode > 0) v *= e;
    }
    if (b.falloff) {
      if (!u->IsInfantry() || u->HasMainWeapon()) {
        v = Falloff(v, d, b.radius);
      } else {
        v = (Falloff(v, std::max(d - 5.0f, 0.0f), b.radius) + Falloff(v, d + 5.0f, b.radius)) * 0.5f;
      }
    }
    if (d <= b.radius) {
      StrikeUnit(u, shot, v, static_cast<int32_t>(aux), shot.kind, &strike);
    } else if (d <= 2.0f * b.radius) {
      u->ApplyShock(static_cast<int32_t>(v));
    }
  }
  if (map != nullptr) {
    if (b.ignite) map->BlastBuildings(shot.GetStrength(false, nullptr), shot.impactX, shot.impactY);
    map->TryIgnite(b.ignition, shot.impactX, shot.impactY);
  }
}
