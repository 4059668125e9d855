// The command dispatcher: below 53 to the battle, 53, 65 to 69 and above 98 to the editor,
// the rest here.
#include "app/AlertTable.h"
#include "app/EditorSeam.h"
#include "app/WRApplication.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/NetLink.h"
#include "framework/ui/GView.h"
#include "game/battle/Battle.h"
#include "game/map/OrderState.h"

void WRApplication::DoCommand(int32_t command) {
  // The application is going: the alert buttons leaving with it run nothing.
  if (closing_ != 0) return;
  if (command < 53) {
    if (inPlay_.GetBattle() == nullptr) FatalError(3060, "WRApplication");
    inPlay_.GetBattle()->DoCommand(command);
    return;
  }
  if (command == 53 || (command >= 65 && command <= 69) || command > 98) {
    if (editor_ == nullptr) FatalError(3070, "WRApplication");
    editor_->DoCommand(command);
    return;
  }
  if (!DoOwnCommand(command)) {
    // The screens of these commands come with the game flow, the game files and the link.
    GErrorLog::LogValue("Command not available yet:", command);
    Beep();
  }
}

bool WRApplication::DoOwnCommand(int32_t command) {
  const int32_t side = sideToPlay_ == 1 ? 1 : 0;
  switch (command) {
    case kCommandMultiplayer: ShowMultiplayerScreen(); return true;
    case 56: Beep(); return true;
    case kCommandEditor:
      OpenEditor(false);
      return true;
    case kCommandQuitRequest: ShowAlert(AlertTable::kQuitQuestion); return true;
    case kCommandBackToMain:
      SetInputMode(InputModes::kNoPick);
      DeleteBattleAndOperation();
      ShowMainScreen(false);
      return true;
    case 62: ShowAddressEntry(); return true;
    case kCommandConnect: ConnectToHost(); return true;
    case 64:
      SafeDelete(addressScreen_);
      SetInputMode(InputModes::kNoPick);
      DeleteBattleAndOperation();
      ShowMainScreen(true);
      return true;
    case kCommandQuitNow:
      if (gKernel != nullptr) gKernel->Quit();
      return true;
    case kCommandQuitConfirmed:
      SendQuitAndClose();
      if (gSoundManager != nullptr) gSoundManager->PlaySound(171, 999);
      Delay(1450);
      if (gKernel != nullptr) gKernel->Quit();
      return true;
    case 82:
      SetInputMode(InputModes::kNoPick);
      DeleteBattleAndOperation();
      ShowMainScreen(true);
      return true;
    case kCommandNothing: return true;
    case 86:
      if (inPlay_.GetBattle() == nullptr) return true;
      if (connectionType_ == 2) {
        // The surrender reaches the opponent with this side's orders.
        inPlay_.GetBattle()->endState[side] = 2;
        inPlay_.GetBattle()->DoCommand(9);
      } else {
        inPlay_.GetBattle()->EndBattleForSide(side);
      }
      return true;
    case 87:
      if (inPlay_.GetBattle() != nullptr && inPlay_.GetBattle()->endState[side] == 2) inPlay_.GetBattle()->endState[side] = 0;
      return true;
    case 88:
      if (inPlay_.GetBattle() == nullptr) return true;
      inPlay_.GetBattle()->endState[side] = 1;
      if (inPlay_.GetBattle()->endState[1 - side] == 1 && humanPlayers_ == 1) inPlay_.GetBattle()->EndBattleForSide(2);
      return true;
    case 89:
      if (inPlay_.GetBattle() != nullptr) inPlay_.GetBattle()->endState[side] = 0;
      return true;
    default: return DoGameFlowCommand(command) || DoSaveCommand(command);
  }
}
