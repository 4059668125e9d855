#include "game/map/Crater.h"

#include <cmath>

#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "game/map/Distance.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapPacket.h"
#include "game/map/MapScaled.h"
#include "game/map/MapUnitView.h"

void Crater::Read(GFile& file) {
  uint8_t flags = static_cast<uint8_t>(file.ReadByte());
  lasting = (flags & kFlagLasting) != 0;
  hidden = (flags & kFlagHidden) != 0;
  revealed = (flags & kFlagRevealed) != 0;
  ownerAxis = (flags & kFlagOwnerAxis) != 0;
  x = file.ReadFloat();
  y = file.ReadFloat();
  radius = file.ReadScaled(100.0f);
  rotation = file.ReadScaled(50.0f);
  depthOffset = file.ReadScaled(200.0f);
  Rebuild();
}

void Crater::Write(GFile& file) const {
  uint8_t flags = static_cast<uint8_t>((lasting ? kFlagLasting : 0) | (hidden ? kFlagHidden : 0) |
                                       (revealed ? kFlagRevealed : 0) | (ownerAxis ? kFlagOwnerAxis : 0));
  file.WriteByte(flags);
  file.WriteFloat(x);
  file.WriteFloat(y);
  WriteMapScaled(file, radius, 100.0f);
  WriteMapScaled(file, rotation, 50.0f);
  WriteMapScaled(file, depthOffset, 200.0f);
}

void Crater::Init(float cx, float cy, float size, bool isLasting, float degrees, float depth) {
  x = cx;
  y = cy;
  // Made as its stored form keeps it, so that a saved and loaded game's craters cover the
  // same ground as the unbroken game's, to the bit: a unit's speed changes at a crater's edge.
  // A packet's size, rotation and depth, stored in the same steps, make the same crater.
  radius = static_cast<float>(SaturateScaled(size * 0.5f, 100.0f)) / 100.0f;
  lasting = isLasting;
  rotation = static_cast<float>(SaturateScaled(degrees, 50.0f)) / 50.0f;
  depthOffset = static_cast<float>(SaturateScaled(depth, 200.0f)) / 200.0f;
  hidden = 0;
  revealed = 0;
  ownerAxis = 0;
  MapBattleServices* battle = map_ != nullptr ? map_->App().GetBattleOrOperation() : nullptr;
  if (battle != nullptr && battle->IsNoRecord()) {
    hidden = 1;
    const int32_t side = battle->GetPlacingSide();
    if (side != 0 && side != 1) FatalError(1688, "BuildingWallCrater");
    ownerAxis = side != 0;
  }
  Rebuild();
}

void Crater::CornerAt(int32_t i, float& cx, float& cy) const {
  const float angle = rotation * 0.017453292519444445f;
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  const float u = (c - s) * radius;
  const float v = (c + s) * radius;
  switch (i) {
    case 1: cx = x - u; cy = y - v; break;
    case 2: cx = x - v; cy = y + u; break;
    case 3: cx = x + u; cy = y + v; break;
    default: cx = x + v; cy = y - u; break;
  }
}

void Crater::Rebuild() {
  if (map_ == nullptr) return;
  float px[5] = {x};
  float py[5] = {y};
  for (int32_t i = 1; i <= 4; ++i) CornerAt(i, px[i], py[i]);
  flat = 1;
  mixedGround = 0;
  for (int32_t i = 0; i < 5; ++i) {
    heights[i] = map_->ElevationAt(px[i], py[i]) + depthOffset;
    if (i > 0 && !(std::fabs(heights[i] - heights[0]) < 0.01f)) flat = 0;
    const int32_t t = map_->TerrainTypeAt(px[i], py[i]);
    if (t != 0 && t != 1) mixedGround = 1;
  }
}

float Crater::SpottingRadius() const {
  const int32_t t = map_->TerrainTypeAt(x, y);
  float r = t == 2 ? 45.0f : (t == 3 ? 20.0f : 120.0f);
  MapBattleServices* battle = map_->App().GetBattleOrOperation();
  const int32_t visibility = battle != nullptr ? battle->GetVisibilityClass() : 0;
  if (visibility == 2) r *= 0.333333f;
  else if (visibility == 1) r *= 0.666667f;
  return r;
}

bool Crater::IsSpottedBy(const MapUnitView& unit, float r) const {
  if (unit.IsAxis() == (ownerAxis != 0)) return false;
  if (!unit.CanFight() || !(unit.IsInfantry() || unit.IsVehicle())) return false;
  const float ux = unit.GetX();
  const float uy = unit.GetY();
  if (std::fabs(ux - x) > r || std::fabs(uy - y) > r) return false;
  if (!(Distance(ux, uy, x, y) < r)) return false;
  return unit.LineOfSightToPoint(x, y);
}

void Crater::TryReveal() {
  if (revealed) FatalError(1920, "BuildingWallCrater");
  if (map_ == nullptr) return;
  if (map_->App().GetOption(10) == 0) {
    Reveal();
    return;
  }
  const float r = SpottingRadius();
  MapBattleServices* battle = map_->App().GetBattleOrOperation();
  if (battle == nullptr) return;
  for (int32_t i = 0; i < battle->GetUnitCount(); ++i) {
    const MapUnitView* unit = battle->GetUnit(i);
    if (unit != nullptr && IsSpottedBy(*unit, r)) {
      Reveal();
      return;
    }
  }
}

void Crater::Reveal() {
  revealed = 1;
  if (map_ == nullptr) return;
  MapPacket packet;
  packet.kind = MapPacket::kCraterRevealed;
  packet.delay = 4;
  packet.x = x;
  packet.y = y;
  map_->Record(packet);
}
