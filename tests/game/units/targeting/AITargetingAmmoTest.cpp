// The order in which ammunition kinds are scored against a candidate, and their ties.
#include <gtest/gtest.h>

#include <vector>

#include "game/units/targeting/AITargeting.h"

namespace {

struct Scored {
  std::vector<int32_t> asked;
  float value = 0.0f;
  int32_t kind = 0;
};

Scored ScoreKinds(std::initializer_list<uint16_t> counts, bool armoured, bool armourTarget,
           const AITargeting::SmokeCase* smoke, std::vector<float> scores) {
  uint16_t ammo[5] = {};
  int i = 0;
  for (uint16_t c : counts) ammo[i++] = c;
  Scored out;
  AITargeting::ScoreAmmoKinds(
      ammo, armoured, armourTarget, smoke,
      [&](int32_t k) {
        out.asked.push_back(k);
        return scores[static_cast<size_t>(k)];
      },
      out.value, out.kind);
  return out;
}

TEST(AITargetingAmmo, KindsInOrderAndTiesToTheLowerKind) {
  // Soft target with high explosive and armour-piercing: only high explosive.
  Scored s = ScoreKinds({5, 5, 5, 5, 0}, false, false, nullptr, {0.3f, 0.9f, 0.9f, 0.9f, 0.0f});
  EXPECT_EQ(s.asked, (std::vector<int32_t>{0}));
  EXPECT_EQ(s.kind, 0);
  // Armour: high explosive counts 0.75 of its score, then the rest in order.
  s = ScoreKinds({5, 5, 5, 5, 0}, true, true, nullptr, {0.4f, 0.3f, 0.3f, 0.3f, 0.0f});
  EXPECT_EQ(s.asked, (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_FLOAT_EQ(s.value, 0.3f);
  EXPECT_EQ(s.kind, 0);  // equal scores keep the lower kind
  s = ScoreKinds({5, 5, 5, 5, 0}, true, true, nullptr, {0.4f, 0.3f, 0.31f, 0.3f, 0.0f});
  EXPECT_EQ(s.kind, 2);
  // Armoured but of the kind the armour-piercing rule leaves out: hollow charge still tried.
  s = ScoreKinds({5, 5, 5, 5, 0}, true, false, nullptr, {0.1f, 0.0f, 0.0f, 0.5f, 0.0f});
  EXPECT_EQ(s.asked, (std::vector<int32_t>{0, 3}));
  EXPECT_EQ(s.kind, 3);
  // No high explosive: armour-piercing and hollow charge against anything.
  s = ScoreKinds({0, 5, 0, 5, 0}, false, false, nullptr, {0.0f, 0.2f, 0.0f, 0.1f, 0.0f});
  EXPECT_EQ(s.asked, (std::vector<int32_t>{1, 3}));
  EXPECT_EQ(s.kind, 1);
  // Nothing above 0: the kind stays 0.
  s = ScoreKinds({0, 0, 0, 0, 0}, false, false, nullptr, {0.5f, 0.5f, 0.5f, 0.5f, 0.5f});
  EXPECT_TRUE(s.asked.empty());
  EXPECT_EQ(s.kind, 0);
  EXPECT_EQ(s.value, 0.0f);
}

TEST(AITargetingAmmo, SmokeOnlyWhenTheValueIsLow) {
  AITargeting::SmokeCase smoke{true, false};
  Scored s = ScoreKinds({5, 0, 0, 0, 5}, false, false, &smoke, {0.3f, 0, 0, 0, 0.5f});
  EXPECT_EQ(s.asked, (std::vector<int32_t>{0, 4}));
  EXPECT_EQ(s.kind, 4);
  s = ScoreKinds({5, 0, 0, 0, 5}, false, false, &smoke, {0.6f, 0, 0, 0, 0.9f});
  EXPECT_EQ(s.asked, (std::vector<int32_t>{0}));
  smoke.allowed = false;
  s = ScoreKinds({5, 0, 0, 0, 5}, false, false, &smoke, {0.3f, 0, 0, 0, 0.5f});
  EXPECT_EQ(s.kind, 0);
  // A fast candidate out of cover: the value is halved once smoke was tried.
  smoke = {true, true};
  s = ScoreKinds({5, 0, 0, 0, 5}, false, false, &smoke, {0.3f, 0, 0, 0, 0.2f});
  EXPECT_EQ(s.kind, 0);
  EXPECT_FLOAT_EQ(s.value, 0.15f);
  float best = 0.5f;
  int32_t kind = 1;
  AITargeting::KeepBestAmmo(best, kind, 2, 0.5f);
  EXPECT_EQ(kind, 1);
  AITargeting::KeepBestAmmo(best, kind, 3, 0.51f);
  EXPECT_EQ(kind, 3);
}

}  // namespace
