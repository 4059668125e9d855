#include "game/map/Wall.h"

#include <algorithm>

#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"

namespace {

// (cos, sin) of each quarter turn.
constexpr int8_t kQuarterTurns[4][2] = {{1, 0}, {0, -1}, {-1, 0}, {0, 1}};

}  // namespace

void Wall::Init(int32_t wallType, bool isThick, bool makeLong, const Corner (&footprint)[4]) {
  type = wallType;
  thick = isThick;
  isLong = makeLong;
  for (int32_t i = 0; i < 4; ++i) corners[i] = footprint[i];
  height = wallType == 28 ? 4.5f : 0.99f;
}

void Wall::RotateQuarter(int32_t quarter) {
  if (quarter < 0) FatalError(1444, "BuildingWallCrater");
  if (quarter > 3) FatalError(1445, "BuildingWallCrater");
  const float c = kQuarterTurns[quarter][0];
  const float s = kQuarterTurns[quarter][1];
  for (Corner& p : corners) {
    const float x = p.x - 10.0f;
    const float y = p.y - 10.0f;
    p.x = x * c + 10.0f - y * s;
    p.y = x * s + 10.0f + y * c;
  }
}

void Wall::Translate(int32_t tileX, int32_t tileY) {
  for (Corner& p : corners) {
    p.x += static_cast<float>(tileX) * 20.0f;
    p.y += static_cast<float>(tileY) * 20.0f;
  }
}

void Wall::UpdateBounds() {
  for (int32_t i = 0; i < 4; ++i) groundHeights[i] = map_->ElevationAt(corners[i].x, corners[i].y);
  float minX = corners[0].x;
  float maxX = corners[0].x;
  float minY = corners[0].y;
  float maxY = corners[0].y;
  float low = groundHeights[0];
  float high = groundHeights[0];
  for (int32_t i = 1; i < 4; ++i) {
    minX = std::min(minX, corners[i].x);
    maxX = std::max(maxX, corners[i].x);
    minY = std::min(minY, corners[i].y);
    maxY = std::max(maxY, corners[i].y);
    low = std::min(low, groundHeights[i]);
    high = std::max(high, groundHeights[i]);
  }
  Set((maxX + minX) * 0.5f, (maxY + minY) * 0.5f, low, maxX - minX, maxY - minY, high - low + height);
}

void Wall::Stamp() {
  UpdateBounds();
  static constexpr float kOffsets[4][2] = {{0.0f, 0.0f}, {-2.0f, 0.0f}, {0.0f, -2.0f}, {-2.0f, -2.0f}};
  const int32_t passes = thick ? 4 : 1;
  for (int32_t k = 0; k < passes; ++k) {
    Map::Point3 p[4];
    for (int32_t i = 0; i < 4; ++i) p[i] = {corners[i].x + kOffsets[k][0], corners[i].y + kOffsets[k][1], 0.0f};
    map_->StampTriangle(p[0], p[1], p[2], StampedType(), 0.0f);
    map_->StampTriangle(p[0], p[3], p[2], StampedType(), 0.0f);
  }
}

void Wall::SplitIfUneven(GGroup& group) {
  const float mean = (groundHeights[0] + groundHeights[2]) * 0.5f;
  const float e = map_->ElevationAt((corners[0].x + corners[2].x) * 0.5f, (corners[0].y + corners[2].y) * 0.5f);
  if (mean - 0.1f <= e && e <= mean + 0.5f) return;
  const Corner mid01{(corners[0].x + corners[1].x) * 0.5f, (corners[0].y + corners[1].y) * 0.5f};
  const Corner mid23{(corners[2].x + corners[3].x) * 0.5f, (corners[2].y + corners[3].y) * 0.5f};
  auto* half = new Wall(*this);
  half->corners[0] = mid01;
  half->corners[3] = mid23;
  half->UpdateBounds();
  group.Append(half);
  corners[1] = mid01;
  corners[2] = mid23;
  UpdateBounds();
}
