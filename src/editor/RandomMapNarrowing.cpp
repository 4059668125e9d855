#include "editor/RandomMapNarrowing.h"

namespace {

constexpr int32_t kInfantry = 1;

}  // namespace

int32_t RandomMapNarrowing::NarrowQuickBattleWidth(int32_t width, int32_t treeCoverage, int32_t battleType,
                                                   int32_t axisForceType, int32_t alliedForceType,
                                                   int32_t timeOfDay, int32_t weather) {
  float factor = 1.0f;
  if (treeCoverage == 3) factor *= 0.8f;
  bool infantry = false;
  if (battleType == 0) infantry = axisForceType == kInfantry;
  else if (battleType == 1) infantry = alliedForceType == kInfantry;
  else if (battleType == 2) infantry = axisForceType == kInfantry && alliedForceType == kInfantry;
  if (infantry) factor *= 0.9f;
  if (timeOfDay == 2) factor *= 0.85f;
  if (weather == 3) factor *= 0.9f;
  else if (weather == 4) factor *= 0.8f;
  else if (weather == 5) factor *= 0.7f;
  if (!(factor < 1.0f)) return width;
  const auto narrowed = static_cast<int32_t>(static_cast<double>(width) * static_cast<double>(factor));
  return (narrowed + 79) / 80 * 80;
}
