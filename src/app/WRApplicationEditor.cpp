// The scenario editor's coming and going, and the game file writer it saves through.
#include <cerrno>
#include <memory>
#include <string>

#include "app/EditorSeam.h"
#include "app/WRApplication.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GView.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/map/OrderState.h"
#include "platform/PFile.h"
#include "platform/PFileName.h"
#include "platform/PFileSystem.h"

void WRApplication::OpenEditor(bool quickBattle) {
  if (!editorFactory_) {
    GErrorLog::LogValue("The scenario editor is not part of this program:", quickBattle ? 1 : 0);
    Beep();
    return;
  }
  if (editor_ != nullptr) return;
  SetInputMode(InputModes::kNoPick);
  // The start screen goes; the editor's own views cover the screen.
  SafeDelete(screenRoot_);
  mainPicture_ = nullptr;
  helpLine_ = nullptr;
  addressScreen_ = nullptr;
  if (gKernel != nullptr) gKernel->ClearScreen(true);
  std::unique_ptr<EditorSeam> made = editorFactory_(*this);
  if (!made) FatalError(__LINE__, "WRApplicationEditor");
  ownedEditor_ = made.release();
  editor_ = ownedEditor_;
  editor_->Open(quickBattle, false, 2);
}

void WRApplication::OpenPurchaseScreen(int32_t side) {
  if (!editorFactory_ || editor_ != nullptr) {
    GErrorLog::LogValue("The purchase screen cannot open for side", side);
    Beep();
    return;
  }
  SetInputMode(InputModes::kNoPick);
  // The battle cleared the screen before asking: every view of the application's own screens
  // is gone with it, and nothing may delete them again.
  currentScreen_ = nullptr;
  ForgetSetupScreens();
  screenRoot_ = nullptr;
  mainPicture_ = nullptr;
  helpLine_ = nullptr;
  addressScreen_ = nullptr;
  alertBox_ = nullptr;
  notice_ = nullptr;
  std::unique_ptr<EditorSeam> made = editorFactory_(*this);
  if (!made) FatalError(__LINE__, "WRApplicationEditor");
  ownedEditor_ = made.release();
  editor_ = ownedEditor_;
  editor_->Open(true, true, side & 1);
}

void WRApplication::FinishPurchase() {
  EditorSeam* going = editor_;
  editor_ = nullptr;
  if (going == ownedEditor_) {
    ownedEditor_ = nullptr;
    delete going;
  }
  if (inPlay_.GetBattle() == nullptr) {
    ShowMainScreen(true);
    return;
  }
  // The hosting machine has bought its force: now it waits for its opponent, who gets the
  // game with his own purchase still to make (an operation's next battle keeps its link).
  if (connectionType_ == 2 && hostFlag_ != 0 && tcp_.GetState() == TCPIP_STATE_NOT_CONNECTED) {
    AssignComputerSides();
    StartHosting();
    return;
  }
  const int32_t side = sideToPlay_ == 1 ? 1 : 0;
  const bool neitherPending = inPlay_.GetBattle()->mustPurchase[0] == 0 && inPlay_.GetBattle()->mustPurchase[1] == 0;
  if (humanPlayers_ <= 1 || connectionType_ == 2 || (connectionType_ == 0 && neitherPending)) {
    // With two players the side that bought last places first and then hands the game over,
    // so that both sides place their units.
    if (humanPlayers_ == 2) fileSettings_.sideToggle = 1;
    // The battle's own opening sends TCP/IP play's opening message and goes on with the game.
    AssignComputerSides();
    OpenBattleScreen();
    return;
  }
  // The other side still has to buy. By e-mail a side with nothing left to buy places as the
  // second of the turn.
  if (connectionType_ == 1 && humanPlayers_ == 2 && fileSettings_.sideToggle != 0 && inPlay_.GetBattle()->mustPurchase[1 - side] == 0)
    fileSettings_.sideToggle = 0;
  ContinueAfterTurn();
}

void WRApplication::ReturnToEditor() {
  // The purchase-only editor stands over a battle screen too: its GO is not the editor's.
  if (editor_ != nullptr && editor_->IsBattleViewOpen()) editor_->ResetBattleObjects();
}

void WRApplication::CloseEditor(bool keepScreen) {
  EditorSeam* going = editor_;
  editor_ = nullptr;
  if (going == ownedEditor_) {
    ownedEditor_ = nullptr;
    delete going;
  }
  // The operation goes too: an operation being edited must not outlive its editor.
  DeleteBattleAndOperation();
  if (!keepScreen) ShowMainScreen(true);
}

bool WRApplication::SaveGameFileTo(const std::string& path, int32_t mode) {
  const size_t slash = path.find_last_of("\\/");
  const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
  const std::string fileName = path.substr(nameAt);
  const std::string temporary = path.substr(0, nameAt) + "~" + fileName;
  lastSaveFailure_ = 0;
  GFile* file = nullptr;
  if (!fileName.empty() && PFileName::IsValid(fileName)) {
    // Whatever stands under the work name goes; the work file is made new, never through a link.
    PFileSystem::RemoveEntry(temporary);
    std::unique_ptr<PFile> handle = PFile::CreateWorkFile(temporary, PFile::kRead | PFile::kWrite);
    if (!handle) lastSaveFailure_ = errno;
    file = handle ? new GFile() : nullptr;
    if (file != nullptr && !file->IFile(std::move(handle), temporary.c_str(), mode)) SafeDelete(file);
  }
  return WriteAndPlaceGameFile(file, temporary, path);
}

void WRApplication::SetCampaign(Campaign* operation) {
  if (inPlay_.GetCampaign() != operation) {
    Campaign* old = inPlay_.GetCampaign();
    SafeDelete(old);
  }
  inPlay_.SetCampaign(operation);
}
