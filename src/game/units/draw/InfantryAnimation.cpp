// The soldier figures' key-frame animation: each shown figure steps through the key cycle of
// its kind and posture by the frame clock and its joints ease toward the current key's pose.
// Nothing here touches the computed game: the starting keys come from the presentation's
// generator (Infantry::PresentationDraw).
#include <cmath>
#include <cstdint>

#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/units/UnitErrorSources.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/tables/InfantryAnimation.h"

namespace {

// A key's length on the figure's clock: the table's duration times the figure's rate, to the
// nearest millisecond; anything below 6 ms lasts 5 ms.
int32_t ScaledDuration(int32_t duration, float rate) {
  const auto d = static_cast<int32_t>(std::lround(static_cast<float>(duration) * rate));
  return d < 6 ? 5 : d;
}

}  // namespace

void Infantry::UpdateAnimation() {
  if (gKernel == nullptr) return;
  AnimateFigures(gKernel->GetFrameTick(), gKernel->GetFrameTime(), gKernel->GetPreviousFrameTick());
}

int32_t Infantry::AnimatedFigureKind(int32_t figure) const {
  if (alive == 0) return InfantryAnimation::kDeadKind;
  if (HasSurrendered()) return InfantryAnimation::kSurrenderedKind;
  if (!CanFight()) return InfantryAnimation::kOutOfActionKind;
  return GetShownFigureKind(figure);
}

int32_t Infantry::AnimateFigures(uint32_t now, uint32_t frameTime, uint32_t previousTick,
                                 int32_t (*draw)(int32_t)) {
  // No figure moves while the action is computed: what the screen shows must not follow
  // the computation half way.
  const UnitServices* services = GetUnitServices();
  if (UnitBattle() != nullptr && services != nullptr && services->IsComputingAction()) return 0;
  int32_t steps = 0;
  for (int32_t i = GetShownFigureCount() - 1; i >= 0; --i) {
    const auto f = static_cast<size_t>(i);
    const int32_t p = figurePosture[f];
    if (p < 0 || p >= InfantryAnimation::kPostures) FatalError(3842, kInfantryFile);
    const int32_t k = AnimatedFigureKind(i);
    if (k < 0 || k >= InfantryAnimation::kKinds) FatalError(__LINE__, kInfantryFile);
    const int32_t count = InfantryAnimation::kKeyCount[k][p];
    const float(*poses)[InfantryAnimation::kJoints] = InfantryAnimation::kKeyPose[k][p];
    const int32_t next = figureNextKeyTime[f];

    if (next < 1) {
      // Not started: the starting key's pose at once, and nothing more this frame.
      int32_t start = 0;
      int32_t duration = 0;
      int32_t end = 0;
      PickAnimationFrames(i, start, duration, end, draw);
      if (start < 0 || start >= InfantryAnimation::kMaxKeys) FatalError(3875, kInfantryFile);
      for (int32_t j = 0; j < kPoseRows; ++j) figurePose[static_cast<size_t>(j)][f] = poses[start][j];
      figureNextKeyTime[f] = static_cast<int32_t>(now + static_cast<uint32_t>(duration));
      figureKey[f] = end - start < 2 ? 0 : start + 1;
      return steps;
    }

    // Clock differences in unsigned arithmetic, so the 32-bit millisecond clock may wrap.
    const auto ahead = static_cast<int32_t>(static_cast<uint32_t>(next) - now);
    float t = 0.0f;
    int32_t key = figureKey[f];
    if (key < 0 || key >= InfantryAnimation::kMaxKeys) FatalError(3890, kInfantryFile);
    // A posture change may leave a key beyond the new cycle: it starts over.
    if (key >= count) key = 0;
    if (ahead > 0) {
      // Between keys: ease by this frame's share of what was left of the key at the last frame.
      const auto left = static_cast<int32_t>(static_cast<uint32_t>(next) - previousTick);
      t = left > 0 ? static_cast<float>(frameTime) / static_cast<float>(left) : 1.0f;
    } else {
      const float rate = poseRate[f];
      uint32_t keyTime = static_cast<uint32_t>(next);
      // Far behind (a long pause): whole cycles bring the figure back to the same key, so they
      // are skipped at once; the steps that follow end where stepping one by one would.
      const uint32_t behind = now - keyTime;
      if (behind >= static_cast<uint32_t>(5 * count)) {
        uint32_t cycle = 0;
        for (int32_t n = 0; n < count; ++n) {
          cycle += static_cast<uint32_t>(ScaledDuration(InfantryAnimation::kKeyDuration[k][p][n], rate));
        }
        keyTime += behind / cycle * cycle;
      }
      uint32_t rememberedTime = keyTime;
      int32_t rememberedKey = key;
      do {
        rememberedTime = keyTime;
        rememberedKey = key;
        keyTime += static_cast<uint32_t>(ScaledDuration(InfantryAnimation::kKeyDuration[k][p][key], rate));
        key = key + 1 < count ? key + 1 : 0;
        ++steps;
      } while (static_cast<int32_t>(keyTime - now) <= 0);
      figureNextKeyTime[f] = static_cast<int32_t>(keyTime);
      figureKey[f] = key;
      for (int32_t j = 0; j < kPoseRows; ++j) figurePose[static_cast<size_t>(j)][f] = poses[rememberedKey][j];
      t = static_cast<float>(now - rememberedTime) / static_cast<float>(keyTime - rememberedTime);
    }
    // The blend fraction stays within [0, 1] whatever the clock did.
    t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
    const float* target = poses[key];
    for (int32_t j = 0; j < kPoseRows; ++j) {
      float& angle = figurePose[static_cast<size_t>(j)][f];
      angle += (target[j] - angle) * t;
    }
  }
  return steps;
}
