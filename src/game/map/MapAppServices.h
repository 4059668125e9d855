#pragma once
#include <cstdint>

class GObject;
class Map;
class MapBattleServices;
struct MapPacket;

// What the game asks of the application object: its settings, input mode and current side,
// the battle or operation in play, and a few kernel services. The application implements it
// (game code never reaches the application's own class); tests and tools supply fakes.
class MapAppServices {
 public:
  virtual ~MapAppServices() = default;

  // Game-settings option byte 0..44.
  virtual int8_t GetOption(int32_t index) const = 0;
  // 0 nothing pending, 3 and 4 orders being placed, 5 replaying, 9 and 10 box selection.
  virtual int32_t GetInputMode() const = 0;
  virtual void SetInputMode(int32_t mode) = 0;
  virtual bool IsNetworkOrdersLocked() const = 0;
  // Camera dip option to 0, zoom option to 1.
  virtual void ResetCameraDipAndZoom() = 0;
  // The side whose turn it is: 0 Axis, 1 Allied.
  virtual int32_t GetCurrentSide() const = 0;
  // 1 or 2 human players, and the human's side index when one plays.
  virtual int32_t GetHumanPlayers() const = 0;
  virtual int32_t GetHumanSide() const = 0;
  // 2 for TCP/IP play.
  virtual int32_t GetConnectionType() const = 0;
  // The game's date, YYMM.
  virtual int32_t GetGameDate() const = 0;
  // The version byte of the game file being read.
  virtual int32_t GetFileVersion() const = 0;
  // The current battle, or the loaded operation when there is no battle; null when neither.
  virtual MapBattleServices* GetBattleOrOperation() = 0;
  // The loaded operation, or null.
  virtual MapBattleServices* GetOperation() = 0;
  // The screen's width in pixels.
  virtual int32_t GetScreenWidth() const = 0;
  // The exclamation beep.
  virtual void Beep() = 0;

  // ---- The battle screen's and the presentation's part of the map's drawing and input ----

  // Updates the battle screen and redraws the battlefield view when it exists.
  virtual void RefreshBattleScreen() = 0;
  // Opens the selected unit's orders menu; the map owns it (null when none opens).
  virtual GObject* OpenUnitOrdersMenu(bool atWaypoint) = 0;
  // Hands a key to the open orders menu: true when the menu took it.
  virtual bool OrdersMenuTakesKey(GObject* menu, int32_t key) = 0;
  // The battlefield view's tick in TCP/IP play: radio lines older than 90 s go, and the
  // transfer progress view (when one shows) is redrawn.
  virtual void ExpireRadioLines() = 0;
  virtual void RedrawTransferProgress() = 0;
  // Units of the side to play arrived: the idle step shows "Reinforcements have arrived.".
  virtual void RequestReinforcementsNotice() = 0;
  // Draws a text at the screen projection of a point (highlight chooses the colour).
  virtual void DrawTextAt(const char* text, bool highlight, float x, float y, float z) = 0;
  // Whether the 3-D device draws translucent triangles.
  virtual bool CanBlend() const = 0;
  // The display option that selects the second set of height-band textures.
  virtual bool UsesAlternateHeightBands() const = 0;
  // Sends the network link's keep-alive frame when one is due (long loads call it).
  virtual void KeepNetworkLinkAlive() = 0;
  // The figure prototypes vehicle crews are drawn with: a new infantry unit of class 242,
  // variant n, side 2 at the origin (owned by the map); preparing and releasing its appearance.
  // Null where nothing is drawn.
  virtual GObject* NewFigurePrototype(int32_t variant) = 0;
  virtual void PrepareFigureAppearance(GObject* figure) = 0;
  virtual void ReleaseFigureAppearance(GObject* figure) = 0;

  // ---- What the battle asks of the application, kernel, sound and link ----

  // The base name of the game file being read becomes the application's current file name.
  virtual void SetCurrentFileName(const char* baseName) = 0;
  // Option 10 ("objects can be hidden") from the byte stored with a battle.
  virtual void SetHideOption(int8_t value) = 0;
  // The mouse cursor on or off.
  virtual void ShowCursor(bool show) = 0;
  // Plays a sound of the sound table once.
  virtual void PlaySound(int32_t number) = 0;
  // Sends a message to the other machine in TCP/IP play.
  virtual void NetSend(const uint8_t* bytes, int32_t count) = 0;

  // ---- The orders exchange's settings of the application ----
  // This machine draws the shared seed (the TCP/IP host).
  virtual bool IsSeedDrawing() const = 0;
  // This machine computes the action (TCP/IP play).
  virtual bool GetComputeHere() const = 0;
  virtual void SetComputeHere(bool value) = 0;
  // A side's password digest (at most 63 characters; empty for none).
  virtual const char* GetPasswordDigest(int32_t side) const = 0;
  virtual void SetPasswordDigest(int32_t side, const char* text) = 0;
  // The processor rating measured at start-up.
  virtual uint32_t GetCPURating() const = 0;
  // The check value of the e-mail block the last e-mail turn came in: the seed both machines
  // share for the arrival of reinforcements in e-mail play.
  virtual uint32_t GetEmailSeed() const = 0;
  // ---- The hand-over between a turn's two players (hotseat and e-mail) ----
  // Set once the first player of a hotseat or e-mail turn has given orders (or watched).
  virtual bool GetSecondOrders() const = 0;
  virtual void ToggleSecondOrders() = 0;
  // Hands the game to the other player: the hand-over screen on one machine, the e-mail save.
  // False when there is no hand-over here, and the game goes on at this machine.
  virtual bool ContinueAfterTurn() = 0;
  // Seeds the game's generator from the shared seed in TCP/IP play; nothing otherwise.
  virtual void ApplyNetworkSeed() = 0;
  // Stores the game as "Autosave" (with reload the game goes on from what was stored).
  virtual void Autosave(bool reload) = 0;
  // ---- The turn in TCP/IP play ----
  // The GO of a side: true when the battle goes on at this machine now (the set-up ends or
  // the action is computed), false while the orders are exchanged.
  virtual bool EndNetworkOrders() = 0;
  // The set-up phase ended: the first orders phase begins.
  virtual void NetworkSetupEnded() = 0;
  // The replay ended: the next orders phase. False when the connection cannot go on (it has
  // ended with its alert).
  virtual bool NetworkReplayEnded() = 0;
  // A radio line typed on this machine: shown here and sent to the opponent.
  virtual void SendChat(const char* text) = 0;
  // The seed the machines share for the next action (the seed-drawing machine draws it).
  virtual void SetSharedSeed(uint16_t seed) = 0;
  // ---- End of the turn in TCP/IP play ----
  // ---- End of the hand-over ----
  // ---- End of the orders exchange's settings ----

  // ---- The battlefield frame: the kernel's clock, the battlefield view, fire, smoke and the
  // positional sounds, as the map's frame (Map::Draw) asks for them ----
  // The kernel's measured frames per second (8 until measured) and the milliseconds since the
  // previous screen update.
  virtual float GetFrameRate() const = 0;
  virtual int32_t GetFrameTime() const = 0;
  // The battlefield view: its projection (horizontal field of view in degrees, near and far
  // planes in metres) over its own rectangle and its fill with its background colour; without
  // a window there is no view, so doing nothing is the answer wanted there.
  virtual void SetBattlefieldProjection(float fieldOfView, float nearPlane, float farPlane) = 0;
  virtual void FillBattlefieldBackground() = 0;
  // The scene-drawn flag: the battlefield view sets it before the map draws, the map clears it
  // when it draws nothing, and the view draws its overlays only while it is still set.
  void SetSceneDrawn(bool drawn) { sceneDrawn_ = drawn; }
  bool IsSceneDrawn() const { return sceneDrawn_; }
  // The distance 3-D sounds are pushed away from the listener, metres.
  virtual void SetSoundDistanceOffset(float metres) = 0;
  // The fire pass and the smoke pass of the burning tiles.
  virtual void DrawBurningTiles(Map& map) = 0;
  virtual void DrawSmoke(Map& map) = 0;
  // The upkeep of the map's positional sounds: finished one-shot sounds go; with reposition
  // the others and the looped ones move to where their sources now stand.
  virtual void KeepMapSounds(Map& map, bool reposition) = 0;
  // A scenario editor is open.
  virtual bool IsEditorOpen() const = 0;
  // GO while the editor shows its battle in the battle screen: the editor takes it back.
  virtual void ReturnToEditor() = 0;
  // Starts a positional sound event of the map at once (Map::AddSoundEvent), outside the
  // recorded action: a burning tile's fire when the screen opens or the replay restarts.
  virtual void StartMapSound(Map& map, const MapPacket& event) = 0;
  // ---- End of the battlefield frame ----

  // ---- The battle screen ----
  // TCP/IP play waits for the other machine (the network panel hides meanwhile).
  virtual bool IsNetworkWaiting() const = 0;
  // The kernel's camera counter, which marks that the camera is animating.
  virtual void SetCameraCounter(bool on) = 0;
  virtual void RaiseCameraCounter() = 0;
  // ---- End of the battle screen ----
  // ---- The battle screen's opening, its battlefield view and what the view shows of
  // TCP/IP play ----
  // A new battlefield view over the map, width x height at the top left of the screen, ticking
  // every idle pass; the map owns it. Null when no screen layer is installed.
  virtual GObject* NewBattlefieldView(Map& map, int32_t width, int32_t height) = 0;
  // The radio chat's sizes the application keeps: lines shown and a line's width in pixels.
  virtual void SetChatSizes(int32_t lines, int32_t lineWidth) = 0;
  virtual int32_t GetChatLinesShown() const = 0;
  // The TCP/IP connection state (0 none).
  virtual int32_t GetNetworkStateForView() const = 0;
  // The turn's time limit in milliseconds (0 none), whether the orders clock has started,
  // the whole seconds left on it, and the turn clock stopped by the connection.
  virtual int32_t GetTurnTimeLimit() const = 0;
  virtual bool IsOrdersClockStarted() const = 0;
  virtual int32_t GetTimeRemaining() const = 0;
  virtual bool IsTurnClockStopped() const = 0;
  // A reloaded autosave: this turn takes no orders.
  virtual bool IsNoOrdersTurn() const = 0;
  // This side, or the opponent, asked that the time limit be ignored this turn.
  virtual bool IsTimerOffRequested(bool opponent) const = 0;
  // Radio line 0 (oldest) .. 13 (newest), empty when unused, and its author code: 0 or 1 the
  // side that wrote it, 2 a system line.
  virtual const char* GetRadioLine(int32_t index, int32_t* author) const = 0;
  // The purchase screen for a side that must still buy its force.
  virtual void OpenPurchaseScreen(int32_t side) = 0;
  // The title screen's streamed sound ends.
  virtual void EndTitleSound() = 0;
  // The screen has opened in TCP/IP play: the keep-alive deadline moves to now - 75 s plus
  // the keep-alive interval and the ready byte clears; then the connection goes on.
  virtual void NoteBattleScreenOpened() = 0;
  virtual void ContinueNetworkGame() = 0;
  // ---- End of the battle screen's opening and view ----

  // ---- Labels over the battlefield (the battlefield view draws them) ----
  // Up to two label lines at a screen point, kept inside the view; the texts and codes as
  // the unit or building drawing gave them.
  virtual void DrawLabelAt(int32_t x, int32_t y, const char* text1, int32_t code1,
                           const char* text2, int32_t code2) = 0;
  // ---- End of labels ----
 private:
  bool sceneDrawn_ = true;
};
