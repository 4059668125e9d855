// The soldier figures' key-frame animation on a clock of the test's own: starting keys,
// easing within [0, 1], short keys, the catch-up after a long pause, the computing pause and
// the generators it may draw from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "game/units/tables/InfantryAnimation.h"
#include "game/units/InfantryValuesRig.h"

namespace {

// Always the second key and a duration of 100 + d / 5 + 2.
int32_t FixedDraw(int32_t n) { return n > 1 ? 1 : 0; }

using AnimationRig = InfantryValuesRig;

const float* KeyPose(int32_t kind, int32_t posture, int32_t key) {
  return InfantryAnimation::kKeyPose[kind][posture][key];
}

// A figure set running: posture p, at key, the next key due at next.
void SetRunning(Infantry& squad, int32_t posture, int32_t key, int32_t next, std::array<float, 3> rates) {
  for (size_t f = 0; f < 3; ++f) {
    squad.figurePosture[f] = posture;
    squad.figureKey[f] = key;
    squad.figureNextKeyTime[f] = next;
    squad.poseRate[f] = rates[f];
  }
}

// Stepping one key at a time as the clock says, with nothing skipped: the key, its time and
// the steps taken.
struct Stepped {
  int32_t key = 0;
  uint32_t next = 0;
  int32_t steps = 0;
};
Stepped StepOneByOne(int32_t kind, int32_t posture, int32_t key, uint32_t next, float rate, uint32_t now) {
  Stepped s{key, next, 0};
  const int32_t count = InfantryAnimation::kKeyCount[kind][posture];
  while (s.next <= now) {
    int32_t d = static_cast<int32_t>(std::lround(static_cast<float>(InfantryAnimation::kKeyDuration[kind][posture][s.key]) * rate));
    if (d < 6) d = 5;
    s.next += static_cast<uint32_t>(d);
    s.key = (s.key + 1) % count;
    ++s.steps;
  }
  return s;
}

}  // namespace

TEST(InfantryAnimation, PoseTableIsCompleteForEveryReachableKindAndPosture) {
  EXPECT_EQ(sizeof InfantryAnimation::kKeyPose, 216000u);
  for (int32_t k = 0; k < InfantryAnimation::kKinds; ++k) {
    for (int32_t p = 0; p < InfantryAnimation::kPostures; ++p) {
      const int32_t count = InfantryAnimation::kKeyCount[k][p];
      EXPECT_GE(count, 2) << k << " " << p;
      for (int32_t j = 0; j < InfantryAnimation::kJoints; ++j) {
        EXPECT_LE(std::fabs(KeyPose(k, p, count - 1)[j] - KeyPose(k, p, 0)[j]), 90.0f) << k << " " << p << " " << j;
      }
    }
  }
  // A man lies down when prone and dead, stands when standing.
  EXPECT_GT(KeyPose(0, 5, 0)[19], 60.0f);
  EXPECT_GT(KeyPose(InfantryAnimation::kDeadKind, 0, 0)[19], 60.0f);
  EXPECT_LT(std::fabs(KeyPose(0, 2, 0)[19]), 20.0f);
}

TEST(InfantryAnimation, FigureStartsAtOnceThenEasesWithinZeroAndOne) {
  AnimationRig f;
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);
  ASSERT_EQ(squad->GetShownFigureCount(), 3);
  SetRunning(*squad, 2, 0, 0, {1.0f, 1.0f, 1.0f});
  const int32_t k = squad->AnimatedFigureKind(2);
  // Only the last figure starts this frame: its starting key's pose at once.
  EXPECT_EQ(squad->AnimateFigures(1000, 16, 984, FixedDraw), 0);
  for (int32_t j = 0; j < InfantryAnimation::kJoints; ++j) {
    EXPECT_EQ(squad->figurePose[static_cast<size_t>(j)][2], KeyPose(k, 2, 1)[j]) << j;
    EXPECT_EQ(squad->figurePose[static_cast<size_t>(j)][1], 0.0f) << j;
  }
  EXPECT_EQ(squad->figureKey[2], 2);
  const int32_t due = squad->figureNextKeyTime[2];
  EXPECT_GT(due, 1000);
  EXPECT_EQ(squad->figureNextKeyTime[1], 0);

  // Between keys: a share of the way toward the next key, never beyond it.
  const std::array<float, 20> before = [&] {
    std::array<float, 20> a{};
    for (size_t j = 0; j < 20; ++j) a[j] = squad->figurePose[j][2];
    return a;
  }();
  squad->AnimateFigures(1016, 16, 1000, FixedDraw);
  const float t = 16.0f / static_cast<float>(due - 1000);
  for (size_t j = 0; j < 20; ++j) {
    const float target = KeyPose(k, 2, 2)[j];
    EXPECT_FLOAT_EQ(squad->figurePose[j][2], before[j] + (target - before[j]) * t) << j;
  }
  // A previous frame at or after the key time (no time left, or less than none), or a frame
  // longer than what was left: the joints reach the key pose and go no further.
  for (const auto& [ft, previous] : {std::pair{16u, due}, {16u, due + 40}, {5000u, 1020}}) {
    squad->figureNextKeyTime[2] = due;
    squad->figureKey[2] = 2;
    squad->AnimateFigures(static_cast<uint32_t>(due) - 1, ft, static_cast<uint32_t>(previous), FixedDraw);
    for (size_t j = 0; j < 20; ++j) {
      EXPECT_EQ(squad->figurePose[j][2], KeyPose(k, 2, 2)[j]) << j;
      EXPECT_TRUE(std::isfinite(squad->figurePose[j][2]));
    }
  }
}

TEST(InfantryAnimation, ShortKeysLastFiveMilliseconds) {
  AnimationRig f;
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);
  // At a rate of 0.005 every walking key is below 6 ms: 5 ms each.
  SetRunning(*squad, 6, 0, 1000, {0.005f, 0.005f, 0.005f});
  EXPECT_EQ(squad->AnimateFigures(1012, 16, 996), 9);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(squad->figureKey[i], 3);
    EXPECT_EQ(squad->figureNextKeyTime[i], 1015);
  }
}

TEST(InfantryAnimation, CatchUpAfterALongPauseEndsWhereSteppingOneByOneDoes) {
  AnimationRig f;
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);
  const std::array<float, 3> rates{0.93f, 1.0f, 1.07f};
  for (const int32_t posture : {6, 0, 9}) {
    SetRunning(*squad, posture, 2, 1000, rates);
    const uint32_t now = 1000 + 60000;
    int32_t wanted = 0;
    std::array<Stepped, 3> one{};
    for (size_t i = 0; i < 3; ++i) {
      const int32_t k = squad->AnimatedFigureKind(static_cast<int32_t>(i));
      one[i] = StepOneByOne(k, posture, 2, 1000, rates[i], now);
      const int32_t count = InfantryAnimation::kKeyCount[k][posture];
      // Whole cycles are skipped: what is left is less than one cycle.
      const int32_t left = one[i].steps % count == 0 && one[i].steps > 0 ? count : one[i].steps % count;
      ASSERT_GT(one[i].steps, count * 10);
      wanted += left;
    }
    // The exact step count: one by one it would be hundreds of steps.
    EXPECT_EQ(squad->AnimateFigures(now, 60000, 1000), wanted) << posture;
    for (size_t i = 0; i < 3; ++i) {
      const int32_t k = squad->AnimatedFigureKind(static_cast<int32_t>(i));
      EXPECT_EQ(squad->figureKey[i], one[i].key) << posture << " " << i;
      EXPECT_EQ(static_cast<uint32_t>(squad->figureNextKeyTime[i]), one[i].next) << posture << " " << i;
      // The joints lie between the key just passed and the key ahead.
      const int32_t count = InfantryAnimation::kKeyCount[k][posture];
      const int32_t previous = (one[i].key + count - 1) % count;
      for (size_t j = 0; j < 20; ++j) {
        const float a = KeyPose(k, posture, previous)[j];
        const float b = KeyPose(k, posture, one[i].key)[j];
        EXPECT_GE(squad->figurePose[j][i], std::min(a, b) - 1e-4f);
        EXPECT_LE(squad->figurePose[j][i], std::max(a, b) + 1e-4f);
      }
    }
  }
}

TEST(InfantryAnimation, NothingMovesWhileComputingOrWhenNoFigureIsShown) {
  AnimationRig f;
  auto squad = f.rig.Make(InfantryRig::kSquad, 6);
  SetRunning(*squad, 6, 0, 1000, {1.0f, 1.0f, 1.0f});
  f.rig.world.Battle().computingAction = 1;
  EXPECT_EQ(squad->AnimateFigures(5000, 16, 4984), 0);
  EXPECT_EQ(squad->figureNextKeyTime[0], 1000);
  EXPECT_EQ(squad->figurePose[2][0], 0.0f);
  f.rig.world.Battle().computingAction = 0;
  // A dead crew whose vehicle lives shows no figure: not animated.
  auto vehicle = f.rig.Make(InfantryRig::kTeam, 6);
  squad->parentUnit = vehicle.get();
  squad->alive = 0;
  ASSERT_EQ(squad->GetShownFigureCount(), 0);
  EXPECT_EQ(squad->AnimateFigures(5000, 16, 4984), 0);
  EXPECT_EQ(squad->figureNextKeyTime[0], 1000);
  // Dead without a live vehicle: one figure, lying in the dead poses.
  vehicle->alive = 0;
  squad->nextActionSlice = Unit::kNoActionSlice;
  squad->figureNextKeyTime[0] = 0;
  EXPECT_EQ(squad->AnimatedFigureKind(0), InfantryAnimation::kDeadKind);
  squad->AnimateFigures(5000, 16, 4984, FixedDraw);
  EXPECT_EQ(squad->figurePose[19][0], KeyPose(InfantryAnimation::kDeadKind, 6, 1)[19]);
}

TEST(InfantryAnimation, FramesDrawOnlyFromThePresentationGenerator) {
  AnimationRig f;
  std::vector<std::unique_ptr<Infantry>> squads;
  for (int32_t i = 0; i < 300; ++i) {
    squads.push_back(f.rig.Make(InfantryRig::kSquad, 6));
    SetRunning(*squads.back(), i % 10, 0, 0, {0.9f, 1.0f, 1.1f});
  }
  SeedRandom(12345);
  const uint32_t game = RandomState();
  const uint32_t shown = GRandom::Presentation().State();
  uint32_t now = 1000;
  for (int32_t frame = 0; frame < 1000; ++frame) {
    for (auto& squad : squads) squad->AnimateFigures(now + 16, 16, now);
    now += 16;
  }
  EXPECT_EQ(RandomState(), game);
  // The starting keys came from the presentation's generator.
  EXPECT_NE(GRandom::Presentation().State(), shown);
}
