// Buying units: adding entries and formations to the purchase lists, probing costs, removing,
// the points, the reinforcement slots' settings, and handing the lists to the battle.
#include <gtest/gtest.h>

#include "EditorRig.h"
#include "editor/EditorPurchaseList.h"
#include "editor/EditorUnits.h"
#include "editor/EditorValueLabel.h"
#include "editor/PurchaseEntry.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GPopup.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/UnitCodes.h"

namespace {

// The editor with an arrival popup, deleting what the non-owning lists still hold at the end.
class BuyingRig {
 public:
  BuyingRig() {
    state = rig.State();
    static GString255 text;
    text.Assign("slot");
    const GString* items[6] = {&text, &text, &text, &text, &text, &text};
    state->arrivalPopup = new GPopup();
    state->arrivalPopup->Init(state->mainView, 0, 0, 6, items, 0);
    SeedRandom(77);
  }
  ~BuyingRig() {
    for (int32_t side = 0; side < 2; ++side) {
      for (int32_t slot = 0; slot < 6; ++slot) state->PurchaseList(side, slot).DeleteAll(true);
    }
  }
  BuyingRig(const BuyingRig&) = delete;
  BuyingRig& operator=(const BuyingRig&) = delete;

  Unit* At(int32_t side, int32_t slot, int32_t i) {
    return static_cast<Unit*>(state->PurchaseList(side, slot).GetItem(i));
  }
  int32_t Spent(int32_t side) {
    int32_t total = 0;
    for (int32_t value : state->SideCosts(side)) total += value;
    return total;
  }

  EditorRig rig;
  EditorState* state = nullptr;
};

PurchaseEntry Entry(int32_t kind, int32_t classIndex, bool axis) { return PurchaseEntry(kind, static_cast<int16_t>(classIndex), axis ? 1 : 0); }

}  // namespace

TEST(EditorPurchases, FormationsNestWithTheirHeadquarters) {
  BuyingRig b;
  EditorState& s = *b.state;
  // Formation 0: a platoon headquarters, three squads, an MG team.
  s.AddPurchase(Entry(PurchaseEntry::kFormation, 0, true), 0, false);
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 5, true), 0, false);
  GObjectGroup& list = s.PurchaseList(0, 0);
  ASSERT_EQ(list.Count(), 6);
  const int8_t depths[6] = {0, 1, 1, 1, 1, 0};
  for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(b.At(0, 0, i)->purchaseDepth, depths[i]) << i;
  for (int32_t i = 1; i <= 3; ++i) EXPECT_EQ(static_cast<Infantry*>(b.At(0, 0, i))->commandingLeader, b.At(0, 0, 0));
  EXPECT_EQ(b.At(0, 0, 0)->identificationLevel, 4);
  EXPECT_EQ(s.CountSideUnits(0), 6);
  EXPECT_EQ(s.CountSideUnits(1), 0);

  // Removing the headquarters removes exactly its members.
  EditorPurchaseList chosen(s, true);
  chosen.selected = 0;
  chosen.RemoveSelected();
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(static_cast<Infantry*>(b.At(0, 0, 0))->classIndex, 5);
  EXPECT_EQ(chosen.selected, 0);
  chosen.RemoveSelected();
  EXPECT_EQ(chosen.selected, -1);
  EXPECT_EQ(list.Count(), 0);

  // A company: its headquarters, then three platoons and more one level down; each squad
  // refers to its own platoon's headquarters.
  s.AddPurchase(Entry(PurchaseEntry::kFormation, 6, true), 0, false);
  ASSERT_GT(list.Count(), 8);
  EXPECT_EQ(b.At(0, 0, 0)->purchaseDepth, 0);
  EXPECT_EQ(b.At(0, 0, 1)->purchaseDepth, 1);
  EXPECT_EQ(b.At(0, 0, 2)->purchaseDepth, 2);
  EXPECT_EQ(static_cast<Infantry*>(b.At(0, 0, 2))->commandingLeader, b.At(0, 0, 1));
}

TEST(EditorPurchases, SidesLimitsAndReinforcementSlots) {
  BuyingRig b;
  EditorState& s = *b.state;
  for (int32_t i = 0; i < 250; ++i) s.PurchaseList(1, i % 6).Append(CreateUnit(2, 0, 0, 2));
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 5, false), 0, false);
  EXPECT_EQ(s.CountSideUnits(1), 251);
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 5, false), 0, false);
  EXPECT_EQ(s.CountSideUnits(1), 251);
  EXPECT_EQ(s.CountSideUnits(0), 0);

  // "Reinforce 1" takes no fortification and no emplacement; "On Map" takes both.
  s.SetArrivalSlot(1);
  s.AddPurchase(Entry(PurchaseEntry::kFortification, 0, true), 0, false);
  s.AddPurchase(Entry(PurchaseEntry::kVehicle, 207, true), 0, false);
  EXPECT_EQ(s.CountSideUnits(0), 0);
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 5, true), 0, false);
  EXPECT_EQ(s.PurchaseList(0, 1).Count(), 1);
  s.SetArrivalSlot(0);
  s.AddPurchase(Entry(PurchaseEntry::kFortification, 0, true), 0, false);
  s.AddPurchase(Entry(PurchaseEntry::kVehicle, 207, true), 0, false);
  EXPECT_EQ(s.PurchaseList(0, 0).Count(), 2);
  // The refuse flag drops a unit of speed class 1.
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 14, true), 0, true);
  EXPECT_EQ(s.PurchaseList(0, 0).Count(), 2);
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 14, true), 0, false);
  EXPECT_EQ(s.PurchaseList(0, 0).Count(), 3);
}

TEST(EditorPurchases, ProbeLeavesEverythingAndPredictsThePurchase) {
  BuyingRig b;
  EditorState& s = *b.state;
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 5, true), 0, false);
  const int32_t before = b.Spent(0);
  // The largest formation, with its leaders' rolled ratings.
  const PurchaseEntry company = Entry(PurchaseEntry::kFormation, 6, true);
  const uint32_t seed = RandomState();
  std::array<int32_t, 6> totals{};
  const int32_t cost = s.ProbePurchaseCost(company, &totals, false);
  EXPECT_GT(cost, 0);
  EXPECT_EQ(RandomState(), seed);
  EXPECT_EQ(s.CountSideUnits(0), 1);
  EXPECT_EQ(b.Spent(0), before);
  EXPECT_EQ(s.ScratchList().Count(), 0);
  int32_t sum = 0;
  for (int32_t t : totals) sum += t;
  EXPECT_EQ(sum, cost);
  s.AddPurchase(company, 0, false);
  EXPECT_EQ(b.Spent(0) - before, cost);
  // A probe while a reinforcement slot is chosen still prices a fortification.
  s.SetArrivalSlot(2);
  EXPECT_GT(s.ProbePurchaseCost(Entry(PurchaseEntry::kFortification, 0, true), nullptr, false), 0);
}

TEST(EditorPurchases, RemovingSplitSquadsAndFormationMembers) {
  BuyingRig b;
  EditorState& s = *b.state;
  EditorPurchaseList chosen(s, true);
  // A split squad whose other half waits in "Reinforce 2".
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 5, true), 0, false);
  s.SetArrivalSlot(2);
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 5, true), 0, false);
  auto* half = static_cast<Infantry*>(b.At(0, 0, 0));
  auto* other = static_cast<Infantry*>(b.At(0, 2, 0));
  half->linkedHalf = other;
  other->linkedHalf = half;
  s.SetArrivalSlot(0);
  chosen.selected = 0;
  chosen.RemoveSelected();
  EXPECT_EQ(s.CountSideUnits(0), 0);

  // The linked half is a deeper member of the same formation: deleted once.
  s.AddPurchase(Entry(PurchaseEntry::kFormation, 0, true), 0, false);
  static_cast<Infantry*>(b.At(0, 0, 0))->linkedHalf = b.At(0, 0, 2);
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 5, true), 0, false);
  chosen.selected = 0;
  chosen.RemoveSelected();
  EXPECT_EQ(s.CountSideUnits(0), 1);

  // Only buying, a formation's member stays and the program beeps; a selection past the
  // end becomes the last row.
  s.AddPurchase(Entry(PurchaseEntry::kFormation, 0, true), 0, false);
  s.purchaseOnly = 1;
  chosen.selected = 2;
  chosen.RemoveSelected();
  EXPECT_EQ(s.CountSideUnits(0), 6);
  s.purchaseOnly = 0;
  chosen.selected = 0;
  chosen.RemoveSelected();
  EXPECT_EQ(s.CountSideUnits(0), 5);
  EXPECT_EQ(chosen.selected, 0);
  chosen.selected = 4;
  chosen.RemoveSelected();
  EXPECT_EQ(s.CountSideUnits(0), 4);
  EXPECT_EQ(chosen.selected, 3);
}

TEST(EditorPurchases, PointsTurnRedOverTheAllowance) {
  BuyingRig b;
  EditorState& s = *b.state;
  EditorValueLabel labels[14];
  for (int32_t i = 0; i < 7; ++i) {
    s.spentLabels[static_cast<size_t>(i)] = &labels[i];
    s.limitLabels[static_cast<size_t>(i)] = &labels[7 + i];
    labels[7 + i].SetLabelValue(100000);
  }
  EditorPurchaseList chosen(s, true);
  s.chosenLists[0] = &chosen;
  s.purchaseOnly = 1;
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 5, true), 0, false);
  s.AddPurchase(Entry(PurchaseEntry::kVehicle, 0, true), 0, false);
  const std::array<int32_t, 6> costs = s.SideCosts(0);
  EXPECT_GT(costs[2], 0);
  EXPECT_EQ(labels[1].GetValue(), costs[1]);
  EXPECT_EQ(labels[2].GetValue(), costs[2]);
  EXPECT_EQ(labels[6].GetValue(), b.Spent(0));
  labels[7 + 2].SetLabelValue(costs[2] - 1);
  chosen.UpdatePoints();
  for (int32_t i = 0; i < 7; ++i) {
    const uint8_t* spent = labels[i].GetColor();
    const uint8_t* allowed = labels[7 + i].GetColor();
    const bool red = i == 2;
    EXPECT_EQ(spent[0], red ? 255 : 200) << i;
    EXPECT_EQ(spent[2], red ? 0 : 255) << i;
    EXPECT_EQ(allowed[1], red ? 0 : 200) << i;
  }
  labels[7 + 2].SetLabelValue(costs[2]);
  chosen.UpdatePoints();
  EXPECT_EQ(labels[2].GetColor()[0], 200);
  EXPECT_EQ(labels[9].GetColor()[2], 255);
  s.chosenLists[0] = nullptr;
  s.spentLabels.fill(nullptr);
  s.limitLabels.fill(nullptr);
}

TEST(EditorPurchases, SlotSettingsAndTheirPercentages) {
  EditorState s;
  s.preset = 1;
  s.presetSide = 1;
  // Preset mode buys onto the map: the slot accessors have no slot to work on.
  EXPECT_DEATH(s.SetSlotArrival(3, 0.5f), "");
  ReinforcementGroup group;
  EXPECT_DEATH(s.CopyReinforcementSettings(group, 2, 0), "");
  EXPECT_DEATH(s.CopyReinforcementSettings(group, 0, 5), "");
  s.Slot(1, 2) = EditorState::ArrivalSlot{7, 0.35f, 120.0f, 80.0f};
  s.CopyReinforcementSettings(group, 1, 2);
  EXPECT_EQ(group.arrivalTurn, 7);
  EXPECT_FLOAT_EQ(group.entryX, 120.0f);
  EXPECT_EQ(EditorState::ChancePercent(0.35f), 35);
  EXPECT_EQ(EditorState::ChancePercent(0.01f), 1);
  EXPECT_EQ(EditorState::ChancePercent(1.0f), 100);
  for (int32_t percent = 1; percent <= 100; ++percent) {
    EXPECT_EQ(EditorState::ChancePercent(EditorState::PercentChance(percent)), percent);
  }
  s.ResetSlot(0, 4);
  EXPECT_EQ(s.Slot(0, 4).arrivalTurn, 10);
  EXPECT_FLOAT_EQ(s.Slot(0, 4).chance, 1.0f);
}

TEST(EditorPurchases, SlotArrivalOfTheChosenSideAndSlot) {
  BuyingRig b;
  EditorState& s = *b.state;
  EXPECT_DEATH(s.SetSlotArrival(3, 0.5f), "");
  s.SetArrivalSlot(3);
  s.SetSlotArrival(6, 0.25f);
  int32_t turn = 0;
  float chance = 0.0f;
  s.GetSlotArrival(&turn, &chance);
  EXPECT_EQ(turn, 6);
  EXPECT_FLOAT_EQ(chance, 0.25f);
  EXPECT_EQ(s.Slot(0, 2).arrivalTurn, 6);
  EXPECT_EQ(s.Slot(1, 2).arrivalTurn, 10);
}

TEST(EditorPurchases, CommitHandsTheListsToTheBattle) {
  BuyingRig b;
  EditorState& s = *b.state;
  Battle& battle = *b.rig.App().GetBattle();
  const int32_t onMap = battle.UnitCount();
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 5, true), 0, false);
  s.SetArrivalSlot(3);
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 5, true), 0, false);
  s.Slot(0, 2).arrivalTurn = 9;
  s.CommitPurchases();
  EXPECT_EQ(s.CountSideUnits(0), 0);
  EXPECT_EQ(battle.UnitCount(), onMap + 1);
  ASSERT_EQ(battle.reinforcements[0].Count(), 1);
  EXPECT_EQ(battle.GroupAt(0, 0)->arrivalTurn, 9);

  // Moving in: the Axis units to "On Map", group k to "Reinforce k + 1".
  EditorPurchaseList chosen(s, true);
  chosen.MoveBattleUnitsIn();
  EXPECT_EQ(s.PurchaseList(0, 0).Count(), onMap + 1);
  EXPECT_EQ(s.PurchaseList(0, 1).Count(), 1);
  EXPECT_EQ(s.Slot(0, 0).arrivalTurn, 9);
  EXPECT_EQ(s.GetArrivalSlot(), 0);
  s.CommitPurchases();
  // A second commit hands over nothing.
  s.CommitPurchases();
  EXPECT_EQ(battle.UnitCount(), onMap + 1);
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 5, true), 0, false);
  // Only buying, everything lands in "On Map".
  s.purchaseOnly = 1;
  chosen.MoveBattleUnitsIn();
  EXPECT_EQ(s.PurchaseList(0, 0).Count(), onMap + 2);
  s.purchaseOnly = 0;
  s.CommitPurchases();
  EXPECT_EQ(battle.UnitCount(), onMap + 2);
}

TEST(EditorPurchases, WhileAnOperationIsEditedItTakesThePurchases) {
  BuyingRig b;
  EditorState& s = *b.state;
  s.NewOperation();
  ASSERT_NE(b.rig.App().GetCampaign(), nullptr);
  Campaign& operation = *b.rig.App().GetCampaign();
  const int32_t before = operation.UnitCount();
  s.SetArrivalSlot(0);
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 5, false), 0, false);
  s.SetArrivalSlot(5);
  s.AddPurchase(Entry(PurchaseEntry::kInfantry, 5, false), 0, false);
  // A slot without a group starts at battle 4 in an operation.
  s.ResetSlot(1, 4);
  s.CommitPurchases();
  EXPECT_EQ(operation.UnitCount(), before + 1);
  ASSERT_EQ(operation.reinforcements[1].Count(), 1);
  EXPECT_EQ(operation.GroupAt(1, 0)->arrivalTurn, 4);
}

TEST(EditorPurchases, OpenedSidesMoveInWhole) {
  BuyingRig b;
  EditorState& s = *b.state;
  Battle& battle = *b.rig.App().GetBattle();
  // A stored side past the buying limit, and seven reinforcement groups.
  const int32_t before = battle.UnitCount();
  for (int32_t i = 0; i < 260; ++i) battle.units.Append(CreateUnit(2, 0, 0, 2));
  for (int32_t g = 0; g < 7; ++g) {
    auto* group = new ReinforcementGroup();
    group->arrivalTurn = 20 + g;
    group->units.Append(CreateUnit(2, 0, 0, 2));
    battle.reinforcements[0].Append(group);
  }
  EditorPurchaseList chosen(s, true);
  chosen.MoveBattleUnitsIn();
  EXPECT_EQ(s.PurchaseList(0, 0).Count(), 260 + before);
  for (int32_t slot = 1; slot <= 4; ++slot) EXPECT_EQ(s.PurchaseList(0, slot).Count(), 1);
  EXPECT_EQ(s.PurchaseList(0, 5).Count(), 3);
  EXPECT_EQ(s.Slot(0, 4).arrivalTurn, 24);
  EXPECT_TRUE(b.rig.Logged("Reinforce 5"));
  s.CommitPurchases();
  EXPECT_EQ(battle.reinforcements[0].Count(), 5);
  EXPECT_EQ(battle.UnitCount(), 260 + before);
  s.preset = 1;
  EXPECT_DEATH(s.GetCurrentPurchaseList(), "");
}
