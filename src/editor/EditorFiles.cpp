// The scenario file commands: new battle, new operation, open, save and tournament save.
#include <string>

#include "app/AlertTable.h"
#include "app/GameFolders.h"
#include "app/WRApplication.h"
#include "editor/EditorScenarioLabel.h"
#include "editor/EditorState.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GPopup.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"

namespace {

constexpr const char* kFilesSource = "EditorFiles";
constexpr uint32_t kUntitled = 470;

}  // namespace

std::string EditorState::ScenarioNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  const size_t dot = name.find('.');
  if (dot != std::string::npos) name.resize(dot);
  if (name.empty()) {
    GString255 untitled;
    untitled.LoadResource(kUntitled);
    name = untitled.CStr();
  }
  return name;
}

std::string EditorState::ScenarioName() const {
  if (scenarioLabel != nullptr) return scenarioLabel->GetName().CStr();
  return app_ != nullptr ? app_->FileSettings().gameName.CStr() : std::string();
}

void EditorState::NewBattle() {
  if (app_ == nullptr) FatalError(__LINE__, kFilesSource);
  modified = 0;
  app_->DeleteBattleAndOperation();
  auto* battle = new Battle(*app_);
  battle->SetUp(nullptr);
  app_->SetBattle(battle);
  if (scenarioLabel != nullptr) scenarioLabel->SetScenarioName(nullptr, false, app_->FileSettings().gameName);
}

void EditorState::NewOperation() {
  if (app_ == nullptr) FatalError(__LINE__, kFilesSource);
  modified = 0;
  app_->DeleteBattleAndOperation();
  auto* operation = new Campaign(*app_);
  operation->SetUp(nullptr);
  app_->SetCampaign(operation);
  if (scenarioLabel != nullptr) scenarioLabel->SetScenarioName(nullptr, true, app_->FileSettings().gameName);
}

void EditorState::OpenScenario() {
  if (app_ == nullptr || gKernel == nullptr) FatalError(__LINE__, kFilesSource);
  GErrorLog::LogFileLine(__LINE__, kFilesSource);
  gKernel->UpdateScreen();
  bool failed = false;
  GFile* file = gKernel->OpenFileDialog(GameFolders::SavedGamesFolderName().CStr(), "wrb0", "wrc0", nullptr, nullptr,
                                        GFile::kModeReadGameFile, &failed);
  if (file == nullptr) {
    // Cancelled, or a file that could not even be opened (cut short, damaged): the scenario
    // and its modified flag stay as they were. A damaged file is told as the reader tells it.
    if (failed) {
      app_->Beep();
      app_->ShowAlert(AlertTable::kDamagedFile);
    }
    return;
  }
  GErrorLog::LogFileLine(__LINE__, kFilesSource);
  // A refused file leaves the scenario being edited as it was (the reader has told why).
  if (app_->ReadGameFile(file, nullptr)) {
    modified = 0;
    Campaign* operation = app_->GetCampaign();
    Battle* battle = app_->GetBattle();
    const bool accepted = (operation != nullptr && battle == nullptr && operation->baseFlag != 0) ||
                          (operation == nullptr && battle != nullptr && battle->setupPhase != 0 && battle->baseFlag != 0);
    if (accepted) {
      GErrorLog::LogFileLine(__LINE__, kFilesSource);
      if (scenarioLabel != nullptr) {
        GString255 name;
        name.AssignString(app_->FileSettings().gameName);
        scenarioLabel->SetScenarioName(&name, operation != nullptr, app_->FileSettings().gameName);
      }
      SetUnitsForPlay(false);
    } else {
      GErrorLog::LogError("Rejected setup!");
      app_->Beep();
      app_->DeleteBattleAndOperation();
      NewBattle();
    }
  }
  delete file;
}

void EditorState::SaveScenario() {
  if (app_ == nullptr || gKernel == nullptr) FatalError(__LINE__, kFilesSource);
  const char* typeCode = app_->GetCampaign() != nullptr ? "wrc0" : "wrb0";
  std::string path;
  const std::string proposed = ScenarioName();
  // Cancelled: nothing changes, and a modified scenario stays modified.
  if (!gKernel->SaveFileDialogPath(GameFolders::SavedGamesFolderName().CStr(), typeCode, proposed.c_str(), path)) return;
  SaveScenarioTo(path);
}

bool EditorState::SaveScenarioTo(const std::string& path) {
  if (app_ == nullptr) FatalError(__LINE__, kFilesSource);
  editorSaving = 1;
  Campaign* operation = app_->GetCampaign();
  Battle* battle = app_->GetBattle();
  if (operation != nullptr) {
    // An operation is stored with its reinforcement groups in arrival order, the reserves last.
    operation->SortReinforcementGroups();
  } else if (battle != nullptr) {
    battle->forcePoints[0] = 0;
    battle->forcePoints[1] = 0;
  }
  GString31& currentName = app_->FileSettings().gameName;
  const GString31 previousName = currentName;
  const std::string name = ScenarioNameOf(path);
  currentName.Assign(name.c_str());
  PrepareUnitPlacement();
  SetUnitsForPlay(true);
  SetStartViews();
  const bool saved = app_->SaveGameFileTo(path, GFile::kModeWriteGameFile);
  SetUnitsForPlay(false);
  editorSaving = 0;
  if (!saved) {
    // Nothing was written over the old file; the scenario keeps its name and stays modified,
    // so a save-then-go-on chain stops here.
    currentName = previousName;
    app_->Beep();
    app_->ShowAlert(AlertTable::kNotSaved);
    return false;
  }
  if (scenarioLabel != nullptr) {
    GString255 shown;
    shown.Assign(name.c_str());
    scenarioLabel->SetScenarioName(&shown, operation != nullptr, currentName);
  }
  modified = 0;
  return true;
}

void EditorState::TournamentSave() {
  if (app_ == nullptr) FatalError(__LINE__, kFilesSource);
  const int32_t sideToPlay = app_->GetSideToPlay();
  app_->SetSideToPlay(firstPlayerPopup != nullptr && firstPlayerPopup->GetCurrentItem() != 0 ? 1 : 0);
  BattleBase* base = CurrentBattle();
  if (base != nullptr) base->baseFlag = 0;
  tournamentSave = 1;
  DoCommand(102);
  tournamentSave = 0;
  app_->SetSideToPlay(sideToPlay);
  if (base != nullptr) base->baseFlag = 1;
}
