#include "game/battle/BattleTestRig.h"

#include "framework/core/GErrorLog.h"
#include "game/units/TestAirplane.h"

BattleTestRig::BattleTestRig()
    : infantry_(gInfantryClasses), vehicles_(gVehicleClasses), infantryBytes_(InfantryData::kSize * kClasses),
      vehicleBytes_(VehicleData::kSize * kClasses) {
  gInfantryClasses = DataTable<InfantryData>(infantryBytes_.data(), static_cast<uint32_t>(infantryBytes_.size()));
  gVehicleClasses = DataTable<VehicleData>(vehicleBytes_.data(), static_cast<uint32_t>(vehicleBytes_.size()));
  RegisterBlankUnitMaker(0, []() -> Unit* { return new TestInfantry(); });
  RegisterBlankUnitMaker(1, []() -> Unit* { return new TestVehicle(); });
  RegisterBlankUnitMaker(2, []() -> Unit* { return new TestInanimate(); });
  RegisterBlankUnitMaker(3, []() -> Unit* { return new TestAirplane(); });
}

BattleTestRig::~BattleTestRig() {
  for (int32_t kind = 0; kind < 4; ++kind) RegisterBlankUnitMaker(kind, nullptr);
  gInfantryClasses = infantry_;
  gVehicleClasses = vehicles_;
}

Battle& BattleTestRig::Fresh() {
  headless.New();
  return B();
}

Unit* BattleTestRig::MakeUnit(int32_t kind, int32_t sideIndex, float x, float y) {
  Unit* unit = nullptr;
  switch (kind) {
    case 0: unit = new TestInfantry(); break;
    case 1: unit = new TestVehicle(); break;
    default: unit = new TestInanimate(); break;
  }
  unit->Setup(x, y, 0.0f, sideIndex == 0 ? 6 : 0, 2);
  unit->side = static_cast<uint8_t>(1 - sideIndex);
  return unit;
}

ReinforcementGroup& BattleTestRig::AddGroup(int32_t side, int32_t count, int32_t arrival) {
  auto* group = new ReinforcementGroup();
  group->Init(false);
  group->arrivalTurn = arrival;
  group->chance = 0.5f;
  group->entryX = 100.0f + static_cast<float>(side);
  group->entryY = 40.0f;
  for (int32_t i = 0; i < count; ++i) group->units.Append(MakeUnit(0, side, 0.0f, 0.0f));
  B().reinforcements[side].Append(group);
  return *group;
}

std::string BattleTestRig::Save(bool* failed) {
  GMemoryFile out;
  B().Write(out.File());
  if (failed != nullptr) *failed = out.File().HasError();
  return out.Bytes();
}

void BattleTestRig::Populate() {
  Battle& battle = B();
  Unit* a = MakeUnit(0, 0, 300.0f, 310.0f);
  Unit* b = MakeUnit(1, 1, 420.0f, 380.5f);
  Unit* c = MakeUnit(2, 0, 512.25f, 100.0f);
  battle.PlaceUnitAt(a, a->x, a->y);
  battle.PlaceUnitAt(b, b->x, b->y);
  battle.PlaceUnitAt(c, c->x, c->y);
  for (int32_t side = 0; side < 2; ++side) {
    AddGroup(side, 2, 5 + side);
    AddGroup(side, 1, -1);
  }
  // References across the lists: to a unit on the map and to a waiting one.
  a->target = b;
  b->target = static_cast<Unit*>(battle.GroupAt(1, 1)->units.GetItem(0));
  battle.flags.DeleteAll(true);
  auto* first = new VictoryFlag(500.0f, 300.0f, 1);
  auto* second = new VictoryFlag(120.5f, 640.0f, 0);
  second->contested = 0;
  second->holder = 3;
  battle.flags.Append(first);
  battle.flags.Append(second);
  battle.weather = 3;
  battle.timeOfDay = 1;
  battle.ComputeVisibility();
  battle.bonusPoints[1] = 50;
  battle.casualtyMultiplier[0] = 1.25f;
  battle.exitScoring[1] = 1;
  battle.exitEdge[1] = 3;
  battle.forcePoints[0] = 1200;
  battle.mustPurchase[1] = 1;
  battle.forceType[1] = 2;
  battle.forceEnlargement = -20;
  battle.capturedAfterSurrender[1] = 7;
  battle.fanaticism[0] = 3;
  battle.computerBonus = 2;
}

std::string BattleTestRig::SetUpAndWrite(const std::string& bytes) {
  HeadlessHost& host = headless.Host();
  std::string out;
  {
    Battle battle(host);
    host.InPlay().ReadBattle(&battle);
    GMemoryFile in(bytes);
    if (battle.SetUp(&in.File())) {
      GMemoryFile written;
      battle.Write(written.File());
      out = written.Bytes();
    }
  }
  host.InPlay().EndRead();
  return out;
}
