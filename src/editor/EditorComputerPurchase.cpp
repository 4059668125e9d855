// The computer's purchase of a quick battle's forces: for each side it buys for, an experience
// and a nationality, a weighted catalogue of that force, category limits, and random picks
// weighted by each entry's choice weight and by the room left in each category.
#include <array>

#include "editor/EditorState.h"
#include "editor/EditorUnits.h"
#include "editor/PurchaseEntry.h"
#include "editor/QuickBattleRules.h"
#include "editor/UnitCatalogue.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"

namespace {

constexpr const char* kComputerPurchaseSource = "EditorComputerPurchase";
constexpr int32_t kPatience = 1000;

}  // namespace

void EditorState::ChooseComputerForces() {
  Battle* battle = AppBattle();
  if (battle == nullptr) FatalError(__LINE__, kComputerPurchaseSource);
  preset = 1;
  bool boughtAny = false;
  for (int32_t side = 0; side < 2; ++side) {
    const auto s = static_cast<size_t>(side);
    presetSide = side;
    if (battle->autoPurchase[s] == 0) continue;
    battle->mustPurchase[s] = 0;
    boughtAny = true;
    presetExperience = QuickBattleRules::DrawExperience(side, battle->sideValueE[s]);
    const int32_t restriction = battle->sideByteF[s];
    presetForce = restriction != 0 ? QuickBattleRules::ForceCodeOfRestriction(side, restriction)
                                   : QuickBattleRules::DrawForceCode(side, battle->forceType[s], battle->date);
    const int32_t row = Editor::CatalogueForceIndex(presetForce);
    if (row < 0) FatalError(__LINE__, kComputerPurchaseSource);
    const bool attacker = battle->attacker == side || battle->attacker == 2;
    UnitCatalogue catalogue;
    catalogue.Fill(*this, true, attacker);
    std::array<int32_t, 7> limits{};
    battle->ComputePurchaseLimits(side, limits.data(), presetForce == 0 || presetForce == 1);
    QuickBattleRules::ScaleLimits(limits);
    BuyComputerForce(catalogue, row, limits, attacker, battle->forceType[1 - side]);

    GGroup* lists[kPurchaseSlots];
    for (int32_t slot = 0; slot < kPurchaseSlots; ++slot) lists[slot] = &PurchaseList(side, slot);
    battle->TakePurchasedUnits(side == 0 ? lists : nullptr, side == 1 ? lists : nullptr, true, this);
    // The units are the battle's now: the lists must not point at them any more.
    for (int32_t slot = 0; slot < kPurchaseSlots; ++slot) PurchaseList(side, slot).DeleteAll(false);
  }
  if (boughtAny) {
    PrepareUnitPlacement();
    SetUnitsForPlay(true);
  }
  preset = 0;
}

void EditorState::BuyComputerForce(UnitCatalogue& catalogue, int32_t row, const std::array<int32_t, 7>& limits,
                                   bool attacker, int32_t enemyForceType) {
  const int32_t side = presetSide;
  const int32_t points = limits[6];
  std::array<int32_t, 6> weights{};
  for (int32_t c = 0; c < 6; ++c) {
    const GObjectGroup& list = catalogue.List(row, c);
    for (int32_t i = 0; i < list.Count(); ++i)
      weights[static_cast<size_t>(c)] += static_cast<const PurchaseEntry*>(list.GetItem(i))->choiceWeight;
  }
  std::array<int32_t, 6> bought{};
  int32_t spent = 0;
  int32_t failures = 0;
  bool first = true;
  GObjectGroup& onMap = PurchaseList(side, 0);
  while (failures < kPatience) {
    int32_t category = 0;
    if (!first) {
      std::array<int32_t, 6> room{};
      int32_t total = 0;
      for (int32_t c = 0; c < 6; ++c) {
        const auto i = static_cast<size_t>(c);
        room[i] = catalogue.List(row, c).Count() > 0 ? limits[i] - bought[i] : 0;
        total += room[i];
      }
      if (total <= 0) break;
      category = QuickBattleRules::PickCategory(room, attacker, enemyForceType);
    }
    int32_t count = 1;
    const bool late = points - spent < 300 || spent > 0.7 * points || failures > 500;
    if (!late && category == 2) count = RandomOneTo(side == 0 ? 2 : 3);
    if (!late && category == 3) count = RandomOneTo(side == 0 ? 3 : 4);

    GObjectGroup& list = catalogue.List(row, category);
    auto& weight = weights[static_cast<size_t>(category)];
    int32_t index = -1;
    for (int32_t n = 0; n < count; ++n) {
      if (list.Count() == 0) {
        ++failures;
        first = false;
        break;
      }
      if (n == 0) {
        int32_t r = Random(weight);
        for (index = 0; index < list.Count() - 1; ++index) {
          r -= static_cast<const PurchaseEntry*>(list.GetItem(index))->choiceWeight;
          if (r < 0) break;
        }
      }
      const auto& entry = *static_cast<const PurchaseEntry*>(list.GetItem(index));
      std::array<int32_t, 6> costs{};
      const int32_t cost = ProbePurchaseCost(entry, &costs, attacker);
      bool allowed = spent + cost < points;
      for (size_t i = 0; i < 6; ++i) allowed = allowed && costs[i] + bought[i] <= limits[i];
      if (allowed) {
        const int32_t before = onMap.Count();
        AddPurchase(entry, 0, attacker);
        // An addition that adds no unit (every unit refused) is a refusal, or an entry that
        // costs nothing would be allowed for ever.
        allowed = onMap.Count() > before;
      }
      if (!allowed) {
        weight -= entry.choiceWeight;
        list.RemoveAt(index, true);
        ++failures;
        break;
      }
      spent += cost;
      for (size_t i = 0; i < 6; ++i) bought[i] += costs[i];
      first = false;
    }
  }
}
