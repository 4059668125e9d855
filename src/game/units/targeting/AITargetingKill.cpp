#include <algorithm>

#include "framework/core/GString.h"
#include "game/units/targeting/AITargeting.h"

float AITargeting::KillBand(float armour, float penetration) {
  if (armour <= 0.95f * penetration) return 1.0f;
  if (armour <= penetration) return 0.75f;
  if (armour <= 1.05f * penetration) return 0.25f;
  return 0.0f;
}

float AITargeting::KillRating(const float armour[6], const float probability[6], float penetration, bool frontBonus,
                              bool emplacement, float killChance, float ammoFactor) {
  float thickest = 0.0f;
  if (emplacement) {
    for (int32_t i = 0; i < 6; ++i) {
      if (probability[i] != 0.0f) thickest = std::max(thickest, armour[i]);
    }
  }
  float sum = 0.0f;
  for (int32_t i = 5; i >= 0; --i) {
    const float share = probability[i];
    if (share == 0.0f) continue;
    if (emplacement && armour[i] == 0.0f && penetration < thickest) {
      sum += killChance * share;
    } else {
      sum += KillBand(armour[i], penetration) * share;
    }
  }
  if (!emplacement && frontBonus && probability[0] > 0.0f && armour[0] * 0.5f < penetration) {
    const float k = 0.12f * probability[0];
    sum = (sum + k) / (k + 1.0f);
  }
  return sum * ammoFactor * 100.49f;
}

uint32_t AITargeting::KillRatingWord(float rating) {
  if (rating >= 70.0f) return 1341;
  if (rating >= 45.0f) return 1342;
  if (rating >= 20.0f) return 1343;
  if (rating >= 10.0f) return 1344;
  if (rating >= 1.0f) return 1345;
  return 1346;
}

void AITargeting::KillRatingText(GString& text, float rating) {
  text.Clear();
  text.AppendResource(1340);
  text.AppendResource(KillRatingWord(rating));
}
