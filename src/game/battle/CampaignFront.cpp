// The operation's front line after a battle, its end test and its result so far.
#include <cmath>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/CampaignHost.h"
#include "game/map/Map.h"
#include "game/units/Unit.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/ports/VehicleServices.h"

namespace {

constexpr const char* kFrontSource = "Campaign";

// A unit that still holds ground when the front is drawn.
bool HoldsGround(const Unit& unit) { return unit.alive != 0 && unit.status == 0 && !unit.HasSurrendered(); }

}  // namespace

bool Campaign::IsAcrossWestEast() const { return attackerEdge == 0 || attackerEdge == 2; }

float Campaign::FrontMetres() const { return (static_cast<float>(frontLine) + 0.5f) * 20.0f; }

float Campaign::FrontExtent() const {
  if (map == nullptr) FatalError(__LINE__, kFrontSource);
  const int32_t tiles = IsAcrossWestEast() ? map->size.tilesX : map->size.tilesY;
  return static_cast<float>(tiles) * 20.0f;
}

int32_t Campaign::FrontFromPosition(float metres, bool horizontal) const {
  int32_t t = static_cast<int32_t>((metres + 10.0f) * 0.05f) + (horizontal ? windowX : windowY);
  if (map != nullptr) {
    if (attackerEdge == 1) t = map->size.tilesY - t;
    if (attackerEdge == 2) t = map->size.tilesX - t;
  }
  int32_t delta = t - frontLine;
  if (operationType != 2) delta = static_cast<int32_t>(static_cast<float>(delta) * 1.6f);
  return frontLine + delta;
}

void Campaign::UpdateFrontLine() {
  Battle* battle = host_ != nullptr ? host_->GetCurrentBattle() : nullptr;
  if (battle == nullptr) FatalError(702, kFrontSource);
  if (battle->map == nullptr) FatalError(703, kFrontSource);
  const bool horizontal = IsAcrossWestEast();
  std::vector<const Unit*> lists[2];  // 0 the attacker's, 1 the defender's; not owning
  for (int32_t i = 0; i < battle->units.Count(); ++i) {
    const Unit* unit = battle->UnitAt(i);
    if (!HoldsGround(*unit)) continue;
    lists[unit->GetSideIndex() == attacker ? 0 : 1].push_back(unit);
  }
  const float middle = (horizontal ? battle->map->size.worldWidth : battle->map->size.worldHeight) * 0.5f;
  float num = middle * 0.01f;
  float den = 0.01f;
  const bool boost = operationType != 2;
  bool accepted = true;
  while (accepted && (!lists[0].empty() || !lists[1].empty())) {
    accepted = false;
    for (int32_t l = 0; l < 2; ++l) {
      std::vector<const Unit*>& list = lists[l];
      std::vector<const Unit*> kept;
      kept.reserve(list.size());
      for (const Unit* unit : list) {
        const int32_t before = FrontFromPosition(num / den, horizontal);
        const float savedNum = num;
        const float savedDen = den;
        unit->AddToForceCentroid(horizontal, num, den, l == 0 && boost);
        const int32_t after = FrontFromPosition(num / den, horizontal);
        // A unit joins the mean when it moves the front toward the other side's edge.
        if (l == 0 ? after > before : after < before) {
          accepted = true;
        } else {
          num = savedNum;
          den = savedDen;
          kept.push_back(unit);
        }
      }
      list.swap(kept);
    }
  }
  frontLine = FrontFromPosition(num / den, horizontal);
  if (operationType == 2) {
    // In "Destroy" the front stays clear of both edges.
    const int32_t m = static_cast<int32_t>(static_cast<float>(noMansLand) * 0.05f + 4.0f);
    const int32_t depth = static_cast<int32_t>(FrontExtent() / 20.0f);
    if (frontLine < m) frontLine = m;
    else if (frontLine > depth - m) frontLine = depth - m;
  }
}

bool Campaign::AttackerBrokeThrough() const {
  return FrontMetres() >= FrontExtent() - 0.7f * static_cast<float>(noMansLand);
}

bool Campaign::IsOver() const {
  // An operation not yet set up on its map ends by its length alone.
  if (currentTurn < 2 || map == nullptr) return PastLastTurn();
  if (FrontMetres() <= 0.7f * static_cast<float>(noMansLand)) return true;
  if (operationType != 2 && AttackerBrokeThrough()) return true;
  return PastLastTurn();
}

int32_t Campaign::AttackerLevel() const {
  const float fm = FrontMetres();
  const float nml = static_cast<float>(noMansLand);
  if (fm <= 0.7f * nml) return -4;
  // In double, so that a front exactly on a threshold meets it.
  const double progressDouble =
      (static_cast<double>(fm) - nml) / (static_cast<double>(FrontExtent()) - 2.0 * nml) * 100.0;
  const auto progress = static_cast<float>(progressDouble);
  switch (operationType) {
    case 0: {
      if (AttackerBrokeThrough()) {
        const float r = lastTurn > 0 ? static_cast<float>(currentTurn) / static_cast<float>(lastTurn) : 1.0f;
        if (r <= 0.51f) return 4;
        if (r <= 0.67f) return 3;
        if (r <= 0.85f) return 2;
        return 1;
      }
      if (progress <= 45.0f) return -4;
      if (progress <= 60.0f) return -3;
      if (progress <= 75.0f) return -2;
      if (progress <= 90.0f) return -1;
      return 0;
    }
    case 1: {
      if (AttackerBrokeThrough()) return 4;
      const auto e = static_cast<float>(expectedProgress);
      if (progress >= (e + 200.0f) * 0.67f) return 3;
      if (progress >= (2.0f * e + 100.0f) * 0.33f) return 2;
      if (progress >= e) return 1;
      if (progress >= e - 10.0f) return 0;
      if (progress >= 0.75f * e) return -1;
      if (progress >= 0.5f * e) return -2;
      if (progress >= 0.25f * e) return -3;
      return -4;
    }
    case 2: {
      static constexpr float kWeights[7] = {1.0f, 2.0f, 4.0f, 7.0f, 10.0f, 15.0f, 0.0f};
      float losses[2] = {};
      for (int32_t side = 0; side < 2; ++side) {
        for (int32_t i = 0; i < 7; ++i) losses[side] += kWeights[i] * static_cast<float>(lossTally[side][i]);
      }
      const int32_t a = attacker & 1;
      // A defender without losses: the attacker did as badly as can be.
      if (losses[1 - a] <= 0.0f) return -4;
      const float q = losses[a] / losses[1 - a] / casualtyRatio;
      if (q <= 0.333f) return 4;
      if (q <= 0.444f) return 3;
      if (q <= 0.625f) return 2;
      if (q <= 0.87f) return 1;
      if (q < 1.15f) return 0;
      if (q < 1.6f) return -1;
      if (q < 2.25f) return -2;
      if (q < 3.0f) return -3;
      return -4;
    }
    default: FatalError(2039, kFrontSource);
  }
  return 0;
}

int32_t Campaign::GetResultLevel() const {
  const Battle* battle = host_ != nullptr ? host_->GetCurrentBattle() : nullptr;
  if (battle != nullptr) {
    if (battle->endState[0] == 2) return 4;
    if (battle->endState[1] == 2) return -4;
  }
  const int32_t level = AttackerLevel();
  return attacker == 0 ? -level : level;
}
