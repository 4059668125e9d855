#pragma once
#include <cstdint>

class BattlefieldScreen;
class GObject;
class Map;
class MapBattleServices;
class TurnExchange;

// What the game asks of the application object about the session: its settings, input mode and
// current side, the players and the connection, the battle or operation in play, and what the
// display can do. The turn exchange between the players and the battlefield screen are objects
// of their own that it hands out. The application implements it (game code never reaches the
// application's own class); tests and tools supply fakes.
class MapAppServices {
 public:
  virtual ~MapAppServices() = default;

  // Game-settings option byte 0..44.
  virtual int8_t GetOption(int32_t index) const = 0;
  // Option 10 ("objects can be hidden") from the byte stored with a battle being read.
  virtual void SetHideOption(int8_t value) = 0;
  // 0 nothing pending, 3 and 4 orders being placed, 5 replaying, 9 and 10 box selection.
  virtual int32_t GetInputMode() const = 0;
  virtual void SetInputMode(int32_t mode) = 0;
  virtual bool IsNetworkOrdersLocked() const = 0;
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
  // The base name of the game file being read becomes the application's current file name.
  virtual void SetCurrentFileName(const char* baseName) = 0;
  // The current battle, or the loaded operation when there is no battle; null when neither.
  virtual MapBattleServices* GetBattleOrOperation() = 0;
  // The loaded operation, or null.
  virtual MapBattleServices* GetOperation() = 0;
  // A scenario editor is open.
  virtual bool IsEditorOpen() const = 0;

  // The turn's exchange between the players, and the screen that shows the battlefield.
  virtual TurnExchange& Exchange() = 0;
  virtual BattlefieldScreen& Battlefield() = 0;

  // ---- What the display can do and the objects the map asks the screen for ----
  // The screen's width in pixels.
  virtual int32_t GetScreenWidth() const = 0;
  // Whether the 3-D device draws translucent triangles.
  virtual bool CanBlend() const = 0;
  // The display option that selects the second set of height-band textures.
  virtual bool UsesAlternateHeightBands() const = 0;
  // The kernel's measured frames per second (8 until measured) and the milliseconds since the
  // previous screen update.
  virtual float GetFrameRate() const = 0;
  virtual int32_t GetFrameTime() const = 0;
  // Opens the selected unit's orders menu; the map owns it (null when none opens).
  virtual GObject* OpenUnitOrdersMenu(bool atWaypoint) = 0;
  // Hands a key to the open orders menu: true when the menu took it.
  virtual bool OrdersMenuTakesKey(GObject* menu, int32_t key) = 0;
  // A new battlefield view over the map, width x height at the top left of the screen, ticking
  // every idle pass; the map owns it. Null when no screen layer is installed.
  virtual GObject* NewBattlefieldView(Map& map, int32_t width, int32_t height) = 0;
  // The figure prototypes vehicle crews are drawn with: a new infantry unit of class 242,
  // variant n, side 2 at the origin (owned by the map); preparing and releasing its appearance.
  // Null where nothing is drawn.
  virtual GObject* NewFigurePrototype(int32_t variant) = 0;
  virtual void PrepareFigureAppearance(GObject* figure) = 0;
  virtual void ReleaseFigureAppearance(GObject* figure) = 0;

  // The scene-drawn flag: the battlefield view sets it before the map draws, the map clears it
  // when it draws nothing, and the view draws its overlays only while it is still set.
  void SetSceneDrawn(bool drawn) { sceneDrawn_ = drawn; }
  bool IsSceneDrawn() const { return sceneDrawn_; }

 private:
  bool sceneDrawn_ = true;
};
