// Placing the computer's units in their set-up zones: each tile of the zone offers two
// jittered points, each scored for cover, outlook, crowding and terrain, and the unit goes to
// the best one.
#include <algorithm>
#include <cmath>

#include "framework/core/GDynamicArray.h"
#include "framework/core/Quorl.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/AISetupProfile.h"
#include "game/ai/AIOperationalShared.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/map/PlanningMath.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/Unit.h"

namespace {

constexpr float kNoBest = -9e20f;
constexpr float kCrowdReach = 30.0f;
constexpr float kCrowdCap = 16000.0f;
// Guns faster than this at the muzzle (m/s) look far; slower ones stay near and hidden.
constexpr float kLongViewVelocity = 600.0f;

uint16_t OutlookAt(const GDynamicArray& grid, float x, float y) {
  const auto tx = static_cast<int32_t>(x * 0.05f);
  const auto ty = static_cast<int32_t>(y * 0.05f);
  return grid.IsValidIndex(ty, tx) ? grid.GetU16(ty, tx) : 0;
}

// The side's grouped units within 30 m of the point, summed as (30 - d) cubed in group and
// member order.
float CrowdingSum(const AIPlanContext& context, const Unit& unit, float x, float y) {
  const Battle& battle = *context.battle;
  float sum = 0.0f;
  for (int32_t g = 0; g < battle.AIGroupCount(context.side); ++g) {
    const AIGroup& group = *battle.AIGroupAt(context.side, g);
    for (int32_t m = 0; m < group.Count(); ++m) {
      const Unit* other = group.UnitAt(m);
      if (other == &unit) continue;
      const float dx = other->x - x;
      const float dy = other->y - y;
      if (std::fabs(dx) > kCrowdReach || std::fabs(dy) > kCrowdReach) continue;
      const float d = std::sqrt(static_cast<float>(static_cast<int32_t>(dx * dx + dy * dy)));
      if (d < kCrowdReach) {
        const float gap = kCrowdReach - d;
        sum += gap * gap * gap;
      }
    }
  }
  return std::min(sum, kCrowdCap);
}

// The weight along one axis: own edge at the high end (ownHigh) against the other side's edge
// at the low end, or the other way round; 1.0 when neither or both.
float AxisWeight(int32_t highOwner, int32_t lowOwner, int32_t side, float fraction) {
  const bool ownHigh = highOwner == side;
  const bool ownLow = lowOwner == side;
  float k = 1.0f;
  if (ownHigh && !ownLow) {
    k = FloatPow(fraction, 0.7f);
    if (lowOwner == 2) k = (k + 1.0f) * 0.5f;
  } else if (!ownHigh && ownLow) {
    k = FloatPow(1.0f - fraction, 0.7f);
    if (highOwner == 2) k = (k + 1.0f) * 0.5f;
  }
  return k;
}

struct ScoredPoint {
  float x;
  float y;
};

ScoredPoint Jitter(float cx, float cy, float half) {
  const float dx = RandomFloatTimes(half * 2.0f) - half;
  const float dy = RandomFloatTimes(half * 2.0f) - half;
  return {cx + dx, cy + dy};
}

bool InUnitZone(const Map& map, const Unit& unit, int32_t tx, int32_t ty) {
  return map.terrain.tiles.At(tx, ty).zone == unit.setupZone;
}

}  // namespace

bool AIOperational::HasSpecialWeapon(const Unit& unit, bool flag) { return unit.CanFireMainWeapon(flag); }

float AIOperational::PlacementRadius(const Unit& unit) {
  return unit.IsInfantry() && !HasSpecialWeapon(unit, false) ? 100.0f : 200.0f;
}

int32_t AIOperational::SetupRole(const AIPlanContext& context, const Unit& unit, bool classTwoOrThree, bool classFive,
                                 bool special) {
  if (!unit.CanMove()) return 1;
  if (!unit.IsInfantry()) return 4;
  if (!classTwoOrThree) {
    if (classFive || special) return 1;
    return context.defender ? 0 : 3;
  }
  if (!context.defender) return 1;
  const auto* infantry = unit.AsInfantryUnit();
  const int32_t weapon = infantry != nullptr ? infantry->Data().MainWeapon() : Infantry::kNoWeapon;
  if (weapon == Infantry::kNoWeapon || weapon < 0 || weapon >= gWeapons.Count()) return 2;
  if (gWeapons[weapon].Type() == 6) return 4;
  if (gWeapons[weapon].Velocity(1) <= kLongViewVelocity) return 2;
  return 1;
}

float AIOperational::RoleScore(float exposure, int32_t role, uint16_t outlook) {
  const float e = exposure;
  const float q = 7.569f * e * e - 15.95f * e + 9.189f;
  const auto lo = static_cast<float>(outlook & 0xFF);
  const auto hi = static_cast<float>(outlook >> 8);
  const float view = lo * 0.333f + hi * 0.667f;
  float v = 0.0f;
  switch (role) {
    case 0: v = lo; break;
    case 1: v = view; break;
    case 2: v = std::max(lo - hi * 0.333f, 0.0f); break;
    case 4: v = 100.0f - view; break;
    default: v = 0.0f; break;
  }
  return (v + 10.0f) * q;
}

float AIOperational::ScoreSetupPoint(const AIPlanContext& context, Unit& unit, const GDynamicArray& grid, float x,
                                     float y, bool classTwoOrThree, bool classFive, bool special) {
  ++AISetupProfile::scoreCalls;
  const Map& map = *context.battle->map;
  if (!map.IsOnMap(x, y) || !unit.CanStandAt(x, y, true)) return -999.0f;
  unit.x = x;
  unit.y = y;
  if (!unit.IsMainWeaponUsable()) return -1.0f;
  float e = unit.ExposureAt(x, y, false, context.defender && !unit.IsVehicle());
  const int32_t role = SetupRole(context, unit, classTwoOrThree, classFive, special);
  if (role == 4 && !unit.IsInfantry() && unit.CanMove()) e = FloatPow(std::max(e, 0.25f), 0.3f);
  float s = RoleScore(e, role, OutlookAt(grid, x, y));
  const float crowd = CrowdingSum(context, unit, x, y);
  s = s * (kCrowdCap - crowd) * 0.0000625f;
  const int32_t terrain = map.TerrainTypeAt(x, y);
  if (terrain == 12 || terrain == 26) s = s * 0.1f;
  return s;
}

float AIOperational::EdgeWeight(const AIPlanContext& context, float x, float y, int32_t side) {
  const Battle& battle = *context.battle;
  const float ky = AxisWeight(battle.edgeOwner[1], battle.edgeOwner[3], side, y / battle.map->size.worldHeight);
  const float kx = AxisWeight(battle.edgeOwner[2], battle.edgeOwner[0], side, x / battle.map->size.worldWidth);
  return ky * kx;
}

float AIOperational::CentreWeight(const AIPlanContext& context, float x, float y) {
  const Map& map = *context.battle->map;
  const float cx = map.size.worldWidth * 0.5f;
  const float cy = map.size.worldHeight * 0.5f;
  const float dx = cx - x;
  const float dy = cy - y;
  return 1.0f - 0.5f * std::sqrt((dx * dx + dy * dy) / (cx * cx + cy * cy));
}

float AIOperational::BlendForFrontDepth(float k, float frontDepth) {
  if (!(frontDepth < 500.0f)) return k;
  const float a = 1.0f - 0.002f * frontDepth;
  return (1.0f - a) * k + a;
}

float AIOperational::NeighbourTileValue(const AIPlanContext& context, Unit& unit, const GDynamicArray& grid, float x,
                                        float y) {
  if (!context.battle->map->IsOnMap(x, y) || !unit.CanStandAt(x, y, true)) return 0.0f;
  unit.x = x;
  unit.y = y;
  if (!unit.IsMainWeaponUsable()) return 0.0f;
  const uint16_t outlook = OutlookAt(grid, x, y);
  return (static_cast<float>(outlook & 0xFF) * 0.333f + static_cast<float>(outlook >> 8) * 0.667f) * 0.01f;
}

void AIOperational::PlaceInSetupZone(const AIPlanContext& context, Unit& unit, const GDynamicArray& grid,
                                     bool noCentre) {
  const Battle& battle = *context.battle;
  const Map& map = *battle.map;
  const auto& tiles = map.terrain.tiles;
  const bool classTwoOrThree = unit.HasMainWeaponOfType23(false);
  const bool classFive = unit.HasMainWeaponOfType5();
  const bool special = HasSpecialWeapon(unit, false);
  const bool firePositions = unit.IsArmored() && classTwoOrThree && unit.CanMove();
  const bool leansOnEdge = unit.IsVehicle() || unit.HasMainWeaponOfType23(true);
  const float startX = unit.x;
  const float startY = unit.y;
  const int32_t reach = context.defender ? 3 : 2;
  float best = kNoBest;
  ScoredPoint chosen{startX, startY};
  for (int32_t tx = tiles.Width() - 1; tx >= 0; --tx) {
    for (int32_t ty = tiles.Height() - 1; ty >= 0; --ty) {
      if (!InUnitZone(map, unit, tx, ty)) continue;
      const ScoredPoint p1 = Jitter(TileCentre(tx), TileCentre(ty), 3.0f);
      const ScoredPoint p0 = Jitter(TileCentre(tx), TileCentre(ty), 9.0f);
      float s0 = ScoreSetupPoint(context, unit, grid, p0.x, p0.y, classTwoOrThree, classFive, special);
      float s1 = context.defender ? ScoreSetupPoint(context, unit, grid, p1.x, p1.y, classTwoOrThree, classFive, special)
                                  : -900000.0f;
      if (!context.defender) {
        if (!classFive) {
          const float w = EdgeWeight(context, p0.x, p0.y, 1 - context.side);
          s0 *= w;
          s1 *= w;
        }
      } else if (!noCentre) {
        const float w = CentreWeight(context, p0.x, p0.y);
        s0 *= w;
        s1 *= w;
        float k = w;
        if (leansOnEdge) k = EdgeWeight(context, p0.x, p0.y, context.side);
        k = BlendForFrontDepth(k, context.frontDepth);
        s0 *= k;
        s1 *= k;
      }
      s0 *= 0.8f + RandomFloatTimes(0.4f);
      s1 *= 0.8f + RandomFloatTimes(0.4f);
      if (firePositions && (s0 > 0.0f || s1 > 0.0f)) {
        float n = 0.05f;
        if (std::max(s0, s1) >= best) {
          for (int32_t nx = std::max(0, tx - reach); nx <= std::min(tiles.Width() - 1, tx + reach); ++nx) {
            for (int32_t ny = std::max(0, ty - reach); ny <= std::min(tiles.Height() - 1, ty + reach); ++ny) {
              if (nx == tx && ny == ty) continue;
              n = std::max(n, NeighbourTileValue(context, unit, grid, TileCentre(nx), TileCentre(ny)));
            }
          }
        }
        if (s0 > 0.0f) s0 *= n;
        if (s1 > 0.0f) s1 *= n;
      }
      if (s0 <= s1) {
        if (s1 > best) {
          best = s1;
          chosen = p1;
        }
      } else if (s0 > best) {
        best = s0;
        chosen = p0;
      }
    }
  }
  if (best < -1.0f) {
    // Nothing usable: the unit stays where it stood, and a parked one comes back.
    unit.x = startX;
    unit.y = startY;
    if (unit.x >= kParkOffset) unit.x -= kParkOffset;
    return;
  }
  unit.SetPosition(chosen.x, chosen.y);
}

bool AIOperational::PlaceNearUnit(const AIPlanContext& context, Unit& unit, float otherX, float otherY,
                                  const GDynamicArray& grid) {
  const Map& map = *context.battle->map;
  const auto& tiles = map.terrain.tiles;
  const bool classTwoOrThree = unit.HasMainWeaponOfType23(false);
  const bool classFive = unit.HasMainWeaponOfType5();
  const bool special = HasSpecialWeapon(unit, false);
  const float radius = PlacementRadius(unit);
  float best = kNoBest;
  ScoredPoint chosen{unit.x, unit.y};
  for (int32_t tx = tiles.Width() - 1; tx >= 0; --tx) {
    for (int32_t ty = tiles.Height() - 1; ty >= 0; --ty) {
      if (!InUnitZone(map, unit, tx, ty)) continue;
      const float dx = TileCentre(tx) - otherX;
      const float dy = TileCentre(ty) - otherY;
      const float d = std::sqrt(dx * dx + dy * dy);
      if (!(d < radius)) continue;
      const ScoredPoint p1 = Jitter(TileCentre(tx), TileCentre(ty), 3.0f);
      const ScoredPoint p0 = Jitter(TileCentre(tx), TileCentre(ty), 9.0f);
      const float s0 = ScoreSetupPoint(context, unit, grid, p0.x, p0.y, classTwoOrThree, classFive, special);
      const float s1 = ScoreSetupPoint(context, unit, grid, p1.x, p1.y, classTwoOrThree, classFive, special);
      const bool takeP1 = s1 >= s0;
      const float s = (takeP1 ? s1 : s0) * (1.0f - 0.6f * d / radius);
      if (s > best) {
        best = s;
        chosen = takeP1 ? p1 : p0;
      }
    }
  }
  if (best < 0.0f) return false;
  unit.SetPosition(chosen.x, chosen.y);
  return true;
}
