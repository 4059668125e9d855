#pragma once
#include <cstdint>

#include "framework/core/GString31.h"
#include "framework/kernel/ApplicationBase.h"
#include "framework/kernel/DisplayPreset.h"
#include "game/map/MapAppServices.h"
#include "game/units/UnitServices.h"

class GView;

// The application object. For now it keeps the player's options and the display record in
// the preferences file, starts into an empty first screen and quits on its quit command
// (Alt+Q, or the window being closed).
class WRApplication : public ApplicationBase, public MapAppServices, public UnitServices {
 public:
  static constexpr int32_t kOptionCount = 45;
  // Options 0 to 39 are kept in the preferences file; 40 to 44 are set at every start.
  static constexpr int32_t kStoredOptions = 40;
  // The preferences file: the format byte 0, the display record, options 0 to 39.
  static constexpr int32_t kPreferencesSize = 1 + DisplayPreset::kSize + kStoredOptions;
  // The quit request (Alt+Q, the main screen's exit button) and its confirmation.
  static constexpr int32_t kCommandQuitRequest = 58;
  static constexpr int32_t kCommandQuitNow = 80;
  static constexpr int32_t kCommandQuitConfirmed = 81;
  // For development: with this environment variable set to a number N above 0 the program
  // quits through its quit command after N passes of its main loop.
  static constexpr const char* kQuitAfterVariable = "TARVANE_QUIT_AFTER_FRAMES";

  WRApplication();
  // Writes the preferences file.
  ~WRApplication() override;

  void LoadPreferences() override;
  void GetDisplayChoice(DisplayPreset* record) override;
  void SavePreferences(const DisplayPreset* record) override;
  void StartApplication() override;
  void WillMinimize() override {}
  void HandleKey(uint8_t key, bool alt, bool keypad) override;
  void DoCommand(int32_t command) override;
  void Idle() override;
  // Logs the video memory and chooses the texture downsample level and fine textures for it.
  void ReportVideoMemory(int32_t kilobytes, bool hasAGP) override;
  void CloseRequested() override;

  int8_t GetOption(int32_t index) const override;
  void SetOption(int32_t index, int8_t value);

  // What the game asks of the application (WRApplicationGameServices.cpp). The play modes,
  // the battle and the operation fill in what they own as they come.
  static constexpr int32_t kOptionCameraDip = 40;
  static constexpr int32_t kOptionZoom = 41;
  int32_t GetInputMode() const override { return inputMode_; }
  void SetInputMode(int32_t mode) override { inputMode_ = mode; }
  bool IsNetworkOrdersLocked() const override { return false; }
  void ResetCameraDipAndZoom() override;
  int32_t GetCurrentSide() const override { return currentSide_; }
  int32_t GetHumanPlayers() const override { return 1; }
  int32_t GetHumanSide() const override { return 0; }
  int32_t GetConnectionType() const override { return 0; }
  int32_t GetGameDate() const override { return 4406; }
  int32_t GetFileVersion() const override { return 4; }
  MapBattleServices* GetBattleOrOperation() override { return nullptr; }
  MapBattleServices* GetOperation() override { return nullptr; }
  int32_t GetScreenWidth() const override;
  void Beep() override;
  // What the unit code asks beyond the map's services; the application installs itself as
  // the units' services while it lives.
  MapAppServices* GetApp() override { return this; }
  bool IsEditorOpen() const override { return false; }
  int32_t GetComputerBonus() const override { return 0; }
  const DisplayPreset& GetStoredPreset() const { return storedPreset_; }
  // What the video memory report chose: 0 (full size) to 3, and whether textures may be
  // loaded finer.
  int32_t GetDownsampleLevel() const { return downsampleLevel_; }
  bool HasFineTextures() const { return fineTextures_ != 0; }
  // The downsample level of a display with that much free video memory (KiB).
  static int32_t DownsampleLevelFor(int32_t kilobytes, bool hasAGP);
  // The names loaded from the string table with the preferences.
  static const GString31& PreferencesFileName();
  static const GString31& ScenariosFolderName();
  static const GString31& SavedGamesFolderName();
  static const GString31& PbemFolderName();

 private:
  bool ReadPreferencesFile();
  void WritePreferencesFile() const;
  // One alert naming the program folder when nothing can be written there.
  static void TellIfProgramFolderIsReadOnly();

  DisplayPreset storedPreset_;
  int8_t options_[kOptionCount] = {};
  // The other player's copy at a hotseat.
  int8_t otherOptions_[kOptionCount] = {};
  GView* screenRoot_ = nullptr;
  int32_t quitAfterPasses_ = 0;
  int32_t inputMode_ = 0;
  int32_t currentSide_ = 0;
  int32_t passes_ = 0;
  int32_t downsampleLevel_ = 0;
  uint8_t fineTextures_ = 0;
};
