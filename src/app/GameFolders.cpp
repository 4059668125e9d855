#include "app/GameFolders.h"

namespace {

GString31 gPreferencesFileName;
GString31 gScenariosFolderName;
GString31 gSavedGamesFolderName;
GString31 gPbemFolderName;

}  // namespace

void GameFolders::Load() {
  gPreferencesFileName.LoadResource(1540);
  gScenariosFolderName.LoadResource(1541);
  gSavedGamesFolderName.LoadResource(1542);
  gPbemFolderName.LoadResource(1543);
}

const GString31& GameFolders::PreferencesFileName() { return gPreferencesFileName; }
const GString31& GameFolders::ScenariosFolderName() { return gScenariosFolderName; }
const GString31& GameFolders::SavedGamesFolderName() { return gSavedGamesFolderName; }
const GString31& GameFolders::PbemFolderName() { return gPbemFolderName; }
