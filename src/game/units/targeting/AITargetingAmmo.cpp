#include "game/units/targeting/AITargeting.h"

void AITargeting::KeepBestAmmo(float& bestValue, int32_t& bestKind, int32_t kind, float score) {
  if (score > bestValue) {
    bestValue = score;
    bestKind = kind;
  }
}

void AITargeting::ScoreAmmoKinds(const uint16_t ammo[5], bool armoured, bool armourTarget, const SmokeCase* smoke,
                                 const std::function<float(int32_t)>& score, float& value, int32_t& kind) {
  if (ammo[0] != 0) {
    KeepBestAmmo(value, kind, 0, score(0));
    if (ammo[1] != 0 && armourTarget) value *= 0.75f;
  }
  if (ammo[1] != 0 && (ammo[0] == 0 || armourTarget)) KeepBestAmmo(value, kind, 1, score(1));
  if (ammo[2] != 0 && armourTarget) KeepBestAmmo(value, kind, 2, score(2));
  if (ammo[3] != 0 && (ammo[0] == 0 || armoured)) KeepBestAmmo(value, kind, 3, score(3));
  if (smoke == nullptr) return;
  if (ammo[4] != 0 && value < 0.6f && smoke->allowed) {
    KeepBestAmmo(value, kind, 4, score(4));
    if (smoke->halveTest != nullptr ? (*smoke->halveTest)() : smoke->halve) value *= 0.5f;
  }
}
