#include "editor/QuickBattleRules.h"

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"

namespace {

constexpr const char* kQuickBattleRulesSource = "QuickBattleRules";

constexpr int32_t kForceSizeTable[QuickBattleRules::kForceSizes] = {300, 400,  500,  600,  700,  800, 900,
                                                                    1000, 1250, 1500, 2000, 3000, 5000};
constexpr float kHandicapTable[QuickBattleRules::kHandicaps] = {0.33f, 0.5f,  0.7f, 0.9f,  1.0f, 1.1f,
                                                                1.25f, 1.5f, 1.75f, 2.0f, 3.0f};
constexpr float kTypeMultiplier[3] = {1.75f, 1.5f, 1.35f};
constexpr float kMapSizeFactor[3] = {0.7f, 1.0f, 1.43f};
constexpr int32_t kGroundOfWeather[6] = {1, 2, 3, 2, 2, 7};

constexpr QuickBattleRules::Layout kLayouts[4] = {
    {0.2f, 0.5f, 1.05f, 0.05f, 0.25f, 0.5f},
    {0.2f, 0.5f, 0.75f, 0.15f, 0.35f, 0.33f},
    {0.3f, 0.4f, 0.5f, 0.25f, 0.35f, 0.2f},
    {0.2f, 0.2f, 0.3f, 0.44f, 0.56f, 0.33f},
};

// The nationality of a "Force" item, from item 1.
constexpr int32_t kAxisForceCodes[5] = {6, 8, 7, 11, 10};
constexpr int32_t kAlliedForceCodes[8] = {0, 1, 3, 4, 12, 14, 15, 17};

// One row of a random force table: the first bound above the draw gives the force code.
struct ForceRow {
  int32_t bound;
  int32_t code;
};

int32_t Pick(const ForceRow* rows, int32_t count, int32_t otherwise, int32_t r) {
  for (int32_t i = 0; i < count; ++i)
    if (r < rows[i].bound) return rows[i].code;
  return otherwise;
}

}  // namespace

int32_t QuickBattleRules::ForceSize(int32_t item) {
  if (item < 0 || item >= kForceSizes) FatalError(__LINE__, kQuickBattleRulesSource);
  return kForceSizeTable[item];
}

float QuickBattleRules::HandicapFactor(int32_t item) {
  if (item < 0 || item >= kHandicaps) FatalError(__LINE__, kQuickBattleRulesSource);
  return kHandicapTable[item];
}

int32_t QuickBattleRules::ScalePoints(float factor, int32_t points) {
  return static_cast<int32_t>(static_cast<double>(factor) * points);
}

int32_t QuickBattleRules::AttackerPoints(int32_t quickType, int32_t base, int32_t handicapItem) {
  if (quickType < 0 || quickType > kMeetingEngagement) FatalError(__LINE__, kQuickBattleRulesSource);
  int32_t points = base;
  if (quickType != kMeetingEngagement) points = ScalePoints(kTypeMultiplier[quickType], points);
  return ScalePoints(HandicapFactor(handicapItem), points);
}

int32_t QuickBattleRules::PlayBalance(int32_t handicapItem, int32_t battleType) {
  const auto percent = static_cast<int32_t>(static_cast<double>(HandicapFactor(handicapItem)) * 100.0 + 0.1);
  return (battleType == 0 ? -percent : percent) + 5000;
}

int32_t QuickBattleRules::ProposedHeight(int32_t base, int32_t mapSizeItem) {
  if (mapSizeItem < 0 || mapSizeItem > 2) FatalError(__LINE__, kQuickBattleRulesSource);
  return RoundUpTo80(static_cast<int32_t>(base * (static_cast<double>(kMapSizeFactor[mapSizeItem]) * 0.65)));
}

int32_t QuickBattleRules::ProposedWidth(int32_t base) {
  return RoundUpTo80(static_cast<int32_t>(GMath::IntSqrt(base) * 17.0 + 300.0));
}

int32_t QuickBattleRules::GroundOfWeather(int32_t weather) {
  if (weather < 0 || weather > 5) FatalError(__LINE__, kQuickBattleRulesSource);
  return kGroundOfWeather[weather];
}

int32_t QuickBattleRules::DrawWeather(int32_t season) {
  int32_t weather = Random(6);
  if (weather == 4 && Random(2) == 0) weather = 0;
  if (weather == 5 && season != 3) weather = 0;
  return weather;
}

int32_t QuickBattleRules::OverrideForceType(int32_t side, int32_t restriction, int32_t forceType) {
  if (side == 0) return restriction == 4 || restriction == 5 ? 1 : forceType;
  return restriction == 2 || restriction == 4 || restriction == 7 ? 1 : forceType;
}

int32_t QuickBattleRules::DrawExperience(int32_t side, int32_t quality) {
  switch (quality) {
    case 0: {
      const int32_t r = Random(5);
      return r <= 1 ? 3 : (r <= 3 ? 4 : 5);
    }
    case 1: return Random(3) == 0 ? 3 : 2;
    case 2:
      if (side != 0) return 1;
      return Random(2) == 0 ? 0 : 1;
    default: FatalError(__LINE__, kQuickBattleRulesSource);
  }
}

int32_t QuickBattleRules::ForceCodeOfRestriction(int32_t side, int32_t restriction) {
  if (side == 0) {
    if (restriction < 1 || restriction > 5) FatalError(__LINE__, kQuickBattleRulesSource);
    return kAxisForceCodes[restriction - 1];
  }
  if (restriction < 1 || restriction > 8) FatalError(__LINE__, kQuickBattleRulesSource);
  return kAlliedForceCodes[restriction - 1];
}

int32_t QuickBattleRules::DrawForceCode(int32_t side, int32_t forceType, int32_t date) {
  if (forceType < 0 || forceType > 3) FatalError(__LINE__, kQuickBattleRulesSource);
  const int32_t r = Random(100);
  if (side == 0) {
    switch (forceType) {
      case 1: {
        const ForceRow rows[] = {{45, 6}, {65, 8}, {70, 11}, {85, date >= 4502 ? 10 : 6}};
        return Pick(rows, 4, 7, r);
      }
      case 3: {
        const ForceRow rows[] = {{75, 6}};
        return Pick(rows, 1, 8, r);
      }
      default: {
        const ForceRow rows[] = {{65, 6}, {90, 8}};
        return Pick(rows, 2, 7, r);
      }
    }
  }
  switch (forceType) {
    case 1: {
      const ForceRow rows[] = {{45, 0}, {55, 1}, {74, 3}, {78, 4}, {82, 14}, {83, 15}, {88, 17}};
      return Pick(rows, 7, 12, r);
    }
    case 3: {
      const ForceRow rows[] = {{55, 0}, {60, 17}, {85, 3}};
      return Pick(rows, 3, 12, r);
    }
    default: {
      const ForceRow rows[] = {{54, 0}, {59, 17}, {82, 3}, {87, 14}};
      return Pick(rows, 4, 12, r);
    }
  }
}

int32_t QuickBattleRules::PickCategory(const std::array<int32_t, 6>& room, bool attacker, int32_t enemyForceType) {
  int32_t total = 0;
  for (int32_t value : room) total += value;
  if (total <= 0) FatalError(__LINE__, kQuickBattleRulesSource);
  int32_t r = Random(total);
  int32_t category = 0;
  while (category < 5 && r >= room[static_cast<size_t>(category)]) r -= room[static_cast<size_t>(category++)];
  if (!attacker && category == 4) {
    // A defender answers armour with anti-tank guns rather than artillery.
    static constexpr int32_t kSupportChance[4] = {50, 0, 35, 80};
    if (enemyForceType < 0 || enemyForceType > 3) FatalError(__LINE__, kQuickBattleRulesSource);
    const int32_t chance = kSupportChance[enemyForceType];
    if (chance > 0 && Random(100) < chance) category = 1;
  }
  return category;
}

void QuickBattleRules::ScaleLimits(std::array<int32_t, 7>& limits) {
  int32_t sum = 0;
  for (int32_t i = 0; i < 6; ++i) sum += limits[static_cast<size_t>(i)];
  // Without categories or points there is nothing to scale by.
  if (sum == 0 || limits[6] == 0) return;
  const auto quotient = static_cast<float>(static_cast<double>(sum) / limits[6]);
  const auto k = static_cast<float>(1.35 / static_cast<double>(quotient));
  if (k >= 1.0f) return;
  for (int32_t i = 0; i < 6; ++i) {
    int32_t& limit = limits[static_cast<size_t>(i)];
    limit = static_cast<int32_t>(static_cast<float>(limit) * k);
  }
}

const QuickBattleRules::Layout& QuickBattleRules::LayoutOf(int32_t quickType) {
  if (quickType < 0 || quickType > kMeetingEngagement) FatalError(__LINE__, kQuickBattleRulesSource);
  return kLayouts[quickType];
}

void QuickBattleRules::ZoneStrips(int32_t tilesX, int32_t quickType, int32_t battleType, int32_t* a, int32_t* b) {
  const Layout& layout = LayoutOf(quickType);
  const auto low = static_cast<int32_t>(static_cast<float>(tilesX) * layout.attackerZone + 0.5f);
  const auto high = static_cast<int32_t>(static_cast<float>(tilesX) * (1.0f - layout.defenderZone) + 0.5f);
  *a = battleType == 0 ? tilesX - high : low;
  *b = battleType == 0 ? tilesX - low : high;
}

int32_t QuickBattleRules::FlagBudget(int32_t base, int32_t quickType) {
  return static_cast<int32_t>(static_cast<double>(LayoutOf(quickType).flagBudget) * base - 50.0);
}
