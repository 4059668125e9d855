#pragma once
// The unit tests' world with the built-in tables loaded and the default 800 m map at slice
// 100; units join the battle through Join.
#include <gtest/gtest.h>

#include <memory>

#include "game/map/Map.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/Unit.h"
#include "support/TestFolder.h"

struct TablesWorldRig {
  TablesWorldRig() {
    Hack::LoadTables();
    world.SetMap(std::make_unique<Map>(world.app));
    EXPECT_TRUE(world.Battle().map->Read(nullptr));
    world.Battle().currentSlice = 100;
  }
  void Join(Unit& unit) { world.Lend(&unit); }
  DataTablesRig tables;
  TestFolder folder{true};
  TestUnitWorld world;
};
