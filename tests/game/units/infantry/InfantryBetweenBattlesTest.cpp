// Between the battles of an operation: a crew goes back to the gun or vehicle it came from, a
// squad drops the links that are no use in the next battle, and what is discarded.
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/units/InfantryRig.h"
#include "game/units/TestVehicle.h"
#include "game/battle/CampaignUnitHost.h"
#include "game/units/ports/UnitContextScope.h"

namespace {

// An operation in play, whose map holds the zones, working between battles: its own host
// answers the units.
struct LinksRig : InfantryRig {
  LinksRig() : map(*(world.MakeOperation().map = new Map(world.app))) {
    map.Read(nullptr);
    working.emplace(*world.Operation());
    goingOn.SetOwnsMembers(false);
  }
  ~LinksRig() { working.reset(); }
  // An Axis mortar team whose crew of 2 bailed out of it (the team is dead with all 3 lost),
  // both in the units that go on, the team on tile (5, 5).
  void GunAndCrew() {
    goingOn.DeleteAll(false);
    gun = Make(kMortar, 6);
    gun->x = 110.0f;
    gun->y = 110.0f;
    gun->losses = 3;
    gun->lossesCountedByMorale = 1;
    gun->alive = 0;
    crew = Make(kTeam, 6);
    crew->parentUnit = gun.get();
    goingOn.Append(gun.get());
    goingOn.Append(crew.get());
  }

  Map& map;  // the operation's
  std::optional<CampaignUnitHost> working;
  GGroup goingOn;
  std::unique_ptr<Infantry> gun;
  std::unique_ptr<Infantry> crew;
};

}  // namespace

TEST(InfantryBetweenBattles, ACrewMansItsGunAgainOnItsOwnGround) {
  LinksRig rig;
  rig.GunAndCrew();
  SeedRandom(4);
  const uint32_t before = RandomState();
  // Open or its own side's ground: the gun lives again with the crew's men, the crew goes.
  rig.map.SetZoneRect(4, 0, 10, 0, 10);
  EXPECT_TRUE(rig.crew->UpdateLinksBetweenBattles(rig.goingOn));
  EXPECT_EQ(rig.gun->alive, 1);
  EXPECT_EQ(rig.gun->losses, 1);
  EXPECT_EQ(rig.gun->GetMenPresent(), 2);
  EXPECT_EQ(rig.gun->lossesCountedByMorale, 0);
  EXPECT_EQ(rig.gun->knockedOut, 0);
  EXPECT_EQ(RandomState(), before);  // nothing drawn

  // On the enemy's ground the gun is lost for good and stays dead; the crew still goes.
  rig.GunAndCrew();
  rig.map.SetZoneRect(1, 0, 10, 0, 10);
  EXPECT_TRUE(rig.crew->UpdateLinksBetweenBattles(rig.goingOn));
  EXPECT_EQ(rig.gun->alive, 0);
  EXPECT_EQ(rig.gun->losses, 3);
  EXPECT_EQ(rig.gun->knockedOut, 1);
  // Once lost, never manned again, even on its own ground.
  rig.map.SetZoneRect(0, 0, 10, 0, 10);
  auto second = rig.Make(InfantryRig::kTeam, 6);
  second->parentUnit = rig.gun.get();
  rig.goingOn.Append(second.get());
  EXPECT_TRUE(second->UpdateLinksBetweenBattles(rig.goingOn));
  EXPECT_EQ(rig.gun->alive, 0);

  // A lost gun's crew that gave itself up stays for the others to take away; it keeps its
  // link while the gun is on the field, drops it when the gun left.
  rig.crew->surrendered = 1;
  EXPECT_FALSE(rig.crew->UpdateLinksBetweenBattles(rig.goingOn));
  EXPECT_EQ(rig.crew->parentUnit, rig.gun.get());
  rig.gun->status = 1;
  EXPECT_FALSE(rig.crew->UpdateLinksBetweenBattles(rig.goingOn));
  EXPECT_EQ(rig.crew->parentUnit, nullptr);
  // A crew that does not go on stays; a dead one, or one that left, goes.
  rig.gun->status = 0;
  auto stray = rig.Make(InfantryRig::kTeam, 6);
  stray->parentUnit = rig.gun.get();
  EXPECT_FALSE(stray->UpdateLinksBetweenBattles(rig.goingOn));
  stray->status = 1;
  EXPECT_TRUE(stray->UpdateLinksBetweenBattles(rig.goingOn));
  stray->status = 0;
  stray->alive = 0;
  EXPECT_TRUE(stray->UpdateLinksBetweenBattles(rig.goingOn));

  // A crew the gun is not among the units going on with cannot man it.
  rig.GunAndCrew();
  rig.goingOn.Remove(rig.gun.get(), false);
  EXPECT_TRUE(rig.crew->UpdateLinksBetweenBattles(rig.goingOn));
  EXPECT_EQ(rig.gun->alive, 0);
  EXPECT_EQ(rig.gun->knockedOut, 1);
}

TEST(InfantryBetweenBattles, AVehicleCrewGoesBackWithItsVehicle) {
  LinksRig rig;
  TestVehicle tank;
  tank.Setup(0.0f, 0.0f, 0.0f, 6, 2);
  tank.alive = 0;
  auto crew = rig.Make(InfantryRig::kTeam, 6);
  crew->parentUnit = &tank;
  EXPECT_TRUE(crew->UpdateLinksBetweenBattles(rig.goingOn));
  EXPECT_EQ(tank.knockedOut, 0);
  // A crew taken prisoner: dead, the vehicle has lost its crew; alive it stays, keeping its
  // link until the vehicle has left the field.
  crew->surrendered = 1;
  EXPECT_FALSE(crew->UpdateLinksBetweenBattles(rig.goingOn));
  EXPECT_EQ(crew->parentUnit, &tank);
  tank.status = 1;
  EXPECT_FALSE(crew->UpdateLinksBetweenBattles(rig.goingOn));
  EXPECT_EQ(crew->parentUnit, nullptr);
  crew->parentUnit = &tank;
  crew->alive = 0;
  EXPECT_TRUE(crew->UpdateLinksBetweenBattles(rig.goingOn));
  EXPECT_EQ(tank.knockedOut, 1);
  // Other kinds are never discarded here.
  EXPECT_FALSE(tank.UpdateLinksBetweenBattles(rig.goingOn));
}

TEST(InfantryBetweenBattles, LinksToTheGoneAreDropped) {
  LinksRig rig;
  auto squad = rig.Make(InfantryRig::kSquad, 6);
  auto half = rig.Make(InfantryRig::kSquad, 6);
  auto leader = rig.Make(InfantryRig::kPlatoonHq, 6);
  squad->commandingLeader = leader.get();
  squad->platoonLeader = leader.get();
  squad->linkedHalf = half.get();
  half->linkedHalf = squad.get();
  // All in play: only the commanding leader goes (chosen again in the next battle).
  EXPECT_FALSE(squad->UpdateLinksBetweenBattles(rig.goingOn));
  EXPECT_EQ(squad->commandingLeader, nullptr);
  EXPECT_EQ(squad->platoonLeader, leader.get());
  EXPECT_EQ(squad->linkedHalf, half.get());
  // A dead half is unlinked on both sides, a leader who gave up is dropped.
  half->alive = 0;
  leader->surrendered = 1;
  EXPECT_FALSE(squad->UpdateLinksBetweenBattles(rig.goingOn));
  EXPECT_EQ(squad->linkedHalf, nullptr);
  EXPECT_EQ(half->linkedHalf, nullptr);
  EXPECT_EQ(squad->platoonLeader, nullptr);
  // A half that left the field likewise.
  squad->linkedHalf = half.get();
  half->linkedHalf = squad.get();
  half->alive = 1;
  half->status = 2;
  EXPECT_FALSE(squad->UpdateLinksBetweenBattles(rig.goingOn));
  EXPECT_EQ(squad->linkedHalf, nullptr);
  EXPECT_EQ(half->linkedHalf, nullptr);
}
