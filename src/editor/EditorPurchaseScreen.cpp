// The unit purchase screen: building it in the full editor and in purchase-only mode, the
// experience limits by force, the arrival control's showing and the screen's commands.
#include <algorithm>
#include <array>
#include <vector>

#include "app/WRApplication.h"
#include "editor/EditorArrivalControl.h"
#include "editor/EditorCatalogueList.h"
#include "editor/EditorPurchaseList.h"
#include "editor/EditorState.h"
#include "editor/EditorUnitDataPanel.h"
#include "editor/EditorUnits.h"
#include "editor/EditorValueLabel.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/ui/CRadioGroup.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GStripButton.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleBase.h"
#include "game/ui/EditorRadioButton.h"

namespace {

constexpr const char* kPurchaseScreenSource = "EditorPurchaseScreen";
constexpr int32_t kScreenWidth = 640;
constexpr int32_t kPanelHeight = 87;
constexpr int32_t kRegular = 2;
constexpr int32_t kAlertOverspent = 12;
constexpr int32_t kAlertNothingSpent = 13;

// The popup of count strings from firstString.
GPopup* MakePopup(GView* parent, int32_t x, int32_t y, int32_t firstString, int32_t count, int32_t current,
                  int32_t command) {
  std::vector<int32_t> strings;
  for (int32_t i = 0; i < count; ++i) strings.push_back(firstString + i);
  return Editor::MakePopup(parent, x, y, strings, current, command);
}

GStripButton* MakeButton(GView* parent, int32_t x, int32_t y, int32_t command, int16_t picture, int32_t style,
                         int16_t sound) {
  auto* button = new GStripButton();
  button->IStripButton(parent, x, y, command, picture, style);
  button->SetClickSound(sound);
  return button;
}

// Only the items from lowest to highest may be chosen; the current item moves there first.
void LimitItems(GPopup* popup, int32_t lowest, int32_t highest, int32_t select) {
  popup->SetCurrentItem(select);
  for (int32_t i = 0; i < popup->GetItemCount(); ++i) popup->SetItemEnabled(i, i >= lowest && i <= highest ? 1 : 0);
}

}  // namespace

int16_t EditorState::MonthStringFor(int32_t date) {
  // June 1944 is month 0, May 1945 month 11.
  const int32_t month = (date / 100 - 44) * 12 + date % 100 - 6;
  return static_cast<int16_t>(601 + std::clamp(month, 0, 11));
}

bool EditorState::ExperienceRange(int32_t forceCode, int32_t* lowest, int32_t* highest) {
  // Per force code 0..17: the lowest and highest experience item, -1 for no force.
  static constexpr int8_t kRange[18][2] = {{1, 5},  {2, 5},  {-1, -1}, {1, 5}, {2, 5},  {-1, -1},
                                           {0, 5},  {1, 5},  {0, 5},   {-1, -1}, {0, 2}, {1, 5},
                                           {1, 5},  {-1, -1}, {1, 5},  {2, 5},  {-1, -1}, {1, 5}};
  if (forceCode < 0 || forceCode > 17 || kRange[forceCode][0] < 0) return false;
  *lowest = kRange[forceCode][0];
  *highest = kRange[forceCode][1];
  return true;
}

void EditorState::ApplyExperienceLimits() {
  if (purchaseOnly != 0 || experiencePopup == nullptr) return;
  int32_t lowest = 0;
  int32_t highest = 0;
  if (!ExperienceRange(GetForceCode(), &lowest, &highest)) FatalError(__LINE__, kPurchaseScreenSource);
  for (int32_t i = 0; i < 6; ++i) experiencePopup->SetItemEnabled(i, i >= lowest && i <= highest ? 1 : 0);
  const int32_t current = experiencePopup->GetCurrentItem();
  if (current < lowest || current > highest) experiencePopup->SetCurrentItem(kRegular);
  experiencePopup->Invalidate();
}

void EditorState::ShowArrivalControl(bool show) {
  if (arrivalControl == nullptr) return;
  arrivalControl->SetVisible(show ? 1 : 0);
  if (!show) return;
  int32_t turn = 0;
  float chance = 0.0f;
  GetSlotArrival(&turn, &chance);
  arrivalControl->Load(turn, ChancePercent(chance));
}

void EditorState::UnitPurchaseScreen(int32_t side) {
  if (rootView == nullptr || mainView == nullptr) FatalError(__LINE__, kPurchaseScreenSource);
  Battle* battle = app_ != nullptr ? app_->GetBattle() : nullptr;
  const bool buying = purchaseOnly != 0;
  if (buying && (battle == nullptr || side < 0 || side > 1)) FatalError(__LINE__, kPurchaseScreenSource);
  std::array<int32_t, 7> allowed{};
  if (buying) {
    // The per-side byte of the quick battle's "Force" choice: 0 none, else its item + 1.
    const uint8_t restriction = battle->sideByteF[side];
    battle->ComputePurchaseLimits(side, allowed.data(), side == 1 && (restriction == 1 || restriction == 2));
  }
  CloseScreen();
  mainView->SetVisible(0);
  screenView = new GView();
  screenView->SetBackColor(Editor::DarkRedPixel());
  screenView->Place(rootView, -1, 0, kScreenWidth, rootView->Height());
  const int32_t height = screenView->Height();

  // The heading picture lies under the Done button.
  auto* background = new GPictureView();
  background->Init(screenView, 0, 0, 10070);
  MakeButton(screenView, 536, 0, buying ? 198 : 158, 11101, 0, 152);
  sidePopup = MakePopup(background, 25, 30, 130, 2, 0, 159);
  axisForcePopup = MakePopup(background, 119, 30, 502, 5, 0, 160);
  alliedForcePopup = MakePopup(background, 119, 30, 511, 8, 0, 160);
  experiencePopup = MakePopup(background, 289, 30, 900, 6, kRegular, 160);
  arrivalPopup = MakePopup(background, 406, 30, 910, 6, 0, 161);
  if (buying) {
    sidePopup->SetCurrentItem(side);
    sidePopup->SetItemEnabled(1 - side, 0);
    GPopup* force = side == 0 ? axisForcePopup : alliedForcePopup;
    const int32_t restricted = battle->sideByteF[side] - 1;
    if (restricted >= 0 && restricted < force->GetItemCount()) {
      LimitItems(force, restricted, restricted, restricted);
    }
    switch (battle->sideValueE[side]) {
      case 0: LimitItems(experiencePopup, 3, 5, 3); break;  // High
      case 1: LimitItems(experiencePopup, 2, 3, kRegular); break;  // Medium
      case 2: LimitItems(experiencePopup, 0, 1, 1); break;  // Low
      default: break;
    }
    for (int32_t slot = 1; slot <= kSlots; ++slot) arrivalPopup->SetItemEnabled(slot, 0);
  }
  delete categoryGroup;
  categoryGroup = new CRadioGroup();
  categoryGroup->Init();
  for (int32_t i = 0; i < 6; ++i) {
    auto* button = new EditorRadioButton();
    button->Setup(categoryGroup, static_cast<int16_t>(920 + i), screenView, 50 + 90 * i, 60);
    button->SetClickSound(150);
    button->SetCommand(160);
  }
  categoryGroup->SelectAt(0);

  pointsStrip = new GView();
  pointsStrip->SetBackColor(screenView->GetBackColor());
  pointsStrip->Place(screenView, 0, 81, kScreenWidth, 31);
  for (int32_t i = 0; i < 7; ++i) {
    auto* spent = new EditorValueLabel();
    spent->Setup(pointsStrip, 63 + 90 * i, 4, 40, 0, nullptr);
    spent->SetAlignment(1);
    spentLabels[static_cast<size_t>(i)] = spent;
    limitLabels[static_cast<size_t>(i)] = nullptr;
    if (!buying) continue;
    auto* limit = new EditorValueLabel();
    limit->Setup(pointsStrip, 63 + 90 * i, 18, 40, allowed[static_cast<size_t>(i)], nullptr);
    limit->SetAlignment(1);
    limitLabels[static_cast<size_t>(i)] = limit;
  }
  Editor::MakeLabel(screenView, 604, 66, 45, 892)->SetAlignment(0);
  if (buying) {
    Editor::MakeLabel(pointsStrip, 0, 1, 45, 893);
    Editor::MakeLabel(pointsStrip, 0, 15, 45, 894);
  }
  Editor::MakeLabel(screenView, 5, 155, 72, 930);
  auto* month = new GLabel();
  const BattleBase* base = CurrentBattle();
  month->InitWithResource(screenView, 85, 155, 95, MonthStringFor(base != nullptr ? base->date : 4406));
  month->SetFont(1);
  month->SetFill(0);
  catalogueList = new EditorCatalogueList(*this);
  catalogueList->Setup(screenView, 5, 170, 300);
  MakeButton(screenView, 183, 145, 162, 10026, 2, 150);
  MakeButton(screenView, 244, 145, 163, 10027, 2, 150);
  unitDataPanel = new EditorUnitDataPanel(*this);
  unitDataPanel->Setup(screenView, 5, height - kPanelHeight, 315, kPanelHeight);
  chosenLists[0] = new EditorPurchaseList(*this, true);
  chosenLists[1] = new EditorPurchaseList(*this, false);
  Editor::MakeLabel(screenView, 310, 155, 53, 931);
  MakeButton(screenView, 488, 145, 164, 10026, 2, 150);
  MakeButton(screenView, 549, 145, 165, 10027, 2, 150);
  if (!buying) MakeButton(screenView, 340, height - kPanelHeight, 166, 10032, 0, 150);
  MakeButton(screenView, 462, height - kPanelHeight, 167, 10033, 0, 150);
  arrivalControl = new EditorArrivalControl(*this);
  arrivalControl->Setup(screenView, 320, height - 66, 300, 66);

  // Both sides' units of the edited battle move into the lists, each slot taking its group's
  // arrival settings (a slot without a group its defaults).
  chosenLists[0]->Setup(screenView, 310, 170, 300);
  chosenLists[1]->Setup(screenView, 310, 170, 300);
  ApplyExperienceLimits();
  DoCommand(159);
}

void EditorState::ForgetPurchaseScreen() {
  // The name entry slot is the landmark dialog's too: it goes only with the editing screen.
  if (unitEditView != nullptr) {
    nameEntry = nullptr;
    namePopup = nullptr;
    SafeDelete(unitEditView);
  }
  unitEdit = UnitEditControls{};
  catalogueList = nullptr;
  chosenLists = {};
  unitDataPanel = nullptr;
  arrivalControl = nullptr;
  pointsStrip = nullptr;
  spentLabels = {};
  limitLabels = {};
  sidePopup = nullptr;
  axisForcePopup = nullptr;
  alliedForcePopup = nullptr;
  experiencePopup = nullptr;
  arrivalPopup = nullptr;
  delete categoryGroup;
  categoryGroup = nullptr;
}

void EditorState::DoPurchaseCommand(int32_t command) {
  if (screenView == nullptr || catalogueList == nullptr) return;
  EditorPurchaseList* current = GetCurrentPurchaseList();
  switch (command) {
    case 158:
      CommitPurchases();
      CloseScreen();
      return;
    case 159: {
      const int32_t side = GetSide();
      axisForcePopup->SetVisible(side == 0 ? 1 : 0);
      alliedForcePopup->SetVisible(side == 1 ? 1 : 0);
      catalogueList->Refresh();
      chosenLists[static_cast<size_t>(1 - side)]->SetVisible(0);
      SetArrivalSlot(0);
      current->selected = -1;
      current->topRow = 0;
      current->SetVisible(1);
      current->UpdatePoints();
      ShowArrivalControl(false);
      ApplyExperienceLimits();
      return;
    }
    case 160:
      catalogueList->Refresh();
      ApplyExperienceLimits();
      return;
    case 161:
      for (EditorPurchaseList* list : chosenLists) {
        list->topRow = 0;
        list->rowCount = list->Shown().Count();
        list->Invalidate();
      }
      ShowArrivalControl(GetArrivalSlot() != 0);
      current->selected = -1;
      return;
    case 162:
    case 163:
      catalogueList->rowCount = catalogueList->Entries().Count();
      catalogueList->StepPage(command == 163);
      return;
    case 164:
    case 165:
      current->rowCount = current->Shown().Count();
      current->StepPage(command == 165);
      return;
    case 166: UnitEditScreen(); return;
    case 167:
      if (unitDataPanel != nullptr) unitDataPanel->ShowUnit(nullptr);
      current->RemoveSelected();
      return;
    case 168: arrivalControl->Step(1, 0); return;
    case 169: arrivalControl->Step(-1, 0); return;
    case 170: arrivalControl->Step(0, 1); return;
    case 171: arrivalControl->Step(0, -1); return;
    case 172: arrivalControl->ApplyType(); return;
    case 198: {
      if (app_ == nullptr) FatalError(__LINE__, kPurchaseScreenSource);
      // The total first, then the categories from the last down.
      const int32_t total = spentLabels[6] != nullptr ? GetControlValue(spentLabels[6]) : 0;
      if (total == 0) {
        app_->Beep();
        app_->ShowAlert(kAlertNothingSpent);
        return;
      }
      for (int32_t i = 6; i >= 0; --i) {
        const EditorValueLabel* spent = spentLabels[static_cast<size_t>(i)];
        const EditorValueLabel* limit = limitLabels[static_cast<size_t>(i)];
        if (spent != nullptr && limit != nullptr && GetControlValue(spent) > GetControlValue(limit)) {
          app_->Beep();
          app_->ShowAlert(kAlertOverspent);
          return;
        }
      }
      CommitPurchases();
      PrepareUnitPlacement();
      SetUnitsForPlay(true);
      // This state is deleted here: nothing of it is touched afterwards.
      app_->FinishPurchase();
      return;
    }
    default: return;
  }
}
