// The save panel for saved games and e-mail turns, and the commands of its buttons: save
// (asking before overwriting), the confirmed save, close, and showing the panel again.
#include <cerrno>
#include <cstring>

#include "app/AlertTable.h"
#include "app/GameFolders.h"
#include "app/WRApplication.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GPictureButton.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GTextEntry.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/map/Map.h"
#include "StringIds.h"

namespace {

constexpr int16_t kSavedGamePanel = 11250;
constexpr int16_t kEmailPanel = 11253;
constexpr int32_t kButtonX = 518;
constexpr int32_t kEntryColumns = 27;
constexpr const char* kEmailName = "PBEM";

}  // namespace

void WRApplication::ShowSavePanel(bool email) {
  emailSave_ = email ? 1 : 0;
  if (HasBattleWithMap()) screen_->SetMapDrawState(1);
  CloseSavePanel();
  const bool threeD = gKernel != nullptr && gKernel->Is3D();
  // In 3-D the panel stands in the battlefield view, which draws its children's pictures and
  // texts over the battlefield in every frame.
  GView* parent = threeD && HasBattleWithMap() ? dynamic_cast<GView*>(inPlay_.GetBattle()->map->display.battleView) : nullptr;
  auto* panel = new GPictureView();
  panel->Init(parent, -1, -1, email ? kEmailPanel : kSavedGamePanel);
  savePanel_ = panel;
  const int32_t firstY = email ? 34 : 15;
  GButton* save = nullptr;
  if (threeD) {
    auto* button = new GPictureButton();
    button->IPictureButton(panel, kButtonX, firstY, kCommandSave, 0, 11251, 0);
    save = button;
  } else {
    auto* button = new GStripButton();
    button->IStripButton(panel, kButtonX, firstY, kCommandSave, 11101, 0);
    save = button;
  }
  save->MakeDefault();
  if (!email) {
    if (threeD) {
      auto* button = new GPictureButton();
      button->IPictureButton(panel, kButtonX, 53, kCommandCloseSavePanel, 0, 11252, 0);
    } else {
      auto* button = new GStripButton();
      button->IStripButton(panel, kButtonX, 53, kCommandCloseSavePanel, 11103, 0);
    }
  }
  saveEntry_ = new GTextEntry();
  saveEntry_->Init(panel, 224, 41, kEntryColumns, 1, 1, 0);
  // A game not saved yet is proposed under its own name (a scenario's name is its title).
  if (saveName_.Length() == 0) saveName_ = fileSettings_.gameName;
  if (saveName_.Length() == 0) {
    if (inPlay_.GetCampaign() != nullptr) saveName_.AssignString(inPlay_.GetCampaign()->title);
    else if (inPlay_.GetBattle() != nullptr) saveName_.AssignString(inPlay_.GetBattle()->title);
  }
  saveEntry_->AppendText(&saveName_);
  panel->BeginModal();
}

void WRApplication::CloseSavePanel() {
  saveEntry_ = nullptr;
  SafeDelete(savePanel_);
}

void WRApplication::GetSaveName(GString255& name) const {
  if (saveEntry_ == nullptr) FatalError(__LINE__, "WRApplication");
  saveEntry_->GetText(&name);
  GKernel::StripExtension(name);
}

bool WRApplication::DoSaveCommand(int32_t command) {
  switch (command) {
    case kCommandSave: {
      if (savePanel_ == nullptr) FatalError(__LINE__, "WRApplication");
      GString255 name;
      GetSaveName(name);
      bool same = false;
      bool exists = false;
      if (emailSave_ != 0) {
        same = std::strcmp(name.CStr(), kEmailName) == 0;
        exists = gKernel != nullptr && gKernel->FileExists(name, GameFolders::PbemFolderName().CStr(), nullptr, true);
      } else {
        same = std::strcmp(name.CStr(), lastSavedName_.CStr()) == 0;
        exists = gKernel != nullptr && gKernel->FileExists(name, GameFolders::SavedGamesFolderName().CStr(),
                                                           inPlay_.GetCampaign() != nullptr ? "wrc0" : "wrb0", false);
      }
      if (exists && !same) {
        savePanel_->SetVisible(0);
        ShowAlert(AlertTable::kOverwrite);
      } else {
        DoCommand(kCommandSaveConfirmed);
      }
      return true;
    }
    case kCommandSaveConfirmed: SaveFromPanel(); return true;
    case kCommandCloseSavePanel:
      // The panel goes first: it may stand in the battle's view.
      CloseSavePanel();
      if (emailSave_ != 0) {
        // The turn now travels in the file: this machine's copy of the game ends.
        emailSave_ = 0;
        DeleteBattleAndOperation();
        humanPlayers_ = 1;
        connectionType_ = 0;
      }
      if (HasBattleWithMap()) screen_->SetMapDrawState(2);
      return true;
    case kCommandShowSavePanel:
      if (savePanel_ != nullptr) savePanel_->SetVisible(1);
      return true;
    default: return false;
  }
}

void WRApplication::SaveFailureText(const GString& name, const char* extension, int32_t failure, GString& text) {
  uint32_t reason = kStrSaveRefused;
  switch (failure) {
    case 0: reason = kStrSaveBadName; break;
    case ENOSPC:
    case EDQUOT: reason = kStrSaveDiskFull; break;
    case EFBIG: reason = kStrSaveFileTooLarge; break;
    case EACCES:
    case EPERM:
    case EROFS:
    case ELOOP: reason = kStrSaveNotAllowed; break;
    default: break;
  }
  // "Target.wrb: the disk is full. Try another name."
  text.AssignString(name);
  text.AppendCString(extension);
  text.AppendCString(": ");
  text.AppendResource(reason);
  text.AppendCString(". ");
  text.AppendResource(341);
}

void WRApplication::SaveFromPanel() {
  GErrorLog::LogFileLine(__LINE__, "WRApplication");
  if (savePanel_ == nullptr) return;
  GString255 name;
  GetSaveName(name);
  GString255 saved;
  const bool ok = emailSave_ != 0
                      ? SaveGameFile(nullptr, name, GameFolders::PbemFolderName().CStr(), GFile::kModeWriteEmail, &saved)
                      : SaveGameFile(inPlay_.GetCampaign() != nullptr ? "wrc0" : "wrb0", name, GameFolders::SavedGamesFolderName().CStr(),
                                     GFile::kModeWriteGameFile, &saved);
  if (!ok) {
    // Nothing is lost: the game stays, and the panel comes back for another name.
    Beep();
    savePanel_->SetVisible(0);
    GString255 why;
    SaveFailureText(name, emailSave_ != 0 ? ".txt" : inPlay_.GetCampaign() != nullptr ? ".wrc" : ".wrb", lastSaveFailure_, why);
    ShowAlert(AlertTable::kNotSaved, &why);
    return;
  }
  lastSavedName_ = saved;
  // The panel offers the name saved last next time.
  saveName_ = saved;
  DoCommand(kCommandCloseSavePanel);
}
