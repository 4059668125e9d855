// Our built-in tables against what buying needs of them: the fatal preconditions of adding a
// formation never trip, and every force can buy some infantry in every month of the war.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "EditorRig.h"
#include "editor/EditorUnits.h"
#include "editor/PurchaseEntry.h"
#include "game/units/tables/Hack.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

struct Member {
  int32_t kind;
  int32_t classIndex;
  int32_t depth;
};

// The units a formation adds, in list order, as AddPurchase lays them out; false when an
// entry kind is not 0, 1 or 4 or a nested index is outside the table.
bool Flatten(int32_t formation, int32_t depth, std::vector<Member>& out, int32_t guard = 0) {
  if (!gFormations.IsValid(formation) || guard > 8) return false;
  const FormationData record = gFormations[formation];
  for (int32_t e = 0; e < record.EntryCount() && e < FormationData::kMaxEntries; ++e) {
    const int32_t kind = record.EntryKind(e);
    const int32_t d = e == 0 ? depth : depth + 1;
    for (int32_t n = 0; n < record.EntryNumber(e); ++n) {
      if (kind == 4) {
        if (!Flatten(record.EntryClass(e), d, out, guard + 1)) return false;
      } else if (kind == 0 || kind == 1) {
        out.push_back(Member{kind, record.EntryClass(e), d});
      } else {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

TEST(PurchaseTables, FormationsKeepTheRulesBuyingStopsOn) {
  EditorRig rig;
  ASSERT_EQ(gFormations.Count(), FormationData::kCount);
  for (int32_t f = 0; f < gFormations.Count(); ++f) {
    const FormationData record = gFormations[f];
    if (record.InUse() == 0) continue;
    EXPECT_GT(record.Selector(0), 0) << f;
    EXPECT_GT(record.Selector(1), 0) << f;
    std::vector<Member> members;
    ASSERT_TRUE(Flatten(f, 0, members)) << f;
    for (size_t i = 0; i < members.size(); ++i) {
      const Member& m = members[i];
      EXPECT_LE(m.depth, 3) << f;
      if (m.kind == 1) {
        EXPECT_TRUE(gVehicleClasses.IsValid(m.classIndex)) << f;
        continue;
      }
      ASSERT_TRUE(gInfantryClasses.IsValid(m.classIndex)) << f;
      if (gInfantryClasses[m.classIndex].IsSquad() == 0 || m.depth == 0) continue;
      // A squad's headquarters: the nearest earlier member one level up, a level-1 leader.
      bool found = false;
      for (size_t j = i; j-- > 0;) {
        if (members[j].depth != m.depth - 1) continue;
        found = members[j].kind == 0 && gInfantryClasses[members[j].classIndex].LeaderLevel() == 1;
        break;
      }
      EXPECT_TRUE(found) << "formation " << f << " member " << i;
    }
  }
  for (int32_t i = 0; i < gInfantryClasses.Count(); ++i) {
    if (gInfantryClasses[i].ForceCount() == 0) continue;
    EXPECT_GT(gInfantryClasses[i].ChoiceWeight(0), 0) << i;
    EXPECT_GT(gInfantryClasses[i].ChoiceWeight(1), 0) << i;
  }
  // Every vehicle that can be bought sorts into Armor, Fortification or Vehicle.
  for (int32_t v = 0; v < gVehicleClasses.Count(); ++v) {
    if (gVehicleClasses[v].InUse() == 0) continue;
    Vehicle vehicle;
    vehicle.SetClass(v, 6, 2, 0.0f, 0.0f, 0.0f);
    const int32_t code = vehicle.GetPurchaseCode();
    EXPECT_TRUE(code == 4 || code == 8 || code == 9) << v;
    EXPECT_GT(gVehicleClasses[v].ChoiceWeight(0), 0) << v;
    EXPECT_GT(gVehicleClasses[v].ChoiceWeight(1), 0) << v;
  }
}

TEST(PurchaseTables, EveryForceCanBuyInfantryEveryMonth) {
  EditorRig rig;
  EditorState& state = *rig.State();
  state.preset = 1;
  // The cheapest formation each force fields, per weight index and month.
  std::map<std::pair<int32_t, int32_t>, int32_t> costs;
  const int32_t months[12] = {4406, 4407, 4408, 4409, 4410, 4411, 4412, 4501, 4502, 4503, 4504, 4505};
  for (int32_t row = 0; row < 13; ++row) {
    const int32_t force = Editor::CatalogueRowForce(row);
    state.presetForce = force;
    state.presetSide = row < 5 ? 0 : 1;
    for (int32_t k = 0; k < 2; ++k) {
      for (int32_t date : months) {
        bool offered = false;
        for (int32_t f = 0; f < gFormations.Count() && !offered; ++f) {
          const FormationData record = gFormations[f];
          if (record.InUse() == 0 || record.FirstDate() > date || record.LastDate() < date || record.Selector(k) <= 0) continue;
          bool fielded = false;
          for (int32_t n = 0; n < record.NationCount() && n < FormationData::kMaxNations; ++n) fielded = fielded || record.Nation(n) == force;
          if (!fielded) continue;
          auto [at, fresh] = costs.try_emplace({row, f}, 0);
          if (fresh) at->second = state.ProbePurchaseCost(PurchaseEntry(4, static_cast<int16_t>(f), row < 5 ? 1 : 0), nullptr, false);
          offered = at->second <= 300;
        }
        EXPECT_TRUE(offered) << "force " << force << " weight " << k << " date " << date;
      }
    }
  }
}

// Every unit the player can field carries rounds: a squad or team without a main weapon fires
// its small arms from the same count, and with none it would show "Low Ammo", call for
// ammunition at every burst and never be given area fire. The editor's maximum follows the load.
TEST(PurchaseTables, EveryInfantryClassStartsWithRounds) {
  const int32_t crewFigures = 242;
  for (int32_t c = 0; c < gInfantryClasses.Count(); ++c) {
    if (c == crewFigures) continue;
    EXPECT_GT(gInfantryClasses[c].AmmoLoad(), 0) << c;
  }
}
