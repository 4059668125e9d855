#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "app/BattleScreenSeam.h"
#include "game/battle/BattleKeyHost.h"
#include "game/battle/ReplayScreen.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/ports/UnitScreen.h"

class Battle;
class GView;
class Map;
class WRApplication;

// The battle screen as the application sees it: the battle's keys, the map's menus, its
// battlefield view and the view's texts, and what the battle's key handler asks of the
// application, the plain forwarding part of what the unit drawing asks and the notices the
// units send to the screen (the unit panel, the map, the waypoint level menu, the main-gun
// question); what the units' orders ask goes to the battle in play's own order host. It forwards to the current battle, its map and the application; with
// no battle or no view it answers as a screen that is not there.
class WRBattleScreen : public BattleScreenSeam,
                       public BattleKeyHost,
                       public UnitDrawHost,
                       public ReplayScreen,
                       public UnitScreen {
 public:
  explicit WRBattleScreen(WRApplication& app) : app_(app) {}
  ~WRBattleScreen() override = default;
  WRBattleScreen(const WRBattleScreen&) = delete;
  WRBattleScreen& operator=(const WRBattleScreen&) = delete;

  // ---- BattleScreenSeam ----
  void HandleKey(uint8_t key, bool alt, bool keypad) override;
  bool HasMapMenuOpen() const override;
  void ShowViewMessage(const GString& text) override;
  bool HasMapView() const override { return View() != nullptr; }
  bool IsMapViewVisible() const override;
  void SetMapViewEnabled(bool enabled) override;
  bool ShowRadioEntry() override;
  // The play balance of the battle (a quick battle's handicap) and its per-side notice.
  int32_t PlayBalance() const override;
  bool TakePlayBalanceNotice(int32_t side) override;
  bool IsButtonPanelVisible() const override;
  void CloseMessageWindow() override;
  void RestartAmbientSound() override;
  void SetMapDrawState(int32_t state) override;

  // ---- BattleKeyHost ----
  int32_t GetNetworkState() const override;
  // The orders clock and the pause of TCP/IP play.
  bool IsOrdersClockEnabled() const override;
  bool IsOrdersClockRunning() const override;
  bool IsPaused() const override;
  void SetPaused(bool paused) override { paused_ = paused; }
  // The balloon comes with the unit panel.
  void ToggleInfoBalloon() override;
  void SaveGame() override;
  void ShowAlert(int32_t alertCase) override;
  // Switching sides and the briefing come with the game flow: the briefing over the battle is
  // the overall one followed by the side's, and its continue button returns to the battle.
  void SwitchSides() override;
  bool HasBriefing(int32_t side) const override;
  void ShowBriefing(int32_t side) override;
  bool HasBattlefieldView() const override { return HasMapView(); }
  bool IsBattlefieldViewVisible() const override { return IsMapViewVisible(); }

  // ---- UnitDrawHost: what the map holds for the unit drawing ----
  GRect GetSelectionRect() const override;
  void EnsureKindGroupGraphics(int32_t group) override;
  void EnsureInfantryTexture(int32_t n) override;
  void EnsureCrewFigure(int32_t code) override;
  // Soldier labels go to the map, which lifts them above the point and projects them.
  void DrawLabelLines(const char* text1, int32_t code1, const char* text2, int32_t code2, float x, float y,
                      float z) override;
  // ---- Picks and order lines, forwarded to the map ----
  void ReportPick(Unit& unit) override;
  void SetLineStyle(int32_t style) override;
  void DrawTerrainLine(bool secondForm, float x0, float y0, float z0, float x1, float y1, float z1) override;
  void DrawTextAtPoint(const char* text, float x, float y, float z) override;
  // ---- End of picks and order lines ----
  // Texts, frames and screen bounds in the battlefield view.
  void DrawScreenText(const char* text, int32_t x, int32_t y) override;
  void DrawUnitFrame(const GRect& bounds, uint8_t r, uint8_t g, uint8_t b) override;
  void SetUnitScreenBounds(Unit& unit, const GRect& bounds) override;
  void SetWaypointScreenBounds(const GRect& bounds) override { waypointBounds_ = bounds; }
  // The bounds the selected unit and the selected waypoint's marker last drew into.
  const GRect& UnitBounds() const { return unitBounds_; }
  const GRect& WaypointBounds() const { return waypointBounds_; }
  // The smoke graphics option (15) is not "None".
  bool IsSmokeDrawn() const override;
  // The battle screen shows base markers in their nationality's colour: its own screens never
  // switch to the units' colour codes.
  bool IsMarkerColour() const override { return false; }
  bool IsInsideInputHandler() const override;
  // The map's muzzle flash picture.
  void BindFlashTexture() override;
  // The nationality of the side's first unit.
  int32_t GetSideNationality(int32_t sideIndex) const override;

  // ---- ReplayScreen: the strip's replay controls, the sound manager and the map's sounds ----
  // The units' figures move on to this frame before the action is computed.
  void ActionStarted(Battle& battle, bool play) override;
  // The strip's GO panel, the progress bar and the replay's controls of the current battle.
  void HideGoStrip() override;
  void ShowGoStrip() override;
  void ShowProgress(int32_t slice) override;
  void ReplayForSecondViewer() override;
  void PlaySound(int32_t number, int32_t priority) override;
  void SetBlinkIndicator(bool on) override;
  void ShowGoButton(bool shown) override;
  void ShowSeconds(int32_t seconds) override;
  void SetCameraCounter(int32_t value) override;
  bool IsShiftDown() const override;
  void SetSoundPhase(int32_t phase) override;
  // A recorded sound of the replay starts where it is heard, through the map.
  void StartSoundEvent(const Packet& packet) override;
  void InvalidateInfoPanel() override;
  void PreloadSounds(int32_t count, const uint16_t* numbers, const uint8_t* looped) override;
  // The sound manager's channels (the largest budget, 17, without sound).
  int32_t GetSoundChannelCount() const override;

  // ---- UnitScreen: the units' notices ----
  // The battle's unit panel, and with it the battlefield view.
  void RefreshUnitPanel() override;
  void RefreshWaypointDisplay() override { RefreshMap(); }
  void RefreshMap() override;
  // The level menu of a waypoint on a building with an upper floor, at the last click.
  void OpenWaypointMenu(Unit& unit) override;
  // The main-gun question of the single selected vehicle, at the last click.
  void AskVehicleQuestion(Unit& vehicle) override;
  // ---- End of UnitScreen ----

  // Installs the battle in play's order host and this screen as the units' draw host and
  // screen in their context (while the battle's screen is open), or takes them out again.
  void ServeUnits(bool on);

 private:
  Battle* CurrentBattle() const;
  Map* CurrentMap() const;
  GView* View() const;

  WRApplication& app_;
  bool paused_ = false;
  GRect unitBounds_{};
  GRect waypointBounds_{};
  std::optional<UnitContextScope> unitContext_;
};
