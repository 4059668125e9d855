#include "game/battle/NearUnitGrid.h"

#include <algorithm>
#include <cmath>

#include "game/units/Unit.h"

void NearUnitGrid::Make(const std::vector<Unit*>& units) {
  units_ = units;
  strays_.clear();
  const int32_t count = static_cast<int32_t>(units_.size());
  float minX = 0.0f, minY = 0.0f, maxX = 0.0f, maxY = 0.0f;
  bool any = false;
  for (const Unit* unit : units_) {
    if (!std::isfinite(unit->x) || !std::isfinite(unit->y)) continue;
    if (!any) {
      minX = maxX = unit->x;
      minY = maxY = unit->y;
      any = true;
    } else {
      minX = std::min(minX, unit->x);
      maxX = std::max(maxX, unit->x);
      minY = std::min(minY, unit->y);
      maxY = std::max(maxY, unit->y);
    }
  }
  originX_ = minX;
  originY_ = minY;
  // A spread too wide for a grid of modest size (a unit far off the map) falls back to one
  // bucket: the answers stay right, only slower. The spread is measured before it becomes a
  // count, which a very wide one would not fit.
  const float spanColumns = (maxX - minX) / kCell;
  const float spanRows = (maxY - minY) / kCell;
  if (!any) {
    columns_ = rows_ = 0;
  } else if (spanColumns >= 65536.0f || spanRows >= 65536.0f ||
             (std::floor(spanColumns) + 1.0f) * (std::floor(spanRows) + 1.0f) > 65536.0f) {
    columns_ = rows_ = 1;
  } else {
    columns_ = static_cast<int32_t>(spanColumns) + 1;
    rows_ = static_cast<int32_t>(spanRows) + 1;
  }
  const int32_t cells = columns_ * rows_;
  starts_.assign(static_cast<size_t>(cells) + 1, 0);
  cellOf_.resize(units_.size());
  for (int32_t i = 0; i < count; ++i) {
    const Unit* unit = units_[static_cast<size_t>(i)];
    if (!std::isfinite(unit->x) || !std::isfinite(unit->y)) {
      cellOf_[static_cast<size_t>(i)] = -1;
      strays_.push_back(i);
      continue;
    }
    const int32_t cx = static_cast<int32_t>(std::min((unit->x - originX_) / kCell, static_cast<float>(columns_ - 1)));
    const int32_t cy = static_cast<int32_t>(std::min((unit->y - originY_) / kCell, static_cast<float>(rows_ - 1)));
    const int32_t cell = cy * columns_ + cx;
    cellOf_[static_cast<size_t>(i)] = cell;
    ++starts_[static_cast<size_t>(cell) + 1];
  }
  for (int32_t c = 0; c < cells; ++c) starts_[static_cast<size_t>(c) + 1] += starts_[static_cast<size_t>(c)];
  entries_.resize(static_cast<size_t>(starts_[static_cast<size_t>(cells)]));
  std::vector<int32_t>& fill = picked_;
  fill.assign(starts_.begin(), starts_.end() - 1);
  for (int32_t i = 0; i < count; ++i) {
    const int32_t cell = cellOf_[static_cast<size_t>(i)];
    if (cell >= 0) {
      const Unit* unit = units_[static_cast<size_t>(i)];
      entries_[static_cast<size_t>(fill[static_cast<size_t>(cell)]++)] = Entry{i, unit->x, unit->y};
    }
  }
}

void NearUnitGrid::Gather(const Unit* mover, float x, float y, float reach, bool unmeasured,
                          std::vector<Unit*>& out) const {
  picked_.clear();
  picked_.insert(picked_.end(), strays_.begin(), strays_.end());
  if (columns_ > 0 && std::isfinite(x) && std::isfinite(y)) {
    const float span = reach + kMargin;
    // The buckets the box around (x, y), widened by the margin, touches, clamped to the grid.
    const auto column = [this](float v) {
      const float c = std::floor((v - originX_) / kCell);
      return static_cast<int32_t>(std::clamp(c, 0.0f, static_cast<float>(columns_ - 1)));
    };
    const auto row = [this](float v) {
      const float r = std::floor((v - originY_) / kCell);
      return static_cast<int32_t>(std::clamp(r, 0.0f, static_cast<float>(rows_ - 1)));
    };
    const int32_t x0 = column(x - span), x1 = column(x + span);
    const int32_t y0 = row(y - span), y1 = row(y + span);
    for (int32_t cy = y0; cy <= y1; ++cy) {
      for (int32_t cx = x0; cx <= x1; ++cx) {
        const size_t cell = static_cast<size_t>(cy * columns_ + cx);
        for (int32_t e = starts_[cell]; e < starts_[cell + 1]; ++e) {
          // Only a unit that stood within the widened box may stand within reach now.
          const Entry& entry = entries_[static_cast<size_t>(e)];
          if (std::fabs(entry.x - x) <= span && std::fabs(entry.y - y) <= span) picked_.push_back(entry.index);
        }
      }
    }
  } else {
    // A mover at no finite point: every unit is measured, as the whole list would be.
    picked_.clear();
    for (int32_t i = 0; i < static_cast<int32_t>(units_.size()); ++i) picked_.push_back(i);
  }
  std::sort(picked_.begin(), picked_.end());
  for (const int32_t i : picked_) {
    Unit* unit = units_[static_cast<size_t>(i)];
    if (unit == mover) continue;
    const float ax = std::fabs(unit->x - x);
    const float ay = std::fabs(unit->y - y);
    if (unmeasured ? !(ax > reach || ay > reach) : ax <= reach && ay <= reach) out.push_back(unit);
  }
}
