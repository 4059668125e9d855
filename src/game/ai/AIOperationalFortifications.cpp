// Placing the computer's fortifications at set-up: each kind weighs the tiles of the side's
// zone by their terrain and nearness to the own edge, and each object takes the best tile
// after a jitter.
#include <algorithm>
#include <cmath>

#include "framework/core/GDynamicArray.h"
#include "framework/core/Quorl.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/AIProgressMeter.h"
#include "game/ai/AIOperationalShared.h"
#include "game/battle/Battle.h"
#include "game/map/FineTerrain.h"
#include "game/map/Map.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/ports/InanimateServices.h"
#include "game/units/Unit.h"

namespace {

// The edge weight's slope; the double 1.66667 rather than 5/3, which changes some weights.
constexpr double kEdgeSlope = 1.66667;
constexpr int32_t kPlacedKinds[] = {Inanimate::kRoadblock,      Inanimate::kWire,      Inanimate::kReferencePoint,
                                    Inanimate::kPersonnelMines, Inanimate::kTankMines, Inanimate::kMineChain};

// Roads, water and buildings: where a roadblock closes a way and mines lie on one.
bool IsRoadOrWaterWithBuildings(int32_t t) { return t == 8 || t == 9 || t == 11 || (t >= 36 && t <= 44); }

bool IsOneOf(int32_t t, std::initializer_list<int32_t> set) { return std::find(set.begin(), set.end(), t) != set.end(); }

// A point that closes a flank of a minefield: off the map or hard going.
bool Blocks(const Map& map, float x, float y) {
  if (!map.IsOnMap(x, y)) return true;
  return IsOneOf(map.TerrainTypeAt(x, y), {12, 14, 15, 18, 19, 20, 21, 22, 23, 24, 25, 27, 34});
}

int32_t KindWeight(const Map& map, int32_t kind, int32_t t, float x, float y) {
  switch (kind) {
    case Inanimate::kRoadblock:
    case Inanimate::kWire:
    case Inanimate::kPersonnelMines:
      if (IsOneOf(t, {12, 13, 14, 15, 18, 19, 21, 22, 23})) return 2000;
      if (IsRoadTerrain(t) || t == 24 || t == 25) return 200;
      return 1000;
    case Inanimate::kReferencePoint:
      if (IsOneOf(t, {4, 5, 6, 7, 8, 9, 13, 14, 15, 18, 19, 21, 22, 23, 26, 31, 32, 33, 34, 36, 37, 38, 39, 40, 41})) {
        return 2000;
      }
      return t == 25 ? 200 : 1000;
    case Inanimate::kTankMines:
    case Inanimate::kMineChain:
      if (!IsRoadOrWaterWithBuildings(t) || (kind == Inanimate::kTankMines && (t == 9 || t == 11))) return 200;
      if ((Blocks(map, x + 20.0f, y) && Blocks(map, x - 20.0f, y)) ||
          (Blocks(map, x, y + 20.0f) && Blocks(map, x, y - 20.0f))) {
        return 2000;
      }
      return 1000;
    default:
      return 0;
  }
}

// The factor along one axis: the own edge at the high end against a not-own low end scales
// down towards the own edge from 0.4 of the extent on; the other way round from 0.6 down.
double AxisCorrection(int32_t highOwner, int32_t lowOwner, int32_t side, double at, double extent) {
  if (highOwner == side && lowOwner != side) {
    if (at > 0.4 * extent) {
      double g = 1.0 + ((0.4 * extent - at) / extent) * kEdgeSlope;
      if (lowOwner == 2) g = (g + 1.0) * 0.5;
      return g;
    }
  } else if (highOwner != side && lowOwner == side) {
    if (at < 0.6 * extent) {
      double g = (at * kEdgeSlope) / extent;
      if (highOwner == 2) g = (g + 1.0) * 0.5;
      return g;
    }
  }
  return 1.0;
}

}  // namespace

int32_t AIOperational::ObjectKind(Unit& unit) {
  InanimateServices* object = unit.IsInanimate() ? unit.AsInanimate() : nullptr;
  return object != nullptr ? object->GetKind() : -1;
}

int32_t AIOperational::FortificationWeight(const AIPlanContext& context, int32_t tx, int32_t ty, Unit& object) {
  const Battle& battle = *context.battle;
  const Map& map = *battle.map;
  const float x = TileCentre(tx);
  const float y = TileCentre(ty);
  if (!object.CanStandAt(x, y, true)) return 1;
  const int32_t weight = KindWeight(map, ObjectKind(object), map.TerrainTypeAt(x, y), x, y);
  if (weight <= 1) return weight;
  const int32_t side = context.side;
  double f = 1.0;
  f *= AxisCorrection(battle.edgeOwner[1], battle.edgeOwner[3], side, y, map.size.worldHeight);
  f *= AxisCorrection(battle.edgeOwner[2], battle.edgeOwner[0], side, x, map.size.worldWidth);
  return std::max(static_cast<int32_t>(weight * f), 2);
}

void AIOperational::PlaceOneFortification(const AIPlanContext& context, Unit& object,
                                          std::vector<PlacementCell>& cells) {
  const Map& map = *context.battle->map;
  const int32_t kind = ObjectKind(object);
  const int32_t key = kind == Inanimate::kReferencePoint ? -1 : object.setupZone;
  for (PlacementCell& cell : cells) {
    const double jitter = 0.4 + static_cast<double>(RandomFloatTimes(1.2f));
    cell.shuffledWeight = static_cast<int16_t>(static_cast<int32_t>(cell.weight * jitter));
  }
  std::stable_sort(cells.begin(), cells.end(), [key](const PlacementCell& a, const PlacementCell& b) {
    const bool aInZone = a.zone == key;
    const bool bInZone = b.zone == key;
    if (aInZone != bInZone) return aInZone;
    return a.shuffledWeight > b.shuffledWeight;
  });
  context.StepMeter();
  PlacementCell& first = cells.front();
  if (key != -1 && first.zone != object.setupZone) return;
  const float x = TileCentre(first.x);
  const float y = TileCentre(first.y);
  object.SetPosition(x, y);
  first.weight = 1;
  first.shuffledWeight = 1;
  if (kind == Inanimate::kWire) {
    object.facing = RandomFloatTimes(360.0f);
  } else if (kind == Inanimate::kRoadblock) {
    auto passes = [&map](float px, float py) { return IsRoadOrWaterWithBuildings(map.TerrainTypeAt(px, py)); };
    const bool north = passes(x, y + 20.0f);
    const bool south = passes(x, y - 20.0f);
    const bool east = passes(x + 20.0f, y);
    const bool west = passes(x - 20.0f, y);
    if ((north && south) || (!west && !east)) object.facing = 90.0f;
  }
  const float dx = 2.0f - RandomFloatTimes(4.0f);
  const float dy = 2.0f - RandomFloatTimes(4.0f);
  object.SetPosition(x + dx, y + dy);
}

void AIOperational::PlaceFortifications(const AIPlanContext& context, GGroup& objects) {
  if (objects.Count() == 0) return;
  const Battle& battle = *context.battle;
  const auto& tiles = battle.map->terrain.tiles;
  const int32_t width = tiles.Width();
  const int32_t height = tiles.Height();
  GDynamicArray grid;
  grid.Init(2, height, width);
  grid.Zero();
  auto* firstObject = static_cast<Unit*>(objects.GetItem(0));
  const int32_t kind = ObjectKind(*firstObject);
  for (int32_t tx = width - 1; tx >= 0; --tx) {
    for (int32_t ty = height - 1; ty >= 0; --ty) {
      if (!IsSideZoneValue(context.side, tiles.At(tx, ty).zone)) continue;
      grid.SetU16(ty, tx, static_cast<uint16_t>(FortificationWeight(context, tx, ty, *firstObject)));
    }
  }
  // Keep the objects off the side's units' tiles and, for units, a spacing around them.
  const int32_t spacing = kind == Inanimate::kRoadblock || kind == Inanimate::kWire                  ? 1
                          : kind == Inanimate::kReferencePoint || kind == Inanimate::kMineChain ? 2
                                                                                               : 3;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    const Unit* unit = battle.UnitAt(i);
    if (unit->GetSideIndex() != context.side) continue;
    const int32_t s = unit->IsInanimate() ? 0 : spacing;
    const auto ux = static_cast<int32_t>(unit->x * 0.05f);
    const auto uy = static_cast<int32_t>(unit->y * 0.05f);
    for (int32_t tx = std::max(0, ux - s); tx <= std::min(width - 1, ux + s); ++tx) {
      for (int32_t ty = std::max(0, uy - s); ty <= std::min(height - 1, uy + s); ++ty) {
        // Tiles outside the zone stay out of the offer.
        if (grid.GetU16(ty, tx) != 0) grid.SetU16(ty, tx, 1);
      }
    }
  }
  std::vector<PlacementCell> cells;
  for (int32_t tx = width - 1; tx >= 0; --tx) {
    for (int32_t ty = height - 1; ty >= 0; --ty) {
      const uint16_t weight = grid.GetU16(ty, tx);
      if (weight == 0) continue;
      cells.push_back({static_cast<int16_t>(tx), static_cast<int16_t>(ty), static_cast<int16_t>(weight), 0,
                       tiles.At(tx, ty).zone});
    }
  }
  if (!cells.empty()) {
    for (int32_t i = 0; i < objects.Count(); ++i) {
      auto* object = static_cast<Unit*>(objects.GetItem(i));
      if (ObjectKind(*object) != kind) continue;  // a kind the weights do not know stays where it is
      PlaceOneFortification(context, *object, cells);
    }
  }
  objects.DeleteAll(false);
}

void AIOperational::PlaceAllFortifications(const AIPlanContext& context, GGroup& objects) {
  for (int32_t kind : kPlacedKinds) {
    GGroup ofKind;
    ofKind.Init();
    ofKind.SetOwnsMembers(false);
    for (int32_t i = 0; i < objects.Count();) {
      auto* object = static_cast<Unit*>(objects.GetItem(i));
      if (ObjectKind(*object) == kind) {
        ofKind.Append(object);
        objects.RemoveAt(i, false);
      } else {
        ++i;
      }
    }
    PlaceFortifications(context, ofKind);
  }
}
