// The quick battle's arithmetic: proposed map sizes, points and play balance, random weather,
// force type overrides, the computer's nationality, experience and category picks, limits,
// zone strips and the flag budget.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "editor/QuickBattleRules.h"
#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"

namespace {

std::vector<int32_t> gBounds;
void RecordBound(int32_t n) { gBounds.push_back(n); }

// The bounds of the generator's draws made by f.
template <typename F>
std::vector<int32_t> BoundsOf(F f) {
  gBounds.clear();
  SetRandomBoundObserver(RecordBound);
  f();
  SetRandomBoundObserver(nullptr);
  return gBounds;
}

// The next Random(n) without using it up.
int32_t PeekRandom(int32_t n) {
  const uint32_t state = RandomState();
  const int32_t r = Random(n);
  SeedRandom(state);
  return r;
}

}  // namespace

TEST(QuickBattleRules, ProposedMapSizes) {
  EXPECT_DOUBLE_EQ(GMath::IntSqrt(400), 20.0);
  EXPECT_DOUBLE_EQ(GMath::IntSqrt(0), 0.0);
  EXPECT_DOUBLE_EQ(GMath::IntSqrt(-5), 0.0);
  const int32_t widths[13] = {640, 640, 720, 720, 800, 800, 880, 880, 960, 960, 1120, 1280, 1520};
  for (int32_t i = 0; i < QuickBattleRules::kForceSizes; ++i)
    EXPECT_EQ(QuickBattleRules::ProposedWidth(QuickBattleRules::ForceSize(i)), widths[i]) << i;
  const int32_t heights[3][3] = {{240, 400, 480}, {480, 720, 960}, {2320, 3280, 4720}};
  const int32_t bases[3] = {500, 1000, 5000};
  for (int32_t b = 0; b < 3; ++b)
    for (int32_t size = 0; size < 3; ++size)
      EXPECT_EQ(QuickBattleRules::ProposedHeight(bases[b], size), heights[b][size]) << bases[b] << " " << size;
  EXPECT_EQ(QuickBattleRules::RoundUpTo80(720), 720);
  EXPECT_EQ(QuickBattleRules::RoundUpTo80(721), 800);
}

TEST(QuickBattleRules, PointsWidenTheFloatConstants) {
  // Assault, 1000 points, "Attacker -67%".
  EXPECT_EQ(QuickBattleRules::AttackerPoints(0, 1000, 0), 577);
  EXPECT_EQ(QuickBattleRules::PlayBalance(0, 1), 5033);
  EXPECT_EQ(QuickBattleRules::PlayBalance(0, 0), 4967);
  // In float arithmetic these would be 1225 and 5200.
  EXPECT_EQ(QuickBattleRules::ScalePoints(QuickBattleRules::HandicapFactor(2), 1750), 1224);
  EXPECT_EQ(QuickBattleRules::FlagBudget(5000, 0), 5199);
  // Attack with "Attacker -10%"; Assault, 5000, "+200%"; the defaults.
  EXPECT_EQ(QuickBattleRules::AttackerPoints(1, 1000, 3), 1349);
  EXPECT_EQ(QuickBattleRules::AttackerPoints(0, 5000, 10), 26250);
  EXPECT_EQ(QuickBattleRules::AttackerPoints(1, 500, 4), 750);
  // A meeting engagement has no type multiplier, only the handicap.
  EXPECT_EQ(QuickBattleRules::AttackerPoints(3, 1000, 4), 1000);
  EXPECT_EQ(QuickBattleRules::AttackerPoints(3, 1000, 5), 1100);
  const int32_t percents[11] = {33, 50, 70, 90, 100, 110, 125, 150, 175, 200, 300};
  for (int32_t item = 0; item < QuickBattleRules::kHandicaps; ++item)
    EXPECT_EQ(QuickBattleRules::PlayBalance(item, 1), 5000 + percents[item]) << item;
}

TEST(QuickBattleRules, WeatherGroundAndForceTypes) {
  const int32_t ground[6] = {1, 2, 3, 2, 2, 7};
  for (int32_t w = 0; w < 6; ++w) EXPECT_EQ(QuickBattleRules::GroundOfWeather(w), ground[w]);
  // Volkssturm (Axis item 5) with Armor is Infantry; Fallschirmjäger (3) keeps its type.
  EXPECT_EQ(QuickBattleRules::OverrideForceType(0, 5, 3), 1);
  EXPECT_EQ(QuickBattleRules::OverrideForceType(0, 4, 2), 1);
  EXPECT_EQ(QuickBattleRules::OverrideForceType(0, 3, 3), 3);
  for (int32_t item : {2, 4, 7}) EXPECT_EQ(QuickBattleRules::OverrideForceType(1, item, 3), 1) << item;
  for (int32_t item : {0, 1, 3, 5, 6, 8}) EXPECT_EQ(QuickBattleRules::OverrideForceType(1, item, 3), 3) << item;

  // Random weather: a second draw only after Thick Fog; no Snow outside season 3; Thick Fog
  // half as often as Overcast.
  SeedRandom(5);
  for (int32_t season = 0; season < 4; ++season) {
    std::array<int32_t, 6> counts{};
    for (int32_t i = 0; i < 200000; ++i) {
      const int32_t first = PeekRandom(6);
      const std::vector<int32_t> bounds = BoundsOf([&] { ++counts[static_cast<size_t>(QuickBattleRules::DrawWeather(season))]; });
      ASSERT_EQ(bounds.size(), first == 4 ? 2u : 1u);
    }
    if (season != 3) EXPECT_EQ(counts[5], 0);
    else EXPECT_NEAR(counts[5], 200000 / 6, 1500);
    EXPECT_NEAR(static_cast<double>(counts[4]) / counts[1], 0.5, 0.03) << season;
    EXPECT_NEAR(counts[2], counts[1], 1500);
  }
}

TEST(QuickBattleRules, ExperienceAndNationality) {
  SeedRandom(11);
  // Allied Low is Green without a draw; Axis Low draws Random(2).
  EXPECT_TRUE(BoundsOf([] { EXPECT_EQ(QuickBattleRules::DrawExperience(1, 2), 1); }).empty());
  EXPECT_EQ(BoundsOf([] { QuickBattleRules::DrawExperience(0, 2); }), std::vector<int32_t>{2});
  EXPECT_EQ(BoundsOf([] { QuickBattleRules::DrawExperience(0, 0); }), std::vector<int32_t>{5});
  for (int32_t i = 0; i < 200; ++i) {
    const int32_t r5 = PeekRandom(5);
    EXPECT_EQ(QuickBattleRules::DrawExperience(1, 0), r5 <= 1 ? 3 : (r5 <= 3 ? 4 : 5));
    const int32_t r3 = PeekRandom(3);
    EXPECT_EQ(QuickBattleRules::DrawExperience(0, 1), r3 == 0 ? 3 : 2);
  }
  EXPECT_EQ(QuickBattleRules::ForceCodeOfRestriction(0, 5), 10);
  EXPECT_EQ(QuickBattleRules::ForceCodeOfRestriction(1, 8), 17);
  EXPECT_EQ(QuickBattleRules::ForceCodeOfRestriction(1, 1), 0);

  // Axis Infantry: draws 70 to 84 are Volkssturm only from February 1945.
  int32_t volkssturmDraws = 0;
  for (int32_t i = 0; i < 2000; ++i) {
    const int32_t r = PeekRandom(100);
    const uint32_t state = RandomState();
    const int32_t early = QuickBattleRules::DrawForceCode(0, 1, 4501);
    SeedRandom(state);
    const int32_t late = QuickBattleRules::DrawForceCode(0, 1, 4502);
    if (r >= 70 && r < 85) {
      ++volkssturmDraws;
      EXPECT_EQ(early, 6);
      EXPECT_EQ(late, 10);
    } else {
      EXPECT_EQ(early, late);
      EXPECT_NE(late, 10);
    }
  }
  EXPECT_GT(volkssturmDraws, 0);
  // Table edges.
  struct Case {
    int32_t side, type, r, code;
  };
  const Case cases[] = {{0, 0, 64, 6}, {0, 0, 65, 8}, {0, 2, 90, 7}, {0, 3, 74, 6}, {0, 3, 75, 8},
                        {1, 0, 53, 0}, {1, 0, 58, 17}, {1, 2, 87, 12}, {1, 1, 81, 14}, {1, 1, 82, 15},
                        {1, 1, 83, 17}, {1, 1, 88, 12}, {1, 3, 59, 17}, {1, 3, 85, 12}, {0, 1, 99, 7}};
  for (const Case& c : cases) {
    for (uint32_t seed = 1;; ++seed) {
      SeedRandom(seed);
      if (PeekRandom(100) != c.r) continue;
      EXPECT_EQ(QuickBattleRules::DrawForceCode(c.side, c.type, 4411), c.code) << c.side << " " << c.type << " " << c.r;
      break;
    }
  }
}

TEST(QuickBattleRules, LimitsAndCategoryPicks) {
  std::array<int32_t, 7> limits = {1000, 450, 0, 0, 250, 0, 1000};
  QuickBattleRules::ScaleLimits(limits);
  EXPECT_EQ(limits, (std::array<int32_t, 7>{794, 357, 0, 0, 198, 0, 1000}));
  // Already within 1.35 times the points, or nothing to divide by: unchanged.
  std::array<int32_t, 7> small = {500, 300, 100, 0, 0, 0, 1000};
  QuickBattleRules::ScaleLimits(small);
  EXPECT_EQ(small, (std::array<int32_t, 7>{500, 300, 100, 0, 0, 0, 1000}));
  std::array<int32_t, 7> noPoints = {500, 300, 100, 0, 0, 0, 0};
  QuickBattleRules::ScaleLimits(noPoints);
  EXPECT_EQ(noPoints[0], 500);
  std::array<int32_t, 7> noLimits = {0, 0, 0, 0, 0, 0, 700};
  QuickBattleRules::ScaleLimits(noLimits);
  EXPECT_EQ(noLimits[6], 700);

  // The running sum of the room picks the category.
  SeedRandom(3);
  const std::array<int32_t, 6> room = {10, 0, 5, 0, 0, 5};
  for (int32_t i = 0; i < 100; ++i) {
    const int32_t r = PeekRandom(20);
    EXPECT_EQ(QuickBattleRules::PickCategory(room, true, 3), r < 10 ? 0 : (r < 15 ? 2 : 5));
  }
  // A defender facing Armor turns four Artillery picks in five into Support; an attacker and
  // a defender facing Infantry never.
  const std::array<int32_t, 6> artillery = {0, 0, 0, 0, 100, 0};
  const int32_t picks = 10000;
  const int32_t expected[4] = {50, 0, 35, 80};
  for (int32_t enemy = 0; enemy < 4; ++enemy) {
    int32_t support = 0;
    int32_t attackerSupport = 0;
    for (int32_t i = 0; i < picks; ++i) {
      support += QuickBattleRules::PickCategory(artillery, false, enemy) == 1 ? 1 : 0;
      attackerSupport += QuickBattleRules::PickCategory(artillery, true, enemy) == 1 ? 1 : 0;
    }
    EXPECT_NEAR(support * 100.0 / picks, expected[enemy], 2.0) << enemy;
    EXPECT_EQ(attackerSupport, 0);
  }
  EXPECT_EQ(BoundsOf([&] { QuickBattleRules::PickCategory(artillery, false, 1); }), std::vector<int32_t>{100});
}

TEST(QuickBattleRules, ZonesAndFlagBudget) {
  int32_t a = 0;
  int32_t b = 0;
  QuickBattleRules::ZoneStrips(40, 0, 1, &a, &b);
  EXPECT_EQ(a, 8);
  EXPECT_EQ(b, 20);
  QuickBattleRules::ZoneStrips(40, 0, 0, &a, &b);
  EXPECT_EQ(a, 20);
  EXPECT_EQ(b, 32);
  QuickBattleRules::ZoneStrips(44, 0, 1, &a, &b);
  EXPECT_EQ(a, 9);
  EXPECT_EQ(b, 22);
  QuickBattleRules::ZoneStrips(40, 3, 2, &a, &b);
  EXPECT_EQ(a, 8);
  EXPECT_EQ(b, 32);
  EXPECT_EQ(QuickBattleRules::FlagBudget(300, 3), 40);
  EXPECT_EQ(QuickBattleRules::FlagBudget(500, 1), 325);
  EXPECT_EQ(QuickBattleRules::FlagBudget(1000, 0), 999);
}
