// The game selection screen: the list of scenarios and saved games behind the main screen's
// PLAY, and playing its choice.
#include "app/AlertTable.h"
#include "app/FileListView.h"
#include "app/ScreenColours.h"
#include "app/WRApplication.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GView.h"
#include "game/battle/Battle.h"
#include "game/ui/HelpStripButton.h"
#include "game/ui/ResourceLabel.h"

void WRApplication::ShowGameSelection() {
  if (mainPicture_ == nullptr || helpLine_ == nullptr) FatalError(__LINE__, "WRApplication");
  helpLine_->SetStringId(1501);
  mainPicture_->DeleteChildren();
  addressScreen_ = nullptr;
  // The notice stays drawn while the folders are read, until the next frame.
  auto* notice = new GView();
  constexpr uint8_t kNoticeRed[3] = {255, 0, 0};
  notice->SetBackColor(ScreenColours::Pixel(kNoticeRed));
  notice->Place(mainPicture_, -1, -1, 300, 34);
  auto* inner = new GView();
  inner->SetBackColor(ScreenColours::Pixel(ScreenColours::kBackground));
  inner->Place(notice, -1, -1, 288, 22);
  auto* label = new GLabel();
  label->InitWithResource(inner, (288 - 260) / 2, 4, 260, 1533);
  label->SetAlignment(0);
  label->SetColor(0, 0, 0);
  if (gKernel != nullptr) gKernel->UpdateScreen();
  SafeDelete(notice);

  auto* list = new FileListView();
  list->Init(mainPicture_, GetSizeClass());
  const int32_t w = mainPicture_->Width();
  const int32_t h = mainPicture_->Height();
  auto* back = new HelpStripButton();
  back->IHelpStripButton(mainPicture_, w / 2 - 317, h - 90, kCommandBackToMain, 11206, 3, helpLine_, 1525);
  back->SetClickSound(152);
  auto* play = new HelpStripButton();
  play->IHelpStripButton(mainPicture_, w / 2 + 17, h - 90, FileListView::kCommandPlay, 11205, 3, helpLine_, 1526);
  play->SetClickSound(152);
}

FileListView* WRApplication::GetFileList() const {
  if (mainPicture_ == nullptr) return nullptr;
  for (int32_t i = 0; i < mainPicture_->GetChildCount(); ++i) {
    if (auto* list = dynamic_cast<FileListView*>(mainPicture_->GetChild(i))) return list;
  }
  return nullptr;
}

void WRApplication::PlayChosenGame() {
  FileListView* list = GetFileList();
  if (list == nullptr) return;
  bool quickBattle = false;
  bool damaged = false;
  GFile* file = list->OpenSelected(quickBattle, damaged);
  if (quickBattle) {
    SafeDelete(screenRoot_);
    mainPicture_ = nullptr;
    helpLine_ = nullptr;
    addressScreen_ = nullptr;
    OpenEditor(true);
    return;
  }
  if (damaged) {
    // As for a file the reader refuses: the player is told over a fresh main screen.
    ShowMainScreen(true);
    ShowAlert(AlertTable::kDamagedFile);
    return;
  }
  if (file == nullptr) return;
  // A game the player chose from the list takes its stored seed, even on a host.
  fileSettings_.listLoad = 1;
  OpenChosenGame(file);
  // A game of two players goes on with the side whose turn it is. Not during the set-up: each
  // side places its own units, so the first side's set-up GO must still hand the game over
  // (a scenario saved for two players is read with the toggle that does so).
  if (humanPlayers_ == 2 && (inPlay_.GetBattle() == nullptr || !inPlay_.GetBattle()->IsSetupPhase())) fileSettings_.sideToggle = 0;
  fileSettings_.listLoad = 0;
}
