#pragma once
// What the operational planner's files share: the distance that stands for "none found",
// whether a unit is an infantry squad, a new group of a mode, the centre of a tile.
#include <cstdint>

#include "game/battle/AIGroup.h"
#include "game/map/Map.h"
#include "game/units/Unit.h"
#include "game/units/ports/InfantryServices.h"

// Farther than any distance on a map.
inline constexpr float kFar = 9e20f;

inline bool IsSquad(const Unit& unit) {
  const InfantryServices* infantry = unit.IsInfantry() ? unit.AsInfantry() : nullptr;
  return infantry != nullptr && infantry->IsSquad();
}

inline AIGroup* NewGroup(int32_t mode) {
  auto* group = new AIGroup();
  group->Init();
  group->mode = mode;
  return group;
}

// The centre of tile t along one axis, in metres.
inline float TileCentre(int32_t t) { return (static_cast<float>(t) + 0.5f) * Map::kTileSize; }
