#include "editor/EditorState.h"

#include "app/WRApplication.h"
#include "framework/core/Quorl.h"
#include "framework/ui/CRadioGroup.h"
#include "framework/ui/GControl.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GView.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/ReinforcementGroup.h"

namespace {

constexpr const char* kStateSource = "EditorState";

// Force codes of the force popups' items; the last item of each side stands for any other.
constexpr int32_t kAxisForces[5] = {6, 8, 7, 11, 10};
constexpr int32_t kAlliedForces[8] = {0, 1, 3, 4, 12, 14, 15, 17};

}  // namespace

EditorState::EditorState(WRApplication* app) : app_(app) {
  scratchList_.Init();
  scratchList_.SetOwnsMembers(true);
  for (auto& side : purchaseLists_) {
    for (GObjectGroup& list : side) {
      list.Init();
      list.SetOwnsMembers(false);
    }
  }
}

EditorState::~EditorState() {
  delete categoryGroup;
  categoryGroup = nullptr;
  SafeDelete(rootView);
  // The lists go with their members: the scratch list deletes its units, the purchase lists
  // only forget theirs.
}

const EditorState::ArrivalSlot& EditorState::At(int32_t side, int32_t slot) const {
  if (side < 0 || side > 1 || slot < 0 || slot >= kSlots) FatalError(__LINE__, kStateSource);
  return slots_[static_cast<size_t>(side)][static_cast<size_t>(slot)];
}

EditorState::ArrivalSlot& EditorState::Slot(int32_t side, int32_t slot) { return const_cast<ArrivalSlot&>(At(side, slot)); }

void EditorState::CopyReinforcementSettings(ReinforcementGroup& group, int32_t side, int32_t slot) const {
  const ArrivalSlot& from = At(side, slot);
  group.arrivalTurn = from.arrivalTurn;
  group.chance = from.chance;
  group.entryX = from.entryX;
  group.entryY = from.entryY;
}

Battle* EditorState::AppBattle() const { return app_ != nullptr ? app_->GetBattle() : nullptr; }

Campaign* EditorState::AppOperation() const { return app_ != nullptr ? app_->GetCampaign() : nullptr; }

void EditorState::AppBeep() const {
  if (app_ != nullptr) app_->Beep();
}

GameFileSettings* EditorState::AppFileSettings() const { return app_ != nullptr ? &app_->FileSettings() : nullptr; }

BattleBase* EditorState::CurrentBattle() const {
  if (AppOperation() != nullptr) return AppOperation();
  return AppBattle();
}

int32_t EditorState::GetControlValue(const GControl* control) {
  if (control == nullptr) FatalError(__LINE__, kStateSource);
  return control->GetValue();
}

int32_t EditorState::ForceCodeFor(int32_t side, int32_t item) {
  if (side == 1) return item >= 0 && item <= 6 ? kAlliedForces[item] : 17;
  return item >= 0 && item <= 3 ? kAxisForces[item] : 10;
}

int32_t EditorState::GetSide() const {
  if (preset != 0) return presetSide;
  return sidePopup != nullptr && sidePopup->GetCurrentItem() != 0 ? 1 : 0;
}

int32_t EditorState::GetForceCode() const {
  if (preset != 0) return presetForce;
  const int32_t side = GetSide();
  const GPopup* popup = side == 1 ? alliedForcePopup : axisForcePopup;
  return ForceCodeFor(side, popup != nullptr ? popup->GetCurrentItem() : 0);
}

int32_t EditorState::GetExperience() const {
  if (preset != 0) return presetExperience;
  return experiencePopup != nullptr ? experiencePopup->GetCurrentItem() : presetExperience;
}

int32_t EditorState::GetArrivalSlot() const {
  if (preset != 0) return presetSlot;
  if (arrivalPopup == nullptr) return 0;
  return arrivalPopup->GetCurrentItem();
}

void EditorState::SetArrivalSlot(int32_t slot) {
  if (preset != 0) FatalError(__LINE__, kStateSource);
  if (arrivalPopup != nullptr) arrivalPopup->SetCurrentItem(slot);
}

int32_t EditorState::GetCategory() const {
  if (preset != 0) FatalError(__LINE__, kStateSource);
  return categoryGroup != nullptr ? categoryGroup->GetSelectedIndex() : 6;
}

EditorPurchaseList* EditorState::GetCurrentPurchaseList() const {
  if (preset != 0) FatalError(__LINE__, kStateSource);
  return chosenLists[static_cast<size_t>(GetSide())];
}

int32_t EditorState::ZoneValueForChoice(int32_t choice) { return choice >= 0 && choice <= 5 ? choice + 1 : 0; }

GObjectGroup& EditorState::PurchaseList(int32_t side, int32_t slot) {
  if (side < 0 || side > 1 || slot < 0 || slot >= kPurchaseSlots) FatalError(__LINE__, kStateSource);
  return purchaseLists_[static_cast<size_t>(side)][static_cast<size_t>(slot)];
}

void EditorState::CommitPurchases() {
  // Purchases made while an operation is edited go to the operation.
  BattleBase* base = CurrentBattle();
  if (base != nullptr) {
    GGroup* lists[2][kPurchaseSlots];
    for (int32_t side = 0; side < 2; ++side) {
      for (int32_t slot = 0; slot < kPurchaseSlots; ++slot) lists[side][slot] = &PurchaseList(side, slot);
    }
    base->TakePurchasedUnits(lists[0], lists[1], false, this);
  }
  for (int32_t slot = kPurchaseSlots - 1; slot >= 0; --slot) {
    PurchaseList(0, slot).DeleteAll(false);
    PurchaseList(1, slot).DeleteAll(false);
  }
}
