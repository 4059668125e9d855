#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "framework/core/GString63.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/fire/WeaponFormulas.h"

namespace {

using Location = AITargeting::Location;

float ScoreAt(float penetration, float armour, float shock) {
  const Location one{armour, 0.5f};
  return AITargeting::ScoreArmour(&one, 1, [penetration](int32_t) { return penetration; }, shock);
}

// Penetration against armour: 95 per cent or less only the shock, 105 or more the full
// weight, linear between; locations without weight are never asked.
TEST(AITargetingMath, ArmourScoreBands) {
  EXPECT_EQ(ScoreAt(95.0f, 100.0f, 0.0f), 0.0f);
  EXPECT_FLOAT_EQ(ScoreAt(95.0f, 100.0f, 0.1f), 0.05f);
  EXPECT_NEAR(ScoreAt(100.0f, 100.0f, 0.1f), 0.25f, 1e-6f);
  EXPECT_NEAR(ScoreAt(104.0f, 100.0f, 0.0f), 0.45f, 1e-5f);
  EXPECT_EQ(ScoreAt(105.0f, 100.0f, 0.0f), 0.5f);
  EXPECT_EQ(ScoreAt(500.0f, 100.0f, 0.0f), 0.5f);

  const Location locations[4] = {{50.0f, 0.25f}, {80.0f, 0.0f}, {200.0f, 0.5f}, {10.0f, 0.25f}};
  std::vector<int32_t> asked;
  const float value = AITargeting::ScoreArmour(
      locations, 4,
      [&asked](int32_t i) {
        asked.push_back(i);
        return 100.0f;
      },
      0.0f);
  EXPECT_FLOAT_EQ(value, 0.5f);
  EXPECT_EQ(asked, (std::vector<int32_t>{3, 2, 0}));
  EXPECT_FLOAT_EQ(AITargeting::ArmourShock(75.0f, 80), 0.1f);
}

TEST(AITargetingMath, TungstenIsSaved) {
  // Plenty of rounds: only the cap and 0.9.
  EXPECT_FLOAT_EQ(AITargeting::ConserveTungsten(1.0f, 0.1f, 5, 0, false), 0.9f);
  EXPECT_FLOAT_EQ(AITargeting::ConserveTungsten(9.0f, 0.9f, 1, 0, false), 3.4f * 0.9f);
  // One round, hit chance below 0.4: 0.45 unless ranged in twice on this target.
  EXPECT_FLOAT_EQ(AITargeting::ConserveTungsten(1.0f, 0.3f, 1, 0, true), 0.9f * 0.45f);
  EXPECT_FLOAT_EQ(AITargeting::ConserveTungsten(1.0f, 0.3f, 1, 1, true), 0.9f * 0.45f);
  EXPECT_FLOAT_EQ(AITargeting::ConserveTungsten(1.0f, 0.3f, 1, 2, false), 0.9f * 0.45f);
  EXPECT_FLOAT_EQ(AITargeting::ConserveTungsten(1.0f, 0.3f, 1, 2, true), 0.9f);
  // Between the two bounds one ranging shot is enough.
  EXPECT_FLOAT_EQ(AITargeting::ConserveTungsten(1.0f, 0.5f, 1, 0, true), 0.9f * 0.45f);
  EXPECT_FLOAT_EQ(AITargeting::ConserveTungsten(1.0f, 0.5f, 1, 1, true), 0.9f);
  EXPECT_FLOAT_EQ(AITargeting::ConserveTungsten(1.0f, 0.7f, 1, 0, false), 0.9f);
  // Three rounds: bounds 0.5 and 0.25; four: 0.4 and 0.15.
  EXPECT_FLOAT_EQ(AITargeting::ConserveTungsten(1.0f, 0.45f, 3, 0, false), 0.9f * 0.45f);
  EXPECT_FLOAT_EQ(AITargeting::ConserveTungsten(1.0f, 0.45f, 4, 0, false), 0.9f);
  EXPECT_FLOAT_EQ(AITargeting::ConserveTungsten(1.0f, 0.2f, 4, 1, true), 0.9f);
  EXPECT_FLOAT_EQ(AITargeting::ConserveTungsten(1.0f, 0.1f, 4, 1, true), 0.9f * 0.45f);
}

TEST(AITargetingMath, MoraleSharesAndClamp) {
  EXPECT_EQ(AITargeting::MoraleFactor(7), 0.15f);
  EXPECT_EQ(AITargeting::MoraleFactor(6), 0.15f);
  EXPECT_EQ(AITargeting::MoraleFactor(5), 0.35f);
  EXPECT_EQ(AITargeting::MoraleFactor(4), 0.8f);
  EXPECT_EQ(AITargeting::MoraleFactor(3), 1.0f);
  float s[3];
  AITargeting::PartShares(false, true, false, 0.5f, 0.2f, s);
  EXPECT_EQ(s[0], 0.34444f);
  EXPECT_EQ(s[1], 0.51111f);
  EXPECT_EQ(s[2], 0.14444f);
  AITargeting::PartShares(false, true, true, 0.5f, 0.2f, s);
  EXPECT_EQ(s[0], 0.73684f);
  EXPECT_EQ(s[1], 0.26316f);
  EXPECT_EQ(s[2], 0.0f);
  AITargeting::PartShares(false, false, false, 0.5f, 0.2f, s);
  EXPECT_EQ(s[1], 0.77777f);
  AITargeting::PartShares(false, false, true, 0.5f, 0.2f, s);
  EXPECT_EQ(s[1], 1.0f);
  AITargeting::PartShares(true, true, false, 0.5f, 0.2f, s);
  EXPECT_EQ(s[0], 0.0f);
  EXPECT_EQ(s[1], KillChance(0.5f, 0.2f));
  EXPECT_EQ(s[2], 1.0f - KillChance(0.5f, 0.2f));
  EXPECT_EQ(AITargeting::ClampEffect(7.0f), 3.4f);
  EXPECT_EQ(AITargeting::ClampEffect(std::numeric_limits<float>::quiet_NaN()), 0.0f);
  EXPECT_EQ(AITargeting::ClampEffect(0.3f), 0.3f);
}

TEST(AITargetingMath, KillRatingBandsAndWords) {
  EXPECT_EQ(AITargeting::KillBand(95.0f, 100.0f), 1.0f);
  EXPECT_EQ(AITargeting::KillBand(100.0f, 100.0f), 0.75f);
  EXPECT_EQ(AITargeting::KillBand(104.0f, 100.0f), 0.25f);
  EXPECT_EQ(AITargeting::KillBand(106.0f, 100.0f), 0.0f);

  const float thin[6] = {10, 10, 10, 10, 10, 10};
  const float shares[6] = {0.3f, 0.3f, 0.1f, 0.1f, 0.1f, 0.1f};
  const float all = AITargeting::KillRating(thin, shares, 100.0f, false, false, 0.0f, 1.0f);
  EXPECT_NEAR(all, 100.49f, 1e-3f);
  const float mixed[6] = {100, 104, 106, 10, 10, 10};
  EXPECT_NEAR(AITargeting::KillRating(mixed, shares, 100.0f, false, false, 0.0f, 1.0f),
              (0.3f * 0.75f + 0.3f * 0.25f + 0.3f) * 100.49f, 1e-3f);
  // The front bonus: k = 0.12 P0 and (s + k) / (k + 1); only when half the front is beaten.
  const float front[6] = {150, 200, 200, 200, 200, 200};
  const float k = 0.12f * 0.3f;
  EXPECT_NEAR(AITargeting::KillRating(front, shares, 100.0f, true, false, 0.0f, 1.0f), k / (k + 1.0f) * 100.49f, 1e-3f);
  const float thick[6] = {250, 200, 200, 200, 200, 200};
  EXPECT_EQ(AITargeting::KillRating(thick, shares, 100.0f, true, false, 0.0f, 1.0f), 0.0f);
  // Kind 6: an unarmoured location counts the kill chance while p is below the thickest.
  const float open[6] = {0, 150, 0, 0, 0, 0};
  const float two[6] = {0.5f, 0.5f, 0, 0, 0, 0};
  EXPECT_NEAR(AITargeting::KillRating(open, two, 100.0f, false, true, 0.4f, 1.0f), 0.5f * 0.4f * 100.49f, 1e-3f);
  EXPECT_NEAR(AITargeting::KillRating(open, two, 200.0f, false, true, 0.4f, 1.0f), 100.49f, 1e-3f);
  // The ammunition factor scales the sum.
  EXPECT_NEAR(AITargeting::KillRating(thin, shares, 100.0f, false, false, 0.0f, 0.5f), 100.49f * 0.5f, 1e-3f);

  GString63 text;
  AITargeting::KillRatingText(text, 45.0f);
  EXPECT_STREQ(text.CStr(), "Kill: Good");
  AITargeting::KillRatingText(text, 0.99f);
  EXPECT_STREQ(text.CStr(), "Kill: None");
  AITargeting::KillRatingText(text, 70.0f);
  EXPECT_STREQ(text.CStr(), "Kill: Excellent");
  EXPECT_EQ(AITargeting::KillRatingWord(44.99f), 1343u);
  EXPECT_EQ(AITargeting::KillRatingWord(19.9f), 1344u);
  EXPECT_EQ(AITargeting::KillRatingWord(9.9f), 1345u);
  EXPECT_EQ(AITargeting::KillRatingWord(1.0f), 1345u);
}

TEST(AITargetingMath, DefeatedThicknessSearch) {
  // Resistance grows with thickness: 1.3 per mm against a penetration of 200.
  int32_t calls = 0;
  const float found = AITargeting::SearchDefeatedThickness([&calls](int32_t t) {
    ++calls;
    return 200.0f >= 1.3f * static_cast<float>(t);
  });
  EXPECT_NEAR(found, 200.0f / 1.3f, 1.0f);
  EXPECT_LE(found, 200.0f / 1.3f);
  EXPECT_LT(calls, 60);
  // A weapon that defeats everything ends at the entry's range.
  calls = 0;
  const float everything = AITargeting::SearchDefeatedThickness([&calls](int32_t t) {
    ++calls;
    EXPECT_LE(t, 32767);
    return true;
  });
  EXPECT_EQ(everything, 32750.0f);
  EXPECT_EQ(calls, 655);
  // One that defeats nothing ends at 0 and is never asked about a negative thickness.
  const float nothing = AITargeting::SearchDefeatedThickness([](int32_t t) {
    EXPECT_GE(t, 0);
    return false;
  });
  EXPECT_EQ(nothing, 0.0f);
  // A thin crossing below the first step is still found.
  EXPECT_NEAR(AITargeting::SearchDefeatedThickness([](int32_t t) { return t <= 7; }), 7.0f, 1.0f);
}

}  // namespace
