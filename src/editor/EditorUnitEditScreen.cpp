// The unit editing screen over the purchase screen: one bought unit's ammunition, exit
// eligibility, experience and name, and for infantry its suppression, fatigue, special
// weapons and leader ratings, written into the unit only on OK.
#include <algorithm>
#include <array>
#include <vector>

#include "StringIds.h"
#include "editor/EditorPurchaseList.h"
#include "editor/EditorState.h"
#include "editor/EditorUnits.h"
#include "editor/EditorValueLabel.h"
#include "framework/core/GString15.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GTextEntry.h"
#include "framework/ui/GViewHost.h"
#include "game/battle/Battle.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/Names.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/tables/WeaponData.h"

namespace {

constexpr int32_t kAmmoTypes = 5;
constexpr int32_t kUnitEditScreenRepeatMs = 120;
constexpr int32_t kAlliedAntitankWeapon = 49;
constexpr int32_t kFirstPanzerfaust = 52;
constexpr float kSuppressionOf[5] = {0.0f, 52.8f, 88.0f, 156.0f, 260.0f};
constexpr float kFatigueOf[4] = {0.0f, 90.0f, 190.0f, 400.0f};

GPopup* UnitEditScreenPopup(GView* parent, int32_t x, int32_t y, const std::vector<int32_t>& strings, int32_t current) {
  return Editor::MakePopup(parent, x, y, strings, current, -1);
}

// The items "0" to "n - 1".
std::vector<int32_t> Numbers(int32_t n) {
  std::vector<int32_t> out;
  for (int32_t i = 0; i < n; ++i) out.push_back(-i - 1);
  return out;
}

void Arrows(GView* parent, int32_t x, int32_t y, int32_t moreCommand) {
  for (int32_t i = 0; i < 2; ++i) {
    auto* button = new GStripButton();
    button->IStripButton(parent, x + 20 * i, y, moreCommand + i, static_cast<int16_t>(10024 + i), 5);
    button->SetAutoRepeat(kUnitEditScreenRepeatMs);
  }
}

bool IsAmericanSquad(const Infantry& infantry) { return !infantry.IsAxis() && KindGroup(infantry.nationalityCode) == 1; }

}  // namespace

void EditorState::UnitEditScreen() {
  if (screenView == nullptr || rootView == nullptr || unitEditView != nullptr) return;
  EditorPurchaseList* list = GetCurrentPurchaseList();
  Unit* unit = list != nullptr ? list->UnitAt(list->selected) : nullptr;
  if (unit == nullptr || (!unit->IsInfantry() && !unit->IsVehicle())) return;
  auto* infantry = unit->IsInfantry() ? static_cast<Infantry*>(unit) : nullptr;
  screenView->SetVisible(0);
  unitEdit = UnitEditControls{};
  unitEdit.unit = unit;
  unitEditView = new GView();
  unitEditView->SetBackColor(screenView->GetBackColor());
  unitEditView->Place(rootView, -1, -1, 640, 480);
  GView* view = unitEditView;
  auto* ok = new GStripButton();
  ok->IStripButton(view, 530, 0, 173, 11101, 0);
  ok->SetClickSound(151);
  auto* cancel = new GStripButton();
  cancel->IStripButton(view, 390, 0, 174, 11103, 0);
  cancel->SetClickSound(151);
  GString255 text;
  unit->GetDisplayName(text);
  auto* title = new GLabel();
  title->InitWithText(view, 0, 0, 200, text.CStr());
  title->SetFill(0);

  // Which ammunition types the unit's main weapon takes.
  int32_t weapon = WeaponData::kNone;
  int32_t weaponType = 0;
  unit->QueryWeapon(0, weapon, weaponType);
  const bool hasWeapon = weapon != WeaponData::kNone && gWeapons.IsValid(weapon);
  std::array<bool, kAmmoTypes> shown{};
  if (!hasWeapon) {
    shown[0] = infantry != nullptr;
  } else {
    const WeaponData record = gWeapons[weapon];
    const int32_t row = std::clamp(unit->GetAmmoMixRow(), 0, WeaponData::kMixRows - 1);
    const int32_t armourPiercing = record.MixPercent(row, 0);
    const int32_t smoke = record.MixPercent(row, 1);
    const bool hollowCharge = record.ShotType() == WeaponData::kShotHollowCharge;
    shown[0] = armourPiercing < 100 && weaponType != 1;
    shown[1] = armourPiercing > 0 && !hollowCharge;
    shown[2] = record.MixCount(row) != 0;
    shown[3] = armourPiercing > 0 && hollowCharge;
    shown[4] = smoke > 0 && !(infantry != nullptr && weaponType == 5);
  }
  // A stored unit may carry rounds of a type its weapon does not show: its row shows them.
  for (int32_t t = 0; t < kAmmoTypes; ++t) shown[static_cast<size_t>(t)] = shown[static_cast<size_t>(t)] || unit->ammo[static_cast<size_t>(t)] != 0;
  if (unit->IsVehicle()) {
    unitEdit.maxAmmo = static_cast<Vehicle*>(unit)->TrueClass().AmmoLoad();
  } else {
    const int32_t load = infantry->Data().AmmoLoad();
    unitEdit.maxAmmo = weaponType == 5 ? load * 4 : (weaponType == 2 || weaponType == 3) ? load * 2 : static_cast<int32_t>(static_cast<float>(load) * 1.5f);
  }
  text.LoadResource(kStrAmmunitionMax);
  text.AppendNumber(unitEdit.maxAmmo);
  text.AppendCString(")");
  auto* heading = new GLabel();
  heading->InitWithText(view, 10, 51, 120, text.CStr());
  heading->SetFill(0);
  int32_t row = 0;
  for (int32_t t = 0; t < kAmmoTypes; ++t) {
    auto* value = new EditorValueLabel();
    const int32_t y = 81 + 30 * row;
    value->Setup(view, 130, y + 2, 50, unit->ammo[static_cast<size_t>(t)], nullptr);
    unitEdit.ammoLabels[static_cast<size_t>(t)] = value;
    unitEdit.ammoShown[static_cast<size_t>(t)] = shown[static_cast<size_t>(t)];
    if (!shown[static_cast<size_t>(t)]) {
      value->SetVisible(0);
      continue;
    }
    const bool smallArms = t == 0 && (!hasWeapon || weaponType == 0 || weaponType == 7);
    Editor::MakeLabel(view, 20, y, 110, static_cast<int16_t>(t == 0 ? (smallArms ? 940 : 941) : 941 + t));
    Arrows(view, 190, y, 176 + 2 * t);
    ++row;
  }

  // Exit points: only in a battle that gives the unit's side exit points.
  const Battle* battle = AppBattle();
  const bool exits = AppOperation() == nullptr && battle != nullptr &&
                     battle->exitScoring[unit->GetSideIndex() & 1] != 0;
  GLabel* exitLabel = Editor::MakeLabel(view, 10, 231, 120, 950);
  unitEdit.exitPopup = UnitEditScreenPopup(view, 130, 230, {951, 952}, unit->countsForPoints != 0 ? 0 : 1);
  exitLabel->SetVisible(exits ? 1 : 0);
  unitEdit.exitPopup->SetVisible(exits ? 1 : 0);

  if (infantry != nullptr) {
    Editor::MakeLabel(view, 10, 261, 120, 960);
    const int32_t band = std::min(unit->GetBand(), 5);
    unitEdit.suppressionPopup = UnitEditScreenPopup(view, 130, 260, {961, 962, 963, 964, 965}, band > 0 ? band - 1 : 0);
    Editor::MakeLabel(view, 10, 291, 120, 970);
    const int32_t level = std::clamp(unit->GetFatigueLevel(), 0, 4);
    unitEdit.fatiguePopup = UnitEditScreenPopup(view, 130, 290, {971, 972, 973, 974}, level > 0 ? level - 1 : 0);
    if (infantry->IsSquad()) {
      Editor::MakeLabel(view, 10, 321, 120, 980);
      unitEdit.chargesPopup = UnitEditScreenPopup(view, 130, 320, Numbers(4), infantry->chargeCount);
      if (infantry->IsAxis() || IsAmericanSquad(*infantry)) {
        Editor::MakeLabel(view, 10, 351, 120, infantry->IsAxis() ? 981 : 986);
        unitEdit.antitankPopup = UnitEditScreenPopup(view, 130, 350, Numbers(infantry->IsAxis() ? 3 : 4), infantry->antitankCount);
      }
      if (infantry->IsAxis()) {
        Editor::MakeLabel(view, 10, 381, 120, 982);
        unitEdit.antitankTypePopup = UnitEditScreenPopup(view, 130, 380, {983, 984, 985}, infantry->antitankWeaponId - kFirstPanzerfaust);
      }
    }
    if (infantry->GetLeaderLevel()) {
      Editor::MakeLabel(view, 330, 141, 120, 990);
      for (int32_t k = 0; k < 4; ++k) {
        Editor::MakeLabel(view, 340, 171 + 30 * k, 110, static_cast<int16_t>(991 + k));
        auto* value = new EditorValueLabel();
        value->Setup(view, 450, 173 + 30 * k, 50, infantry->LeaderRatingBits(k), nullptr);
        unitEdit.ratingLabels[static_cast<size_t>(k)] = value;
        Arrows(view, 510, 171 + 30 * k, 186 + 2 * k);
      }
    }
  }

  Editor::MakeLabel(view, 330, 51, 120, 1002);
  unitEdit.experiencePopup = UnitEditScreenPopup(view, 450, 50, {905, 904, 903, 902, 901, 900}, 5 - std::clamp(unit->rating, 0, 5));
  namePopup = UnitEditScreenPopup(view, 330, 81, {1000, 1001}, unit->leaderName == -1 ? 1 : 0);
  namePopup->SetCommand(175);
  auto* entry = new GTextEntry();
  entry->Init(view, 450, 80, 15, 1, 0, 1);
  nameEntry = entry;
  if (unit->leaderName == -1) {
    GString255 name;
    Names::AppendLeaderName(*unit, name, false);
    entry->AppendText(&name);
  }
  // A split squad keeps the name its halves share while its linked half has not been lost
  // (the flag that the split and the loss of the half set).
  if (infantry != nullptr && infantry->linkedHalf != nullptr && infantry->splitFlag == 0) {
    namePopup->SetVisible(0);
    entry->SetVisible(0);
  } else {
    DoCommand(175);
  }
}

void EditorState::StepUnitAmmo(int32_t type, bool more) {
  if (unitEditView == nullptr || type < 0 || type >= kAmmoTypes) return;
  EditorValueLabel* label = unitEdit.ammoLabels[static_cast<size_t>(type)];
  if (label == nullptr) return;
  if (!more) {
    if (GetControlValue(label) > 0) label->AddValue(-1, false);
    return;
  }
  int32_t sum = 0;
  for (const EditorValueLabel* each : unitEdit.ammoLabels) sum += each != nullptr ? GetControlValue(each) : 0;
  if (sum < unitEdit.maxAmmo) {
    label->AddValue(1, false);
  } else {
    AppBeep();
  }
}

void EditorState::StepLeaderRating(int32_t rating, bool more) {
  if (unitEditView == nullptr || rating < 0 || rating >= 4) return;
  EditorValueLabel* label = unitEdit.ratingLabels[static_cast<size_t>(rating)];
  if (label == nullptr) return;
  const int32_t value = GetControlValue(label);
  if (more && value < 2) label->AddValue(1, false);
  if (!more && value > 0) label->AddValue(-1, false);
}

void EditorState::CloseUnitEditScreen(bool cancel) {
  if (unitEditView == nullptr) return;
  Unit* unit = unitEdit.unit;
  if (!cancel && unit != nullptr) {
    for (int32_t t = 0; t < kAmmoTypes; ++t) {
      const EditorValueLabel* label = unitEdit.ammoLabels[static_cast<size_t>(t)];
      const int32_t count = unitEdit.ammoShown[static_cast<size_t>(t)] && label != nullptr ? GetControlValue(label) : 0;
      unit->ammo[static_cast<size_t>(t)] = static_cast<uint16_t>(std::clamp(count, 0, 65535));
    }
    unit->countsForPoints = unitEdit.exitPopup->GetCurrentItem() == 0 ? 1 : 0;
    unit->rating = 5 - unitEdit.experiencePopup->GetCurrentItem();
    if (namePopup != nullptr && namePopup->IsVisible()) {
      const auto* entry = static_cast<const GTextEntry*>(nameEntry);
      delete unit->customName;
      unit->customName = nullptr;
      if (namePopup->GetCurrentItem() == 1 && entry->Length() > 0) {
        unit->leaderName = -1;
        unit->customName = new GString15();
        unit->customName->Assign(entry->Text());
      } else {
        unit->leaderName = 0;
      }
    }
    if (unit->IsInfantry()) {
      auto* infantry = static_cast<Infantry*>(unit);
      unit->suppression = kSuppressionOf[std::clamp(unitEdit.suppressionPopup->GetCurrentItem(), 0, 4)];
      unit->fatigue = kFatigueOf[std::clamp(unitEdit.fatiguePopup->GetCurrentItem(), 0, 3)];
      infantry->fatigueLevel = Infantry::FatigueLevelOf(unit->fatigue);
      if (unitEdit.chargesPopup != nullptr) infantry->chargeCount = static_cast<uint8_t>(unitEdit.chargesPopup->GetCurrentItem());
      if (unitEdit.antitankPopup != nullptr) {
        infantry->antitankCount = static_cast<uint8_t>(unitEdit.antitankPopup->GetCurrentItem());
        infantry->antitankWeaponId = unitEdit.antitankTypePopup != nullptr
                                         ? kFirstPanzerfaust + unitEdit.antitankTypePopup->GetCurrentItem()
                                         : kAlliedAntitankWeapon;
      }
      if (unitEdit.ratingLabels[0] != nullptr) {
        uint8_t bits = 0;
        for (int32_t k = 0; k < 4; ++k) {
          bits = static_cast<uint8_t>(bits | (std::clamp(GetControlValue(unitEdit.ratingLabels[static_cast<size_t>(k)]), 0, 3) << (2 * k)));
        }
        infantry->leaderRatings = bits;
      }
    }
    if (EditorPurchaseList* list = GetCurrentPurchaseList()) list->UpdatePoints();
  }
  nameEntry = nullptr;
  namePopup = nullptr;
  unitEdit = UnitEditControls{};
  SafeDelete(unitEditView);
  if (screenView != nullptr) screenView->SetVisible(1);
}
