// The unit purchase screen in the full editor and in purchase-only mode: layout, experience
// limits, the screen's commands, the arrival control, the lists' clicks, the data panel, the
// unit editing screen and the end of a purchase-only visit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditorRig.h"
#include "app/AlertTable.h"
#include "framework/ui/GLabel.h"
#include "editor/EditorArrivalControl.h"
#include "editor/EditorCatalogueList.h"
#include "editor/EditorPurchaseList.h"
#include "editor/EditorUnitDataPanel.h"
#include "editor/EditorValueLabel.h"
#include "editor/PurchaseEntry.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/ui/CRadioGroup.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GTextEntry.h"
#include "game/battle/Battle.h"
#include "game/ui/EditorRadioButton.h"
#include "game/units/tables/FormationData.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

// The controls of a view's subtree that carry a command.
void Collect(GView* view, std::vector<GControl*>& out) {
  for (int32_t i = 0; i < view->GetChildCount(); ++i) {
    GView* child = view->GetChild(i);
    if (auto* control = dynamic_cast<GControl*>(child)) out.push_back(control);
    Collect(child, out);
  }
}

GControl* WithCommand(GView* view, int32_t command) {
  std::vector<GControl*> all;
  Collect(view, all);
  for (GControl* control : all)
    if (control->GetCommand() == command && dynamic_cast<EditorRadioButton*>(control) == nullptr) return control;
  return nullptr;
}

std::string Item(const GPopup* popup) { return popup->GetItemText(popup->GetCurrentItem())->CStr(); }

// The full editor's purchase screen on a new battle.
struct Screen {
  explicit Screen(int32_t width = 640, int32_t height = 480) : rig(width, height) {
    rig.App().DoCommand(105);
    state = rig.State();
  }
  // Units still in the purchase lists were never committed to the battle, which would own
  // them: the test deletes them.
  ~Screen() {
    if (EditorState* open = rig.State())
      for (int32_t side = 0; side < 2; ++side)
        for (int32_t slot = 0; slot < EditorState::kPurchaseSlots; ++slot) open->PurchaseList(side, slot).DeleteAll(true);
  }
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;
  EditorPurchaseList* Chosen() { return state->GetCurrentPurchaseList(); }
  // A unit of the chosen force bought into the chosen slot and selected.
  Unit* Buy(int32_t kind, int32_t classIndex) {
    Unit* unit = state->MakeUnit(kind, classIndex, true);
    state->PurchaseList(state->GetSide(), state->GetArrivalSlot()).Append(unit);
    Chosen()->UpdatePoints();
    Chosen()->selected = Chosen()->Shown().Count() - 1;
    return unit;
  }
  EditorRig rig;
  EditorState* state = nullptr;
};

// The first infantry type that passes the test.
int32_t InfantryWhere(bool (*test)(const InfantryData&)) {
  for (int32_t i = 0; i < gInfantryClasses.Count(); ++i)
    if (test(gInfantryClasses[i])) return i;
  return -1;
}

}  // namespace

TEST(EditorPurchaseScreen, LayoutAndPageSizes) {
  Screen screen;
  EditorState& s = *screen.state;
  ASSERT_NE(s.screenView, nullptr);
  EXPECT_FALSE(s.mainView->IsVisible());
  EXPECT_EQ(s.screenView->Width(), 640);
  EXPECT_EQ(s.catalogueList->rowsPerPage, 18);
  EXPECT_EQ(s.catalogueList->Bounds().left - s.screenView->Bounds().left, 5);
  EXPECT_EQ(s.catalogueList->Bounds().top, 170);
  EXPECT_EQ(s.chosenLists[0]->Bounds().left - s.screenView->Bounds().left, 310);
  EXPECT_EQ(s.unitDataPanel->Bounds().top, 480 - 87);
  EXPECT_EQ(s.arrivalControl->Bounds().top, 480 - 66);
  EXPECT_FALSE(s.arrivalControl->IsVisible());
  EXPECT_NE(WithCommand(s.screenView, 158), nullptr);
  EXPECT_EQ(WithCommand(s.screenView, 198), nullptr);
  EXPECT_NE(WithCommand(s.screenView, 166), nullptr);
  EXPECT_EQ(Item(s.experiencePopup), "Regular");
  EXPECT_EQ(s.GetCategory(), 0);
  EXPECT_EQ(s.categoryGroup->Count(), 6);
  EXPECT_EQ(s.limitLabels[0], nullptr);
  EXPECT_EQ(s.GetSide(), 0);
  EXPECT_TRUE(s.chosenLists[0]->IsVisible());
  EXPECT_FALSE(s.chosenLists[1]->IsVisible());
  // Done commits and gives the main view back.
  screen.Buy(0, 0);
  screen.rig.App().DoCommand(158);
  EXPECT_EQ(s.screenView, nullptr);
  EXPECT_EQ(s.catalogueList, nullptr);
  EXPECT_TRUE(s.mainView->IsVisible());
  EXPECT_EQ(screen.rig.App().GetBattle()->units.Count(), 1);
}

TEST(EditorPurchaseScreen, LargeScreenPage) {
  Screen large(1024, 768);
  EXPECT_EQ(large.state->catalogueList->rowsPerPage, 42);
  EXPECT_EQ(large.state->screenView->Width(), 640);
}

TEST(EditorPurchaseScreen, MonthLabelKeepsToTheTwelveMonths) {
  EXPECT_EQ(EditorState::MonthStringFor(4406), 601);
  EXPECT_EQ(EditorState::MonthStringFor(4412), 607);
  EXPECT_EQ(EditorState::MonthStringFor(4501), 608);
  EXPECT_EQ(EditorState::MonthStringFor(4505), 612);
  // Dates the reader accepts outside the twelve months stand at the nearer end.
  EXPECT_EQ(EditorState::MonthStringFor(4405), 601);
  EXPECT_EQ(EditorState::MonthStringFor(3901), 601);
  EXPECT_EQ(EditorState::MonthStringFor(4612), 612);
}

TEST(EditorPurchaseScreen, ExperienceLimitsByForce) {
  Screen screen;
  EditorState& s = *screen.state;
  s.experiencePopup->SetCurrentItem(5);
  s.axisForcePopup->SetCurrentItem(4);  // Volkssturm
  s.DoCommand(160);
  EXPECT_EQ(Item(s.experiencePopup), "Regular");
  EXPECT_FALSE(s.experiencePopup->IsItemEnabled(3));
  EXPECT_TRUE(s.experiencePopup->IsItemEnabled(0));
  s.sidePopup->SetCurrentItem(1);
  s.DoCommand(159);
  EXPECT_EQ(s.GetForceCode(), 0);  // American
  EXPECT_FALSE(s.experiencePopup->IsItemEnabled(0));
  EXPECT_TRUE(s.experiencePopup->IsItemEnabled(1));
  EXPECT_TRUE(s.experiencePopup->IsItemEnabled(5));
  int32_t low = 0;
  int32_t high = 0;
  for (int32_t code : {2, 5, 9, 13, 16, 18, -1}) EXPECT_FALSE(EditorState::ExperienceRange(code, &low, &high)) << code;
}

TEST(EditorPurchaseScreenDeathTest, ForceOutsideTheTableIsFatal) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_DEATH(
      {
        Screen screen;
        screen.state->preset = 1;
        screen.state->presetForce = 2;
        screen.state->ApplyExperienceLimits();
      },
      "");
}

TEST(EditorPurchaseScreen, SideSlotAndPagingCommands) {
  Screen screen;
  EditorState& s = *screen.state;
  s.arrivalPopup->SetCurrentItem(3);
  s.DoCommand(161);
  EXPECT_TRUE(s.arrivalControl->IsVisible());
  s.arrivalPopup->SetCurrentItem(0);
  s.DoCommand(161);
  EXPECT_FALSE(s.arrivalControl->IsVisible());
  s.arrivalPopup->SetCurrentItem(5);
  s.DoCommand(161);
  EXPECT_TRUE(s.arrivalControl->IsVisible());
  // The side swaps the force popups and the lists, and goes back to "On Map".
  s.sidePopup->SetCurrentItem(1);
  s.DoCommand(159);
  EXPECT_TRUE(s.alliedForcePopup->IsVisible());
  EXPECT_FALSE(s.axisForcePopup->IsVisible());
  EXPECT_TRUE(s.chosenLists[1]->IsVisible());
  EXPECT_FALSE(s.chosenLists[0]->IsVisible());
  EXPECT_EQ(s.GetArrivalSlot(), 0);
  EXPECT_FALSE(s.arrivalControl->IsVisible());

  // 40 rows at 18 a page: 0, 18, 36; no further, and not above 0.
  EditorPurchaseList* list = s.GetCurrentPurchaseList();
  for (int32_t i = 0; i < 40; ++i) s.PurchaseList(1, 0).Append(s.MakeUnit(0, 0, true));
  s.DoCommand(165);
  s.DoCommand(165);
  EXPECT_EQ(list->topRow, 36);
  s.DoCommand(165);
  EXPECT_EQ(list->topRow, 36);
  s.DoCommand(164);
  s.DoCommand(164);
  EXPECT_EQ(list->topRow, 0);
  s.DoCommand(164);
  EXPECT_EQ(list->topRow, 0);
}

TEST(EditorPurchaseScreen, ListClicks) {
  Screen screen;
  EditorState& s = *screen.state;
  EditorCatalogueList* available = s.catalogueList;
  const int32_t rows = available->Entries().Count();
  ASSERT_GT(rows, available->rowsPerPage);
  ASSERT_LT(rows, 2 * available->rowsPerPage);
  // Below the last row nothing is bought.
  s.DoCommand(163);
  EXPECT_EQ(available->topRow, available->rowsPerPage);
  available->MouseDown(10, (rows - available->rowsPerPage) * 12 + 3, 0, 0, 0);
  EXPECT_EQ(s.CountSideUnits(0), 0);
  s.DoCommand(162);
  available->MouseDown(10, 3, 0, 0, 0);
  const int32_t bought = s.CountSideUnits(0);
  EXPECT_GT(bought, 0);
  EditorPurchaseList* chosen = s.GetCurrentPurchaseList();
  chosen->MouseDown(10, 12 * bought + 5, 0, 0, 0);
  EXPECT_EQ(chosen->selected, -1);
  chosen->MouseDown(10, 12 + 5, 0, 0, 0);
  EXPECT_EQ(chosen->selected, 1);
  // Shift and Ctrl with a double click give the unit the chosen force's nationality.
  s.axisForcePopup->SetCurrentItem(1);  // Waffen SS
  chosen->MouseDown(10, 12 + 5, 1, 1, 1);
  EXPECT_EQ(chosen->UnitAt(1)->nationalityCode, 8);
  EXPECT_EQ(s.unitEditView, nullptr);
  // A plain double click edits the unit.
  chosen->MouseDown(10, 12 + 5, 1, 0, 0);
  EXPECT_NE(s.unitEditView, nullptr);
  s.DoCommand(174);
  EXPECT_EQ(s.unitEditView, nullptr);
  EXPECT_TRUE(s.screenView->IsVisible());
}

TEST(EditorPurchaseScreen, ArrivalControlSteps) {
  Screen screen;
  EditorState& s = *screen.state;
  s.arrivalPopup->SetCurrentItem(1);
  s.DoCommand(161);
  EditorArrivalControl& c = *s.arrivalControl;
  EXPECT_EQ(c.arrival, 10);
  EXPECT_EQ(c.chance, 100);
  c.Load(4, 1);
  std::vector<int32_t> up;
  for (int32_t i = 0; i < 27; ++i) {
    s.DoCommand(170);
    up.push_back(c.chance);
  }
  EXPECT_EQ(up[8], 10);
  EXPECT_EQ(up[9], 15);
  EXPECT_EQ(up[25], 95);
  EXPECT_EQ(up[26], 100);
  s.DoCommand(170);
  EXPECT_EQ(c.chance, 100);
  std::vector<int32_t> down;
  for (int32_t i = 0; i < 27; ++i) {
    s.DoCommand(171);
    down.push_back(c.chance);
  }
  EXPECT_EQ(down[16], 15);
  EXPECT_EQ(down[17], 10);
  EXPECT_EQ(down[18], 9);
  EXPECT_EQ(down[26], 1);
  float chance = 0.0f;
  int32_t turn = 0;
  s.GetSlotArrival(&turn, &chance);
  EXPECT_FLOAT_EQ(chance, 0.01f);
  // The turn stops at 2 going down and has no upper bound.
  for (int32_t i = 0; i < 5; ++i) s.DoCommand(169);
  EXPECT_EQ(c.arrival, 2);
  for (int32_t i = 0; i < 200; ++i) s.DoCommand(168);
  EXPECT_EQ(c.arrival, 202);
  c.Load(4, 35);
  EXPECT_EQ(c.Captions(), (std::vector<std::string>{"First Possible Arrival: 4", "(Turn Number)", "Chance per Turn: 35%"}));
  // A reserve type stores its negative code and hides the buttons.
  c.typePopup->SetCurrentItem(2);
  s.DoCommand(172);
  s.GetSlotArrival(&turn, &chance);
  EXPECT_EQ(turn, -2);
  EXPECT_FALSE(c.stepView->IsVisible());
  EXPECT_TRUE(c.Captions().empty());
  c.typePopup->SetCurrentItem(0);
  s.DoCommand(172);
  s.GetSlotArrival(&turn, &chance);
  EXPECT_EQ(turn, 4);
  EXPECT_TRUE(c.stepView->IsVisible());
  // A stored chance of 0.35 loads as 35 percent.
  s.Slot(0, 1) = EditorState::ArrivalSlot{-3, 0.35f, 0.0f, 0.0f};
  s.arrivalPopup->SetCurrentItem(2);
  s.DoCommand(161);
  EXPECT_EQ(c.chance, 35);
  EXPECT_EQ(c.typePopup->GetCurrentItem(), 3);
}

TEST(EditorPurchaseScreen, ArrivalCaptionsInAnOperation) {
  EditorRig rig;
  rig.App().DoCommand(100);
  ASSERT_NE(rig.App().GetCampaign(), nullptr);
  rig.App().DoCommand(105);
  EditorState& s = *rig.State();
  EXPECT_TRUE(s.arrivalControl->typePopup->GetCommand() == 172);
  s.arrivalPopup->SetCurrentItem(1);
  s.DoCommand(161);
  EXPECT_TRUE(s.arrivalControl->typePopup->IsVisible());
  EXPECT_EQ(s.arrivalControl->arrival, 4);
  const std::vector<std::string> captions = s.arrivalControl->Captions();
  ASSERT_EQ(captions.size(), 3u);
  EXPECT_EQ(captions[1], "(Battle Number)");
  EXPECT_EQ(captions[2], "Chance per Battle: 100%");
}

TEST(EditorRadioButton, CaptionColoursAndLabel) {
  EXPECT_EQ(EditorRadioButton::CaptionColour(true, true).g, 0);
  EXPECT_EQ(EditorRadioButton::CaptionColour(true, false).r, 255);
  EXPECT_EQ(EditorRadioButton::CaptionColour(true, false).g, 125);
  const auto grey = EditorRadioButton::CaptionColour(false, false);
  EXPECT_EQ(grey.r, 125);
  EXPECT_EQ(grey.b, 125);
  EXPECT_EQ(EditorUnitList::RowColour(3).g, 255);
  EXPECT_EQ(EditorUnitList::RowColour(11).r, 255);
  EXPECT_EQ(EditorUnitList::RowColour(11).b, 255);
  EXPECT_EQ(EditorUnitList::RowColour(-1).g, 255);
}

TEST(EditorRadioButtonDeathTest, ButtonWithoutLabelIsFatal) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_DEATH(
      {
        EditorRig rig;
        CRadioGroup group;
        group.Init();
        auto* button = new EditorRadioButton();
        button->SetupWithText(&group, nullptr, rig.State()->mainView, 0, 0);
        button->Draw();
      },
      "");
}

TEST(EditorPurchaseScreen, DataPanel) {
  Screen screen;
  EditorState& s = *screen.state;
  EditorUnitDataPanel& panel = *s.unitDataPanel;
  // Formations of 7 members list 7; of 8, 6 and "...and more".
  int32_t seven = -1;
  int32_t eight = -1;
  for (int32_t f = 0; f < gFormations.Count(); ++f) {
    const int32_t n = gFormations[f].EntryCount();
    bool plain = true;
    for (int32_t e = 0; e < n && e < 8; ++e) plain = plain && gFormations[f].EntryKind(e) != 2 && gFormations[f].EntryKind(e) != 3;
    if (!plain) continue;
    if (n == 7 && seven < 0) seven = f;
    if (n == 8 && eight < 0) eight = f;
  }
  if (seven >= 0) {
    panel.ShowEntry(PurchaseEntry::kFormation, static_cast<int16_t>(seven));
    EXPECT_EQ(panel.Compose().size(), 7u);
  }
  if (eight >= 0) {
    panel.ShowEntry(PurchaseEntry::kFormation, static_cast<int16_t>(eight));
    const auto lines = panel.Compose();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[6].text, "...and more");
  }
  // The same type twice makes one temporary unit; a bought unit after it deletes it.
  const int32_t made = panel.temporariesMade;
  panel.ShowEntry(PurchaseEntry::kInfantry, 0);
  panel.ShowEntry(PurchaseEntry::kInfantry, 0);
  EXPECT_EQ(panel.temporariesMade, made + 1);
  const auto infantry = panel.Compose();
  ASSERT_GE(infantry.size(), 5u);
  EXPECT_EQ(infantry[0].r, 255);
  EXPECT_EQ(infantry[0].b, 0);
  EXPECT_EQ(infantry[1].text.substr(0, 14), "Men:          ");
  Unit* bought = screen.Buy(0, 0);
  panel.ShowUnit(bought);
  EXPECT_FALSE(panel.entryFlag);
  EXPECT_EQ(panel.shownUnit, bought);
  panel.ShowUnit(nullptr);
  EXPECT_TRUE(panel.Compose().empty());

  // A single weapon carried by one man shows its name alone.
  for (int32_t i = 0; i < gInfantryClasses.Count(); ++i) {
    const InfantryData r = gInfantryClasses[i];
    if (r.MainWeapon() != WeaponData::kNone || r.WeaponSlotCount() != 1 || r.Men() != 1) continue;
    panel.ShowEntry(PurchaseEntry::kInfantry, static_cast<int16_t>(i));
    const auto lines = panel.Compose();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2].text.find("1x"), std::string::npos);
    EXPECT_EQ(lines[2].text.substr(14), std::string(gSmallArms[r.SlotSmallArms(0)].Name()));
    break;
  }
  // A flamethrower team names its weapon, padded like every label.
  int32_t flameTeams = 0;
  for (int32_t i = 0; i < gInfantryClasses.Count(); ++i) {
    if (gInfantryClasses[i].MainWeapon() != 92) continue;
    panel.ShowEntry(PurchaseEntry::kInfantry, static_cast<int16_t>(i));
    const auto lines = panel.Compose();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2].text, "Weapon:       Flamethrower") << i;
    ++flameTeams;
  }
  EXPECT_GT(flameTeams, 0);
  // An unarmoured vehicle; labels padded to 17.
  s.sidePopup->SetCurrentItem(0);
  for (int32_t v = 0; v < gVehicleClasses.Count(); ++v) {
    const VehicleData r = gVehicleClasses[v];
    bool zero = true;
    for (int32_t p = 0; p < 3; ++p)
      for (int32_t f = 0; f < 3; ++f) zero = zero && r.ArmourThickness(p, f) == 0;
    if (!zero) continue;
    panel.ShowEntry(PurchaseEntry::kVehicle, static_cast<int16_t>(v));
    const auto lines = panel.Compose();
    bool found = false;
    for (const auto& line : lines) found = found || line.text == "Armor:           unarmored";
    EXPECT_TRUE(found);
    break;
  }
}

TEST(EditorPurchaseScreen, HoveringLeavesTheGeneratorAlone) {
  Screen screen(1024, 768);
  EditorState& s = *screen.state;
  SeedRandom(1234);
  const uint32_t before = RandomState();
  for (int32_t frame = 0; frame < 100; ++frame) {
    s.catalogueList->MouseMoved(10, (frame % 20) * 12 + 3);
    s.catalogueList->Draw();
    s.unitDataPanel->Draw();
  }
  EXPECT_EQ(RandomState(), before);
}

TEST(EditorUnitEdit, ShowsAndStoresTheUnit) {
  Screen screen;
  EditorState& s = *screen.state;
  auto* squad = static_cast<Infantry*>(screen.Buy(0, 0));
  squad->suppression = 40.0f;
  squad->rating = 3;
  squad->ammo[0] = 7;
  s.DoCommand(166);
  ASSERT_NE(s.unitEditView, nullptr);
  EXPECT_FALSE(s.screenView->IsVisible());
  EXPECT_EQ(Item(s.unitEdit.suppressionPopup), "Cautious");
  EXPECT_EQ(Item(s.unitEdit.experiencePopup), "Veteran");
  s.DoCommand(173);
  EXPECT_FLOAT_EQ(squad->suppression, 52.8f);
  EXPECT_EQ(squad->rating, 3);
  EXPECT_EQ(squad->ammo[0], 7);
  EXPECT_EQ(squad->leaderName, 0);
  // Band 1 shows "Normal (None)" and stores 0; the fatigue items store 0, 90, 190 and 400.
  const float fatigue[4] = {0.0f, 90.0f, 190.0f, 400.0f};
  for (int32_t item = 0; item < 4; ++item) {
    squad->suppression = 15.0f;
    s.DoCommand(166);
    s.unitEdit.fatiguePopup->SetCurrentItem(item);
    s.DoCommand(173);
    EXPECT_FLOAT_EQ(squad->suppression, 0.0f);
    EXPECT_FLOAT_EQ(squad->fatigue, fatigue[item]);
  }
  // A special name, then an empty one restores the standard name.
  s.DoCommand(166);
  s.namePopup->SetCurrentItem(1);
  s.DoCommand(175);
  EXPECT_TRUE(s.nameEntry->IsVisible());
  GString255 name;
  name.Assign("Smith");
  static_cast<GTextEntry*>(s.nameEntry)->AppendText(&name);
  s.DoCommand(173);
  EXPECT_EQ(squad->leaderName, -1);
  ASSERT_NE(squad->customName, nullptr);
  EXPECT_STREQ(squad->customName->CStr(), "Smith");
  s.DoCommand(166);
  static_cast<GTextEntry*>(s.nameEntry)->Clear();
  s.DoCommand(173);
  EXPECT_EQ(squad->leaderName, 0);
  EXPECT_EQ(squad->customName, nullptr);
  // Cancel leaves the unit as it was.
  s.DoCommand(166);
  s.unitEdit.experiencePopup->SetCurrentItem(0);
  s.DoCommand(174);
  EXPECT_EQ(squad->rating, 3);
  // A split squad shows no name controls while its linked half is with it, and shows them
  // once the half is lost.
  auto* half = static_cast<Infantry*>(screen.Buy(0, 0));
  half->linkedHalf = squad;
  s.DoCommand(166);
  EXPECT_FALSE(s.namePopup->IsVisible());
  EXPECT_FALSE(s.nameEntry->IsVisible());
  s.DoCommand(174);
  half->splitFlag = 1;
  s.DoCommand(166);
  EXPECT_TRUE(s.namePopup->IsVisible());
  s.DoCommand(174);
  half->linkedHalf = nullptr;
}

TEST(EditorUnitEdit, AmmunitionWithinTheMaximum) {
  Screen screen;
  EditorState& s = *screen.state;
  // A weapon of a type other than 2, 3 and 5 takes one and a half full loads, truncated (37
  // for a load of 25).
  Unit* unit = nullptr;
  int32_t load = 0;
  for (int32_t i = 0; i < gInfantryClasses.Count() && unit == nullptr; ++i) {
    const InfantryData r = gInfantryClasses[i];
    if (r.AmmoLoad() <= 0 || r.MainWeapon() == WeaponData::kNone || !gWeapons.IsValid(r.MainWeapon())) continue;
    const int32_t type = gWeapons[r.MainWeapon()].Type();
    if (type == 2 || type == 3 || type == 5) continue;
    unit = screen.Buy(0, i);
    load = r.AmmoLoad();
  }
  ASSERT_NE(unit, nullptr);
  unit->ammo = {};
  s.DoCommand(166);
  const int32_t most = load * 3 / 2;
  EXPECT_EQ(s.unitEdit.maxAmmo, most);
  int32_t shownType = -1;
  for (int32_t t = 4; t >= 0; --t)
    if (s.unitEdit.ammoShown[static_cast<size_t>(t)]) shownType = t;
  ASSERT_GE(shownType, 0);
  for (int32_t i = 0; i < most + 5; ++i) s.DoCommand(176 + 2 * shownType);
  EXPECT_EQ(EditorState::GetControlValue(s.unitEdit.ammoLabels[static_cast<size_t>(shownType)]), most);
  s.DoCommand(177 + 2 * shownType);
  s.DoCommand(176 + 2 * shownType);
  EXPECT_EQ(EditorState::GetControlValue(s.unitEdit.ammoLabels[static_cast<size_t>(shownType)]), most);
  s.DoCommand(173);
  EXPECT_EQ(unit->ammo[static_cast<size_t>(shownType)], most);
}

TEST(EditorUnitEdit, StoredValuesOutsideThePopupsOpenClamped) {
  Screen screen;
  EditorState& s = *screen.state;
  const int32_t squadType = InfantryWhere([](const InfantryData& r) {
    return r.IsSquad() != 0 && r.MainWeapon() == WeaponData::kNone && r.LeaderLevel() < 1;
  });
  ASSERT_GE(squadType, 0);
  auto* squad = static_cast<Infantry*>(screen.Buy(0, squadType));
  ASSERT_TRUE(squad->IsAxis());
  squad->ammo = {};
  squad->ammo[3] = 3;
  squad->rating = 7;
  squad->antitankCount = 5;
  squad->antitankWeaponId = 60;
  s.DoCommand(166);
  ASSERT_NE(s.unitEditView, nullptr);
  EXPECT_TRUE(s.unitEdit.ammoShown[3]);
  EXPECT_EQ(Item(s.unitEdit.experiencePopup), "Elite");
  EXPECT_EQ(Item(s.unitEdit.antitankPopup), "2");
  EXPECT_EQ(Item(s.unitEdit.antitankTypePopup), "Panzerfaust 100");
  s.DoCommand(173);
  EXPECT_EQ(squad->ammo[3], 3);
  EXPECT_EQ(squad->rating, 5);
  EXPECT_EQ(squad->antitankCount, 2);
  EXPECT_EQ(squad->antitankWeaponId, 54);
  // The panzerfaust items give 52, 53 and 54.
  for (int32_t item = 0; item < 3; ++item) {
    s.DoCommand(166);
    s.unitEdit.antitankTypePopup->SetCurrentItem(item);
    s.DoCommand(173);
    EXPECT_EQ(squad->antitankWeaponId, 52 + item);
  }
}

// The alert open among the purchase check's two, 0 for another, -1 for none.
int32_t PurchaseAlert(WRApplication& app) {
  GView* box = app.GetAlertBox();
  if (box == nullptr) return -1;
  for (int32_t number : {12, 13}) {
    GString255 line;
    line.LoadResource(static_cast<uint32_t>(AlertTable::Find(number)->line1));
    for (int32_t i = 0; i < box->GetChildCount(); ++i) {
      auto* label = dynamic_cast<GLabel*>(box->GetChild(i));
      if (label != nullptr && std::string(label->GetText().CStr()) == line.CStr()) return number;
    }
  }
  return 0;
}

void CloseAlert(WRApplication& app) {
  // The box's buttons make the application forget it as they go.
  delete app.GetAlertBox();
}

TEST(EditorPurchaseOnly, RestrictionsAndTheEndOfTheVisit) {
  ShellRig shell(true);
  LinkEditorBitmaps(shell.folder);
  InstallEditor(*shell.app);
  WRApplication& app = *shell.app;
  Battle* battle = app.GetBattle();
  battle->forcePoints[1] = 1000;
  battle->sideByteF[1] = 3;   // British
  battle->sideValueE[1] = 0;  // High
  battle->mustPurchase[0] = 1;
  app.SetHumanPlayers(2);
  app.SetConnectionType(0);
  app.SetSideToPlay(1);
  battle->OpenPurchaseScreen(1);
  auto* state = dynamic_cast<EditorState*>(app.GetEditor());
  ASSERT_NE(state, nullptr);
  EditorState& buy = *state;
  EXPECT_EQ(buy.purchaseOnly, 1);
  EXPECT_EQ(buy.GetSide(), 1);
  EXPECT_FALSE(buy.sidePopup->IsItemEnabled(0));
  EXPECT_EQ(buy.GetForceCode(), 3);
  for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(buy.alliedForcePopup->IsItemEnabled(i), i == 2) << i;
  EXPECT_EQ(Item(buy.experiencePopup), "Veteran");
  EXPECT_FALSE(buy.experiencePopup->IsItemEnabled(2));
  EXPECT_TRUE(buy.experiencePopup->IsItemEnabled(5));
  for (int32_t slot = 1; slot <= 5; ++slot) EXPECT_FALSE(buy.arrivalPopup->IsItemEnabled(slot));
  EXPECT_EQ(WithCommand(buy.screenView, 166), nullptr);
  EXPECT_NE(WithCommand(buy.screenView, 198), nullptr);
  EXPECT_EQ(EditorState::GetControlValue(buy.limitLabels[6]), 1000);

  // Nothing spent.
  app.DoCommand(198);
  EXPECT_EQ(PurchaseAlert(app), 13);
  CloseAlert(app);
  // A double click only selects.
  buy.catalogueList->MouseDown(10, 3, 0, 0, 0);
  ASSERT_GT(buy.CountSideUnits(1), 0);
  buy.chosenLists[1]->MouseDown(10, 3, 1, 0, 0);
  EXPECT_EQ(buy.unitEditView, nullptr);
  EXPECT_EQ(buy.chosenLists[1]->selected, 0);
  // Overspent: alert 12, the column's labels red.
  buy.limitLabels[0]->SetLabelValue(1);
  buy.chosenLists[1]->UpdatePoints();
  EXPECT_EQ(buy.spentLabels[0]->GetColor()[1], 0);
  EXPECT_EQ(buy.limitLabels[0]->GetColor()[1], 0);
  app.DoCommand(198);
  EXPECT_EQ(PurchaseAlert(app), 12);
  CloseAlert(app);
  ASSERT_NE(app.GetEditor(), nullptr);
  // Within the allowances: the units go to the battle, the state goes, and at the hotseat the
  // side still to buy is next.
  buy.limitLabels[0]->SetLabelValue(1000);
  const int32_t bought = buy.CountSideUnits(1);
  app.DoCommand(198);
  EXPECT_EQ(app.GetEditor(), nullptr);
  EXPECT_EQ(battle->units.Count(), bought);
  EXPECT_EQ(app.GetSideToPlay(), 0);
}
