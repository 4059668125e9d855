// The editor's command switch: every command of the editor and of the set-up screens. The
// commands of screens that are still to come beep and log their number.
#include "app/AlertTable.h"
#include "app/WRApplication.h"
#include "editor/EditorMapPreview.h"
#include "editor/EditorState.h"
#include "editor/EditorTerrainPalette.h"
#include "editor/EditorValueLabel.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GControl.h"
#include "framework/ui/GPopup.h"
#include "game/battle/Campaign.h"

namespace {

constexpr const char* kCommandsSource = "EditorCommands";

// The alerts that ask "Save current scenario?" for 99, 100, 101 and 108.
constexpr int32_t kAlertLeave = 20;
constexpr int32_t kAlertNewBattle = 21;
constexpr int32_t kAlertNewOperation = 22;
constexpr int32_t kAlertOpen = 23;

}  // namespace

void EditorState::NotAvailable(int32_t command) {
  GErrorLog::LogValue("Editor command not available yet:", command);
  if (app_ != nullptr) app_->Beep();
}

void EditorState::StepCounter(GControl* control, int32_t delta, bool allowed) {
  if (control == nullptr || !allowed) return;
  if (auto* label = dynamic_cast<EditorValueLabel*>(control)) {
    label->AddValue(delta, suppressRedraw != 0);
  } else {
    control->SetValue(control->GetValue() + delta);
  }
}

void EditorState::StepAxisBonus(bool raise) {
  if (axisBonusCounter == nullptr) return;
  const int32_t v = GetControlValue(axisBonusCounter);
  int32_t step = 0;
  if (raise) {
    if (v <= -1050) step = 50;
    else if (v <= -525) step = 25;
    else if (v < 500) step = 10;
    else if (v < 1000) step = 25;
    else if (v < 9000) step = 50;
  } else {
    if (v >= 1050) step = -50;
    else if (v >= 525) step = -25;
    else if (v > -500) step = -10;
    else if (v > -1000) step = -25;
    else if (v > -9000) step = -50;
  }
  StepCounter(axisBonusCounter, step, step != 0);
}

void EditorState::DoCommand(int32_t command) {
  const bool operation = app_ != nullptr && app_->GetCampaign() != nullptr;
  // Asks to save a modified scenario first, else goes on at once with the NO command.
  const auto askFirst = [this](int32_t alert, int32_t no) {
    if (modified != 0) {
      if (app_ == nullptr) FatalError(__LINE__, kCommandsSource);
      app_->ShowAlert(alert);
    } else {
      DoCommand(no);
    }
  };
  // Saves; goes on with the NO command only when the save was completed.
  const auto saveThen = [this](int32_t no) {
    DoCommand(102);
    if (modified == 0) DoCommand(no);
  };
  switch (command) {
    case 99: askFirst(kAlertNewBattle, 112); return;
    case 100: askFirst(kAlertNewOperation, 114); return;
    case 101: askFirst(kAlertOpen, 116); return;
    case 102: SaveScenario(); return;
    case 103: SaveScenarioDialog(); return;
    case 104:
      modified = 1;
      if (operation) OperationParametersDialog();
      else BattleParametersDialog();
      return;
    case 105:
      modified = 1;
      UnitPurchaseScreen(2);
      return;
    case 106:
      modified = 1;
      MapEditScreen();
      return;
    case 107:
      if (gKernel != nullptr && gKernel->IsShiftDown() && gKernel->IsControlDown()) ExportBriefings();
      else ImportBriefings();
      return;
    case 108: askFirst(kAlertLeave, 110); return;
    case 109: saveThen(110); return;
    case 110:
    case 194:
      // The state is gone afterwards.
      if (app_ == nullptr) FatalError(__LINE__, kCommandsSource);
      app_->CloseEditor(false);
      return;
    case 111: saveThen(112); return;
    case 112: NewBattle(); return;
    case 113: saveThen(114); return;
    case 114: NewOperation(); return;
    case 115: saveThen(116); return;
    case 116: OpenScenario(); return;
    case 117:
      TournamentSave();
      CloseScreen();
      return;
    case 118: CloseScreen(); return;
    case 119:
      modified = 1;
      ReadBriefingFiles();
      CloseScreen();
      return;
    case 120: CloseScreen(); return;
    case 121:
      if (operation) CommitOperationParameters();
      else CommitBattleParameters();
      CloseScreen();
      return;
    case 122: SwitchFlagPanels(); return;
    case 123:
      StepCounter(lengthCounter, 1, lengthCounter != nullptr && GetControlValue(lengthCounter) < (operation ? 20 : 120));
      return;
    case 124:
      StepCounter(lengthCounter, -1, lengthCounter != nullptr && GetControlValue(lengthCounter) > (operation ? 2 : 1));
      return;
    case 125: StepCounter(smallFlagsCounter, 1, smallFlagsCounter != nullptr && GetControlValue(smallFlagsCounter) < 20); return;
    case 126: StepCounter(smallFlagsCounter, -1, smallFlagsCounter != nullptr && GetControlValue(smallFlagsCounter) > 0); return;
    case 127: StepCounter(largeFlagsCounter, 1, largeFlagsCounter != nullptr && GetControlValue(largeFlagsCounter) < 20); return;
    case 128: StepCounter(largeFlagsCounter, -1, largeFlagsCounter != nullptr && GetControlValue(largeFlagsCounter) > 0); return;
    case 129: StepCounter(flagValueCounter, 25, flagValueCounter != nullptr && GetControlValue(flagValueCounter) < 2000); return;
    case 130: StepCounter(flagValueCounter, -25, flagValueCounter != nullptr && GetControlValue(flagValueCounter) > 100); return;
    case 131: StepAxisBonus(true); return;
    case 132: StepAxisBonus(false); return;
    case 133: ShowOperationTypePanels(); return;
    case 134: StepWindowSize(true); return;
    case 135: StepWindowSize(false); return;
    case 136: CloseMapEditScreen(); return;
    case 137: ViewMapIn3D(); return;
    case 138:
    case 139:
    case 140: SetToolMode(command - 138); return;
    case 141: ShowElevation(true); return;
    case 142: ShowElevation(false); return;
    case 146: StepMapSize(true, true); return;
    case 147: StepMapSize(true, false); return;
    case 148: StepMapSize(false, true); return;
    case 149: StepMapSize(false, false); return;
    case 150:
    case 151:
      if (terrainPalette != nullptr) terrainPalette->StepPage(command == 150);
      return;
    case 152:
    case 153:
    case 154:
    case 155:
      if (mapView != nullptr) {
        static constexpr int32_t kScroll[4][2] = {{0, 12}, {12, 0}, {0, -12}, {-12, 0}};
        mapView->Scroll(kScroll[command - 152][0], kScroll[command - 152][1]);
      }
      return;
    case 156: CommitLandmarkName(); return;
    case 157: CloseLandmarkDialog(); return;
    case 143: RandomMapDialog(); return;
    case 144: Generate(); return;
    case 145: CancelRandomMap(); return;
    case 173:
    case 174: CloseUnitEditScreen(command == 174); return;
    case 175:
      if (nameEntry != nullptr && namePopup != nullptr) nameEntry->SetVisible(namePopup->GetCurrentItem() == 1 ? 1 : 0);
      return;
    case 195: ApplyQuickBattleSetup(); return;
    case 196: StepCounter(lengthCounter, 1, lengthCounter != nullptr && GetControlValue(lengthCounter) < 60); return;
    case 197: StepCounter(lengthCounter, -1, lengthCounter != nullptr && GetControlValue(lengthCounter) > 20); return;
    default:
      if ((command >= 158 && command <= 172) || command == 198) {
        DoPurchaseCommand(command);
        return;
      }
      if (command >= 176 && command <= 185) {
        StepUnitAmmo((command - 176) / 2, (command - 176) % 2 == 0);
        return;
      }
      if (command >= 186 && command <= 193) {
        StepLeaderRating((command - 186) / 2, (command - 186) % 2 == 0);
        return;
      }
      // The commands of the parameters dialogs' panels, the map editor, the random map dialog,
      // the landmark dialog, the purchase and unit editing screens and the quick-battle set-up
      // come with those screens.
      if (command >= 99 && command <= 198) NotAvailable(command);
      return;
  }
}
