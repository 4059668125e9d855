// Each side's start view: where its camera stands when the battlefield first opens for it.
#include <cmath>

#include "game/battle/BattleBase.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/units/Unit.h"

namespace {

constexpr float kDegreesToRadians = 0.017453293f;
// How far behind its unit a start view stands, and how far beyond the map's corner without one.
constexpr float kBehind = 25.0f;

}  // namespace

const Unit* BattleBase::StartViewUnit(int32_t side) const {
  for (int32_t i = 0; i < UnitCount(); ++i) {
    const Unit* unit = UnitAt(i);
    if (unit != nullptr && unit->GetSideIndex() == side) return unit;
  }
  return nullptr;
}

void BattleBase::SetStartViews() {
  if (map == nullptr) return;
  Map::Cameras& camera = map->camera;
  const float width = map->size.worldWidth;
  const float height = map->size.worldHeight;
  for (int32_t side = 0; side < 2; ++side) {
    // NaN fails every comparison, so a camera holding no number is placed too.
    const bool valid = camera.viewLevel[side] >= 0 && camera.viewLevel[side] <= 7 && camera.x[side] >= -100.0f &&
                       camera.x[side] <= width && camera.y[side] >= -100.0f && camera.y[side] <= height &&
                       std::isfinite(camera.bearing[side]);
    if (valid) continue;
    camera.viewLevel[side] = 2;
    if (const Unit* unit = StartViewUnit(side)) {
      const float heading = HeadingDegrees(width * 0.5f - unit->x, height * 0.5f - unit->y) * kDegreesToRadians;
      camera.bearing[side] = heading;
      camera.x[side] = unit->x - kBehind * std::cos(heading);
      camera.y[side] = unit->y - kBehind * std::sin(heading);
    } else if (side == 0) {
      camera.bearing[side] = 3.9269908f;
      camera.x[side] = width + kBehind;
      camera.y[side] = height + kBehind;
    } else {
      camera.bearing[side] = 0.7853982f;
      camera.x[side] = -kBehind;
      camera.y[side] = -kBehind;
    }
  }
}
