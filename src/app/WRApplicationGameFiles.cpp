// Writing and reading game files, the atomic save, the autosave, the in-memory rewrite and
// the start of a quick battle.
#include <cerrno>
#include <memory>
#include <string>

#include "app/EditorSeam.h"
#include "app/GameFile.h"
#include "app/GameFileHeader.h"
#include "app/GameFolders.h"
#include "app/WRApplication.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "platform/PFile.h"
#include "platform/PFileName.h"
#include "platform/PFileSystem.h"

namespace {

// A file being saved is written under this mark before its name, then renamed.
constexpr char kSavingMark = '~';

const char* TypeCodeFor(const Campaign* operation) { return operation != nullptr ? "wrc0" : "wrb0"; }

}  // namespace

GameFileSettings WRApplication::CollectFileSettings() const {
  GameFileSettings settings = fileSettings_;
  settings.humanPlayers = humanPlayers_;
  settings.sideToPlay = sideToPlay_;
  settings.connectionType = connectionType_;
  settings.sharedSeed = sharedSeed_;
  settings.hostFlag = hostFlag_;
  settings.editorOpen = editor_ != nullptr ? 1 : 0;
  settings.editorTwoPlayers = editor_ != nullptr && editor_->IsTwoPlayer() ? 1 : 0;
  return settings;
}

void WRApplication::ApplyFileSettings(const GameFileSettings& settings) {
  fileSettings_ = settings;
  humanPlayers_ = settings.humanPlayers;
  sideToPlay_ = settings.sideToPlay;
  sharedSeed_ = settings.sharedSeed;
}

void WRApplication::WriteGameFile(GFile* file) {
  if (file == nullptr) FatalError(__LINE__, "WRApplication");
  GameFileSettings settings = CollectFileSettings();
  GameFile::Write(*file, settings, inPlay_.GetBattle(), inPlay_.GetCampaign());
  fileSettings_.fileVersion = settings.fileVersion;
}

bool WRApplication::ReadGameFile(GFile* file, GameFileHeader* headerOut) {
  if (file == nullptr) FatalError(__LINE__, "WRApplication");
  if (headerOut != nullptr) return GameFile::ReadHeaderOnly(*file, *headerOut);
  GameFileSettings settings = CollectFileSettings();
  Battle* battle = nullptr;
  Campaign* operation = nullptr;
  storedHide_ = -1;
  const int32_t result = gameFile_.Read(*file, settings, battle, operation);
  if (result != GameFile::kAccepted) {
    Beep();
    lastRefusal_ = result;
    ShowAlert(result);
    return false;
  }
  DeleteBattleAndOperation();
  inPlay_.SetBattle(battle);
  inPlay_.SetCampaign(operation);
  ApplyFileSettings(settings);
  // A game with a side to play goes on with the fog of war it was played with; the options
  // screen offers the player's own only for a game not yet begun (no side to play).
  if ((sideToPlay_ == 0 || sideToPlay_ == 1) && storedHide_ >= 0 && storedHide_ <= 2) SetFogOfWarOption(storedHide_);
  AssignComputerSides();
  return true;
}

bool WRApplication::SaveGameFile(const char* typeCode, const GString& name, const char* folder, int32_t mode,
                                 GString* baseName, std::string* pathOut) {
  if (gKernel == nullptr) return false;
  lastSaveFailure_ = 0;
  GString255 saving;
  saving.AppendChar(kSavingMark);
  saving.Append(name);
  GFile* file = gKernel->CreateGameFile(typeCode, saving, folder, mode);
  if (file == nullptr) {
    lastSaveFailure_ = errno;
    return false;
  }
  const std::string temporary = file->Path();
  const size_t slash = temporary.rfind('\\');
  const size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
  const std::string fileName = temporary.substr(nameAt + 1);
  const std::string target = temporary.substr(0, nameAt) + fileName;
  // The name must be one the platform takes on its own, without the mark before it.
  if (!PFileName::IsValid(fileName) || fileName.front() == '.') SafeDelete(file);
  if (!WriteAndPlaceGameFile(file, temporary, target)) return false;
  if (pathOut != nullptr) *pathOut = target;
  if (baseName != nullptr) {
    const size_t dot = fileName.rfind('.');
    baseName->Assign(fileName.substr(0, dot).c_str());
  }
  return true;
}

bool WRApplication::WriteAndPlaceGameFile(GFile* file, const std::string& temporary, const std::string& target) {
  bool saved = file != nullptr;
  if (saved) {
    WriteGameFile(file);
    // Finishing the file runs its compression (and the e-mail text block); a full disk, a
    // file too large or a refused folder shows here, never ending the program.
    saved = file->Finish() && !file->HasError();
    if (file->WriteFailure() != 0) lastSaveFailure_ = file->WriteFailure();
    delete file;
  }
  if (saved && !PFileSystem::RenameReplace(temporary, target)) {
    lastSaveFailure_ = errno;
    saved = false;
  }
  if (!saved) {
    // The game in play and the file saved before stay as they were; the partial work goes.
    PFileSystem::RemoveEntry(temporary);
    GErrorLog::LogError((std::string("Game file not saved ") += target).c_str());
  }
  return saved;
}

void WRApplication::Autosave(bool reload) {
  GString255 name;
  name.LoadResource(390);
  const char* typeCode = TypeCodeFor(inPlay_.GetCampaign());
  GErrorLog::LogFileLine(__LINE__, "WRApplication");
  std::string path;
  if (!SaveGameFile(typeCode, name, GameFolders::SavedGamesFolderName().CStr(), GFile::kModeWriteGameFile, nullptr, &path)) {
    // A lost autosave costs nothing of the game in play.
    GErrorLog::LogError("Autosave could not be written");
    return;
  }
  if (!reload || gKernel == nullptr) return;
  std::unique_ptr<PFile> handle = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  GFile file;
  if (!handle || !file.IFile(std::move(handle), path.c_str(), GFile::kModeReadGameFile)) {
    GErrorLog::LogError("Autosave could not be read back");
    return;
  }
  ReadGameFile(&file, nullptr);
}

void WRApplication::RoundTripGame() {
  if (gKernel == nullptr) return;
  GFile* file = gKernel->CreateTempFile(false);
  WriteGameFile(file);
  file->Rewind();
  ReadGameFile(file, nullptr);
  delete file;
}

void WRApplication::SetFogOfWarOption(int8_t value) { settings_.Set(GameSettings::kFogOfWar, value); }

void WRApplication::GetDataFolderName(GString& name) { name.Clear(); }

void WRApplication::StartQuickBattle() {
  if (gKernel == nullptr) return;
  GString255 name;
  name.LoadResource(391);
  fileSettings_.gameName = name;
  // The editor's battle goes through its stored form: the game read back is the game a file
  // of it would give.
  // The play balance is not part of the stored form: it is carried across.
  const Battle* finished = GetBattle();
  const int32_t balance = finished != nullptr ? finished->playBalance : 0;
  const uint8_t notices[2] = {finished != nullptr ? finished->playBalanceNotice[0] : uint8_t{0},
                              finished != nullptr ? finished->playBalanceNotice[1] : uint8_t{0}};
  GFile* file = gKernel->CreateTempFile(false);
  WriteGameFile(file);
  file->Rewind();
  const bool written = !file->HasError();
  CloseEditor(true);
  // The clear takes every screen view with it.
  ForgetSetupScreens();
  gKernel->ClearScreen(true);
  screenRoot_ = nullptr;
  mainPicture_ = nullptr;
  helpLine_ = nullptr;
  addressScreen_ = nullptr;
  const bool read = written && ReadGameFile(file, nullptr);
  delete file;
  if (!read) {
    // Nothing to play: the player is back at the main screen.
    GErrorLog::LogError("The quick battle could not be started");
    const int32_t refusal = lastRefusal_;
    ShowMainScreen(true);
    if (refusal != 0) ShowAlert(refusal);
    return;
  }
  if (Battle* battle = GetBattle()) {
    battle->playBalance = balance;
    battle->playBalanceNotice[0] = notices[0];
    battle->playBalanceNotice[1] = notices[1];
  }
  ShowSideAndOptionsScreen();
  saveName_ = name;
  fileSettings_.gameName = name;
}
