#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/BattleScreenSeam.h"
#include "app/GameFile.h"
#include "app/GameFileSettings.h"
#include "app/GameSettings.h"
#include "app/TcpGame.h"
#include "app/WRBattleScreen.h"
#include "app/WRComputerPlayerHost.h"
#include "app/WROperationHost.h"
#include "app/WRResultsScreen.h"
#include "app/WRScreenPort.h"
#include "app/WRTcpHost.h"
#include "app/WRTurnExchange.h"
#include "framework/core/GString31.h"
#include "framework/kernel/ApplicationBase.h"
#include "framework/kernel/DisplayPreset.h"
#include "game/map/MapAppServices.h"
#include "game/battle/BattleInPlay.h"
#include "game/battle/SquadNaming.h"
#include "game/units/ports/UnitContextScope.h"

class Battle;
class BattleBase;
class Campaign;
class CRadioGroup;
class GPopup;
class GFile;
class GString255;
class GLabel;
class GTextEntry;
class GameFileHeader;
class EditorSeam;
class FileListView;
class GPictureView;
class GSoundStream;
class GView;
class ResourceLabel;
class TextPageView;

// The application object: the player's options and the preferences file (GameSettings), the
// play mode, the input mode of the battle screen, the open alert box, the screens outside
// the battle, the command dispatcher and the keys no view takes. The kernel calls its
// virtual operations; the game reaches it through MapAppServices. It holds the battle in play
// (it owns the battle and the operation) and installs its units' services while it lives; of
// the units' questions it answers only its editor's squad naming.
class WRApplication : public ApplicationBase, public MapAppServices, public SquadNaming {
 public:
  static constexpr int32_t kOptionCount = GameSettings::kOptionCount;
  static constexpr int32_t kStoredOptions = GameSettings::kStoredOptions;
  static constexpr int32_t kPreferencesSize = GameSettings::kFileSize;
  static constexpr int32_t kOptionCameraDip = GameSettings::kCameraDip;
  static constexpr int32_t kOptionZoom = GameSettings::kZoom;

  // Commands the code names (the dispatcher's table is in WRApplicationCommands.cpp).
  static constexpr int32_t kCommandPlayScenario = 54;
  static constexpr int32_t kCommandMultiplayer = 55;
  static constexpr int32_t kCommandEditor = 57;
  static constexpr int32_t kCommandQuitRequest = 58;
  static constexpr int32_t kCommandBackToMain = 60;
  static constexpr int32_t kCommandQuitNow = 80;
  static constexpr int32_t kCommandQuitConfirmed = 81;
  static constexpr int32_t kCommandNothing = 84;

  // For development and tests: with this environment variable set to a number N above 0 the
  // program quits through its quit command after N passes of its main loop.
  static constexpr const char* kQuitAfterVariable = "TARVANE_QUIT_AFTER_FRAMES";

  WRApplication();
  // Writes the preferences file; deletes the battle, the screens and the open alert box.
  ~WRApplication() override;
  void CloseViews() override;

  // ---- The kernel's calls ----
  void LoadPreferences() override;
  void GetDisplayChoice(DisplayPreset* record) override;
  void SavePreferences(const DisplayPreset* record) override;
  void StartApplication() override;
  void WillMinimize() override;
  void HandleKey(uint8_t key, bool alt, bool keypad) override;
  void DoCommand(int32_t command) override;
  // The per-frame step: the battle's queued sound events.
  void DrawOverlay() override;
  void Idle() override;
  // Logs the video memory and chooses the texture downsample level and fine textures for it.
  void ReportVideoMemory(int32_t kilobytes, bool hasAGP) override;
  void CloseRequested() override;

  // ---- Options (GameSettings) ----
  int8_t GetOption(int32_t index) const override { return settings_.Get(index); }
  void SetOption(int32_t index, int8_t value) { settings_.Set(index, value); }
  // Option 0 switches the sound and restarts the battle's ambient sound; 18 sets the gamma.
  void ApplyOption(int32_t index);
  GameSettings& Settings() { return settings_; }

  // ---- Play mode and battle ----
  // The current battle, owned: a new one replaces (deletes) the old.
  void SetBattle(Battle* battle);
  Battle* GetBattle() const { return inPlay_.GetBattle(); }
  void DeleteBattleAndOperation();
  // The battle screen's services; null restores the screenless default. Not owned.
  void SetBattleScreen(BattleScreenSeam* screen) { screen_ = screen != nullptr ? screen : &noScreen_; }
  BattleScreenSeam& Screen() const { return *screen_; }
  // The editor's state while it exists; not owned.
  void SetEditor(EditorSeam* editor) { editor_ = editor; }
  EditorSeam* GetEditor() const { return editor_; }
  void SetConnectionType(int32_t type) { connectionType_ = type; }
  void SetHumanPlayers(int32_t players) { humanPlayers_ = players; }
  void SetSideToPlay(int32_t side) { sideToPlay_ = side; }
  int32_t GetSideToPlay() const { return sideToPlay_; }
  uint16_t GetSharedSeed() const { return sharedSeed_; }
  void SetShowEmailNotice(bool show) { showEmailNotice_ = show ? 1 : 0; }
  // The deferred actions of the idle step.
  void SetShowBriefingPending(bool on) { showBriefingPending_ = on ? 1 : 0; }
  void SetReinforcementsPending(bool on) { reinforcementsPending_ = on ? 1 : 0; }
  // ---- The scenario editor (WRApplicationEditor.cpp) ----
  // What makes the editor's state; main installs it. Without one the editor's commands beep.
  using EditorFactory = std::function<std::unique_ptr<EditorSeam>(WRApplication&)>;
  void SetEditorFactory(EditorFactory factory) { editorFactory_ = std::move(factory); }
  // The full editor (quick battle clear) or the quick-battle set-up: the start screen goes,
  // a new state is made, owned, and opened. Nothing happens while an editor is open.
  void OpenEditor(bool quickBattle);
  // Deletes the editor's state, then the battle and the operation, then (unless keepScreen)
  // shows a fresh start screen.
  void CloseEditor(bool keepScreen);
  // A battle's side must buy its units: the editor's state opens in purchase-only mode for
  // side 0 or 1 over the screen the battle has cleared (the application's screens are gone).
  void OpenPurchaseScreen(int32_t side);
  // The purchase-only editor has handed its units to the battle: its state is deleted, then
  // the battle screen opens, or with two players the game goes to the side still to buy.
  void FinishPurchase();
  // Writes the game to the path through a temporary file beside it, renamed into place once
  // complete: false (logged) when the write or the replace failed, the old file untouched.
  bool SaveGameFileTo(const std::string& path, int32_t mode);
  // The system's error number of the last save that failed (0 when it was the name).
  int32_t LastSaveFailure() const { return lastSaveFailure_; }
  // The current operation, owned: a new one replaces (deletes) the old.
  void SetCampaign(Campaign* operation);
  // ---- End of the scenario editor ----
  // Not yet built: the save panel, the game selection and the game flow. Each beeps and
  // logs its name until its screen exists.
  void ShowSavePanel(bool email);
  // The e-mail notice is going: the save panel for the e-mail turn opens (not while the
  // application itself goes).
  void NoticeClosed(GView* notice);

  // ---- Alerts ----
  // Shows the numbered box (AlertTable); a number without one is a programmer error.
  void ShowAlert(int32_t number);
  // The same box with its second line replaced by a text of the moment (a file's name and why
  // it failed).
  void ShowAlert(int32_t number, const GString* secondLine);
  // Escape with an alert box on top answers it with its last button; true when it did.
  bool AnswerAlertByKey(uint8_t key);
  GView* GetAlertBox() const { return alertBox_; }
  // The alert box's buttons: the box is going away.
  // The box is going: the application forgets it, unless another box is open by now.
  void ForgetAlertBox(const GView* box) {
    if (alertBox_ == box) alertBox_ = nullptr;
  }

  // ---- Screens ----
  void ShowMainScreen(bool fresh);
  void ShowMultiplayerScreen();
  void ShowAddressEntry();
  void ShowWaitForSetup();
  void SendQuitAndClose();
  GView* GetScreenRoot() const { return screenRoot_; }
  GPictureView* GetMainPicture() const { return mainPicture_; }
  ResourceLabel* GetHelpLine() const { return helpLine_; }
  GView* GetAddressScreen() const { return addressScreen_; }
  bool HasTitleSound() const { return titleSound_ != nullptr; }
  // The screen size class of the last fresh main screen: 0 below 800 pixels, 1 below 1024,
  // else 2; and its panel height 480, 600 or 768.
  static int32_t SizeClassFor(int32_t screenWidth);
  static int32_t PanelHeightFor(int32_t sizeClass);
  static int32_t GetSizeClass();

  // ---- What the game asks of the application ----
  int32_t GetInputMode() const override { return inputMode_; }
  // Deletes the open alert box, then stores the mode (5 without a battle is 0); enables the
  // battlefield view for 0 and 5 only.
  void SetInputMode(int32_t mode) override;
  bool IsNetworkOrdersLocked() const override;
  void ResetCameraDipAndZoom();
  int32_t GetCurrentSide() const override { return sideToPlay_ == 1 ? 1 : 0; }
  int32_t GetHumanPlayers() const override { return humanPlayers_; }
  int32_t GetHumanSide() const override { return sideToPlay_ == 1 ? 1 : 0; }
  int32_t GetConnectionType() const override { return connectionType_; }
  // The date of the battle (or, between battles, the operation) in play.
  int32_t GetGameDate() const override;
  int32_t GetFileVersion() const override { return 4; }
  MapBattleServices* GetBattleOrOperation() override;
  MapBattleServices* GetOperation() override;
  int32_t GetScreenWidth() const override;
  void Beep();
  bool IsEditorOpen() const override { return editor_ != nullptr; }
  void ReturnToEditor();
  // The turn exchange and the battlefield screen the application owns.
  TurnExchange& Exchange() override { return exchange_; }
  BattlefieldScreen& Battlefield() override { return screenPort_; }
  // Option 10 (objects can be hidden) as stored with the battle being read: a game already
  // under way (a side to play) goes on with the fog of war it was played with once the whole
  // file is accepted; a fresh scenario keeps the player's choice of the options screen.
  void SetHideOption(int8_t value) override { storedHide_ = value; }
  // The kernel's cursor, processor rating, link and camera counter; the sound manager's sounds.
  void ShowCursor(bool show);
  void PlaySound(int32_t number);
  uint32_t GetCPURating() const;
  void KeepNetworkLinkAlive();
  void SetCameraCounter(bool on);
  void RaiseCameraCounter();
  // ---- The battle in play ----
  // The battle and operation in play, what is being read and whether the operation is
  // served; the services the application installs for the units while it lives.
  BattleInPlay& InPlay() { return inPlay_; }
  BattleServices& Services() { return inPlay_.Services(); }
  bool IsSquadSuffixHidden() const override;
  // ---- The orders menu (WRApplicationOrders.cpp) ----
  GObject* OpenUnitOrdersMenu(bool atWaypoint) override;
  bool OrdersMenuTakesKey(GObject* menu, int32_t key) override;
  // ---- End of the orders menu ----
  // ---- The battlefield frame's fire, smoke and positional sounds (WRApplicationGameServices.cpp) ----
  void DrawBurningTiles(Map& map);
  void DrawSmoke(Map& map);
  void KeepMapSounds(Map& map, bool reposition);
  void StartMapSound(Map& map, const MapPacket& event);
  // ---- End of the battlefield frame's fire, smoke and sounds ----

  const DisplayPreset& GetStoredPreset() const { return storedPreset_; }
  int32_t GetDownsampleLevel() const { return downsampleLevel_; }
  bool HasFineTextures() const { return fineTextures_ != 0; }
  static int32_t DownsampleLevelFor(int32_t kilobytes, bool hasAGP);

  // ---- Game files, the autosave and the save panel (WRApplicationGameFiles.cpp,
  // WRApplicationSavePanel.cpp) ----
  static constexpr int32_t kCommandSave = 77;
  static constexpr int32_t kCommandSaveConfirmed = 78;
  static constexpr int32_t kCommandCloseSavePanel = 79;
  static constexpr int32_t kCommandShowSavePanel = 83;
  // Writes the game (battle, operation, play settings) into the open file; the caller
  // finishes it.
  void WriteGameFile(GFile* file);
  // With a header target: the header alone, nothing else touched; false for a newer format
  // or version. Without: the whole file; a refused file beeps and shows its alert, and the
  // game stays as it was.
  bool ReadGameFile(GFile* file, GameFileHeader* headerOut);
  // Writes the game under a temporary name in the folder and renames it into place once
  // complete: a failed save leaves the previous file as it was. False (logged) when nothing
  // was saved; baseName gets the file's name and pathOut its path when saved.
  bool SaveGameFile(const char* typeCode, const GString& name, const char* folder, int32_t mode,
                    GString* baseName = nullptr, std::string* pathOut = nullptr);
  // Writes the game into file (null when it could not be made: nothing is written), finishes
  // it and renames the work file at temporary to target. On any failure the work file goes,
  // the file at target stays as it was and lastSaveFailure_ tells why.
  // "Name.ext: why. Try another name.", the second line of the box of a failed save.
  static void SaveFailureText(const GString& name, const char* extension, int32_t failure, GString& text);
  bool WriteAndPlaceGameFile(GFile* file, const std::string& temporary, const std::string& target);
  // "Autosave" in "Saved Games"; with reload the game continues from what was stored. A
  // save that fails is logged and play goes on.
  void Autosave(bool reload);
  // The game rebuilt from its stored form.
  void RoundTripGame();
  // The editor's generated quick battle started: the editor closes keeping the screen, the
  // game is read back from its stored form and goes on to the side-and-options screen, named
  // "Quick Battle".
  void StartQuickBattle();
  void SetFogOfWarOption(int8_t value);
  // The folders lie in the program folder.
  void GetDataFolderName(GString& name) override;
  // The save panel's typed name without an extension of up to three characters.
  void GetSaveName(GString255& name) const;
  GPictureView* GetSavePanel() const { return savePanel_; }
  GTextEntry* GetSaveEntry() const { return saveEntry_; }
  GameFileSettings& FileSettings() { return fileSettings_; }
  const GString31& LastSavedName() const { return lastSavedName_; }
  void SetSaveName(const GString& name) { saveName_ = name; }
  Campaign* GetCampaign() const { return inPlay_.GetCampaign(); }

 private:
  GameFileSettings CollectFileSettings() const;
  void ApplyFileSettings(const GameFileSettings& settings);
  bool DoSaveCommand(int32_t command);
  void SaveFromPanel();
  void CloseSavePanel();

  // The play settings a game file keeps beyond the fields above.
  GameFileSettings fileSettings_;
  // The option-10 byte of the battle being read, -1 when none was read.
  int8_t storedHide_ = -1;
  // The battle and the operation in play (both owned here), and what is being read.
  BattleInPlay inPlay_{*this, this};
  // The host of the operations read here once their read is over.
  WROperationHost operationHost_{*this};
  GameFile gameFile_{*this, &operationHost_, inPlay_};
  GPictureView* savePanel_ = nullptr;
  GTextEntry* saveEntry_ = nullptr;
  uint8_t emailSave_ = 0;
  GString31 saveName_;
  GString31 lastSavedName_;
  int32_t lastSaveFailure_ = 0;
  // ---- End of game files ----

  // ---- The game set-up flow, the hand-over and the turns (WRApplicationGameFlow.cpp) ----
 public:
  static constexpr int32_t kCommandChooseAxis = 90;
  static constexpr int32_t kCommandChooseAllied = 91;
  static constexpr int32_t kCommandPlayersChosen = 92;
  static constexpr int32_t kCommandHideTimeLimit = 93;
  static constexpr int32_t kCommandShowTimeLimit = 95;
  static constexpr int32_t kCommandHandOverDone = 96;
  static constexpr int32_t kCommandContinueAfterBattle = 98;
  // The computer player the program plays with, installed once at its start.
  static void InstallComputerPlayer();
  // Reads a game chosen from the list (the file object is deleted): a refused file returns to
  // a fresh main screen, an accepted one goes on to the side-and-options screen.
  void OpenChosenGame(GFile* file);
  void ShowSideAndOptionsScreen();
  void ShowPlayersScreen();
  // Takes the players screen's choice; always true.
  bool SetPlayersAndConnection();
  // With one human player command 96 at once; with two the password screen of the side.
  void ShowHandOverScreen();
  bool CheckPassword();
  // After a side's turn with two human players: the other side at this machine, or the
  // e-mail turn handed to the main screen's notice. False (nothing done) with one human
  // player or in TCP/IP play, where the game goes on here.
  bool ContinueAfterTurn();
  void SwitchSides();
  // The current battle learns which side the computer plays (the one the single human does
  // not) and that this application is its screen.
  void AssignComputerSides();
  GView* GetCurrentScreen() const { return currentScreen_; }
  CRadioGroup* GetPlayersGroup() const { return playersGroup_; }
  GPopup* GetTimeLimitPopup() const { return timePopup_; }
  GPopup* GetFogPopup() const { return fogPopup_; }
  GPopup* GetBalancePopup() const { return balancePopup_; }
  GTextEntry* GetPasswordEntry() const { return passwordEntry_; }
  GView* GetHandOverCancel() const { return handOverCancel_; }
  bool IsShowBriefingPending() const { return showBriefingPending_ != 0; }
  // The briefing screen: side 0 or 1, or 2 for the overall briefing alone; with the overall
  // briefing before the side's; over a running battle; the continue button's command.
  void ShowBriefing(int32_t side, bool withOverall, bool overBattle, int32_t continueCommand, bool clearFirst);
  TextPageView* GetBriefingPage() const { return briefingPage_; }
  // Whether there is a briefing to show the side: the overall one, or failing it the side's.
  bool HasBriefingFor(int32_t side) const;
  // The opponent's e-mail turn chosen in the open dialog (null: none, openFailed when the
  // dialog could not open it): an e-mail game of two players; a refused file leaves the
  // multiplayer screen standing and the game as it was.
  void LoadEmailTurn(GFile* file, bool openFailed);
  // The game selection screen of command 54 (WRApplicationGameList.cpp): the scanning
  // notice, then the list of both folders with its back and play buttons.
  void ShowGameSelection();
  // The list on the screen, or null.
  FileListView* GetFileList() const;
  // Command 59: the quick battle's set-up, the chosen file opened, or nothing.
  void PlayChosenGame();

 private:
  bool DoGameFlowCommand(int32_t command);
  bool DoBriefingCommand(int32_t command);
  // The text of the briefing (0 Axis, 1 Allied, 2 overall) of the operation, else the
  // battle; null when there is none.
  const std::string* BriefingOf(int32_t index) const;
  void ForgetSetupScreens();
  void OpenBattleForSide();
  // After the results: autosave, the final turn handed over, or back to the main screen.
  void ContinueAfterBattle();
  // The step to an operation's next battle in TCP/IP play: the hosting machine sets it up and
  // waits to send it, the joining machine tells the host it is ready and waits for it.
  void ContinueNetworkOperation();
  // The e-mail turn's battle on the screen, its stored action replayed, then the hand-over.
  void OpenLoadedBattle();
  // After the results of an operation's battle on one machine or by e-mail: the operation's
  // work between battles and its next battle, or the main screen once it is over.
  void ContinueOperation();
  // Between an operation's battles: the battle and every screen view go.
  void ClearScreensBetweenBattles();
  GView* currentScreen_ = nullptr;
  TextPageView* briefingPage_ = nullptr;  // in the current screen view
  GPopup* fogPopup_ = nullptr;
  GPopup* setupPopup_ = nullptr;
  GPopup* bonusPopup_ = nullptr;
  GPopup* balancePopup_ = nullptr;
  GPopup* timePopup_ = nullptr;
  CRadioGroup* playersGroup_ = nullptr;  // owned; its buttons belong to the screen
  GTextEntry* passwordEntry_ = nullptr;
  GView* handOverCancel_ = nullptr;
  GLabel* handOverLabel_ = nullptr;  // the hand-over screen's heading, not owned
  uint8_t handOver3D_ = 0;
  uint8_t playBalanceSet_ = 0;  // the play balance was chosen for this game
  int32_t lastRefusal_ = 0;  // the alert of the last game file the reader refused
  WRComputerPlayerHost planHost_{*this};
  // ---- End of the game set-up flow ----

  // ---- The battle screen (WRApplicationBattleScreen.cpp) ----
 public:
  // Installs the screen's services and keys, then opens the current battle's screen with the
  // loading picture (unless showLoading is false: the editor's views stay behind the battle);
  // false without a battle or when it did not open.
  // flushPending: the battle's pending packets and sounds go (an e-mail turn's recorded action
  // is kept to be replayed).
  bool OpenBattleScreen(bool flushPending = true, bool showLoading = true);
  // The battle's screen goes (with its textures, sounds and view unless keepMap) and the
  // screenless services return.
  void CloseBattleScreen(bool keepMap);
  // The battlefield view the map asks for.
  GObject* NewBattlefieldView(Map& map, int32_t width, int32_t height) override;
  // A label at the screen projection of a point of the battlefield, in the view: yellow with
  // highlight, else orange; nothing off the screen or behind the eye.
  void DrawTextAt(const char* text, bool highlight, float x, float y, float z);
  // The battlefield view's projection over its own rectangle, and its fill with its background
  // colour while the map is not drawn.
  void SetBattlefieldProjection(float fieldOfView, float nearPlane, float farPlane);
  void FillBattlefieldBackground();
  // Up to two label lines at a point of the view's screen, in the colours the codes name.
  void DrawLabelAt(int32_t x, int32_t y, const char* text1, int32_t code1, const char* text2,
                   int32_t code2);
  // The battle screen's info panel and battlefield view are redrawn.
  void RefreshBattleScreen();
  // The kernel's measured frame rate and the last frame's time in milliseconds.
  float GetFrameRate() const override;
  int32_t GetFrameTime() const override;
  bool CanBlend() const override;
  void SetSoundDistanceOffset(float metres);
  // The soldier figures vehicle crews are drawn with: infantry of the class without a base.
  GObject* NewFigurePrototype(int32_t variant) override;
  void PrepareFigureAppearance(GObject* figure) override;
  void ReleaseFigureAppearance(GObject* figure) override;
  // The base name of the game file last read.
  void SetCurrentFileName(const char* baseName) override { currentFileName_.Assign(baseName != nullptr ? baseName : ""); }
  const GString31& GetCurrentFileName() const { return currentFileName_; }
  GView* GetResultsView() const { return resultsScreen_.GetView(); }

 private:
  WRBattleScreen battleScreen_{*this};
  GString31 currentFileName_;
  WRResultsScreen resultsScreen_{inPlay_};
  // ---- End of the battle screen ----
  // The battle in play's services, installed in the units' context while the application lives.
  std::optional<UnitContextScope> unitContext_;

 protected:
  // Whether Shift is held at this moment (the start asks it once); tests replace it.
  virtual bool IsShiftHeld() const;
  // Plays the opening movie; false when it could not be played.
  virtual bool PlayOpeningMovie();

 private:
  // A fresh black screen with the connection picture (11168) centred, which becomes the
  // address screen; the earlier screens are deleted.
  GPictureView* NewConnectionScreen();
  void WritePreferencesFile() const;
  static void TellIfProgramFolderIsReadOnly();
  bool HasBattleWithMap() const;
  // The steps of the dispatcher (WRApplicationCommands.cpp).
  bool DoOwnCommand(int32_t command);
  void EndTitleSound();
  // The alert box's parts (WRApplicationAlerts.cpp).
  void BuildAlertBox(const GString& line1, const GString& line2, int32_t command1, int32_t command2,
                     int32_t savedMode);
  // The main screen's parts (WRApplicationScreens.cpp).
  void ResetGameState();
  void AddMainButtons();
  void ShowEmailNotice();

  GameSettings settings_;
  DisplayPreset storedPreset_;
  BattleScreenSeam noScreen_;
  BattleScreenSeam* screen_ = &noScreen_;
  EditorSeam* editor_ = nullptr;
  // The editor's state made by the factory, owned (editor_ then points at it).
  EditorSeam* ownedEditor_ = nullptr;
  EditorFactory editorFactory_;
  GView* alertBox_ = nullptr;
  GView* screenRoot_ = nullptr;
  GPictureView* mainPicture_ = nullptr;
  ResourceLabel* helpLine_ = nullptr;
  GView* addressScreen_ = nullptr;
  GView* notice_ = nullptr;
  GSoundStream* titleSound_ = nullptr;
  int32_t quitAfterPasses_ = 0;
  int32_t passes_ = 0;
  int32_t inputMode_ = 0;
  int32_t sideToPlay_ = 2;
  int32_t connectionType_ = 0;
  int32_t humanPlayers_ = 0;
  uint16_t sharedSeed_ = 0;
  uint8_t hostFlag_ = 0;
  uint8_t showEmailNotice_ = 0;
  uint8_t showBriefingPending_ = 0;
  uint8_t reinforcementsPending_ = 0;
  uint8_t closing_ = 0;
  int32_t downsampleLevel_ = 0;
  uint8_t fineTextures_ = 0;

  // ---- TCP/IP play (WRApplicationNetwork.cpp) ----
 public:
  static constexpr int32_t kCommandConnect = 63;
  TcpGame& Tcp() { return tcp_; }
  WRTcpHost& TcpHost() { return tcpHost_; }
  // After a merged turn that brought units whose graphics are not loaded: the battle's view
  // objects released and loaded again, the unit pictures preloaded.
  void ReloadBattleGraphics();
  // Listens for the opponent and shows the hosting screen (alert 0 when it cannot listen).
  void StartHosting();
  // The hosting screen: the local addresses and a cancel button.
  void HostGame();
  // Connects to the address typed on the address screen (remembered as options 21-24).
  void ConnectToHost();
  // The index-th local address (0..2) as four numbers joined by ".".
  void FormatLocalAddress(GString& text, int32_t index) const;
  const std::vector<uint32_t>& LocalAddresses() const { return localAddresses_; }
  // "Connection made.  Uploading scenario data..." on the hosting screen.
  void ShowConnectionMade();
  // Ends a pending input of the map (the hover pick, the mouse tracker; mode 0 unless 5 or 9).
  void ResetMapInput();
  // The radio: a line wrapped to the radio's width, and the expiry of old lines.
  void AddRadioLine(const std::string& text, int32_t side) { tcp_.AddRadioLine(text, side); }
  void AddRadioHint() { tcp_.AddRadioHint(tcpHost_.RadioHint()); }
  int32_t NetworkTimeRemaining() const { return tcp_.TimeRemaining(); }
  void SwitchTimerOff() { tcp_.SwitchTimerOff(); }
  // What the battle asks of TCP/IP play.
  bool EndNetworkOrders();
  void NetworkSetupEnded();
  bool NetworkReplayEnded();
  void ApplyNetworkSeed();
  void NetSend(const uint8_t* bytes, int32_t count);
  bool IsNetworkWaiting() const;
  void NoteBattleScreenOpened();
  void SetChatSizes(int32_t lines, int32_t lineWidth);
  // No key or screen of this program selects the second set of height-band textures.
  bool UsesAlternateHeightBands() const override { return false; }
  const char* GetRadioLine(int32_t index, int32_t* author) const;

 private:
  WRTcpHost tcpHost_{*this};
  TcpGame tcp_{tcpHost_, 0};
  std::vector<uint32_t> localAddresses_;
  int32_t chatLines_ = 0;
  // ---- End of TCP/IP play ----

  // The turn exchange and the battlefield screen the game is handed; they reach the play
  // settings, the link and the screens above.
  friend class WRTurnExchange;
  friend class WRScreenPort;
  WRTurnExchange exchange_{*this};
  WRScreenPort screenPort_{*this};
};
