#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "framework/core/GObjectGroup.h"
#include "framework/core/Quorl.h"
#include "game/ai/AIFireCell.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/VehicleServices.h"

namespace {

// Where a cell stands for no area target.
constexpr float kNoTarget = 100000.0f;

// The running sums of one cell's score.
struct CellSums {
  const AIPlanContext* context = nullptr;
  float x = 0.0f;
  float y = 0.0f;
  int32_t score = 0;
  int32_t behind = 0;
  int32_t edge = 0;
  // The side's edge is West or East: distances along y count 2.5 times, else along x.
  bool stretchY = false;
};

int32_t Trunc(float v) { return static_cast<int32_t>(v); }

// Whether the unit can count for a cell at all: alive, known well enough, not given up, and
// infantry on its own or a vehicle that is no emplacement.
bool CountsForCells(const Unit& unit) {
  if (!unit.IsAlive() || unit.identificationLevel < 2 || unit.HasSurrendered()) return false;
  if (unit.IsInfantry()) {
    const InfantryServices* infantry = unit.AsInfantry();
    return infantry == nullptr || infantry->GetOriginUnit() == nullptr;
  }
  if (unit.IsVehicle()) {
    const VehicleServices* vehicle = unit.AsVehicle();
    return vehicle == nullptr || !vehicle->IsEmplacement();
  }
  return false;
}

// The unit, shown at (px, py), adds to the cell's sums.
void AddUnitAt(Unit& unit, float px, float py, CellSums& sums) {
  float dx = sums.x - px;
  float dy = sums.y - py;
  if (sums.stretchY) {
    dy *= 2.5f;
  } else {
    dx *= 2.5f;
  }
  const float d = std::sqrt(dx * dx + dy * dy);
  if (d >= 200.0f) return;
  float w = d <= 10.0f ? 1.0f : 1.05263f - d * 0.0052632f;
  w = w * w * w * w * w;

  float a = -50.0f;
  float bh = 0.0f;
  if (unit.GetSideIndex() != sums.context->side) {
    if (!unit.IsInfantry()) {
      a = unit.CanMove() ? 20.0f : 1.0f;
    } else {
      if (unit.HasMainWeaponOfType23(false)) {
        a = sums.context->PurchaseCost(unit);
      } else {
        const int32_t full = unit.GetFullStrength();
        a = full > 0 ? static_cast<float>(unit.GetMenPresent()) / static_cast<float>(full) * 8.0f : 0.0f;
      }
      a *= sums.context->OwnExposure(unit) * 3.0303f;
    }
    if (!unit.IsIdentified()) a *= 0.5f;
    bool beyond = false;
    switch (sums.edge) {
      case 0: beyond = dx < 0.0f; break;
      case 1: beyond = dy > 0.0f; break;
      case 2: beyond = dx > 0.0f; break;
      default: beyond = dy < 0.0f; break;
    }
    if (beyond) {
      bh = sums.context->PurchaseCost(unit);
      if (!unit.HasMainWeaponOfType23(true)) {
        bh *= 0.33f;
      } else if (!unit.HasMainWeaponOfType23(false)) {
        bh *= 0.6f;
      }
      if (unit.GetSpeedClass() < 2) {
        bh *= 2.0f;
        const VehicleServices* vehicle = unit.IsVehicle() ? unit.AsVehicle() : nullptr;
        if (vehicle != nullptr && vehicle->IsEmplacement()) bh *= 2.0f;
      }
      if (unit.IsMoving()) bh *= 0.33f;
      if (unit.target == nullptr) bh *= 0.33f;
    }
  }
  const float aw = a * w;
  sums.score = Trunc(static_cast<float>(sums.score) + aw + (aw > 0.0f ? 0.4f : -0.4f));
  sums.behind = Trunc(static_cast<float>(sums.behind) + w * bh + 0.4f);
}

void AddUnitToFireCell(Unit& unit, CellSums& sums) {
  if (!CountsForCells(unit)) return;
  float px = unit.x;
  float py = unit.y;
  unit.GetShownPosition(px, py, nullptr);
  AddUnitAt(unit, px, py, sums);
}

// The units that count for the cells with their shown places, by 40 m buckets, so that a
// cell visits only the units near enough to count, in the unit list's order as the full walk
// does (every truncated running sum is then the same). Nothing a plan does while the cells
// are scored moves a unit or changes what it shows.
class FireCellIndex {
 public:
  FireCellIndex(Battle& battle, float width, float height) {
    nx_ = static_cast<int32_t>((width + 2.0f * kMargin) / kBucket) + 1;
    ny_ = static_cast<int32_t>((height + 2.0f * kMargin) / kBucket) + 1;
    buckets_.resize(static_cast<size_t>(nx_) * static_cast<size_t>(ny_));
    for (int32_t k = 0; k < battle.UnitCount(); ++k) {
      Unit* unit = battle.UnitAt(k);
      if (!CountsForCells(*unit)) continue;
      float px = unit->x;
      float py = unit->y;
      unit->GetShownPosition(px, py, nullptr);
      // Farther than any cell reaches (parked units stand 100 km off): it never counts.
      if (!(px >= -kMargin && px < width + kMargin && py >= -kMargin && py < height + kMargin)) continue;
      entries_.push_back({unit, px, py});
      buckets_[static_cast<size_t>(Bucket(py, ny_)) * static_cast<size_t>(nx_) + static_cast<size_t>(Bucket(px, nx_))]
          .push_back(static_cast<int32_t>(entries_.size() - 1));
    }
  }
  // Adds every unit near enough to the cell, in list order.
  void Score(CellSums& sums) {
    // A unit counts within 200 m after the stretch: 80 m raw along the stretched axis.
    const float reachX = sums.stretchY ? 200.0f : 80.0f;
    const float reachY = sums.stretchY ? 80.0f : 200.0f;
    const int32_t x0 = Bucket(sums.x - reachX, nx_);
    const int32_t x1 = Bucket(sums.x + reachX, nx_);
    const int32_t y0 = Bucket(sums.y - reachY, ny_);
    const int32_t y1 = Bucket(sums.y + reachY, ny_);
    near_.clear();
    for (int32_t by = y0; by <= y1; ++by) {
      for (int32_t bx = x0; bx <= x1; ++bx) {
        const auto& bucket = buckets_[static_cast<size_t>(by) * static_cast<size_t>(nx_) + static_cast<size_t>(bx)];
        near_.insert(near_.end(), bucket.begin(), bucket.end());
      }
    }
    std::sort(near_.begin(), near_.end());
    for (const int32_t e : near_) {
      const Entry& entry = entries_[static_cast<size_t>(e)];
      AddUnitAt(*entry.unit, entry.x, entry.y, sums);
    }
  }

 private:
  static constexpr float kBucket = 40.0f;
  static constexpr float kMargin = 240.0f;
  struct Entry {
    Unit* unit;
    float x;
    float y;
  };
  static int32_t Bucket(float v, int32_t count) {
    const int32_t b = static_cast<int32_t>(std::floor((v + kMargin) / kBucket));
    return std::clamp(b, 0, count - 1);
  }
  int32_t nx_ = 0;
  int32_t ny_ = 0;
  std::vector<Entry> entries_;
  std::vector<std::vector<int32_t>> buckets_;
  std::vector<int32_t> near_;
};

int32_t CompareFireCells(GObject* a, GObject* b, void*) {
  const int16_t va = static_cast<AIFireCell*>(a)->adjusted;
  const int16_t vb = static_cast<AIFireCell*>(b)->adjusted;
  return va < vb ? 1 : (va > vb ? -1 : 0);
}

int16_t Clamp16(int32_t v) { return static_cast<int16_t>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v)); }

}  // namespace

bool AIOperational::IsFireUnit(const AIPlanContext& context, const Unit& unit) {
  return unit.IsAlive() && unit.HasMainWeaponOfType5() && unit.GetSideIndex() == context.side && unit.CanFight() &&
         !unit.IsPassenger() && unit.ammo[0] != 0;
}

namespace {

CellSums StartCell(const AIPlanContext& context, float x, float y, int32_t side) {
  CellSums sums;
  sums.context = &context;
  sums.x = x;
  sums.y = y;
  sums.edge = context.battle->FindEdgeOfSide(side);
  sums.stretchY = sums.edge == 0 || sums.edge == 2;
  return sums;
}

// The cell's score, and its behind value by the battle's visibility.
int32_t FinishCell(const Battle& battle, const CellSums& sums, int16_t* behind) {
  int32_t value = 0;
  const float visibility = battle.visibilityRange;
  if (visibility > 100.0f) {
    value = Trunc(static_cast<float>(sums.behind) * 0.5f);
    if (visibility < 500.0f) value = Trunc(static_cast<float>(value) * (visibility - 100.0f) * 0.0025f);
  }
  if (behind != nullptr) *behind = Clamp16(value);
  return sums.score;
}

}  // namespace

int32_t AIOperational::ScoreFireCell(const AIPlanContext& context, float x, float y, int32_t side, int16_t* behind) {
  Battle& battle = *context.battle;
  CellSums sums = StartCell(context, x, y, side);
  for (int32_t k = 0; k < battle.UnitCount(); ++k) AddUnitToFireCell(*battle.UnitAt(k), sums);
  return FinishCell(battle, sums, behind);
}

int32_t AIOperational::AreaFireBase(int32_t fireUnits, int32_t turn, int32_t turns, float* f) {
  int32_t b = 60 - 5 * fireUnits;
  if (b < 30) b = 30;
  float g = turns > 0 ? (static_cast<float>(turns) - static_cast<float>(turn) * 1.3f) / static_cast<float>(turns) : 0.0f;
  if (g <= 0.0f) {
    b = 0;
  } else {
    g = g * g;
    b = Trunc(static_cast<float>(b) * g);
  }
  if (f != nullptr) *f = g;
  return b;
}

int32_t AIOperational::AreaFireThreshold(int32_t base, float f, const Unit& unit) {
  int32_t t = base;
  if (f > 0.0f) {
    t = Trunc(static_cast<float>(base) + static_cast<float>(40 - static_cast<int32_t>(unit.ammo[0])) * 0.5f);
    if (t < base / 2) t = base / 2;
  }
  if (unit.losses > 0 && t > 5) t = 5;
  if (t < 1) t = 1;
  return t;
}

void AIOperational::PlanAreaFire(const AIPlanContext& context) {
  Battle& battle = *context.battle;
  if (battle.map == nullptr) return;
  std::vector<Unit*> fireUnits;
  for (int32_t k = 0; k < battle.UnitCount(); ++k) {
    Unit* unit = battle.UnitAt(k);
    if (IsFireUnit(context, *unit)) fireUnits.push_back(unit);
  }
  // The cells' scores draw nothing and change nothing: with no one to fire they are not made.
  if (fireUnits.empty()) return;

  const int32_t nx = (battle.map->size.tilesX + 1) / 2;
  const int32_t ny = (battle.map->size.tilesY + 1) / 2;
  std::vector<AIFireCell> cells(static_cast<size_t>(nx) * static_cast<size_t>(ny));
  std::unique_ptr<FireCellIndex> index;
  if (AIPlanContext::gUseCaches) {
    index = std::make_unique<FireCellIndex>(battle, battle.map->size.worldWidth, battle.map->size.worldHeight);
  }
  GObjectGroup list;
  list.Init();
  list.SetOwnsMembers(false);
  size_t next = 0;
  for (int32_t i = nx - 1; i >= 0; --i) {
    for (int32_t j = ny - 1; j >= 0; --j) {
      AIFireCell& cell = cells[next++];
      cell.x = static_cast<float>(2 * i + 1) * 20.0f;
      cell.y = static_cast<float>(2 * j + 1) * 20.0f;
      int16_t behind = 0;
      int32_t score = 0;
      if (index != nullptr) {
        CellSums sums = StartCell(context, cell.x, cell.y, context.side);
        index->Score(sums);
        score = FinishCell(battle, sums, &behind);
      } else {
        score = ScoreFireCell(context, cell.x, cell.y, context.side, &behind);
      }
      cell.fromBehind = score < behind;
      cell.score = cell.fromBehind ? behind : Clamp16(score);
      list.Append(&cell);
    }
  }

  float f = 0.0f;
  const int32_t base = AreaFireBase(static_cast<int32_t>(fireUnits.size()), battle.currentTurn, battle.lastTurn, &f);
  for (size_t u = fireUnits.size(); u-- > 0;) {
    Unit& unit = *fireUnits[u];
    const int32_t t = AreaFireThreshold(base, f, unit);
    const bool firing = unit.areaFire != 0;
    float tx = kNoTarget;
    float ty = kNoTarget;
    if (firing) unit.GetTargetPosition(tx, ty, nullptr);
    for (int32_t k = 0; k < list.Count(); ++k) {
      AIFireCell& cell = *static_cast<AIFireCell*>(list.GetItem(k));
      int32_t adjusted = Trunc(static_cast<float>(cell.score) * (0.9f + RandomFloatTimes(0.2f)));
      const float dx = std::fabs(cell.x - tx);
      const float dy = std::fabs(cell.y - ty);
      if (dx < 100.0f && dy < 100.0f) {
        if (dx < 5.0f && dy < 5.0f) {
          adjusted = Trunc(static_cast<float>(adjusted) * 1.8f);
        } else if (dx * dx + dy * dy <= 10000.0f) {
          adjusted = Trunc(static_cast<float>(adjusted) * 1.4f);
        }
      }
      cell.adjusted = Clamp16(adjusted);
    }
    list.QuickSort(CompareFireCells, nullptr);
    for (int32_t k = 0; k < list.Count(); ++k) {
      const AIFireCell& cell = *static_cast<AIFireCell*>(list.GetItem(k));
      const int32_t v = unit.LineOfSightToPoint(cell.x, cell.y) ? cell.adjusted
                                                                : Trunc(static_cast<float>(cell.adjusted) * 0.2f);
      if (t <= v) {
        if (!(firing && std::fabs(tx - cell.x) <= 20.0f && std::fabs(ty - cell.y) <= 20.0f)) {
          unit.SetTarget(nullptr, cell.x, cell.y, cell.fromBehind, true);
        }
        break;
      }
      if (cell.adjusted < t) {
        unit.ClearOrderState(true);
        break;
      }
    }
  }
  list.DeleteAll(false);
}
