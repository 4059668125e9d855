// The passes that prepare the edited scenario's units before it is saved or played: placing
// units without a valid position, the identification level and set-up zone for play or for
// editing, and each side's starting camera.
#include <cmath>

#include "editor/EditorState.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/map/PlanningMath.h"
#include "game/units/Unit.h"

namespace {

constexpr const char* kUnitPreparationSource = "EditorUnitPreparation";
constexpr int32_t kKeptZone = 7;

enum Edge { kWest = 0, kNorth = 1, kEast = 2, kSouth = 3 };

bool IsDirtRoadInTreesTerrain(int32_t type) { return type == 33 || type == 34; }

}  // namespace

void EditorState::PlaceUnit(Unit& unit, const BattleBase& base, bool inOperation, int32_t attacker, float depth) {
  if (unit.IsAirplane()) {
    unit.x = -500.0f;
    unit.y = -500.0f;
  } else if ((unit.x == 0.0f && unit.y == 0.0f) || !base.map->IsOnMap(unit.x, unit.y)) {
    const int32_t side = unit.GetSideIndex();
    unit.PlaceAlongEdge(placementEdge_[side], inOperation && side != attacker ? depth : 0.0f);
  }
  // The two-level value keeps its level only on terrain that has two.
  if (editorSaving != 0 && AppBattle() == nullptr) return;
  if (unit.level == 0.0f) return;
  const int32_t terrain = base.map->TerrainTypeAt(unit.x, unit.y);
  if (unit.level > 0.0f && !IsDirtRoadInTreesTerrain(terrain)) unit.level = 0.0f;
  if (unit.level < 0.0f && !IsPavedTerrain(terrain)) unit.level = 0.0f;
}

void EditorState::PrepareUnitPlacement() {
  if (app_ == nullptr) FatalError(__LINE__, kUnitPreparationSource);
  Battle* battle = AppBattle();
  Campaign* operation = AppOperation();
  BattleBase* base = battle != nullptr ? static_cast<BattleBase*>(battle) : operation;
  if (base == nullptr || base->map == nullptr) return;
  if (operation != nullptr) {
    placementEdge_[0] = operation->attackerEdge;
    placementEdge_[1] = operation->attackerEdge;
  } else if (battle != nullptr) {
    const int32_t* owner = battle->edgeOwner;
    // A side that owns no edge starts where the battle puts it: the Axis east, the Allies west.
    placementEdge_[0] = owner[kEast] == 0 ? kEast : owner[kNorth] == 0 ? kNorth : owner[kSouth] == 0 ? kSouth : kEast;
    placementEdge_[1] = owner[kWest] == 1 ? kWest : owner[kSouth] == 1 ? kSouth : owner[kNorth] == 1 ? kNorth : kWest;
  }
  const int32_t attacker = operation != nullptr ? operation->attacker : 0;
  const float depth = operation != nullptr ? 2.0f * static_cast<float>(operation->noMansLand) : 0.0f;
  for (int32_t i = 0; i < base->UnitCount(); ++i) {
    if (Unit* unit = base->UnitAt(i)) PlaceUnit(*unit, *base, operation != nullptr, attacker, depth);
  }
  if (battle == nullptr) return;
  const float width = battle->map->size.worldWidth;
  const float height = battle->map->size.worldHeight;
  for (int32_t i = 0; i < battle->flags.Count(); ++i) {
    VictoryFlag* flag = battle->FlagAt(i);
    if (flag == nullptr) continue;
    if (flag->x <= 0.0f || flag->x >= width) flag->x = RandomFloatTimes(width - 20.0f) + 10.0f;
    if (flag->y <= 0.0f || flag->y >= height) flag->y = RandomFloatTimes(height - 20.0f) + 10.0f;
  }
}

void EditorState::SetUnitForPlay(Unit& unit, const BattleBase& base, bool inOperation) {
  unit.identificationLevel = 0;
  if (unit.setupZone == kKeptZone || unit.IsAirplane()) return;
  const Map& map = *base.map;
  const MapGrid<MapTile>& tiles = map.terrain.tiles;
  auto tileX = static_cast<int32_t>(unit.x * 0.05f);
  auto tileY = static_cast<int32_t>(unit.y * 0.05f);
  if (!tiles.Contains(tileX, tileY)) {
    unit.x = std::fmin(std::fmax(unit.x, 0.1f), map.size.worldWidth - 0.1f);
    unit.y = std::fmin(std::fmax(unit.y, 0.1f), map.size.worldHeight - 0.1f);
    tileX = static_cast<int32_t>(unit.x * 0.05f);
    tileY = static_cast<int32_t>(unit.y * 0.05f);
  }
  // A map of at least one tile always holds the point now.
  const uint8_t zone = tiles.At(tileX, tileY).zone;
  const bool axis = unit.IsAxis();
  const bool own = zone != 0 && (axis ? zone >= 4 : zone <= 3);
  if (own) {
    unit.setupZone = zone;
  } else {
    unit.setupZone = inOperation ? (axis ? 4 : 1) : 0;
  }
}

void EditorState::SetUnitsForPlay(bool forPlay) {
  BattleBase* base = CurrentBattle();
  if (base == nullptr || base->map == nullptr) return;
  const bool inOperation = AppOperation() != nullptr;
  for (int32_t i = 0; i < base->UnitCount(); ++i) {
    Unit* unit = base->UnitAt(i);
    if (unit == nullptr) continue;
    if (forPlay) {
      SetUnitForPlay(*unit, *base, inOperation);
    } else {
      unit->identificationLevel = 4;
      if (unit->setupZone != kKeptZone) unit->setupZone = 0;
    }
  }
  for (int32_t side = 0; side < 2; ++side) {
    for (int32_t g = 0; g < base->reinforcements[side].Count(); ++g) {
      GGroup& units = base->GroupUnits(side, g);
      for (int32_t i = 0; i < units.Count(); ++i) {
        if (auto* unit = UnitOfObject(units.GetItem(i))) unit->identificationLevel = forPlay ? 0 : 4;
      }
    }
  }
}

void EditorState::SetStartViews() {
  if (app_ == nullptr) FatalError(__LINE__, kUnitPreparationSource);
  Battle* battle = AppBattle();
  BattleBase* base = battle != nullptr ? static_cast<BattleBase*>(battle) : AppOperation();
  if (base != nullptr) base->SetStartViews();
}
