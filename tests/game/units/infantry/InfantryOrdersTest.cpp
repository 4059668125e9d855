// Infantry move orders and boarding, a crew's late appearance beside its vehicle, men
// returning between battles, and the weapon, arc and identification queries.
#include <gtest/gtest.h>

#include "game/map/FineTerrain.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "framework/core/Quorl.h"
#include "game/units/InfantryRig.h"
#include "game/units/TestVehicle.h"

namespace {

// Infantry on ground it can cross everywhere (the movement rate over terrain comes later).
class WalkingInfantry : public Infantry {
 public:
  float GetTerrainMobility() const override { return mobility; }
  float mobility = 1.0f;
};

struct OrdersRig : InfantryRig {
  OrdersRig() {
    UseMap();
    crew = std::make_unique<WalkingInfantry>();
    crew->Init(kTeam, 6, 2, 200.0f, 200.0f, 0.0f);
    truck.x = 200.0f;
    truck.y = 200.0f;
    world.Lend(crew.get());
  }
  ~OrdersRig() { world.TakeBackLent(); }
  // A crew not yet on the field, waiting beside the truck for its slice.
  void Waiting(int32_t slice) {
    crew->alive = 0;
    crew->parentUnit = &truck;
    crew->nextActionSlice = slice;
  }
  std::unique_ptr<WalkingInfantry> crew;
  TestVehicle truck;
};

}  // namespace

TEST(InfantryOrders, BoardingOrdersAndTheBoardTarget) {
  OrdersRig rig;
  Infantry& squad = *rig.crew;
  rig.truck.x = 260.0f;
  rig.truck.y = 240.0f;
  squad.AddWaypoint(300.0f, 300.0f, kOrderFastMove);
  squad.AddWaypoint(320.0f, 300.0f, kOrderFastMove);
  ASSERT_EQ(squad.waypointCount, 2);
  // A mount order to the truck: the route becomes one waypoint on the truck.
  squad.AddWaypointToVehicle(10.0f, 10.0f, kOrderRun, &rig.truck);
  ASSERT_EQ(squad.waypointCount, 1);
  EXPECT_FLOAT_EQ(squad.WaypointAt(0).x, 260.0f);
  EXPECT_FLOAT_EQ(squad.WaypointAt(0).y, 240.0f);
  EXPECT_EQ(squad.WaypointAt(0).moveMode, Unit::MoveModeOfOrder(kOrderRun));
  EXPECT_EQ(squad.boardingTarget, &rig.truck);
  // Any other order drops the truck: a plain move, or a rotation naming it.
  squad.AddWaypoint(300.0f, 300.0f, kOrderSneak);
  EXPECT_EQ(squad.boardingTarget, nullptr);
  EXPECT_EQ(squad.waypointCount, 2);
  squad.AddWaypointToVehicle(10.0f, 10.0f, kOrderFastMove, &rig.truck);
  squad.AddWaypointToVehicle(330.0f, 330.0f, kOrderRotate, &rig.truck);
  EXPECT_EQ(squad.boardingTarget, nullptr);
  EXPECT_FLOAT_EQ(squad.WaypointAt(squad.waypointCount - 1).x, 330.0f);
  // Cancelling the orders forgets the truck too.
  squad.AddWaypointToVehicle(0.0f, 0.0f, kOrderFastMove, &rig.truck);
  EXPECT_EQ(squad.boardingTarget, &rig.truck);
  squad.CancelMoveOrders();
  EXPECT_EQ(squad.waypointCount, 0);
  EXPECT_EQ(squad.boardingTarget, nullptr);
  // A refused order leaves no waypoint and no board target.
  rig.crew->mobility = 0.0f;
  squad.AddWaypointToVehicle(0.0f, 0.0f, kOrderFastMove, &rig.truck);
  EXPECT_EQ(squad.waypointCount, 0);
  EXPECT_EQ(squad.boardingTarget, nullptr);
}

TEST(InfantryOrders, ALateCrewAppearsBesideItsVehicle) {
  OrdersRig rig;
  Infantry& crew = *rig.crew;
  rig.Waiting(300);
  // Toward its first waypoint: 3.0 m, 3.5 m from a kind-6 vehicle.
  crew.waypointCount = 1;
  crew.WaypointAt(0).x = 200.0f;
  crew.WaypointAt(0).y = 260.0f;
  crew.WaypointAt(0).moveMode = 3;
  EXPECT_TRUE(crew.Appear());
  EXPECT_EQ(crew.alive, 1);
  EXPECT_EQ(crew.stateChanged, 1);
  EXPECT_EQ(crew.nextActionSlice, 100300);
  EXPECT_NEAR(crew.x, 200.0f, 1e-5f);
  EXPECT_NEAR(crew.y, 203.0f, 1e-5f);
  EXPECT_FALSE(crew.Appear()) << "only once";
  EXPECT_NEAR(crew.y, 203.0f, 1e-5f);
  rig.Waiting(300);
  rig.truck.emplacement = true;
  crew.Appear();
  EXPECT_NEAR(crew.y, 203.5f, 1e-5f);

  // Without a move order: one random bearing, still 3.0 m off.
  rig.truck.emplacement = false;
  rig.Waiting(300);
  crew.waypointCount = 0;
  SeedRandom(5);
  crew.Appear();
  EXPECT_NEAR(std::hypot(crew.x - 200.0f, crew.y - 200.0f), 3.0f, 1e-4f);
  SeedRandom(5);
  const float bearing = RandomFloatTimes(360.0f) * 0.017453292519444445f;
  EXPECT_NEAR(crew.x, 200.0f + 3.0f * std::cos(bearing), 1e-4f);

  // Off the map, or ground it cannot stand on: on the vehicle itself.
  rig.truck.x = 1.0f;
  rig.Waiting(300);
  crew.waypointCount = 1;
  crew.WaypointAt(0).x = -50.0f;
  crew.WaypointAt(0).y = 200.0f;
  crew.Appear();
  EXPECT_FLOAT_EQ(crew.x, 1.0f);
  EXPECT_FLOAT_EQ(crew.y, 200.0f);
  rig.truck.x = 200.0f;
  rig.crew->mobility = 0.0f;
  rig.Waiting(300);
  crew.WaypointAt(0).x = 200.0f;
  crew.WaypointAt(0).y = 260.0f;
  crew.Appear();
  EXPECT_FLOAT_EQ(crew.y, 200.0f);
}

TEST(InfantryOrders, EnemiesThatSeeACrewAppearAreStartled) {
  OrdersRig rig;
  rig.Waiting(300);
  rig.crew->waypointCount = 1;
  rig.crew->WaypointAt(0).x = 200.0f;
  rig.crew->WaypointAt(0).y = 260.0f;
  rig.crew->WaypointAt(0).moveMode = 3;
  // Enemies (the crew is Axis) at 50 m seeing, 50 m blind, 120 m seeing; a friend at 50 m.
  auto seeing = rig.Make(InfantryRig::kSquad, 3);
  auto blind = rig.Make(InfantryRig::kSquad, 3);
  auto far = rig.Make(InfantryRig::kSquad, 3);
  auto friendly = rig.Make(InfantryRig::kSquad, 6);
  auto dead = rig.Make(InfantryRig::kSquad, 3);
  seeing->SetPosition(250.0f, 203.0f);
  blind->SetPosition(200.0f, 253.0f);
  far->SetPosition(320.0f, 203.0f);
  friendly->SetPosition(150.0f, 203.0f);
  dead->SetPosition(200.0f, 153.0f);
  dead->alive = 0;
  // The lines of sight as the map's cache holds them (its rows follow the battle's list).
  for (Unit* unit : std::initializer_list<Unit*>{seeing.get(), blind.get(), far.get(), friendly.get(), dead.get(), &rig.truck}) {
    unit->countdown = 7;
    rig.world.Lend(unit);
  }
  rig.truck.countdown = 0;
  ++rig.world.Battle().currentSlice;
  for (Unit* unit : std::initializer_list<Unit*>{seeing.get(), blind.get(), far.get(), friendly.get(), dead.get(), &rig.truck}) {
    rig.world.Battle().map->StoreVisibility(unit, rig.crew.get(), unit != blind.get(), 1.0f, false, false, false);
  }
  rig.crew->Appear();
  EXPECT_EQ(seeing->countdown, Infantry::kStartledDelay);
  EXPECT_EQ(blind->countdown, 7);
  EXPECT_EQ(far->countdown, 7);
  EXPECT_EQ(friendly->countdown, 7);
  EXPECT_EQ(dead->countdown, 7);
  EXPECT_EQ(rig.truck.countdown, 0) << "vehicles are not startled";
}

TEST(InfantryOrders, TimedAppearanceAndTheEndOfTheAction) {
  OrdersRig rig;
  rig.Waiting(400);
  rig.crew->waypointCount = 0;
  // While absent the crew rides along with its moving vehicle, and stays when it stops.
  rig.truck.speed = 2.0f;
  rig.truck.x = 230.0f;
  rig.crew->StepIdle();
  EXPECT_FLOAT_EQ(rig.crew->x, 230.0f);
  rig.truck.speed = 0.0f;
  rig.truck.x = 240.0f;
  rig.crew->StepIdle();
  EXPECT_FLOAT_EQ(rig.crew->x, 230.0f);
  // The timed action is the appearance.
  rig.crew->OnTimedAction();
  EXPECT_EQ(rig.crew->alive, 1);
  EXPECT_EQ(rig.crew->nextActionSlice, 100400);

  // At the end of the action a crew still to come appears, its packet dated when it was due.
  rig.Waiting(2600);
  rig.world.Battle().currentSlice = 2400;
  rig.world.statePackets.clear();
  rig.crew->ApplyTimedAction();
  EXPECT_EQ(rig.crew->alive, 1);
  EXPECT_EQ(rig.crew->stateChanged, 0);
  ASSERT_EQ(rig.world.statePackets.size(), 1u);
  EXPECT_EQ(rig.world.statePackets[0].slice, 2600);
  EXPECT_EQ(rig.world.statePackets[0].lifeCode, UnitStatePacket::kAlive);
  EXPECT_EQ(Unit::gPacketMark.active, false);
  // Nothing for a unit without an appearance slice or one that has appeared.
  rig.crew->ApplyTimedAction();
  rig.crew->nextActionSlice = Unit::kNoActionSlice;
  rig.crew->ApplyTimedAction();
  EXPECT_EQ(rig.world.statePackets.size(), 1u);
}

TEST(InfantryOrders, BattleLossesAndReturningMen) {
  InfantryRig rig;
  auto squad = rig.Make(InfantryRig::kSquad, 6);  // 6 + 3 men
  squad->losses = 4;
  squad->lossesCountedByMorale = 1;
  EXPECT_EQ(squad->GetBattleLosses(), 3);
  // Split halves: the first half counts 5 of 9, the second 4; starting losses halved alike.
  Infantry other;
  squad->linkedHalf = &other;
  squad->lossesCountedByMorale = 3;
  EXPECT_EQ(squad->GetBattleLosses(), 4 - (5 - 2));
  squad->splitFlag = 1;
  EXPECT_EQ(squad->GetBattleLosses(), 4 - (4 - 1));
  squad->parentUnit = &other;
  EXPECT_EQ(squad->GetBattleLosses(), -5) << "a crew: minus its men present";
  squad->parentUnit = nullptr;
  squad->linkedHalf = nullptr;
  squad->splitFlag = 0;

  // Not randomized: nobody comes back, nothing is drawn.
  squad->lossesCountedByMorale = 0;
  squad->menInSlot = {2, 3, 0, 0};
  SeedRandom(9);
  int32_t before = RandomPreservingSeed();
  EXPECT_EQ(squad->ReturnMen(false), 0);
  EXPECT_EQ(RandomPreservingSeed(), before);
  EXPECT_EQ(squad->losses, 4);

  // Randomized: int(4 x 0.4r + 0.49) men, each to the slot short of men.
  int32_t returnedAny = 0;
  for (uint32_t seed = 0; seed < 40; ++seed) {
    SeedRandom(seed);
    const int32_t expected = static_cast<int32_t>(4.0f * RandomFloatTimes(0.4f) + 0.49f);
    squad->losses = 4;
    squad->menInSlot = {2, 3, 0, 0};
    SeedRandom(seed);
    ASSERT_EQ(squad->ReturnMen(true), expected) << seed;
    ASSERT_EQ(squad->losses, 4 - expected);
    ASSERT_EQ(squad->menInSlot[0], 2 + expected);
    ASSERT_EQ(squad->menInSlot[1], 3);
    returnedAny += expected;
  }
  EXPECT_GT(returnedAny, 0);

  // A movable crew-served weapon gets back all but two of its men, and at least two present.
  auto mortar = rig.Make(InfantryRig::kMortar, 6);  // 3 men, speed class 3, type 4
  mortar->losses = 3;
  mortar->menInSlot = {0, 0, 0, 0};
  EXPECT_EQ(mortar->ReturnMen(false), 2);
  EXPECT_EQ(mortar->losses, 1);
  EXPECT_EQ(mortar->menInSlot[0], 2);
  // Every man of a two-man crew back: each still finds his slot.
  rig.SetClass(InfantryRig::kMortar, false, 0, {2});
  auto pair = rig.Make(InfantryRig::kMortar, 6);
  pair->losses = 2;
  pair->menInSlot = {0, 0, 0, 0};
  EXPECT_EQ(pair->ReturnMen(false), 2);
  EXPECT_EQ(pair->losses, 0);
  EXPECT_EQ(pair->menInSlot[0], 2);
  // A split half never gets the other half's men back.
  // (6 lost of whom 4 in this battle: up to 2 would come back, but only 1 is its own.)
  squad->linkedHalf = &other;
  squad->lossesCountedByMorale = 6;
  int32_t mostBack = 0;
  for (uint32_t seed = 0; seed < 40; ++seed) {
    SeedRandom(seed);
    squad->losses = 6;
    squad->menInSlot = {1, 2, 0, 0};
    mostBack = std::max(mostBack, squad->ReturnMen(true));
    ASSERT_GE(squad->losses, 5) << seed;
    ASSERT_EQ(squad->menInSlot[0] + squad->menInSlot[1], 3 + 6 - squad->losses) << seed;
  }
  EXPECT_EQ(mostBack, 1);
  // Dead units and crews get nobody back.
  squad->linkedHalf = nullptr;
  squad->losses = 4;
  squad->alive = 0;
  EXPECT_EQ(squad->ReturnMen(false), 0);
  mortar->parentUnit = &other;
  mortar->losses = 3;
  EXPECT_EQ(mortar->ReturnMen(false), 0);
  EXPECT_EQ(mortar->losses, 3);
}

TEST(InfantryOverrides, ArcsIdentificationAndWeaponUse) {
  InfantryRig rig;
  rig.UseMap();
  auto squad = rig.Make(InfantryRig::kSquad, 6);
  squad->facing = 0.0f;
  // Standing or hiding: all round; moving: 25 degrees either side of the facing.
  EXPECT_TRUE(squad->IsPointInFireArc(0.0f, 100.0f));
  squad->activityState = Infantry::kHiding;
  EXPECT_TRUE(squad->IsPointInFireArc(0.0f, 100.0f));
  squad->activityState = Infantry::kMove;
  EXPECT_FALSE(squad->IsPointInFireArc(0.0f, 100.0f));
  EXPECT_TRUE(squad->IsPointInFireArc(200.0f, 110.0f));
  EXPECT_FALSE(squad->IsPointInFireArc(200.0f, 160.0f));

  // A mortar team is known from identification level 3 only; others when identified.
  auto mortar = rig.Make(InfantryRig::kMortar, 6);
  mortar->identificationLevel = 2;
  squad->identificationLevel = 2;
  EXPECT_FALSE(mortar->IsKnownToViewer());
  EXPECT_TRUE(squad->IsKnownToViewer());
  mortar->identificationLevel = 3;
  EXPECT_TRUE(mortar->IsKnownToViewer());
  mortar->hidden = 1;
  EXPECT_FALSE(mortar->IsKnownToViewer());
  auto spotter = rig.Make(InfantryRig::kSpotter, 6);
  spotter->identificationLevel = 0;
  EXPECT_TRUE(spotter->IsKnownToViewer());

  // A mortar cannot fire from a road; everything else can.
  EXPECT_TRUE(mortar->IsMainWeaponUsable());
  EXPECT_TRUE(squad->IsMainWeaponUsable());
  for (int32_t code = 0; code < 40; ++code) EXPECT_EQ(IsRoadTerrain(code), code >= 31) << code;

  // The weapon-type test.
  EXPECT_TRUE(mortar->TestMainWeaponType(false));
  EXPECT_FALSE(spotter->TestMainWeaponType(false)) << "type 5";
  EXPECT_TRUE(spotter->TestMainWeaponType(true));
  EXPECT_FALSE(squad->TestMainWeaponType(true)) << "no weapon, rifles";
  InfantryRig::Put32(rig.Class(InfantryRig::kSquad) + 68, 14);
  EXPECT_TRUE(squad->TestMainWeaponType(false)) << "machine guns";
}
