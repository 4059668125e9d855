// Opening the editor in its three modes, the full editor's main screen and the tournament
// save dialog.
#include "StringIds.h"
#include "app/GameFileSettings.h"
#include "editor/EditorScenarioLabel.h"
#include "editor/EditorState.h"
#include "editor/EditorUnits.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GStripButton.h"
#include "game/battle/Battle.h"

namespace {

constexpr const char* kMainScreenSource = "EditorMainScreen";
constexpr int32_t kButtons = 10;
constexpr int32_t kFirstButtonCommand = 99;
constexpr int16_t kFirstButtonPicture = 10000;
constexpr int16_t kTitlePicture = 10038;
constexpr int16_t kConfirmPicture = 11101;
constexpr int16_t kCancelPicture = 11103;

}  // namespace

void EditorState::Open(bool quick, bool purchase, int32_t side) {
  if (gKernel == nullptr) FatalError(__LINE__, kMainScreenSource);
  quickBattle = quick ? 1 : 0;
  purchaseOnly = quick && purchase ? 1 : 0;
  tournamentSave = 0;
  int32_t width = 0;
  int32_t height = 0;
  gKernel->GetScreenSize(width, height);
  rootView = new GView();
  rootView->SetBackColor(gBlackPixel);
  rootView->Place(gKernel->GetRootView(), 0, 0, width, height);
  const bool small = MainViewWidthFor(width) == 640;
  mainView = new GView();
  mainView->SetBackColor(Editor::DarkRedPixel());
  mainView->Place(rootView, -1, -1, small ? 640 : 800, small ? 480 : 600);
  secondDialog = nullptr;
  previewRunning = 0;
  scenarioLabel = nullptr;
  probing = 0;
  preset = 0;
  presetExperience = 2;

  if (quickBattle == 0) {
    BuildMainScreen();
    elevationLevel = 6;
    mapView = nullptr;
    modified = 0;
    DoCommand(112);
    return;
  }
  if (purchaseOnly == 0) {
    // A new battle whose sides both still have to buy; the computer's purchase clears the
    // pending byte of each side it buys for.
    DoCommand(112);
    if (AppBattle() != nullptr) {
      AppBattle()->mustPurchase[0] = 1;
      AppBattle()->mustPurchase[1] = 1;
    }
    QuickBattleSetup();
    return;
  }
  UnitPurchaseScreen(side);
}

void EditorState::BuildMainScreen() {
  const int32_t width = mainView->Width();
  auto* title = new GPictureView();
  title->Init(mainView, -1, 0, kTitlePicture);
  const int32_t labelX = (width - 400) / 2;
  auto* typeLabel = new GLabel();
  typeLabel->InitWithText(mainView, labelX, 78, 400, nullptr);
  typeLabel->SetAlignment(0);
  typeLabel->SetFill(0);
  scenarioLabel = new EditorScenarioLabel();
  scenarioLabel->InitWithText(mainView, labelX, 60, 400, nullptr);
  scenarioLabel->SetAlignment(0);
  scenarioLabel->SetFill(0);
  scenarioLabel->SetTypeLabel(typeLabel);
  GString31 ignored;
  scenarioLabel->SetScenarioName(nullptr, false, AppFileSettings() != nullptr ? AppFileSettings()->gameName : ignored);
  const bool small = width < 800;
  const int32_t gap = (800 - 630) / 5;
  for (int32_t i = 0; i < kButtons; ++i) {
    const int32_t x = small ? (i % 5) * 128 + 1 : (i % 5) * (gap + 126) + gap / 2;
    const int32_t y = small ? (i / 5) * 134 + 110 : (i / 5) * (gap + 126) + 140;
    auto* button = new GStripButton();
    button->IStripButton(mainView, x, y, kFirstButtonCommand + i, static_cast<int16_t>(kFirstButtonPicture + i), 5);
    button->SetClickSound(153);
  }
}

void EditorState::SaveScenarioDialog() {
  if (rootView == nullptr || mainView == nullptr) FatalError(__LINE__, kMainScreenSource);
  CloseScreen();
  mainView->SetVisible(0);
  screenView = new GView();
  screenView->SetBackColor(Editor::DarkRedPixel());
  screenView->Place(rootView, -1, -1, 640, 280);
  const int32_t width = screenView->Width();
  for (int32_t line = 0; line < 6; ++line) {
    auto* label = new GLabel();
    label->InitWithResource(screenView, 0, 17 * line + 15, width, static_cast<int16_t>(1620 + line));
    label->SetAlignment(0);
    label->SetFill(0);
  }
  auto* first = new GLabel();
  first->InitWithResource(screenView, 220, 135, 100, static_cast<int16_t>(kStrFirstPlayerIs));
  first->SetFill(0);
  GString255 axis;
  GString255 allied;
  axis.LoadResource(130);
  allied.LoadResource(131);
  const GString* items[2] = {&axis, &allied};
  firstPlayerPopup = new GPopup();
  firstPlayerPopup->Init(screenView, 320, 134, 2, items, 0);
  const int32_t buttonY = screenView->Height() - 60;
  auto* confirm = new GStripButton();
  confirm->IStripButton(screenView, 203, buttonY, 117, kConfirmPicture, 0);
  confirm->SetClickSound(152);
  auto* cancel = new GStripButton();
  cancel->IStripButton(screenView, 327, buttonY, 118, kCancelPicture, 0);
  cancel->SetClickSound(152);
}

void EditorState::CloseScreen() {
  // The controls of the screen go with it.
  firstPlayerPopup = nullptr;
  quickPopups.fill(nullptr);
  ForgetParameterControls();
  ForgetPurchaseScreen();
  SafeDelete(screenView);
  if (mainView != nullptr) mainView->SetVisible(1);
}
