// The soldier figures an infantry unit shows, their kinds, and the postures they take from
// the movement state, with the starting keys drawn from the generator given.
#include <gtest/gtest.h>

#include "framework/core/Quorl.h"
#include "game/units/tables/InfantryAnimation.h"
#include "game/units/InfantryValuesRig.h"

namespace {

int32_t gDraws = 0;
// A generator that counts its draws and gives the largest value allowed.
int32_t CountingDraw(int32_t n) {
  ++gDraws;
  return n > 0 ? n - 1 : 0;
}

}  // namespace

TEST(InfantryFigures, CountByStrengthLevelAndDeadCrews) {
  InfantryValuesRig f;
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);  // 9 men
  for (auto [lost, want] : {std::pair{0, 3}, {2, 3}, {3, 2}, {5, 2}, {6, 1}, {8, 1}}) {
    squad->losses = lost;
    EXPECT_EQ(squad->GetFigureCountAtLevel(3), want) << lost;
    EXPECT_EQ(squad->GetFigureCountAtLevel(4), want) << lost;
    EXPECT_EQ(squad->GetFigureCountAtLevel(2), 1) << lost;
  }
  // A team always shows one figure.
  auto team = f.rig.Make(InfantryRig::kTeam, 6);
  EXPECT_EQ(team->GetFigureCountAtLevel(4), 1);
  // A dead gun unit whose crew lives on shows none; without a crew, one.
  InfantryRig::Put32(f.rig.Class(InfantryRig::kTeam) + 56, InfantryRig::kGunWeapon);
  team->alive = 0;
  EXPECT_EQ(team->GetFigureCountAtLevel(4), 1);
  auto crew = f.rig.Make(InfantryRig::kSquad, 6);
  crew->parentUnit = team.get();
  f.rig.world.Lend(crew.get());
  EXPECT_TRUE(Infantry::IsCrewOf(crew.get(), team.get()));
  EXPECT_FALSE(Infantry::IsCrewOf(team.get(), crew.get()));
  EXPECT_EQ(team->GetFigureCountAtLevel(4), 0);
  // Nothing shown and nobody tied to it: no remains, unless its weapon was knocked out; the
  // unit displays call such a gun abandoned.
  const Unit& asUnit = *team;
  EXPECT_TRUE(team->LeavesNoRemains());
  EXPECT_TRUE(asUnit.IsDestroyedInPlace());
  team->weaponKnockedOut = 1;
  EXPECT_FALSE(team->LeavesNoRemains());
  EXPECT_FALSE(asUnit.IsDestroyedInPlace());
}

TEST(InfantryFigures, DeadFiguresRemainsAndKinds) {
  InfantryValuesRig f;
  auto vehicle = f.rig.Make(InfantryRig::kTeam, 6);
  auto crew = f.rig.Make(InfantryRig::kTeam, 6);
  crew->parentUnit = vehicle.get();
  crew->alive = 0;
  // A dead crew's figure is hidden while its vehicle lives.
  EXPECT_TRUE(crew->HidesDeadFigure());
  EXPECT_EQ(crew->GetFigureCountAtLevel(4), 0);
  EXPECT_FALSE(crew->LeavesNoRemains());  // a crew leaves its vehicle behind
  vehicle->alive = 0;
  crew->nextActionSlice = Unit::kNoActionSlice;
  EXPECT_FALSE(crew->HidesDeadFigure());
  crew->nextActionSlice = 100500;
  f.Battle().currentSlice = 400;
  EXPECT_TRUE(crew->HidesDeadFigure());
  f.Battle().currentSlice = 600;
  EXPECT_FALSE(crew->HidesDeadFigure());
  // A dead squad of its own shows its fallen figure.
  auto lone = f.rig.Make(InfantryRig::kSquad, 6);
  lone->alive = 0;
  EXPECT_EQ(lone->GetFigureCountAtLevel(4), 1);
  EXPECT_FALSE(lone->LeavesNoRemains());
  // Kinds: level 2 shows kind 7 for a heavy weapon, else 0; level 1 kind 0; kind 8 is 7 below
  // level 4.
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);
  InfantryRig::Put32(f.rig.Class(InfantryRig::kSquad) + 92, 3);
  InfantryRig::Put32(f.rig.Class(InfantryRig::kSquad) + 96, 8);
  EXPECT_EQ(squad->GetFigureKindAtLevel(4, 0), 3);
  EXPECT_EQ(squad->GetFigureKindAtLevel(0, 0), 3);
  EXPECT_EQ(squad->GetFigureKindAtLevel(4, 1), 8);
  EXPECT_EQ(squad->GetFigureKindAtLevel(0, 1), 7);
  EXPECT_EQ(squad->GetFigureKindAtLevel(2, 0), 0);
  EXPECT_EQ(squad->GetFigureKindAtLevel(1, 0), 0);
  InfantryRig::Put32(f.rig.Class(InfantryRig::kSquad) + 56, InfantryRig::kGunWeapon);
  EXPECT_EQ(squad->GetFigureKindAtLevel(2, 0), 7);
  EXPECT_EQ(squad->GetFigureKindAtLevel(1, 0), 0);
}

TEST(InfantryFigures, PosturesFollowTheStateAndDrawOnlyFromTheGeneratorGiven) {
  InfantryValuesRig f;
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);
  const uint32_t before = RandomState();
  gDraws = 0;
  squad->UpdateFigurePostures(CountingDraw);
  // Three figures change posture (standing): two draws each, none from the game's generator.
  EXPECT_EQ(gDraws, 6);
  EXPECT_EQ(RandomState(), before);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(squad->figurePosture[i], 2);
    const int32_t count = InfantryAnimation::kKeyCount[0][0];
    EXPECT_EQ(squad->figureKey[i], count - 1);
  }
  // Nothing changed: nothing drawn.
  squad->UpdateFigurePostures(CountingDraw);
  EXPECT_EQ(gDraws, 6);
  // Hiding: prone.
  squad->suppression = 5.0f;
  squad->UpdateFigurePostures(CountingDraw);
  EXPECT_EQ(gDraws, 12);
  EXPECT_EQ(squad->activityState, Infantry::kHiding);
  EXPECT_EQ(squad->figurePosture[0], 5);
  // Riding: standing, whatever the state.
  auto vehicle = f.rig.Make(InfantryRig::kTeam, 6);
  squad->carrier = vehicle.get();
  squad->UpdateFigurePostures(CountingDraw);
  EXPECT_EQ(squad->figurePosture[2], 2);
  // A unit that cannot move loses its move order (a rotation stays).
  squad->carrier = nullptr;
  squad->suppression = 0.0f;
  squad->immobilized = 1;
  squad->waypointCount = 1;
  squad->waypoints[0].moveMode = Infantry::kMove;
  squad->UpdateFigurePostures(CountingDraw);
  EXPECT_EQ(squad->waypointCount, 0);
  squad->waypointCount = 1;
  squad->waypoints[0].moveMode = Waypoint::kRotateTo;
  squad->UpdateFigurePostures(CountingDraw);
  EXPECT_EQ(squad->waypointCount, 1);
}

TEST(InfantryFigures, AnimationFramesFromTheTimingTable) {
  InfantryValuesRig f;
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);
  squad->activityCodes = {6, 0, 9};
  int32_t frame = -1;
  int32_t duration = -1;
  int32_t count = -1;
  // The largest draws: the last key, a duration of d - 1 - ... + d / 5 + 2.
  squad->PickAnimationFrames(0, frame, duration, count, CountingDraw);
  const int32_t keys = InfantryAnimation::kKeyCount[0][6];
  EXPECT_EQ(count, keys);
  EXPECT_EQ(frame, keys - 1);
  const int32_t d = InfantryAnimation::kKeyDuration[0][6][keys - 1];
  EXPECT_EQ(duration, d * 4 / 5 - 1 + d / 5 + 2);
  // A dead unit takes the dead figure's cycle.
  squad->alive = 0;
  squad->PickAnimationFrames(2, frame, duration, count, CountingDraw);
  EXPECT_EQ(count, InfantryAnimation::kKeyCount[InfantryAnimation::kDeadKind][9]);
  // Every cycle of the table has 2..18 keys of at least 2 ms.
  for (int32_t k = 0; k < InfantryAnimation::kKinds; ++k) {
    for (int32_t p = 0; p < InfantryAnimation::kPostures; ++p) {
      const int32_t n = InfantryAnimation::kKeyCount[k][p];
      ASSERT_GE(n, 2);
      ASSERT_LE(n, InfantryAnimation::kMaxKeys);
      for (int32_t i = 0; i < n; ++i) ASSERT_GE(InfantryAnimation::kKeyDuration[k][p][i], 2);
    }
  }
}
