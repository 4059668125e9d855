#include "app/HeadlessGameFile.h"

#include <memory>

#include "app/GameFile.h"
#include "app/GameFileSettings.h"
#include "framework/core/GFile.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "platform/PFile.h"

bool LoadGameFileForPlay(HeadlessBattle& headless, const std::string& path) {
  auto handle = PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting);
  if (handle == nullptr) return false;
  GFile file;
  if (!file.IFile(std::move(handle), path.c_str(), GFile::kModeReadGameFile)) return false;
  return LoadGameFileForPlay(headless, file);
}

bool LoadGameFileForPlay(HeadlessBattle& headless, GFile& file) {
  if (file.HasError()) return false;
  GameFile gameFile{headless.Host(), &headless, headless.Host().InPlay()};
  GameFileSettings settings;
  Battle* battle = nullptr;
  Campaign* operation = nullptr;
  if (gameFile.Read(file, settings, battle, operation) != GameFile::kAccepted || battle == nullptr) {
    delete operation;
    delete battle;
    return false;
  }
  delete operation;
  headless.MakeCurrentBattle(battle);
  headless.SetScenarioTitle(battle->title.CStr());
  battle->ComputeVisibility();
  battle->ComputeStrengthRatios();
  battle->PrepareForPlay();
  battle->ComputeScoreShares(true, nullptr, nullptr);
  return true;
}
