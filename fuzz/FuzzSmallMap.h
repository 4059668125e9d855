// The battle or operation a reader fuzz target lays its mutations over is set on a small flat
// map: reading it builds few fine cells (a map of the default size costs each read many times
// more), and the first few kilobytes of a battle, which is what the fuzzer's inputs reach,
// hold its units, groups and flags as well as the map ahead of them.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "game/battle/Battle.h"
#include "game/battle/BattleBase.h"
#include "game/battle/Campaign.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"

class FuzzSmallMap {
 public:
  static constexpr int32_t kTiles = 16;
  static constexpr float kMetres = kTiles * Map::kTileSize;

  // Replaces the new battle's or operation's map, before any unit is placed.
  static void UseMap(BattleBase& base) {
    auto* map = new Map(base.App());
    map->size.tilesX = kTiles;
    map->size.tilesY = kTiles;
    if (!map->Read(nullptr)) std::abort();
    delete base.map;
    base.map = map;
  }

  // The battle's map and its one flag, at the map's centre.
  static void Use(Battle& battle) {
    UseMap(battle);
    battle.flags.DeleteAll(true);
    battle.flags.SetOwnsMembers(true);
    battle.flags.Append(new VictoryFlag(kMetres * 0.5f, kMetres * 0.5f, 1));
  }

  // The operation's map, its front across the middle and its zones drawn again.
  static void Use(Campaign& operation) {
    UseMap(operation);
    operation.frontLine = kTiles / 2;
    operation.SetInitialZones();
  }
};
