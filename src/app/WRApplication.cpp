#include "app/WRApplication.h"
#include "framework/core/GFile.h"

#include "app/EditorSeam.h"
#include "app/GameFolders.h"
#include "app/GameFileHeaderReader.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/GSoundStream.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GView.h"
#include "game/battle/Battle.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/battle/Campaign.h"
#include "game/draw/VehicleDraw.h"
#include "game/map/OrderState.h"
#include "game/models/InfantryModelDraw.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/airplane/Airplane.h"
#include "game/ui/InfoPanel.h"
#include "platform/PFileSystem.h"
#include "platform/PPath.h"
#include "platform/PSystem.h"

namespace {

std::string PreferencesPath() { return PPath::ProgramFolder() + GameFolders::PreferencesFileName().CStr(); }

}  // namespace

WRApplication::WRApplication() {
  InstallGameFileHeaderReader();
  // A game file's decoding stops once it passes what its header says it can hold.
  GFile::SetGameFileDecodeLimit(GameFile::DecodeLimit);
  unitContext_.emplace(UnitContext{.services = &inPlay_.Services()});
  // The unit factory and the file reader make infantry and vehicles from now on.
  Infantry::Register();
  Vehicle::Register();
  Inanimate::Register();
  Airplane::Register();
  // The battle screen lays the unit information panel into its strip.
  BattleScreenParts::infoPanelMaker = &InfoPanel::Make;
  // Vehicles are drawn by the presentation's vehicle drawing.
  VehicleDraw::Install();
  InfantryModelDraw::Install();
  const char* quitAfter = std::getenv(kQuitAfterVariable);
  if (quitAfter != nullptr) {
    const long n = std::strtol(quitAfter, nullptr, 10);
    if (n > 0 && n < 0x7FFFFFFF) quitAfterPasses_ = static_cast<int32_t>(n);
  }
}

WRApplication::~WRApplication() {
  CloseViews();
  WritePreferencesFile();
  unitContext_.reset();
  Hack::FreeTables();
  delete titleSound_;
  titleSound_ = nullptr;
}

bool WRApplication::IsSquadSuffixHidden() const { return editor_ != nullptr && editor_->HidesSquadSuffix(); }

void WRApplication::CloseViews() {
  if (closing_ == 0) GErrorLog::LogError("*** QUITTING ***");
  // Nothing runs commands from here on: the alert buttons going with their box send none.
  closing_ = 1;
  // The editor's views go before the screens and the battle it edits.
  if (editor_ == ownedEditor_) editor_ = nullptr;
  delete ownedEditor_;
  ownedEditor_ = nullptr;
  SafeDelete(alertBox_);
  SafeDelete(notice_);
  SafeDelete(savePanel_);
  saveEntry_ = nullptr;
  ForgetSetupScreens();
  DeleteBattleAndOperation();
  resultsScreen_.DeleteView();
  tcpHost_.ProgressShown(false);
  // The screens go with the application, before the kernel deletes the root view.
  SafeDelete(screenRoot_);
}

void WRApplication::LoadPreferences() {
  GameFolders::Load();
  settings_.SetStoredDefaults();
  if (!settings_.ReadFile(PreferencesPath(), storedPreset_)) {
    storedPreset_.use3DPreset = 0;
    storedPreset_.use2DPreset = 0;
    settings_.SetStoredDefaults();
  }
  settings_.ResetUnstored();
  settings_.CopyToOther();
  TellIfProgramFolderIsReadOnly();
}

void WRApplication::TellIfProgramFolderIsReadOnly() {
  // The run goes on as usual; only nothing it writes beside the program is kept.
  if (PFileSystem::CanCreateFilesIn(PPath::ProgramFolder())) return;
  const std::string text = "The program folder " + PPath::ToNative(PPath::ProgramFolder()) +
                           " cannot be written: the error log, the preferences (the display chosen in this run "
                           "included) and the game folders will not be kept.";
  PSystem::Alert(text.c_str());
}

void WRApplication::WritePreferencesFile() const {
  // Nothing to write before the preferences were loaded (the file's name is not known yet).
  if (GameFolders::PreferencesFileName().Length() == 0) return;
  settings_.WriteFile(PreferencesPath(), storedPreset_);  // a failure is silent
}

void WRApplication::GetDisplayChoice(DisplayPreset* record) {
  if (record != nullptr) *record = storedPreset_;
}

void WRApplication::SavePreferences(const DisplayPreset* record) {
  if (record != nullptr) storedPreset_ = *record;
}

bool WRApplication::IsShiftHeld() const { return gKernel != nullptr && gKernel->IsShiftDown(); }

bool WRApplication::PlayOpeningMovie() {
  if (gKernel == nullptr || gKernel->Is3D()) return false;
  return gKernel->PlayMovie(1000, false, true);
}

void WRApplication::StartApplication() {
  if (gKernel != nullptr) {
    gKernel->EnsureFolder(GameFolders::ScenariosFolderName().CStr());
    gKernel->EnsureFolder(GameFolders::SavedGamesFolderName().CStr());
    gKernel->EnsureFolder(GameFolders::PbemFolderName().CStr());
    // What a run killed while saving left behind goes before anything is listed.
    for (const GString31* folder : {&GameFolders::ScenariosFolderName(), &GameFolders::SavedGamesFolderName(),
                                    &GameFolders::PbemFolderName()})
      gKernel->RemoveStaleWorkFiles(folder->CStr());
    gKernel->RemoveStaleWorkFiles(nullptr);
  }
  if (gSoundManager != nullptr) gSoundManager->SetSoundsEnabled(GetOption(GameSettings::kSound) != 0);
  ApplyOption(GameSettings::kGamma);
  if (IsShiftHeld()) SetOption(GameSettings::kOpeningMovie, GetOption(GameSettings::kOpeningMovie) != 0 ? 0 : 1);
  bool played = false;
  if (GetOption(GameSettings::kOpeningMovie) != 0) played = PlayOpeningMovie();
  EndTitleSound();
  if (!played && gSoundManager != nullptr) titleSound_ = gSoundManager->StartStreamedSound(5010, 0, false);
  if (gKernel != nullptr && gKernel->GetRootView() != nullptr) ShowMainScreen(true);
  GErrorLog::LogFileLine(__LINE__, "WRApplication");
  // The built-in tables, for the whole run.
  if (gKernel != nullptr) Hack::LoadTables();
}

void WRApplication::WillMinimize() {
  if (inputMode_ == InputModes::kReplay && inPlay_.GetBattle() != nullptr) inPlay_.GetBattle()->DoCommand(Replay::kPaused);
}

void WRApplication::ApplyOption(int32_t index) {
  if (index < 0 || index >= kOptionCount) FatalError(1527, "WRApplication");
  if (index == GameSettings::kSound) {
    if (gSoundManager != nullptr) gSoundManager->SetSoundsEnabled(GetOption(index) != 0);
    if (inPlay_.GetBattle() != nullptr) screen_->RestartAmbientSound();
  } else if (index == GameSettings::kGamma) {
    // Only once a display stands (the start applies the stored value).
    if (gKernel != nullptr && gKernel->GetDirectDraw() != nullptr && gKernel->GetPrimarySurface() != nullptr)
      gKernel->SetGamma(static_cast<float>(GetOption(index)) * 0.1f + 1.0f);
  }
}

void WRApplication::SetBattle(Battle* battle) {
  if (inPlay_.GetBattle() != battle) {
    Battle* old = inPlay_.GetBattle();
    SafeDelete(old);
    // A new battle's actions start from the game's shared seed.
    if (battle != nullptr) battle->sharedSeed = sharedSeed_;
  }
  inPlay_.SetBattle(battle);
  AssignComputerSides();
}

void WRApplication::DeleteBattleAndOperation() {
  // Each stays in play while it is deleted.
  Campaign* operation = inPlay_.GetCampaign();
  SafeDelete(operation);
  inPlay_.SetCampaign(nullptr);
  Battle* battle = inPlay_.GetBattle();
  SafeDelete(battle);
  inPlay_.SetBattle(nullptr);
}

int32_t WRApplication::GetGameDate() const {
  if (inPlay_.GetBattle() != nullptr) return inPlay_.GetBattle()->GetDate();
  return inPlay_.GetCampaign() != nullptr ? inPlay_.GetCampaign()->GetDate() : 4406;
}

bool WRApplication::HasBattleWithMap() const { return inPlay_.GetBattle() != nullptr && inPlay_.GetBattle()->map != nullptr; }

MapBattleServices* WRApplication::GetBattleOrOperation() { return inPlay_.GetBattleOrOperation(); }

MapBattleServices* WRApplication::GetOperation() { return inPlay_.GetCampaign(); }

int32_t WRApplication::DownsampleLevelFor(int32_t kilobytes, bool hasAGP) {
  if (hasAGP) return kilobytes < 1000 ? 1 : 0;
  if (kilobytes < 2100) return 3;
  if (kilobytes < 3450) return 2;
  if (kilobytes < 5400) return 1;
  return 0;
}

void WRApplication::ReportVideoMemory(int32_t kilobytes, bool hasAGP) {
  GErrorLog::LogValue("VRAM available (K): ", kilobytes);
  GErrorLog::LogError(hasAGP ? "Has AGP" : "No AGP");
  downsampleLevel_ = DownsampleLevelFor(kilobytes, hasAGP);
  if (gGraph3D != nullptr) gGraph3D->SetDownsampleLevel(downsampleLevel_);
  fineTextures_ = kilobytes > 7000 && downsampleLevel_ == 0 ? 1 : 0;
  if (gGraph3D != nullptr) gGraph3D->SetMipmapsAllowed(false);
}

void WRApplication::CloseRequested() { DoCommand(kCommandQuitRequest); }

void WRApplication::NoticeClosed(GView* notice) {
  if (notice_ == notice) notice_ = nullptr;
  if (closing_ == 0) ShowSavePanel(true);
}

