#pragma once
#include "framework/core/GString31.h"

// The names of the preferences file and of the game folders beside the program (scenarios,
// saved games, e-mail turns), loaded from the string table before the preferences are read;
// empty until then.
class GameFolders {
 public:
  static void Load();
  static const GString31& PreferencesFileName();
  static const GString31& ScenariosFolderName();
  static const GString31& SavedGamesFolderName();
  static const GString31& PbemFolderName();
};
