#include "game/ai/AIPlanContext.h"

#include "game/ai/AIGoalGroup.h"
#include "game/ai/AIProgressMeter.h"
#include "game/battle/Battle.h"
#include "framework/core/Quorl.h"
#include "game/units/Unit.h"

bool AIPlanContext::gUseCaches = true;
int64_t AIPlanContext::gComputedValues = 0;
int64_t AIPlanContext::gCachedValues = 0;

namespace {

// A value kept for the plan must not have drawn from the generator: the plan without the
// cache would draw again where the cached one does not.
template <class Compute>
float ComputeWithoutDraws(Compute compute) {
#ifndef NDEBUG
  const uint32_t before = RandomState();
  const float value = compute();
  if (RandomState() != before) FatalError(__LINE__, "AIPlanContext");
  return value;
#else
  return compute();
#endif
}

}  // namespace

float AIPlanContext::OwnExposure(Unit& unit) const {
  auto compute = [&unit] { return unit.ExposureAt(unit.x, unit.y, true, true); };
  if (!gUseCaches) return compute();
  const auto found = exposures_.find(&unit);
  if (found != exposures_.end() && found->second.x == unit.x && found->second.y == unit.y) {
    ++gCachedValues;
    return found->second.value;
  }
  ++gComputedValues;
  const float value = ComputeWithoutDraws(compute);
  exposures_[&unit] = KeptExposure{unit.x, unit.y, value};
  return value;
}

float AIPlanContext::PurchaseCost(const Unit& unit) const {
  if (!gUseCaches) return unit.GetPurchaseCost();
  const auto found = costs_.find(&unit);
  if (found != costs_.end()) {
    ++gCachedValues;
    return found->second;
  }
  ++gComputedValues;
  const float value = ComputeWithoutDraws([&unit] { return unit.GetPurchaseCost(); });
  costs_.emplace(&unit, value);
  return value;
}

void AIPlanContext::StepMeter() const {
  if (meter != nullptr) meter->Advance();
}

GObjectGroup* AIPlanContext::Objectives() const {
  return battle == nullptr ? nullptr : battle->aiObjectives[static_cast<size_t>(side & 1)];
}

AIGoalGroup* AIPlanContext::Goal(int32_t k) const {
  const GObjectGroup* goals = Objectives();
  if (goals == nullptr || k < 0 || k >= goals->Count()) return nullptr;
  return static_cast<AIGoalGroup*>(goals->GetItem(k));
}
