// The briefing screen and its commands: the overall briefing after a game is chosen, the
// side's briefing after the players, both after an e-mail turn or over a running battle.
#include "app/BriefingText.h"
#include "app/TextPageView.h"
#include "app/WRApplication.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GButton.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GView.h"
#include "framework/ui/GViewHost.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/map/OrderState.h"

const std::string* WRApplication::BriefingOf(int32_t index) const {
  if (index < 0 || index > 2) FatalError(__LINE__, "WRApplication");
  const BattleBase* base = inPlay_.GetCampaign() != nullptr ? static_cast<const BattleBase*>(inPlay_.GetCampaign()) : inPlay_.GetBattle();
  if (base == nullptr || base->briefing[index].empty()) return nullptr;
  return &base->briefing[index];
}

bool WRApplication::HasBriefingFor(int32_t side) const {
  return BriefingOf(2) != nullptr || ((side == 0 || side == 1) && BriefingOf(side) != nullptr);
}

void WRApplication::ShowBriefing(int32_t side, bool withOverall, bool overBattle, int32_t continueCommand,
                                 bool clearFirst) {
  const std::string* overall = withOverall ? BriefingOf(2) : nullptr;
  const std::string* sideText = side == 0 || side == 1 ? BriefingOf(side) : nullptr;
  std::vector<std::string> lines;
  if (withOverall && overall != nullptr) {
    const bool operation = inPlay_.GetCampaign() != nullptr;
    lines = BriefingText::Compose(overall, sideText, operation ? inPlay_.GetCampaign()->currentTurn : 0,
                                  operation ? inPlay_.GetCampaign()->lastTurn : 0);
  } else {
    const std::string* text = withOverall ? sideText : BriefingOf(side);
    if (text == nullptr) FatalError(__LINE__, "WRApplication");
    BriefingText::AppendLines(*text, lines);
  }
  if (clearFirst && gKernel != nullptr) gKernel->ClearScreen(!overBattle);
  if (gKernel == nullptr || gKernel->GetRootView() == nullptr) return;
  // The 640 x 480 page stands on a black full-screen view: nothing of the game list (hidden
  // behind it) or of the battlefield shows around it.
  currentScreen_ = new GView();
  currentScreen_->SetBackColor(gBlackPixel);
  currentScreen_->Place(nullptr, 0, 0, 0, 0);
  auto* page = new GView();
  page->SetNoFill(1);
  page->Place(currentScreen_, -1, -1, 640, 480);
  auto* panel = new GPictureView();
  panel->Init(page, 500, 0, 11150);
  const bool overallAlone = side == 2 && !withOverall;
  if (!overallAlone) {
    auto* plate = new GPictureView();
    plate->Init(panel, 5, 5, 11152);
  }
  struct Button {
    int32_t x, y, w, h, command, sound;
  };
  const Button buttons[3] = {{500, 260, 140, 46, 70, 150}, {500, 313, 140, 46, 71, 150},
                             {504, 422, 133, 58, continueCommand, 152}};
  for (const Button& b : buttons) {
    auto* button = new GButton();
    button->IControl(0, page, b.x, b.y, b.w, b.h, b.command);
    button->SetClickSound(static_cast<int16_t>(b.sound));
    if (b.command == continueCommand) button->MakeDefault();
  }
  briefingPage_ = new TextPageView();
  auto* pageLabel = new GLabel();
  pageLabel->InitWithText(panel, 61, 144, 20, "1");
  pageLabel->SetAlignment(1);
  briefingPage_->Init(page, std::move(lines), pageLabel);
  GString255 count;
  count.AssignNumber(briefingPage_->GetPageCount());
  auto* countLabel = new GLabel();
  countLabel->InitWithText(panel, 61, 177, 20, nullptr);
  countLabel->SetText(&count);
  countLabel->SetAlignment(1);
  if (overallAlone && !overBattle) {
    auto* backPicture = new GPictureView();
    backPicture->Init(panel, 8, 372, 11151);
    auto* back = new GButton();
    back->IControl(0, backPicture, 0, 0, 125, 36, 75);
    back->SetClickSound(151);
  }
}

bool WRApplication::DoBriefingCommand(int32_t command) {
  switch (command) {
    case 70:
    case 71:
      if (briefingPage_ != nullptr) briefingPage_->TurnPage(command == 71);
      return true;
    case 72:
    case 73:
    case 76:
      briefingPage_ = nullptr;
      SafeDelete(currentScreen_);
      if (gKernel != nullptr) gKernel->ClearScreen(true);
      screenRoot_ = nullptr;
      mainPicture_ = nullptr;
      helpLine_ = nullptr;
      addressScreen_ = nullptr;
      if (command == 72) ShowSideAndOptionsScreen();
      if (command == 73) ShowHandOverScreen();
      if (command == 76) DoCommand(85);
      return true;
    case 74:
      briefingPage_ = nullptr;
      SafeDelete(currentScreen_);
      if (inPlay_.GetBattle() != nullptr) inPlay_.GetBattle()->SetViewActive(true);
      return true;
    case 75:
      briefingPage_ = nullptr;
      SafeDelete(currentScreen_);
      if (screenRoot_ != nullptr) {
        screenRoot_->SetVisible(1);
        DeleteBattleAndOperation();
        SetInputMode(InputModes::kNoPick);
      } else {
        DoCommand(82);
        DoCommand(kCommandPlayScenario);
      }
      return true;
    default: return false;
  }
}
