// Where a unit may start a battle and how it is put there: the set-up zone test, the spacing
// between units, the ring search for a free spot, lining up along an edge, moving back into
// an area between the battles of an operation, and the ammunition resupply between them.
#include <algorithm>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/units/ExposureCounter.h"
#include "game/units/Unit.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitScreen.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"

namespace {

const Map& PlacementMap() {
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map == nullptr) FatalError(__LINE__, "Unit.cpp");
  return *map;
}

bool InOperation() {
  const UnitOrderHost* host = GetUnitOrderHost();
  return host != nullptr && host->InOperation();
}

// The full load of the unit's class; 0 for the kinds without one.
int32_t FullLoad(const Unit& unit) {
  if (const InfantryServices* infantry = unit.AsInfantry()) return infantry->GetClassData().AmmoLoad();
  if (const VehicleServices* vehicle = unit.AsVehicle()) return vehicle->GetClassData(0).AmmoLoad();
  return 0;
}

int32_t AmmoSum(const std::array<uint16_t, Unit::kAmmoKinds>& ammo) {
  int32_t sum = 0;
  for (uint16_t count : ammo) sum += count;
  return sum;
}

// Cap and addition of each supply setting, as shares of the full load.
constexpr float kSupplyCap[6] = {1.0f, 1.0f, 1.0f, 0.75f, 0.5f, 0.33f};
constexpr float kSupplyAddition[6] = {1.0f, 0.75f, 0.55f, 0.4f, 0.25f, 0.125f};

}  // namespace

void Unit::ResupplyAmmo() {
  UnitOrderHost* host = GetUnitOrderHost();
  if (host == nullptr || !host->InOperation()) FatalError(__LINE__, "Unit.cpp");
  if (!IsVehicle() && !IsInfantry()) return;
  const int32_t load = FullLoad(*this);
  if (load <= 0) return;
  const int32_t setting = host->GetSupplySetting(GetSideIndex());
  if (setting < 0 || setting > 5) FatalError(__LINE__, "Unit.cpp");
  const int32_t have = AmmoSum(ammo);
  const auto cap = static_cast<int32_t>(static_cast<float>(load) * kSupplyCap[setting]);
  const auto addition = static_cast<int32_t>(static_cast<float>(load) * kSupplyAddition[setting]);
  const int32_t goal = std::min(cap, have + addition);
  if (have < goal) {
    std::array<uint16_t, kAmmoKinds> fresh{};
    ComputeDefaultAmmo(fresh.data(), nullptr, GetAmmoMixRow());
    for (int32_t k = 0; k < kAmmoKinds; ++k) {
      // The fresh count times goal / load, truncated (whole numbers: exact).
      const auto scaled = static_cast<uint16_t>(static_cast<int32_t>(fresh[k]) * goal / load);
      if (ammo[k] < scaled) ammo[k] = scaled;
    }
  }
  if (AmmoSum(ammo) > load) ComputeDefaultAmmo(ammo.data(), nullptr, GetAmmoMixRow());
}

bool Unit::CanDeployAt(float px, float py) {
  if (IsEditorOpen()) return true;
  if (setupZone == 7) return px == x && py == y;
  if (px < 0.0f || py < 0.0f) return false;
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map == nullptr) return false;
  const auto tileX = static_cast<int32_t>(px * 0.05f);
  const auto tileY = static_cast<int32_t>(py * 0.05f);
  if (!map->terrain.tiles.Contains(tileX, tileY)) return false;
  const int32_t zone = map->terrain.tiles.At(tileX, tileY).zone;
  if (setupZone == 0) {
    // Allied by the control side rule: a surrendered unit counts as the other side's.
    const bool allied = (side == 0) != HasSurrendered();
    return allied ? zone >= 1 && zone <= 3 : zone >= 4;
  }
  return zone == setupZone;
}

bool Unit::IsCrowdedAt(float px, float py) const {
  const MapBattleServices* battle = UnitBattle();
  if (battle == nullptr) return false;
  const float spacing = PlacementSpacing();
  const int32_t count = battle->GetUnitCount();
  for (int32_t i = 0; i < count; ++i) {
    const Unit* other = UnitOfView(battle->GetUnit(i));
    if (other == nullptr || other == this) continue;
    if (other->alive == 0 && !other->IsRegularUnit()) continue;
    if (std::fabs(other->x - px) < spacing && std::fabs(other->y - py) < spacing) return true;
  }
  return false;
}

bool Unit::SearchPlacement(bool zoneTest, float px, float py, float maxRadius, float step, int32_t mode) {
  if (!(step > 0.0f)) FatalError(__LINE__, "Unit.cpp");
  const Map& map = PlacementMap();
  const float width = map.size.worldWidth;
  const float height = map.size.worldHeight;
  for (float r = 0.01f; r < maxRadius + 1.0f; r += step) {
    const float start = RandomFloatTimes(360.0f);
    const float angleStep = step * 57.29578f / r;
    for (float a = 0.0f; a < 360.0f; a += angleStep) {
      const float angle = (start + a) * GMath::kRadiansPerDegree;
      const float cx = std::clamp(px + r * std::cos(angle), 5.0f, width - 5.0f);
      const float cy = std::clamp(py + r * std::sin(angle), 5.0f, height - 5.0f);
      bool accepted = true;
      // Mode 2 wants a spot in cover.
      if (mode == 2 && !map.IsConcealingAt(cx, cy, false)) accepted = false;
      if (accepted && !CanStandAt(cx, cy, true)) accepted = false;
      if (accepted && FindUnitNearPoint(cx, cy, 0.0f, nullptr)) accepted = false;
      if (accepted && zoneTest && !CanDeployAt(cx, cy)) accepted = false;
      if (accepted && mode != 0 && IsCrowdedAt(cx, cy)) accepted = false;
      x = cx;
      y = cy;
      if (accepted) return true;
    }
  }
  return false;
}

bool Unit::CheckPlacement(float px, float py, bool zoneTest, bool faceCentre, bool vehicleFirst) {
  if (IsPassenger()) return false;
  bool placed = false;
  if (vehicleFirst && IsVehicle()) placed = SearchPlacement(zoneTest, px, py, 150.0f, 4.0f, 2);
  if (!placed) placed = SearchPlacement(zoneTest, px, py, 200.0f, 10.0f, 1);
  if (!placed) placed = SearchPlacement(zoneTest, px, py, 400.0f, 3.0f, 0);
  if (faceCentre) {
    const Map& map = PlacementMap();
    const float bearing =
        std::atan2(map.size.worldHeight * 0.5f - y, map.size.worldWidth * 0.5f - x) / GMath::kRadiansPerDegree;
    facing = bearing < 0.0f ? bearing + 360.0f : bearing;
  }
  SyncPassengers();
  SnapshotWaypoints();
  GetUnitScreen().RefreshUnitPanel();
  return placed;
}

bool Unit::PlaceAlongEdge(int32_t edge, float depth) {
  const Map& map = PlacementMap();
  const float width = map.size.worldWidth;
  const float height = map.size.worldHeight;
  float px = 0.0f;
  float py = 0.0f;
  float alongX = 0.0f;  // the step along the edge
  float alongY = 0.0f;
  float inX = 0.0f;  // the direction away from the edge
  float inY = 0.0f;
  float newFacing = 0.0f;
  switch (edge) {
    case 0: px = depth + 5.0f; py = 5.0f; alongY = 1.0f; inX = 1.0f; newFacing = 0.0f; break;
    case 1: px = 5.0f; py = height - 5.0f - depth; alongX = 1.0f; inY = -1.0f; newFacing = 270.0f; break;
    case 2: px = width - 5.0f - depth; py = height - 5.0f; alongY = -1.0f; inX = -1.0f; newFacing = 180.0f; break;
    case 3: px = width - 5.0f; py = depth + 5.0f; alongX = -1.0f; inY = 1.0f; newFacing = 90.0f; break;
    default: FatalError(__LINE__, "Unit.cpp");
  }
  if (depth != 0.0f) newFacing = std::fmod(newFacing + 180.0f, 360.0f);
  facing = newFacing;
  const float startX = px;
  const float startY = py;
  const float spacing = PlacementSpacing();
  for (int32_t tries = 0; tries < 500; ++tries) {
    if (CanStandAt(px, py, true) && !FindUnitNearPoint(px, py, 0.0f, nullptr) && !IsCrowdedAt(px, py)) {
      x = px;
      y = py;
      return true;
    }
    px += alongX * spacing;
    py += alongY * spacing;
    const bool pastEnd = px < 5.0f || px > width - 5.0f || py < 5.0f || py > height - 5.0f;
    if (pastEnd) {
      // Back to the start of the row, one row farther in.
      if (alongX != 0.0f) px = startX;
      if (alongY != 0.0f) py = startY;
      px += inX * 16.5f;
      py += inY * 16.5f;
    }
  }
  return false;
}

bool Unit::MoveIntoArea(float left, float bottom, float right, float top) {
  if (IsPassenger()) return false;
  if (x >= left && x <= right && y >= bottom && y <= top) return false;
  if (!InOperation()) FatalError(__LINE__, "Unit.cpp");
  setupZone = IsAxis() ? 4 : 1;
  const Map& map = PlacementMap();
  const float oldX = x;
  const float oldY = y;
  const float middleX = (left + right) * 0.5f;
  const float middleY = (bottom + top) * 0.5f;
  float d = RandomFloatTimes(80.0f);
  for (int32_t attempt = 0; attempt < 4; ++attempt) {
    d += 20.0f;
    float px = oldX;
    float py = oldY;
    if (oldX < left) px = std::min(left + d, middleX);
    if (oldX > right) px = std::max(right - d, middleX);
    if (oldY < bottom) py = std::min(bottom + d, middleY);
    if (oldY > top) py = std::max(top - d, middleY);
    x = px;
    y = py;
    CheckPlacement(px, py, attempt < 2, false, false);
    if (CanStandAt(x, y, true) && map.IsOnMap(x, y)) {
      SyncPassengers();
      level = 0.0f;
      return true;
    }
  }
  x = oldX;
  y = oldY;
  return false;
}

float Unit::ExposureAt(float px, float py, bool flag, bool mean) {
  ++ExposureCounter::calls;
  const Map& map = PlacementMap();
  const float oldX = x;
  const float oldY = y;
  x = px;
  y = py;
  const auto from = [&](float fx, float fy) { return VisibilityFromPoint(fx, fy, map.ElevationAt(fx, fy), flag); };
  float result;
  if (mean) {
    result = (from(px + 8.0f, py + 4.0f) + from(px - 8.0f, py + 4.0f) + from(px + 8.0f, py - 4.0f) +
              from(px - 8.0f, py - 4.0f)) *
             0.25f;
  } else {
    result = from(px + 8.0f, py + 4.0f);
  }
  x = oldX;
  y = oldY;
  return result;
}
