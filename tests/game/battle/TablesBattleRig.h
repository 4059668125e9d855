#pragma once

// A headless battle over the built-in data tables, with infantry, vehicles and any other unit
// kinds a test names registered before the battle is made; the registrations are undone when
// the rig goes.

#include <initializer_list>
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/records/UnitIds.h"
#include "game/units/vehicle/Vehicle.h"
#include "support/TestFolder.h"

class TablesBattleRig {
 public:
  explicit TablesBattleRig(std::initializer_list<void (*)()> moreKinds = {}) {
    Hack::LoadTables();
    Infantry::Register();
    Vehicle::Register();
    for (void (*registerKind)() : moreKinds) registerKind();
    headless.New();
  }
  ~TablesBattleRig() {
    for (int32_t kind = 0; kind < 4; ++kind) {
      RegisterUnitMaker(kind, nullptr);
      RegisterBlankUnitMaker(kind, nullptr);
    }
  }
  TablesBattleRig(const TablesBattleRig&) = delete;
  TablesBattleRig& operator=(const TablesBattleRig&) = delete;

  Battle& B() { return *headless.GetBattle(); }

  DataTablesRig tables;
  TestFolder logFolder{true};
  HeadlessBattle headless;
};
