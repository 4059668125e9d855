#include "game/ai/AIGoalGroup.h"

#include <algorithm>
#include <cmath>

#include "framework/core/Quorl.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/GoalDistanceRecord.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"

namespace {

// Below this weight sum the flags of a goal carry no points for the side.
constexpr float kLeastWeight = 0.0001f;

float Hypot(float dx, float dy) { return std::sqrt(dx * dx + dy * dy); }

}  // namespace

AIGoalGroup::~AIGoalGroup() = default;

void AIGoalGroup::InitFromFlag(VictoryFlag* flag) {
  Init();
  SetOwnsMembers(false);
  Append(flag);
  centreX = flag->x;
  centreY = flag->y;
  distances.IObjectGroup();
  distances.SetOwnsMembers(true);
  secured = false;
  targeted = false;
  fixed = false;
}

void AIGoalGroup::TakeOwnFlag(VictoryFlag* flag) { ownFlag_.reset(flag); }

VictoryFlag* AIGoalGroup::FlagAt(int32_t index) const { return static_cast<VictoryFlag*>(GetItem(index)); }

float AIGoalGroup::DistanceTo(float x, float y) const { return Hypot(centreX - x, centreY - y); }

bool AIGoalGroup::IsHeldBy(const VictoryFlag& flag, int32_t side) {
  // The holder is the holding side's nationality group: 0 for the Axis (side 0).
  return flag.contested == 0 && (flag.holder == 0) == (side == 0);
}

int32_t AIGoalGroup::IndexIn(const AIPlanContext& context) const {
  GObjectGroup* goals = context.Objectives();
  return goals == nullptr ? -1 : goals->IndexOf(this);
}

void AIGoalGroup::FindNearestPartner(int32_t start, const GObjectGroup& goals, float& best, AIGoalGroup*& a,
                                     AIGoalGroup*& b) {
  for (int32_t j = start; j < goals.Count(); ++j) {
    auto* other = static_cast<AIGoalGroup*>(goals.GetItem(j));
    if (other->fixed) continue;
    if (Hypot(centreX - other->centreX, centreY - other->centreY) > kMergeDistance) continue;
    GoalDistanceRecord* record = nullptr;
    for (int32_t r = 0; r < distances.Count(); ++r) {
      auto* each = static_cast<GoalDistanceRecord*>(distances.GetItem(r));
      if (each->goal == other && each->count == other->Count()) {
        record = each;
        break;
      }
    }
    if (record == nullptr) {
      record = new GoalDistanceRecord(other, other->Count(), Hypot(centreX - other->centreX, centreY - other->centreY));
      distances.Append(record);
    }
    if (record->distance < best) {
      best = record->distance;
      a = this;
      b = other;
    }
  }
}

void AIGoalGroup::Absorb(const AIPlanContext& context, AIGoalGroup& other) {
  for (int32_t i = 0; i < other.Count(); ++i) Append(other.GetItem(i));
  distances.DeleteAll(true);
  const Battle& battle = *context.battle;
  float sumX = 0.0f;
  float sumY = 0.0f;
  float sumW = 0.0f;
  for (int32_t i = Count() - 1; i >= 0; --i) {
    const VictoryFlag* flag = FlagAt(i);
    const float w = flag->GetPoints(battle, context.side == 0, true);
    sumX += w * flag->x;
    sumY += w * flag->y;
    sumW += w;
  }
  if (sumW >= kLeastWeight) {
    centreX = sumX / sumW;
    centreY = sumY / sumW;
    return;
  }
  // Flags worth nothing to the side: their plain mean, not the map's corner.
  sumX = 0.0f;
  sumY = 0.0f;
  for (int32_t i = Count() - 1; i >= 0; --i) {
    sumX += FlagAt(i)->x;
    sumY += FlagAt(i)->y;
  }
  centreX = sumX / static_cast<float>(Count());
  centreY = sumY / static_cast<float>(Count());
}

float AIGoalGroup::GetEdgeFactor(const AIPlanContext& context) const {
  if (context.operation != nullptr) return 1.0f;
  const Battle& battle = *context.battle;
  const int32_t own = context.side;
  const int32_t enemy = 1 - own;
  const float width = battle.map->size.worldWidth;
  const float height = battle.map->size.worldHeight;
  const float hw = width * 0.5f;
  const float hh = height * 0.5f;
  const int32_t* owner = battle.edgeOwner;  // West, North, East, South
  float f = 1.0f;
  if (owner[2] == enemy && owner[0] == own) {
    if (centreX > hw) f = (centreX / hw) * f;
  } else if (owner[2] == own && owner[0] == enemy) {
    if (centreX < hw) f = ((width - centreX) / hw) * f;
  }
  if (owner[1] == enemy && owner[3] == own) {
    if (centreY > hh) f = (centreY / hh) * f;
  } else if (owner[1] == own && owner[3] == enemy) {
    if (centreY < hh) f = ((height - centreY) / hh) * f;
  }
  if (!(f < 2.0f)) f = 2.0f;
  return f;
}

void AIGoalGroup::UpdateSecured(const AIPlanContext& context) {
  targeted = false;
  secured = !fixed;
  for (int32_t i = 0; i < Count() && secured; ++i) secured = IsHeldBy(*FlagAt(i), context.side);
}

void AIGoalGroup::UpdateAdjustedValue(const AIPlanContext& context) {
  if (secured) {
    adjustedValue = 0.0f;
    return;
  }
  bool enemyHolds = false;
  for (int32_t i = 0; i < Count(); ++i) enemyHolds = enemyHolds || IsHeldBy(*FlagAt(i), 1 - context.side);
  adjustedValue = value * (enemyHolds ? 1.33f : 0.67f);
}

bool AIGoalGroup::HasEnoughUnits(const AIPlanContext& context, int32_t total, AIGroup** holder, bool* halfway) const {
  const int32_t needed = TruncateToInt32(static_cast<float>(total) * 0.5f * value + 0.99f);
  const int32_t k = IndexIn(context);
  AIGroup* found = nullptr;
  const Battle& battle = *context.battle;
  for (int32_t g = 0; k >= 0 && g < battle.AIGroupCount(context.side) && found == nullptr; ++g) {
    AIGroup* group = battle.AIGroupAt(context.side, g);
    if (group->mode == AIGroup::kHoldingBase + k) found = group;
  }
  if (holder != nullptr) *holder = found;
  if (found == nullptr) {
    if (halfway != nullptr) *halfway = false;
    return false;
  }
  if (halfway != nullptr) *halfway = found->Count() >= (needed + 1) / 2;
  return found->Count() >= needed;
}

VictoryFlag* AIGoalGroup::PickUnheldFlag(const AIPlanContext& context) const {
  GObjectGroup left;
  left.IObjectGroup();
  left.SetOwnsMembers(false);
  for (int32_t i = 0; i < Count(); ++i) left.Append(GetItem(i));
  while (left.Count() > 0) {
    const int32_t index = Random(left.Count());
    auto* flag = static_cast<VictoryFlag*>(left.GetItem(index));
    if (!IsHeldBy(*flag, context.side)) return flag;
    left.RemoveAt(index, false);
  }
  return nullptr;
}

void AIGoalGroup::SurveyZones(const AIPlanContext& context) {
  const Map& map = *context.battle->map;
  const MapGrid<MapTile>& tiles = map.terrain.tiles;
  const int32_t tx = TruncateToInt32(centreX * 0.05f);
  const int32_t ty = TruncateToInt32(centreY * 0.05f);
  std::array<bool, 7> marked{};
  const int32_t x1 = std::min(tiles.Width() - 1, tx + 10);
  const int32_t y1 = std::min(tiles.Height() - 1, ty + 10);
  for (int32_t x = std::max(0, tx - 10); x < x1; ++x) {
    for (int32_t y = std::max(0, ty - 10); y < y1; ++y) {
      const uint8_t zone = tiles.At(x, y).zone;
      if (zone < 7) marked[zone] = true;
    }
  }
  // The side's own zone values: 4, 5 and 6 for side 0, 1, 2 and 3 for side 1.
  const int32_t base = context.side == 0 ? 4 : 1;
  nearOwnZone = false;
  for (int32_t i = 0; i < 3; ++i) {
    zonePresent[static_cast<size_t>(i)] = marked[static_cast<size_t>(base + i)];
    nearOwnZone = nearOwnZone || zonePresent[static_cast<size_t>(i)];
  }
}
