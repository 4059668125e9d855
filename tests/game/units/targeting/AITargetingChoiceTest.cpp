// Target choice over the battle's units with the test kinds on the test map.
#include <gtest/gtest.h>

#include <memory>

#include "framework/core/GString.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/TraceLineCounter.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TablesWorldRig.h"
#include "game/units/TestVehicle.h"
#include "game/units/tables/WeaponData.h"
#include "support/TestFolder.h"

namespace {

using ChoiceRig = TablesWorldRig;

// An enemy truck, identified, at a point.
void Enemy(TestVehicle& unit, float px, float py) {
  unit.side = 0;
  unit.identificationLevel = 2;
  unit.SetPosition(px, py);
}

// A gun vehicle of the other side with high explosive, its main weapon usable.
class Shooter : public TestVehicle {
 public:
  Shooter() {
    side = 1;
    identificationLevel = 2;
    SetPosition(200.0f, 200.0f);
    mainWeapon = true;
    answersWeapon = true;
    weaponId = FindGun();
    weaponType = 2;
    SetRecord(weaponId, 40);
    ammo = {20, 0, 0, 0, 0};
  }
  bool IsMainWeaponUsable() const override { return true; }
  static int32_t FindGun() {
    for (int32_t i = 0; i < gWeapons.Count(); ++i) {
      const WeaponData w = gWeapons[i];
      if (w.Type() == 2 && w.Mass(0) > 0.0f && w.Velocity(0) > 0.0f && w.MaxRange() >= 1000.0f &&
          w.MinRange() <= 10.0f && w.ExplosiveFraction() > 0.0f) {
        return i;
      }
    }
    return 104;
  }
};

TEST(TargetChoice, AimHoldDoesNothingEvenForced) {
  ChoiceRig rig;
  Shooter chooser;
  TestVehicle enemy;
  Enemy(enemy, 240.0f, 200.0f);
  rig.Join(chooser);
  rig.Join(enemy);
  chooser.aimTime = Unit::kAimHold;
  const uint32_t before = RandomState();
  EXPECT_FALSE(chooser.ChooseTarget(true));
  EXPECT_EQ(chooser.target, nullptr);
  EXPECT_EQ(chooser.randomizeCalls, 0);
  EXPECT_EQ(RandomState(), before);
}

TEST(TargetChoice, EqualScoresKeepTheEarlierUnitInListOrder) {
  ChoiceRig rig;
  Shooter chooser;
  TestVehicle a, b;
  Enemy(a, 200.0f, 240.0f);
  Enemy(b, 200.0f, 160.0f);
  chooser.facing = 0.0f;
  rig.Join(chooser);
  rig.Join(a);
  rig.Join(b);
  const float sa = chooser.EvaluateCandidateTarget(&a);
  const float sb = chooser.EvaluateCandidateTarget(&b);
  ASSERT_EQ(sa, sb);
  ASSERT_GT(sa, 0.0f);
  EXPECT_TRUE(chooser.ChooseTarget(true));
  EXPECT_EQ(chooser.target, &a);
  EXPECT_EQ(chooser.shotCounter, 0);

  // The other order: the other wins.
  rig.world.LendOnly({&chooser, &b, &a});
  chooser.target = nullptr;
  EXPECT_TRUE(chooser.ChooseTarget(true));
  EXPECT_EQ(chooser.target, &b);
}

TEST(TargetChoice, AVanishedTargetBecomesAreaFireWhereItWasShown) {
  ChoiceRig rig;
  Shooter chooser;
  TestVehicle gone;
  Enemy(gone, 230.0f, 210.0f);
  rig.Join(chooser);
  rig.Join(gone);
  chooser.target = &gone;
  gone.hidden = 1;
  float sx = 0.0f, sy = 0.0f;
  gone.GetShownPosition(sx, sy, nullptr);
  gUnitStateChanged = 0;
  EXPECT_FALSE(chooser.ChooseTarget(true));
  EXPECT_EQ(chooser.target, nullptr);
  EXPECT_EQ(chooser.areaFire, 1);
  EXPECT_EQ(chooser.targetX, sx);
  EXPECT_EQ(chooser.targetY, sy);
  EXPECT_EQ(gUnitStateChanged, 1);
}

TEST(TargetChoice, RetargetWhenDroppedAsTarget) {
  ChoiceRig rig;
  Shooter chooser;
  TestVehicle dropped, other;
  Enemy(dropped, 230.0f, 200.0f);
  rig.Join(chooser);
  rig.Join(dropped);
  chooser.target = &dropped;
  dropped.alive = 0;
  // Nothing else to fire at: the slice count waits 160.
  dropped.DropAsTargetOfAll(false, false, true);
  EXPECT_EQ(chooser.target, nullptr);
  EXPECT_EQ(chooser.sliceCount, 160);

  // Another enemy in view: it is taken and the aim time shrinks to 0.2..0.6 of itself.
  Enemy(other, 250.0f, 200.0f);
  rig.Join(other);
  chooser.target = &dropped;
  chooser.aimTime = 10.0f;
  dropped.DropAsTargetOfAll(false, false, true);
  EXPECT_EQ(chooser.target, &other);
  EXPECT_GE(chooser.aimTime, 0.0f);
  EXPECT_LT(chooser.aimTime, 6.0f);
}

// While the map keeps sight pairs, every candidate's line is traced (and kept for later
// asks); with the pairs off, as in the computer's plan, a candidate out of range is passed
// over untraced. The choice is the same either way.
namespace {

// The shooter and two enemy trucks 40 m off; a forced choice counts the lines it traces.
struct TwoCandidates {
  TwoCandidates() {
    Enemy(a, 240.0f, 200.0f);
    Enemy(b, 200.0f, 240.0f);
    rig.Join(chooser);
    rig.Join(a);
    rig.Join(b);
  }
  int64_t Choose(bool inRange) {
    chooser.inRange = inRange;
    chooser.target = nullptr;
    const int64_t before = TraceLineCounter::calls;
    chooser.ChooseTarget(true);
    return TraceLineCounter::calls - before;
  }
  ChoiceRig rig;
  Shooter chooser;
  TestVehicle a, b;
  Map& map = *rig.world.Battle().map;
};

}  // namespace

TEST(TargetChoice, WithoutSightPairsACandidateOutOfRangeIsNotTraced) {
  TwoCandidates t;
  Shooter& chooser = t.chooser;
  TestVehicle& a = t.a;
  Map& map = t.map;
  const auto choose = [&t](bool inRange) { return t.Choose(inRange); };
  for (const bool pairs : {true, false}) {
    map.SetVisibilityCacheEnabled(pairs);
    map.FreeVisibilityCache();
    EXPECT_EQ(choose(false), pairs ? 2 : 0) << pairs;
    EXPECT_EQ(chooser.target, nullptr);
    map.FreeVisibilityCache();
    // In range each candidate is traced by the filter and once more by its scoring.
    EXPECT_EQ(choose(true), 4) << pairs;
    EXPECT_EQ(chooser.target, &a);
  }
  map.SetVisibilityCacheEnabled(true);
}

// While one of the pair has moved in the slice, a line traced between them would be stored
// already stale: a candidate out of range is passed over untraced, with the same choice. While
// both stand, its line is traced and kept.
TEST(TargetChoice, ACandidateOutOfRangeIsNotTracedWhileEitherMoves) {
  TwoCandidates t;
  Shooter& chooser = t.chooser;
  TestVehicle& a = t.a;
  TestVehicle& b = t.b;
  Map& map = t.map;
  const auto choose = [&t](bool inRange) { return t.Choose(inRange); };
  const auto kept = [&map, &chooser](const Unit& other) {
    bool seen = false;
    return map.CachedVisibility(&chooser, &other, seen);
  };
  map.FreeVisibilityCache();
  chooser.lastMovingSlice = -1;
  a.lastMovingSlice = -1;
  b.lastMovingSlice = -1;
  EXPECT_EQ(choose(false), 2);
  EXPECT_TRUE(kept(a));
  EXPECT_TRUE(kept(b));
  // The chooser moved in this slice; then a candidate did.
  chooser.lastMovingSlice = 100;
  EXPECT_EQ(choose(false), 0);
  EXPECT_EQ(chooser.target, nullptr);
  EXPECT_EQ(choose(true), 4);
  EXPECT_EQ(chooser.target, &a);
  // The next slice the chooser stands and b moves: a's line is traced, b's passed over.
  t.rig.world.Battle().currentSlice = 101;
  b.lastMovingSlice = 101;
  EXPECT_EQ(choose(false), 1);
  EXPECT_TRUE(kept(a));
  EXPECT_FALSE(kept(b));
  // Without the shortcut b's line is traced (a's is read from the pairs), to no other end.
  AITargeting::gPassOverLapsedLines = false;
  EXPECT_EQ(choose(false), 1);
  EXPECT_FALSE(kept(b));
  EXPECT_EQ(chooser.target, nullptr);
  AITargeting::gPassOverLapsedLines = true;
}

TEST(KillRatingDeathTest, AFirerThatIsNotAVehicleIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TestVehicle infantry, target;
  infantry.kind = Unit::kInfantry;
  EXPECT_DEATH(infantry.TargetInfoText(nullptr, 1, &target), "");
}

}  // namespace
