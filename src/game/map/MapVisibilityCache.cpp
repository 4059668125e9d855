// The unit-pair visibility cache: one 32-bit entry per unordered pair of the battle's units,
// the result of the last trace between them stamped with its time slice. An entry counts only
// while neither unit has moved since; fire and blasts empty the entries of lines near them.
//
// Entry bits: 0-11 stamp (0xFFF empty), 12 flag of the higher index, 13 flag of the lower
// index, 14 pair flag, 15 seen, 16-31 visibility x 65000.
#include <algorithm>
#include <cmath>

#include "framework/core/GDynamicArray.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapUnitView.h"

namespace {

constexpr uint32_t kEmpty = 0xFFF;
constexpr uint32_t kStampMask = 0xFFF;
constexpr uint32_t kHigherFlag = 0x1000;
constexpr uint32_t kLowerFlag = 0x2000;
constexpr uint32_t kPairFlag = 0x4000;
constexpr uint32_t kSeen = 0x8000;
constexpr float kValueScale = 65000.0f;

GDynamicArray* Grid(GObject* object) { return static_cast<GDynamicArray*>(object); }

bool IsValidEntry(uint32_t word, int32_t lastMovingA, int32_t lastMovingB) {
  const int32_t stamp = static_cast<int32_t>(word & kStampMask);
  return stamp != static_cast<int32_t>(kEmpty) && lastMovingA < stamp && lastMovingB < stamp;
}

}  // namespace

int32_t Map::VisibilityIndexOf(const MapUnitView* unit) const {
  if (unit == nullptr) return -1;
  const auto found = visibilityCache_.index.find(unit);
  if (found == visibilityCache_.index.end()) return -1;
  const int32_t index = found->second;
  // An entry belongs to the two units that stood at its places when the grid was made. A unit
  // whose place has changed since (a unit before it left the list, or the list was reordered)
  // is not in the cache until the grid is made again: read by its new place it would take
  // another pair's answer.
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr) return -1;
  if (index < std::min(battle->GetUnitCount(), visibilityCache_.n) && battle->GetUnit(index) == unit) return index;
  return -1;
}

bool Map::CachedVisibility(const MapUnitView* a, const MapUnitView* b, bool& seen, float* value, bool* pairFlag,
                           bool* flagOfB) const {
  if (!visibilityCache_.enabled || display.pairVisibility == nullptr) return false;
  const int32_t ia = VisibilityIndexOf(a);
  const int32_t ib = VisibilityIndexOf(b);
  if (ia < 0 || ib < 0 || ia == ib) return false;
  const int32_t i = std::min(ia, ib);
  const int32_t j = std::max(ia, ib);
  const uint32_t word = Grid(display.pairVisibility)->GetU32(i, j);
  if (!IsValidEntry(word, a->GetLastMovingSlice(), b->GetLastMovingSlice())) return false;
  seen = (word & kSeen) != 0;
  if (value != nullptr) *value = static_cast<float>(word >> 16) / kValueScale;
  const bool pair = (word & kPairFlag) != 0;
  if (pairFlag != nullptr) *pairFlag = pair;
  if (pair && flagOfB != nullptr) *flagOfB = (word & (ia < ib ? kHigherFlag : kLowerFlag)) != 0;
  return true;
}

void Map::StoreVisibility(const MapUnitView* a, const MapUnitView* b, bool seen, float value, bool pairFlag,
                          bool flagOfA, bool flagOfB) {
  if (!visibilityCache_.enabled) return;
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr) return;
  if (display.pairVisibility == nullptr) {
    // Fewer than two units hold no pair: no grid is made until there are.
    const int32_t n = battle->GetUnitCount();
    if (n < 2) return;
    auto* grid = new GDynamicArray;
    grid->Init(4, n, n);
    for (int32_t r = 0; r < n; ++r) {
      for (int32_t c = 0; c < n; ++c) grid->SetU32(r, c, kEmpty);
    }
    display.pairVisibility = grid;
    visibilityCache_.n = n;
    visibilityCache_.newestStamp = -1;
    visibilityCache_.index.clear();
    visibilityCache_.index.reserve(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) visibilityCache_.index.emplace(battle->GetUnit(i), i);
  }
  int32_t i = VisibilityIndexOf(a);
  int32_t j = VisibilityIndexOf(b);
  if (i < 0 || j < 0 || i == j) return;
  if (j < i) {
    std::swap(i, j);
    std::swap(flagOfA, flagOfB);
  }
  GDynamicArray* grid = Grid(display.pairVisibility);
  // A value above 1 would spill out of its 16 bits: it is held at the largest stored value.
  const int32_t scaled = std::clamp(TruncateToInt32(value * kValueScale), 0, 0xFFFF);
  uint32_t word = value < 0.0f ? (grid->GetU32(i, j) & 0xFFFF0000u) : static_cast<uint32_t>(scaled) << 16;
  if (seen) word |= kSeen;
  if (pairFlag) {
    word |= kPairFlag;
    if (flagOfA) word |= kLowerFlag;
    if (flagOfB) word |= kHigherFlag;
  }
  const int32_t slice = battle->GetCurrentSlice();
  const uint32_t stamp = static_cast<uint32_t>(slice < 0 ? 0 : slice) & kStampMask;
  word |= stamp;
  grid->SetU32(i, j, word);
  visibilityCache_.newestStamp = std::max(visibilityCache_.newestStamp, static_cast<int32_t>(stamp));
}

bool Map::VisibilityStoreLapses(const MapUnitView* a, const MapUnitView* b) const {
  if (!visibilityCache_.enabled) return true;
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr) return true;
  if (display.pairVisibility == nullptr || a == nullptr || b == nullptr) return false;
  const int32_t slice = battle->GetCurrentSlice();
  const int32_t stamp = static_cast<int32_t>(static_cast<uint32_t>(slice < 0 ? 0 : slice) & kStampMask);
  // Most pairs asked stand still: they are answered before the places are looked up.
  if (std::max(a->GetLastMovingSlice(), b->GetLastMovingSlice()) < stamp) return false;
  // No entry is newer than the stamp: whatever the places, the store would lapse.
  if (visibilityCache_.newestStamp <= stamp) return true;
  const int32_t ia = VisibilityIndexOf(a);
  const int32_t ib = VisibilityIndexOf(b);
  if (ia < 0 || ib < 0 || ia == ib) return true;
  const uint32_t word = Grid(display.pairVisibility)->GetU32(std::min(ia, ib), std::max(ia, ib));
  const int32_t stored = static_cast<int32_t>(word & kStampMask);
  return stored == static_cast<int32_t>(kEmpty) || stored <= stamp;
}

void Map::FreeVisibilityCache() {
  SafeDelete(display.pairVisibility);
  visibilityCache_.n = 0;
  visibilityCache_.newestStamp = -1;
  visibilityCache_.index.clear();
}

void Map::InvalidateVisibilityNear(float x, float y, float radius) {
  if (!visibilityCache_.enabled || display.pairVisibility == nullptr) return;
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(radius)) return;
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr) return;
  const int32_t n = std::min(battle->GetUnitCount(), visibilityCache_.n);
  VisibilityCache& cache = visibilityCache_;
  cache.x.resize(static_cast<size_t>(n));
  cache.y.resize(static_cast<size_t>(n));
  cache.lastMoving.resize(static_cast<size_t>(n));
  for (int32_t k = 0; k < n; ++k) {
    const MapUnitView* unit = battle->GetUnit(k);
    cache.x[static_cast<size_t>(k)] = unit->GetX();
    cache.y[static_cast<size_t>(k)] = unit->GetY();
    cache.lastMoving[static_cast<size_t>(k)] = unit->GetLastMovingSlice();
  }
  GDynamicArray* grid = Grid(display.pairVisibility);
  for (int32_t i = 0; i < n; ++i) {
    const float ax = cache.x[static_cast<size_t>(i)];
    const float ay = cache.y[static_cast<size_t>(i)];
    const int32_t lastA = cache.lastMoving[static_cast<size_t>(i)];
    for (int32_t j = i + 1; j < n; ++j) {
      const uint32_t word = grid->GetU32(i, j);
      if (!IsValidEntry(word, lastA, cache.lastMoving[static_cast<size_t>(j)])) continue;
      const float dx = cache.x[static_cast<size_t>(j)] - ax;
      const float dy = cache.y[static_cast<size_t>(j)] - ay;
      if (dx == 0.0f && dy == 0.0f) continue;  // both on one point: no line
      const float lengthSquared = dx * dx + dy * dy;
      const float length = std::sqrt(lengthSquared);
      const float px = x - ax;
      const float py = y - ay;
      const float u = (px * dy - py * dx) / lengthSquared;
      if (length * std::fabs(u) > radius) continue;
      // The position along the line, measured along its larger extent for accuracy.
      const float s = std::fabs(dx) >= std::fabs(dy) ? (px - u * dy) / dx : (py + u * dx) / dy;
      if (s >= -radius / length && s <= radius / length + 1.0f) grid->SetU32(i, j, kEmpty);
    }
  }
}
