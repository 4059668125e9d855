#include <algorithm>
#include <cmath>

#include "game/units/targeting/AITargeting.h"
#include "game/units/fire/WeaponFormulas.h"

float AITargeting::ScoreArmour(const Location* locations, int32_t n, const std::function<float(int32_t)>& penetration,
                               float shock) {
  float value = 0.0f;
  for (int32_t i = n - 1; i >= 0; --i) {
    const Location& at = locations[i];
    if (at.weight == 0.0f) continue;
    const float p = penetration(i);
    if (p <= 0.95f * at.armour) {
      value += at.weight * shock;
    } else if (p < 1.05f * at.armour) {
      value += (p / at.armour - 0.95f) * 10.0f * at.weight;
    } else {
      value += at.weight;
    }
  }
  return value;
}

float AITargeting::ArmourShock(float calibre, int32_t classValue) {
  return 0.2f * calibre / (static_cast<float>(static_cast<int16_t>(classValue)) + 70.0f);
}

float AITargeting::ConserveTungsten(float value, float hitChance, int32_t tungstenCount, int32_t shotCounter,
                                    bool isCurrentTarget) {
  value = std::min(value, kMaxEffect) * 0.9f;
  if (tungstenCount >= 5) return value;
  float p1 = 0.4f, p2 = 0.15f;
  if (tungstenCount <= 1) {
    p1 = 0.7f;
    p2 = 0.4f;
  } else if (tungstenCount <= 3) {
    p1 = 0.5f;
    p2 = 0.25f;
  }
  if (hitChance >= p1) return value;
  const bool rangedIn = isCurrentTarget && (hitChance < p2 ? shotCounter >= 2 : shotCounter > 0);
  return rangedIn ? value : value * 0.45f;
}

float AITargeting::MoraleFactor(int32_t band) {
  if (band >= 6) return 0.15f;
  if (band == 5) return 0.35f;
  if (band == 4) return 0.8f;
  return 1.0f;
}

void AITargeting::PartShares(bool emplacement, bool turret, bool hullDown, float h, float s, float shares[3]) {
  if (emplacement) {
    const float kill = KillChance(h, s);
    shares[0] = 0.0f;
    shares[1] = kill;
    shares[2] = 1.0f - kill;
  } else if (turret && !hullDown) {
    shares[0] = 0.34444f;
    shares[1] = 0.51111f;
    shares[2] = 0.14444f;
  } else if (!turret && !hullDown) {
    shares[0] = 0.0f;
    shares[1] = 0.77777f;
    shares[2] = 0.22222f;
  } else if (turret) {
    shares[0] = 0.73684f;
    shares[1] = 0.26316f;
    shares[2] = 0.0f;
  } else {
    shares[0] = 0.0f;
    shares[1] = 1.0f;
    shares[2] = 0.0f;
  }
}

float AITargeting::ClampEffect(float value) {
  if (std::isnan(value)) return 0.0f;
  return std::min(value, kMaxEffect);
}
