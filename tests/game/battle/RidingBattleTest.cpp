// A squad riding a half-track inside a whole battle: placed aboard by the set-up click, it
// moves with the vehicle through a turn, and gets off beside the wreck when the vehicle is
// knocked out.
#include <gtest/gtest.h>

#include <cmath>

#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/TablesBattleRig.h"
#include "game/map/Map.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/records/UnitIds.h"
#include "game/units/vehicle/Vehicle.h"
#include "support/TestFolder.h"

namespace {

constexpr int32_t kHalfTrack = 0;  // SdKfz 251/1: two passenger places
constexpr int32_t kAxisCode = 6;
constexpr int32_t kHeadquarters = 1;  // three men: the half-track's size
constexpr int32_t kGrenadiers = 2;    // ten men of a size class the half-track does not take

struct RidingRig : TablesBattleRig {
  RidingRig() = default;

  Infantry* AddSquad(int32_t classIndex, int32_t sideIndex, float x, float y) {
    auto* squad = new Infantry();
    squad->Init(classIndex, sideIndex == 0 ? kAxisCode : 0, 2, x, y, 90.0f);
    squad->side = static_cast<uint8_t>(1 - sideIndex);
    B().PlaceUnitAt(squad, x, y);
    return squad;
  }
  // The player's click completing a pick at the unit's place, with the unit under the pointer.
  void PickOver(const Unit& unit) {
    B().map->orders.pickX = unit.x;
    B().map->orders.pickY = unit.y;
    B().map->orders.hovered = const_cast<Unit*>(&unit);
  }

};

}  // namespace

TEST(RidingBattle, ASquadPlacedAboardRidesAndGetsOffBesideTheWreck) {
  RidingRig rig;
  SeedRandom(77);
  auto* track = new Vehicle();
  track->SetClass(kHalfTrack, kAxisCode, 3, 300.0f, 300.0f, 0.0f);
  track->side = 1;
  rig.B().PlaceUnitAt(track, 300.0f, 300.0f);
  Infantry* squad = rig.AddSquad(kHeadquarters, 0, 260.0f, 320.0f);
  Infantry* second = rig.AddSquad(kGrenadiers, 0, 250.0f, 340.0f);
  rig.AddSquad(kGrenadiers, 1, 700.0f, 700.0f);  // an enemy far off keeps the battle going
  ASSERT_TRUE(rig.B().IsSetupPhase());
  rig.B().map->terrain.tiles.At(15, 15).zone = 4;  // the half-track's tile: an Axis set-up zone

  // The set-up click on the half-track puts the headquarters aboard; grenadiers find no room.
  ASSERT_TRUE(track->ReactToUnit(squad));
  rig.B().selectedUnit = squad;
  rig.PickOver(*track);
  ASSERT_TRUE(rig.B().PlaceSelectedUnit(true));
  EXPECT_EQ(squad->carrier, track);
  EXPECT_EQ(track->GetPassenger(0), squad);
  EXPECT_FALSE(track->ReactToUnit(second));
  rig.B().selectedUnit = second;
  rig.PickOver(*track);
  EXPECT_FALSE(rig.B().PlaceSelectedUnit(true));
  EXPECT_EQ(second->carrier, nullptr);
  rig.headless.Go(1);

  // A turn's drive: the rider stays aboard and keeps the vehicle's place.
  track->AddWaypoint(420.0f, 300.0f, kOrderFastMove);
  rig.headless.Go(1234);
  rig.headless.NextTurn();
  EXPECT_GT(track->x, 380.0f);
  EXPECT_EQ(squad->carrier, track);
  EXPECT_EQ(squad->x, track->x);
  EXPECT_EQ(squad->y, track->y);

  // Knocked out on its way: the squad gets off 5 m behind the wreck and the vehicle holds nobody.
  track->AddWaypoint(600.0f, 300.0f, kOrderFastMove);
  SeedRandom(5);  // a blast that leaves the riders alive
  track->KnockOutByBlast();
  ASSERT_NE(squad->alive, 0);
  rig.headless.Go(4321);
  EXPECT_EQ(track->alive, 0);
  EXPECT_EQ(squad->carrier, nullptr);
  EXPECT_EQ(track->GetPassenger(0), nullptr);
  EXPECT_LE(std::hypot(squad->x - track->x, squad->y - track->y), 20.0f);
  EXPECT_GT(std::hypot(squad->x - track->x, squad->y - track->y), 0.0f);
}
