#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "app/EditorSeam.h"
#include "framework/core/GObjectGroup.h"
#include "game/battle/ReinforcementSettings.h"

class Battle;
class BattleBase;
class Campaign;
class CRadioGroup;
class EditorArrivalControl;
class EditorCatalogueList;
class EditorMapPreview;
class EditorPurchaseList;
class EditorScenarioLabel;
class EditorStatusLine;
class EditorTerrainPalette;
class EditorToolPanel;
class EditorUnitDataPanel;
class EditorValueLabel;
class EditorZonePanel;
class GControl;
class GFile;
class GPopup;
class GameFileSettings;
class GObject;
class GTextEntry;
class GView;
class PurchaseEntry;
class UnitCatalogue;
class Unit;
class WRApplication;

// The scenario editor's state: it exists while the editor or a set-up screen (quick battle,
// purchase) is open, and the application holds it as its EditorSeam. It owns the editor's
// root view and with it every editor view and control, holds the editor's modes and flags,
// both sides' purchase lists and the arrival settings of each side's five reinforcement
// slots, which the battle copies into the groups it makes from purchased units.
//
// Its operations are spread over files by what they serve: EditorState.cpp (life, the
// accessors), EditorCommands.cpp (the command switch), EditorFiles.cpp (new, open, save,
// tournament save), EditorMainScreen.cpp (opening and the main screen, the tournament save
// dialog), EditorUnitPreparation.cpp (the passes run before a save or play).
class EditorState : public EditorSeam, public ReinforcementSettings {
 public:
  static constexpr int32_t kSlots = 5;
  static constexpr int32_t kPurchaseSlots = 6;

  struct ArrivalSlot {
    int32_t arrivalTurn = 10;
    float chance = 1.0f;
    float entryX = 0.0f;
    float entryY = 0.0f;
  };

  // The application the editor works in: its battle, operation, alerts and game files. Without
  // one (tests of the lists and settings alone) the commands that need it are fatal.
  explicit EditorState(WRApplication* app = nullptr);
  // Deletes the root view with every view and control of the editor, the scratch list's units;
  // the purchase lists' units stay (they are the battle's or their owner's).
  ~EditorState() override;
  EditorState(const EditorState&) = delete;
  EditorState& operator=(const EditorState&) = delete;

  // ---- EditorSeam ----
  // Builds the editor for its mode; called once, right after construction.
  void Open(bool quickBattle, bool purchaseOnly, int32_t side) override;
  // The command switch: 99..198; 53 and every other number do nothing. Commands 110 and 194
  // delete this state: nothing of it is touched after them.
  void DoCommand(int32_t command) override;
  // "+", "=" and "-" step the elevation tool's level; with Alt they raise or lower the whole
  // map in elevation mode. Only while the map editor is open and not visited in 3-D.
  void HandleElevationKey(uint8_t key, bool alt) override;
  bool IsBattleViewOpen() const override { return previewRunning != 0; }
  // GO in the battle screen while the map is visited in 3-D: back to the map editor.
  void ResetBattleObjects() override;
  // A tournament file is stored as a two-player game with the chosen side to play first.
  bool IsTwoPlayer() const override { return twoPlayer != 0 || tournamentSave != 0; }
  bool HidesSquadSuffix() const override { return noSquadSuffix != 0; }

  // ---- Reinforcement settings ----
  // Arrival turn, chance, entry x and y of side index 0..1 and slot 0..4; another index is a
  // programmer error (fatal).
  void CopyReinforcementSettings(ReinforcementGroup& group, int32_t side, int32_t slot) const override;
  ArrivalSlot& Slot(int32_t side, int32_t slot);

  // ---- What the editor works on ----
  WRApplication* App() const { return app_; }
  // The application's battle and operation in play (null without an application or either).
  Battle* AppBattle() const;
  Campaign* AppOperation() const;
  // The application's beep; nothing without an application.
  void AppBeep() const;
  // The play settings the application's game files keep; null without an application.
  GameFileSettings* AppFileSettings() const;
  // The current operation when one exists, else the current battle (null when neither).
  BattleBase* CurrentBattle() const;
  // A control's current value (a counter or value label).
  static int32_t GetControlValue(const GControl* control);

  // ---- Accessors of the screens' choices (preset values in computer-purchase mode) ----
  int32_t GetSide() const;
  int32_t GetForceCode() const;
  int32_t GetExperience() const;
  int32_t GetArrivalSlot() const;
  void SetArrivalSlot(int32_t slot);
  // The category radio group's selected index, 6 when none.
  int32_t GetCategory() const;
  EditorPurchaseList* GetCurrentPurchaseList() const;
  // The zone byte of a zone panel choice: 6 gives 0, 0..5 give choice + 1.
  static int32_t ZoneValueForChoice(int32_t choice);
  // The force code of a force popup item (side 0 Axis, 1 Allied).
  static int32_t ForceCodeFor(int32_t side, int32_t item);
  // The list of side 0..1 and arrival slot 0..5; another index is fatal.
  GObjectGroup& PurchaseList(int32_t side, int32_t slot);
  GObjectGroup& ScratchList() { return scratchList_; }
  // Hands the twelve lists to the battle being edited, then empties them.
  void CommitPurchases();

  // ---- Buying units (EditorPurchases.cpp) ----
  // A new unit of kind 0..3 and class with the chosen force code and experience; unless
  // keepAlways, null for a fortification or an emplacement (vehicle data kind 6) while a
  // reinforcement slot is chosen. The caller owns it.
  Unit* MakeUnit(int32_t kind, int32_t classIndex, bool keepAlways) const;
  // Adds the unit or units of an entry to the list of the entry's side and the chosen arrival
  // slot (the scratch list while probing), members of a formation one level deeper than its
  // first entry. A side holding more than 250 units takes nothing; a reinforcement slot takes
  // no fortification or emplacement; with refuseSlow a unit of speed class 1 is dropped.
  void AddPurchase(const PurchaseEntry& entry, int32_t depth, bool refuseSlow);
  // What buying the entry would cost, in total and per category, leaving the lists, the
  // points and the game's generator as they were: the next AddPurchase pays exactly this.
  int32_t ProbePurchaseCost(const PurchaseEntry& entry, std::array<int32_t, 6>* totals, bool refuseSlow);
  // The units in the side's six lists.
  int32_t CountSideUnits(int32_t side);
  // Per-category cost of the side's six lists.
  std::array<int32_t, 6> SideCosts(int32_t side);
  // The arrival turn and chance of the chosen side and slot; "On Map" or a bad side is a
  // programmer error (fatal).
  void GetSlotArrival(int32_t* turn, float* chance) const;
  void SetSlotArrival(int32_t turn, float chance);
  // The settings the purchase screen finds for a slot without a reinforcement group: turn 4
  // in an operation and 10 otherwise, chance 1.0, entry (0, 0).
  void ResetSlot(int32_t side, int32_t slot);
  // The arrival control's percent of a stored chance (x 100.01, truncated, so that 0.35 is 35)
  // and the chance it stores for a percent.
  static int32_t ChancePercent(float chance) { return static_cast<int32_t>(chance * 100.01f); }
  static float PercentChance(int32_t percent) { return static_cast<float>(percent) * 0.01f; }
  // ---- End of buying units ----

  // ---- The unit preparation passes (EditorUnitPreparation.cpp) ----
  // Placement edges, units without a valid place put at their edge, flags onto the map.
  void PrepareUnitPlacement();
  // Identification level and set-up zone of every unit, for play or for editing.
  void SetUnitsForPlay(bool forPlay);
  // Each side's starting camera, unless it holds a valid one.
  void SetStartViews();
  int32_t PlacementEdge(int32_t side) const { return placementEdge_[side & 1]; }
  // Command 137: the map editor's grids go into the map, the game is read back through its
  // stored form and the battle screen opens on it; GO comes back (ResetBattleObjects).
  void ViewMapIn3D();
  // The map editor's grids go into the edited battle's (or operation's) map: the battle read
  // back for the visit, and the operation's own after it, are new objects.
  void FollowEditedMap();

  // ---- The main screen and the dialogs (EditorMainScreen.cpp) ----
  void SaveScenarioDialog();
  // The main view is 640 x 480 on a screen narrower than 800 pixels, else 800 x 600.
  static int32_t MainViewWidthFor(int32_t screenWidth) { return screenWidth < 800 ? 640 : 800; }
  // Deletes the screen in the screen slot and shows the main view again.
  void CloseScreen();

  // ---- The map editor screen (EditorMapScreen.cpp) ----
  // Builds the screen over the main view; its map view copies the map being edited.
  void MapEditScreen();
  // Command 136: the grids go back into the map, the screen is deleted, the main view shown.
  void CloseMapEditScreen();
  // Commands 138-140: the tool mode, then which controls the tool shows.
  void SetToolMode(int32_t mode);
  // Commands 141 and 142: the map view's elevation labels on or off.
  void ShowElevation(bool show);
  // Commands 146-149: the width or height field steps 80 m within its limits and the grids
  // are re-laid.
  void StepMapSize(bool width, bool grow);
  // Re-reads the width and height fields and re-lays the grids; with Shift the map grows and
  // shrinks at its low edge.
  void ResizeMap(bool shift);
  // Every cell one level up or down, in elevation mode only.
  void RaiseLowerMap(bool raise);
  // The terrain palette's selected code (0 without a palette), the zone byte of the zone
  // panel's choice, and the status line's redraw.
  int32_t GetPaletteCode() const;
  int32_t GetZoneValue() const;
  void RedrawStatusLine();
  // The landmark dialog for a tile (a Control-click on the map view), command 156 (name the
  // tile with the entry's text; an empty text deletes its landmark) and 157 (close).
  void NameLandmark(int32_t column, int32_t row);
  void CommitLandmarkName();
  void CloseLandmarkDialog();

  // ---- The unit purchase and unit editing screens (EditorPurchaseScreen.cpp,
  // EditorUnitEditScreen.cpp) ----
  // Builds the purchase screen over the main view: side 0 or 1 buys only that side's units
  // within its allowances (purchase-only mode), 2 edits both sides' units.
  void UnitPurchaseScreen(int32_t side);
  // Enables the experience items the chosen force allows and moves a choice outside them to
  // "Regular"; nothing in purchase-only mode. A force code outside the table is fatal.
  void ApplyExperienceLimits();
  // The lowest and highest experience item a force code allows; false for a code outside the
  // table.
  static bool ExperienceRange(int32_t forceCode, int32_t* lowest, int32_t* highest);
  // Shows or hides the arrival control; shown, it loads the chosen slot's settings.
  void ShowArrivalControl(bool show);
  // Forgets the purchase screen's controls (the screen itself goes with the screen slot) and
  // deletes the unit editing screen.
  void ForgetPurchaseScreen();
  // The purchase screen's commands 158-172 and 198.
  void DoPurchaseCommand(int32_t command);
  // Commands 173 and 174: the values into the unit (not on cancel), then the purchase screen.
  void CloseUnitEditScreen(bool cancel);
  // Opens the editing screen on the selected unit of the chosen side's CHOSEN list; nothing
  // without one or for a unit that is neither infantry nor a vehicle.
  void UnitEditScreen();
  // Ammunition type 0..4 one more (beeps at the maximum) or one less (not below 0).
  void StepUnitAmmo(int32_t type, bool more);
  // Leader rating 0..3 (command, combat, morale, stealth) within 0 to 2.
  void StepLeaderRating(int32_t rating, bool more);
  // The label of the battle's month: June 1944 to May 1945, a date outside them shown at the
  // nearer end.
  static int16_t MonthStringFor(int32_t date);
  // The editing screen's state.
  struct UnitEditControls {
    Unit* unit = nullptr;
    int32_t maxAmmo = 0;
    std::array<EditorValueLabel*, 5> ammoLabels{};
    std::array<bool, 5> ammoShown{};
    std::array<EditorValueLabel*, 4> ratingLabels{};
    GPopup* exitPopup = nullptr;
    GPopup* suppressionPopup = nullptr;
    GPopup* fatiguePopup = nullptr;
    GPopup* chargesPopup = nullptr;
    GPopup* antitankPopup = nullptr;
    GPopup* antitankTypePopup = nullptr;
    GPopup* experiencePopup = nullptr;
  };
  UnitEditControls unitEdit;
  GView* pointsStrip = nullptr;
  // ---- End of the unit purchase and unit editing screens ----

  // ---- Scenario files (EditorFiles.cpp) ----
  void NewBattle();
  void NewOperation();
  void OpenScenario();
  void SaveScenario();
  void TournamentSave();
  // The save's work once a path is chosen; false (beep, alert) when nothing was written.
  bool SaveScenarioTo(const std::string& path);
  // The scenario's name from a file path: no folder, cut at the first "."; "Untitled" when
  // nothing is left.
  static std::string ScenarioNameOf(const std::string& path);
  // The name the scenario label holds (what the next save proposes).
  std::string ScenarioName() const;

  // ---- The random map dialog and generating a map (EditorRandomMapDialog.cpp) ----
  // Shows the dialog (command 143, and the quick-battle set-up's OK), building it the first
  // time; a dialog that exists is shown again with its last choices.
  void RandomMapDialog();
  // Command 144: makes the map from the dialog's choices. From the map editor the dialog is
  // hidden and the map editor screen built again on the new map; in a quick battle the width
  // is narrowed first, the dialog deleted and the quick battle completed.
  void Generate();
  // Command 145: back to the quick-battle set-up, or to the map editor screen.
  void CancelRandomMap();
  // Deletes the dialog in the second dialog slot and clears its three popup slots.
  void DeleteRandomMapDialog();
  // The quick battle's proposed width in metres narrowed for the battle's conditions (see
  // RandomMapNarrowing): tree coverage 0-3, battle type 0-2, force types of sides 0 and 1,
  // time of day, weather.
  static int32_t NarrowQuickBattleWidth(int32_t width, int32_t treeCoverage, int32_t battleType,
                                        int32_t axisForceType, int32_t alliedForceType, int32_t timeOfDay,
                                        int32_t weather);
  // Builds the map editor screen on the battle's map after a generate; a stand-in that beeps,
  // logs and shows the main view until the map editor screen is here.
  void RebuildMapEditScreenAfterGenerate();
  GPopup* mapTypePopup = nullptr;
  GPopup* treeCoveragePopup = nullptr;
  GPopup* hillinessPopup = nullptr;
  // The quick battle's proposed map size in metres and the force types of sides 0 and 1
  // (0 Combined Arms, 1 Infantry, 2 Mechanized, 3 Armor), written by its set-up screen.
  int32_t quickMapWidth = 1600;
  int32_t quickMapHeight = 1600;
  std::array<int32_t, 2> quickForceType{};
  // ---- End of the random map dialog ----

  // ---- Quick battles (EditorQuickBattle.cpp, EditorComputerPurchase.cpp) ----
  // The set-up screen's popups, in the order they stand on it.
  enum QuickPopup : int32_t {
    kQuickAxisType,
    kQuickAlliedType,
    kQuickAxisForce,
    kQuickAlliedForce,
    kQuickAxisQuality,
    kQuickAlliedQuality,
    kQuickAxisPurchase,
    kQuickAlliedPurchase,
    kQuickBattleType,
    kQuickForceSize,
    kQuickMapSize,
    kQuickAttacker,
    kQuickHandicap,
    kQuickDate,
    kQuickTime,
    kQuickWeather,
    kQuickPopups
  };
  // Builds the set-up screen with its defaults (every opening shows them, whatever was chosen
  // before); its "Game Length" value is lengthCounter.
  void QuickBattleSetup();
  // Command 195: the screen's choices into the battle and the quick-battle settings, the
  // screen deleted and the random map dialog opened.
  void ApplyQuickBattleSetup();
  // The computer buys the units of every side whose automatic-purchase byte is set; the bought
  // units go into the battle and are placed for play.
  void ChooseComputerForces();
  // One side's purchase (the preset side) from the six lists of a weighted catalogue's row,
  // within the limits (six categories, then the force points), into the side's "On Map" list.
  // The enemy's force type decides how often a defender's artillery pick becomes support.
  void BuyComputerForce(UnitCatalogue& catalogue, int32_t row, const std::array<int32_t, 7>& limits, bool attacker,
                        int32_t enemyForceType);
  // After the random map: zones, start views, the computer's purchases, the flags, and the
  // hand-over to the application's quick-battle start.
  void FinishQuickBattle();
  // The victory flags of a fresh budget in the defender's part of the map.
  void PlaceQuickBattleFlags(Battle& battle) const;
  // A flag within 75 m of the point (a float[2], metres).
  static bool FlagIsNear(GObject* flag, void* point);
  // The quick-battle start, which takes the finished battle out of the editor and sets it up
  // for play (the editor state is gone afterwards): the application's, unless a test puts its
  // own. Without one the completion logs that play cannot start and leaves the editor open.
  static void (*quickBattleStarter)(WRApplication& app);
  static void StartQuickBattleInApplication(WRApplication& app);
  std::array<GPopup*, kQuickPopups> quickPopups{};
  // The quick-battle settings of the last confirm: type (0 Assault, 1 Attack, 2 Probe, 3
  // Meeting Engagement), force size item, per side quality (0 High .. 2 Low) and force
  // restriction (the "Force" item).
  int32_t quickType = 1;
  int32_t forceSizeIndex = 2;
  std::array<int32_t, 2> quickQuality{1, 1};
  std::array<int32_t, 2> quickRestriction{};
  // ---- End of quick battles ----

  // ---- The parameters dialogs (EditorBattleParameters.cpp, EditorOperationParameters.cpp) ----
  // Command 104 without an operation: the battle's settings as popups, number fields and a
  // text entry; command 121 writes them back.
  void BattleParametersDialog();
  void CommitBattleParameters();
  // Command 122: the flag panel of the chosen "Flag Type" shown, the other hidden.
  void SwitchFlagPanels();
  // The flag mode chosen in the dialog: the static flag panel is visible.
  bool IsStaticFlagPanelShown() const;
  // Command 104 with an operation, and its commit on command 121: a new attack direction or a
  // smaller battle window takes every unit off the map and walks the map size (through the map
  // editor's commands) until the attack has room.
  void OperationParametersDialog();
  void CommitOperationParameters();
  // Per-unit callback: the unit at (0, 0), off the map.
  static void ClearUnitPosition(GObject* unit, void* ignored);
  // Command 133: the panel of the chosen operation type shown (progress for Assault, the
  // casualty ratio for Destroy).
  void ShowOperationTypePanels();
  // Commands 134 and 135: the battle window field steps 80 m between 1200 and its limit.
  void StepWindowSize(bool grow);
  // The battle window's upper bound in metres: 20 x min(180, the operation map's tiles along
  // the stored attack direction).
  int32_t WindowSizeLimit() const;
  // Clears the slots of the parameters dialogs' controls (their screen is being deleted).
  void ForgetParameterControls();
  // The popups and the text entry of the open parameters dialog, by each dialog's own index.
  static constexpr int32_t kParameterPopups = 24;
  std::array<GPopup*, kParameterPopups> parameterPopups{};
  GTextEntry* descriptionEntry = nullptr;
  // The flag mode when the battle parameters dialog opened: set when it was static.
  uint8_t staticFlagsAtOpening = 1;
  // ---- End of the parameters dialogs ----

  // ---- Briefing texts (EditorBriefings.cpp) ----
  // Command 107: the explanatory dialog (OK is 119, Cancel 120).
  void ImportBriefings();
  // Command 119: one open dialog per briefing, overall, Axis, Allied. Cancel empties the
  // briefing; a file that cannot be opened or read beeps and keeps it; a file is taken byte for
  // byte up to 32,768 bytes, and an empty file leaves the briefing empty.
  void ReadBriefingFiles();
  // Command 107 with Shift and Control: one save dialog per briefing, each written byte for
  // byte; a cancelled dialog skips the briefing; a failed write beeps, logs and goes on.
  void ExportBriefings();
  static constexpr int32_t kBriefingLimit = 32768;
  // ---- End of briefing texts ----

  // ---- Fields ----
  GControl* mapWidthControl = nullptr;
  GControl* mapHeightControl = nullptr;
  // Set while the battle being edited is shown in its own 3-D view.
  uint8_t previewRunning = 0;
  // Set only for the duration of a tournament save.
  uint8_t tournamentSave = 0;
  int8_t elevationLevel = 6;
  int32_t toolMode = 0;  // 0 painting, 1 elevation, 2 zones
  std::array<EditorValueLabel*, 7> spentLabels{};
  std::array<EditorValueLabel*, 7> limitLabels{};
  GControl* paletteBackButton = nullptr;
  GControl* paletteForwardButton = nullptr;
  EditorStatusLine* statusLine = nullptr;
  EditorUnitDataPanel* unitDataPanel = nullptr;
  uint8_t quickBattle = 0;
  uint8_t purchaseOnly = 0;  // set only with quickBattle
  uint8_t probing = 0;       // the scratch list is being filled
  uint8_t preset = 0;        // computer force purchase: the preset values replace the popups
  int32_t presetSide = 0;
  int32_t presetForce = 0;
  int32_t presetExperience = 2;
  // The arrival slot a preset purchase goes to (0 "On Map"): the scenario tool buys
  // reinforcements through it.
  int32_t presetSlot = 0;
  GView* nameEntry = nullptr;
  GView* landmarkDialog = nullptr;
  int32_t landmarkX = 0;
  int32_t landmarkY = 0;
  // The scenario changed since it was created, opened or saved.
  uint8_t modified = 0;
  GView* rootView = nullptr;  // owned
  GView* mainView = nullptr;
  GView* screenView = nullptr;
  GView* secondDialog = nullptr;
  GView* unitEditView = nullptr;
  GView* panelA = nullptr;
  GView* panelB = nullptr;
  GView* paletteButtonPanel = nullptr;
  EditorScenarioLabel* scenarioLabel = nullptr;
  EditorTerrainPalette* terrainPalette = nullptr;
  EditorZonePanel* zonePanel = nullptr;
  EditorMapPreview* mapView = nullptr;
  GControl* elevationShowButton = nullptr;
  GControl* elevationHideButton = nullptr;
  int32_t maxMapTiles = 200;
  EditorCatalogueList* catalogueList = nullptr;
  std::array<EditorPurchaseList*, 2> chosenLists{};
  EditorArrivalControl* arrivalControl = nullptr;
  EditorToolPanel* toolPanel = nullptr;
  CRadioGroup* categoryGroup = nullptr;  // owned
  GPopup* firstPlayerPopup = nullptr;
  GPopup* operationTypePopup = nullptr;
  GPopup* namePopup = nullptr;
  GPopup* sidePopup = nullptr;
  GPopup* axisForcePopup = nullptr;
  GPopup* alliedForcePopup = nullptr;
  GPopup* experiencePopup = nullptr;
  GPopup* arrivalPopup = nullptr;
  GPopup* flagTypePopup = nullptr;
  GControl* lengthCounter = nullptr;
  GControl* smallFlagsCounter = nullptr;
  GControl* largeFlagsCounter = nullptr;
  GControl* axisBonusCounter = nullptr;
  GControl* flagValueCounter = nullptr;
  // The scenario being set up is for two players.
  uint8_t twoPlayer = 0;
  // Value labels do not redraw on a step while set (the operation parameters commit walks the
  // map size with it).
  uint8_t suppressRedraw = 0;
  // Squads are named without their suffix while set; none of the editor's screens sets it.
  uint8_t noSquadSuffix = 0;
  // Set by the save command while it runs; the placement pass reads it.
  uint8_t editorSaving = 0;

 private:
  const ArrivalSlot& At(int32_t side, int32_t slot) const;
  // The main screen of the full editor: picture, labels and the ten buttons.
  void BuildMainScreen();
  // The counter commands: the control steps by delta while the bound allows it.
  void StepCounter(GControl* control, int32_t delta, bool allowed);
  void StepAxisBonus(bool raise);
  // A command whose screen is not built yet.
  void NotAvailable(int32_t command);
  // Per-unit steps of the passes.
  void PlaceUnit(Unit& unit, const BattleBase& base, bool inOperation, int32_t attacker, float depth);
  void SetUnitForPlay(Unit& unit, const BattleBase& base, bool inOperation);

  WRApplication* app_;
  std::array<std::array<ArrivalSlot, kSlots>, 2> slots_{};
  std::array<std::array<GObjectGroup, kPurchaseSlots>, 2> purchaseLists_;
  GObjectGroup scratchList_;
  int32_t placementEdge_[2] = {2, 0};
  // Set while the operation parameters commit walks the map size: the size commands then act
  // as without Shift, whatever the keyboard holds.
  uint8_t sizeWalk_ = 0;
};
