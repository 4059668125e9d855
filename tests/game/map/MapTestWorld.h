#pragma once
// A small world for the map's tests and benchmarks, free of any test framework: an
// application, a battle and an operation with settable fields, and fake units of every kind.
// The battle records the packets and collapse effects the map hands it; the application
// counts beeps. The units' tests hand the application the real battle instead (`held`).
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "game/map/Map.h"
#include "game/map/WindowlessMapApp.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapFlagView.h"
#include "game/map/MapPacket.h"
#include "game/map/MapPathUnit.h"
#include "game/map/MapUnitView.h"

class FakeUnit : public MapUnitView {
 public:
  FakeUnit(int32_t kind, int32_t side, float x, float y, float z = 0.0f) : kind(kind), side(side), x(x), y(y), z(z) {}
  int32_t GetUnitKind() const override { return kind; }
  int32_t GetSideByte() const override { return side; }
  float GetX() const override { return x; }
  float GetY() const override { return y; }
  float GetZ() const override { return z; }
  bool IsPresent() const override { return present; }
  int32_t GetInanimateKind() const override { return kind == kInanimate ? inanimateKind : -1; }

  // What collapsing buildings and hidden craters ask and do: fields the tests set and read.
  float GetLevel() const override { return level; }
  void SetLevel(float value) override { level = value; }
  bool IsAlive() const override { return alive; }
  bool CanMove() const override { return canMove; }
  bool CanFight() const override { return alive && canFight; }
  bool IsIdentified() const override { return identified; }
  int32_t GetIdentificationLevel() const override { return identificationLevel; }
  int32_t GetTerrainHere() const override { return map != nullptr ? map->TerrainTypeAt(x, y) : 0; }
  bool HasMainWeaponOfType23(bool) const override { return weaponType23; }
  bool HasMainWeaponOfType5() const override { return weaponType5; }
  int32_t GetMenPresent() const override { return men; }
  void MarkStateChanged() override { ++stateChanges; }
  void MarkBurntOut() override { burntOut = true; }
  void Eliminate() override { alive = false; }
  void SetPosition(float nx, float ny) override {
    x = nx;
    y = ny;
  }
  void RetreatTowardFriendlyEdge() override { ++retreats; }
  void TakeCasualties(int32_t count, float chance) override;
  void BailOutCrew() override { ++bailOuts; }
  bool IsAreaFiring(float& tx, float& ty) const override {
    tx = targetX;
    ty = targetY;
    return areaFire;
  }
  void StopAreaFire() override { areaFire = false; }
  int32_t GetWaypointCount() const override { return static_cast<int32_t>(waypoints.size()); }
  void GetWaypoint(int32_t index, float& wx, float& wy, bool& upper) const override {
    const Waypoint& w = waypoints.at(static_cast<size_t>(index));
    wx = w.x;
    wy = w.y;
    upper = w.upper;
  }
  void LowerWaypoint(int32_t index, float wz) override {
    Waypoint& w = waypoints.at(static_cast<size_t>(index));
    w.upper = false;
    w.z = wz;
  }
  bool LineOfSightToPoint(float, float) const override { return sees; }
  float DistanceToPoint(float px, float py) const override;
  bool BlocksSight() const override { return blocksSight; }
  float GetVehicleSize() const override { return vehicleSize; }
  int32_t GetLastMovingSlice() const override { return lastMovingSlice; }

  int32_t kind;
  int32_t side;
  float x;
  float y;
  float z;
  bool present = true;
  int32_t inanimateKind = 0;
  // The unit's state as buildings and craters see it.
  struct Waypoint {
    float x;
    float y;
    float z;
    bool upper;
  };
  const Map* map = nullptr;  // the ground under the unit, when set
  float level = 0.0f;
  bool alive = true;
  bool canMove = true;
  bool canFight = true;
  bool identified = false;
  int32_t identificationLevel = 4;
  bool weaponType23 = false;
  bool weaponType5 = false;
  int32_t men = 0;
  int32_t stateChanges = 0;
  bool burntOut = false;
  int32_t retreats = 0;
  int32_t bailOuts = 0;
  bool areaFire = false;
  float targetX = 0.0f;
  float targetY = 0.0f;
  std::vector<Waypoint> waypoints;
  bool sees = true;
  // What sight lines and the visibility cache read.
  bool blocksSight = false;
  float vehicleSize = 0.0f;
  int32_t lastMovingSlice = -1;
};

struct CollapseEffect {
  float x;
  float y;
  bool tall;
  int32_t argument;
};

class FakeBattle : public MapBattleServices {
 public:
  const Map* GetMap() const override { return map.get(); }
  bool IsSnowGround() const override { return ground >= 6 && ground <= 8; }
  int32_t GetGroundCondition() const override { return ground; }
  int32_t GetWeather() const override { return weather; }
  int32_t GetSeason() const override { return season; }
  int32_t GetDate() const override { return date; }
  int32_t GetTimeOfDay() const override { return timeOfDay; }
  float GetVisibilityFactor() const override { return visibilityFactor; }
  int32_t GetVisibilityClass() const override { return visibilityClass; }
  int32_t GetPlacingSide() const override { return placingSide; }
  bool IsNoRecord() const override { return noRecord; }
  bool IsSetupPhase() const override { return setupPhase; }
  bool GetReplayFlag(int32_t index) const override { return replayFlags[index & 1]; }
  int32_t GetCurrentSlice() const override { return slice; }
  // The fake units first, then the other units joined to the battle.
  int32_t GetUnitCount() const override { return static_cast<int32_t>(units.size() + joined.size()); }
  MapUnitView* GetUnit(int32_t index) const override {
    const auto i = static_cast<size_t>(index);
    return i < units.size() ? units.at(i).get() : joined.at(i - units.size());
  }
  void RecordPacket(const MapPacket& packet) override { packets.push_back(packet); }
  MapUnitView* GetSelectedUnit() const override { return selectedUnit; }
  bool WantsExtraEffectTextures() const override { return extraEffectTextures; }
  void SetSelectionDrag(bool dragging) override { selectionDrag = dragging; }
  void AddCollapseEffect(float x, float y, bool tall, int32_t argument) override {
    collapses.push_back({x, y, tall, argument});
  }
  void StartTileFire(int32_t tileX, int32_t tileY) override { tileFires.push_back({tileX, tileY}); }
  // The computing and override bytes as the fire sounds and the object collection read them.
  bool IsComputingAction() const override { return computing; }
  bool IsOverrideSet() const override { return overrideSet; }
  bool computing = false;
  bool overrideSet = false;
  void GetBattlefieldViewSize(int32_t& width, int32_t& height) const override {
    width = viewWidth;
    height = viewHeight;
  }
  GObject* NewPictureView(int32_t left, int32_t top, int32_t width, int32_t height) override {
    pictureViews.push_back({left, top, width, height});
    return &pictureView;
  }

  // The battlefield frame's questions: the unit pass recorded with its three values.
  void DrawUnits(float scale, float infantryExponent, float vehicleExponent) override;
  bool HasExitZone(int32_t side) const override { return exitZone[side & 1]; }
  int32_t GetExitEdge(int32_t side) const override { return exitEdge[side & 1]; }
  // The effect pass, logged with the triangles so far.
  void DrawEffects(Map& map) override;

  // Adds one unit of every kind, Axis and Allied alternating.
  void AddUnitOfEveryKind();

  std::unique_ptr<Map> map;  // the battle's or the operation's own map, when it has one
  int32_t ground = 0;
  int32_t weather = 0;
  int32_t season = 1;
  int32_t date = 4406;
  int32_t timeOfDay = 0;
  float visibilityFactor = 1.0f;
  int32_t visibilityClass = 0;
  int32_t placingSide = 0;
  bool noRecord = false;
  std::array<bool, 2> replayFlags{};
  int32_t slice = -1;
  std::vector<std::unique_ptr<FakeUnit>> units;
  std::vector<MapUnitView*> joined;  // units of the unit model's tests, not owned
  bool setupPhase = false;
  MapUnitView* selectedUnit = nullptr;  // not owned
  bool extraEffectTextures = false;
  bool selectionDrag = false;
  std::vector<MapPacket> packets;
  std::vector<CollapseEffect> collapses;
  // The fire displays started, by tile; the picture views placed (left, top, width, height).
  std::vector<std::array<int32_t, 2>> tileFires;
  int32_t viewWidth = 800;
  int32_t viewHeight = 500;
  std::vector<std::array<int32_t, 4>> pictureViews;
  GObject pictureView;
  // The unit passes drawn (scale, infantry and vehicle exponents); the exit bands per side;
  // the application's frame log the unit pass writes to.
  std::vector<std::array<float, 3>> unitPasses;
  std::array<bool, 2> exitZone{};
  std::array<int32_t, 2> exitEdge{};
  std::vector<std::string>* frameLog = nullptr;

  // ---- Victory flags as the battlefield draws them ----
  int32_t GetFlagCount() const override { return static_cast<int32_t>(flags.size()); }
  bool GetFlagView(int32_t index, MapFlagView& out) const override {
    if (index < 0 || index >= GetFlagCount()) return false;
    out = flags[static_cast<size_t>(index)];
    return true;
  }
  bool CanSeeHiddenObjectives(int32_t side) const override { return seesHidden[side & 1]; }
  std::vector<MapFlagView> flags;
  std::array<bool, 2> seesHidden{};
  // ---- End of victory flags ----
};

class FakeApp : public WindowlessMapApp {
 public:
  FakeApp() { options.fill(0); }
  TurnExchange& Exchange() override { return link_; }
  BattlefieldScreen& Battlefield() override { return screen_; }

  // ---- The battle screen's camera counter: each setting and raise recorded ----
  void SetCameraCounter(bool on) { cameraCounterSets.push_back(on); }
  void RaiseCameraCounter() { ++cameraCounterRaises; }
  std::vector<bool> cameraCounterSets;
  int32_t cameraCounterRaises = 0;
  // ---- End of the camera counter ----

  int8_t GetOption(int32_t index) const override { return options.at(static_cast<size_t>(index)); }
  int32_t GetInputMode() const override { return inputMode; }
  void SetInputMode(int32_t mode) override { inputMode = mode; }
  bool IsNetworkOrdersLocked() const override { return ordersLocked; }
  void ResetCameraDipAndZoom() {
    options[40] = 0;
    options[41] = 1;
    ++cameraResets;
  }
  int32_t GetCurrentSide() const override { return currentSide; }
  int32_t GetHumanPlayers() const override { return humanPlayers; }
  int32_t GetHumanSide() const override { return humanSide; }
  int32_t GetConnectionType() const override { return connectionType; }
  int32_t GetGameDate() const override { return date; }
  int32_t GetFileVersion() const override { return fileVersion; }
  MapBattleServices* GetBattleOrOperation() override {
    if (held != nullptr) return held;
    if (heldOperation != nullptr) return heldOperation;
    if (battle) return battle.get();
    return operation.get();
  }
  MapBattleServices* GetOperation() override { return heldOperation != nullptr ? heldOperation : operation.get(); }
  int32_t GetScreenWidth() const override { return screenWidth; }
  void Beep() { ++beeps; }
  void RefreshBattleScreen() { ++refreshes; }
  void SetCurrentFileName(const char*) override {}
  GObject* OpenUnitOrdersMenu(bool atWaypoint) override {
    ++menusOpened;
    menuAtWaypoint = atWaypoint;
    return new GObject;
  }
  bool OrdersMenuTakesKey(GObject*, int32_t key) override {
    keysToMenu.push_back(key);
    return menuTakesKeys;
  }
  void DrawTextAt(const char* text, bool highlight, float x, float y, float z) {
    texts.push_back({text, highlight, x, y, z});
  }
  bool CanBlend() const override { return canBlend; }
  bool UsesAlternateHeightBands() const override { return alternateHeightBands; }
  void KeepNetworkLinkAlive() { ++keepAlives; }
  // The battlefield frame's hooks. The projection is set on the renderer, when there is one,
  // over a view of viewWidth x viewHeight; passes are logged with the triangles the renderer
  // had been given by then ("fires@120").
  float GetFrameRate() const override { return frameRate; }
  int32_t GetFrameTime() const override { return frameTime; }
  void SetBattlefieldProjection(float fieldOfView, float nearPlane, float farPlane);
  void FillBattlefieldBackground() { LogFrame("background"); }
  void SetSoundDistanceOffset(float metres) { soundOffset = metres; }
  void DrawBurningTiles(Map&) { LogFrame("fires"); }
  void DrawSmoke(Map&) { LogFrame("smoke"); }
  void KeepMapSounds(Map&, bool reposition) { LogFrame(reposition ? "sounds moved" : "sounds"); }
  bool IsEditorOpen() const override { return editorOpen; }
  // The sound events started at once, outside the recorded action.
  void StartMapSound(Map&, const MapPacket& event) { startedSounds.push_back(event); }
  std::vector<MapPacket> startedSounds;
  void LogFrame(const std::string& what);
  // Stand-ins for the infantry figures: each remembers its variant.
  struct FakeFigure : GObject {
    explicit FakeFigure(int32_t v) : variant(v) {}
    int32_t variant;
  };
  GObject* NewFigurePrototype(int32_t variant) override {
    figuresMade.push_back(variant);
    return new FakeFigure(variant);
  }
  void PrepareFigureAppearance(GObject* figure) override {
    figuresPrepared.push_back(static_cast<FakeFigure*>(figure)->variant);
  }
  void ReleaseFigureAppearance(GObject* figure) override {
    figuresReleased.push_back(static_cast<FakeFigure*>(figure)->variant);
  }

  // Makes the battle (or the operation) in play.
  FakeBattle& MakeBattle();
  FakeBattle& MakeOperation();

  std::array<int8_t, 45> options;
  int32_t inputMode = 0;
  bool ordersLocked = false;
  int32_t cameraResets = 0;
  int32_t currentSide = 0;
  int32_t humanPlayers = 1;
  int32_t humanSide = 0;
  int32_t connectionType = 0;
  int32_t date = 4406;
  int32_t fileVersion = 4;
  int32_t screenWidth = 800;
  int32_t beeps = 0;
  // The battle screen's and the presentation's hooks, as recorded.
  struct DrawnText {
    std::string text;
    bool highlight;
    float x, y, z;
  };
  int32_t refreshes = 0;
  int32_t menusOpened = 0;
  bool menuAtWaypoint = false;
  bool menuTakesKeys = true;
  std::vector<int32_t> keysToMenu;
  std::vector<DrawnText> texts;
  bool canBlend = false;
  bool alternateHeightBands = false;
  int32_t keepAlives = 0;
  std::vector<int32_t> figuresMade;
  std::vector<int32_t> figuresPrepared;
  std::vector<int32_t> figuresReleased;
  // The battlefield frame's state as the hooks leave it.
  float frameRate = 8.0f;
  int32_t frameTime = 0;
  int32_t viewWidth = 1024;
  int32_t viewHeight = 768;
  std::array<float, 3> projection{};
  float soundOffset = 0.0f;
  bool editorOpen = false;
  std::vector<std::string> frameLog;
  std::unique_ptr<FakeBattle> battle;
  std::unique_ptr<FakeBattle> operation;
  // A real battle and operation the test holds (not owned): while set, they are the battle
  // and the operation in play and the fakes above are not asked.
  MapBattleServices* held = nullptr;
  MapBattleServices* heldOperation = nullptr;

  // ---- Labels over the battlefield, as the view was asked to draw them ----
  struct Label {
    int32_t x, y;
    std::string text1;
    int32_t code1;
    std::string text2;
    int32_t code2;
  };
  void DrawLabelAt(int32_t x, int32_t y, const char* text1, int32_t code1, const char* text2,
                   int32_t code2) {
    labels.push_back({x, y, text1 != nullptr ? text1 : "", code1, text2 != nullptr ? text2 : "", code2});
  }
  std::vector<Label> labels;
  // ---- End of labels ----

 private:
  // What the map tells the screen and the link goes to the recording methods above.
  struct Screen : BattlefieldScreen {
    explicit Screen(FakeApp& app) : app(app) {}
    void Beep() override { app.Beep(); }
    void ResetCameraDipAndZoom() override { app.ResetCameraDipAndZoom(); }
    void RefreshBattleScreen() override { app.RefreshBattleScreen(); }
    void RequestReinforcementsNotice() override {}
    void DrawTextAt(const char* text, bool highlight, float x, float y, float z) override {
      app.DrawTextAt(text, highlight, x, y, z);
    }
    void DrawLabelAt(int32_t x, int32_t y, const char* text1, int32_t code1, const char* text2,
                     int32_t code2) override {
      app.DrawLabelAt(x, y, text1, code1, text2, code2);
    }
    void ShowCursor(bool) override {}
    void PlaySound(int32_t) override {}
    void SetBattlefieldProjection(float fieldOfView, float nearPlane, float farPlane) override {
      app.SetBattlefieldProjection(fieldOfView, nearPlane, farPlane);
    }
    void FillBattlefieldBackground() override { app.FillBattlefieldBackground(); }
    void SetSoundDistanceOffset(float metres) override { app.SetSoundDistanceOffset(metres); }
    void DrawBurningTiles(Map& map) override { app.DrawBurningTiles(map); }
    void DrawSmoke(Map& map) override { app.DrawSmoke(map); }
    void KeepMapSounds(Map& map, bool reposition) override { app.KeepMapSounds(map, reposition); }
    void StartMapSound(Map& map, const MapPacket& event) override { app.StartMapSound(map, event); }
    void SetCameraCounter(bool on) override { app.SetCameraCounter(on); }
    void RaiseCameraCounter() override { app.RaiseCameraCounter(); }
    void OpenPurchaseScreen(int32_t) override {}
    void ReturnToEditor() override {}
    void EndTitleSound() override {}
    FakeApp& app;
  } screen_{*this};
  struct Link : WindowlessExchange {
    explicit Link(FakeApp& app) : app(app) {}
    void KeepNetworkLinkAlive() override { app.KeepNetworkLinkAlive(); }
    FakeApp& app;
  } link_{*this};
};

// ---- Routes: a unit for the path finder and a generated map to search ----

// A unit as the path finder sees it; it stands anywhere unless told otherwise.
class FakePathUnit : public MapPathUnit {
 public:
  FakePathUnit(int32_t side, int32_t moveClass) : side(side), moveClass(moveClass) {}
  int32_t GetSideByte() const override { return side; }
  int32_t GetMoveClass() const override { return moveClass; }
  bool CanStandAt(float, float, bool) override { return canStand; }

  int32_t side;
  int32_t moveClass;
  bool canStand = true;
};

// Paints a new map of tiles x tiles with rolling hills, lakes, woods, scattered trees, wheat,
// slopes and a road net from a fixed seed; the caller writes and reads it back so that every
// set-up pass runs. The same seed paints the same map on every machine.
void PaintRouteWorld(Map& map, int32_t tiles, uint32_t seed);

// ---- A busy battlefield for sight lines ----

// A battlefield of tiles x tiles made the same from the same seed, for the sight-line tests
// and benchmarks: rolling hills, woods, pines, scattered trees, wheat, marsh, bocage hedges,
// buildings of every kind, burning tiles of every kind, smoke clouds (the battle's slice is
// set so that some have started) and 60 sight-blocking vehicles appended to the battle's
// units. The map is made in the battle, which must exist, and replaces its map.
Map& BuildBusySightMap(FakeApp& app, uint32_t seed, int32_t tiles = 125);

// Deterministic pairs of points on a map of the given size in metres, with heights on its
// ground: x0, y0, z0, x1, y1, z1 per pair.
std::vector<std::array<float, 6>> SightPairs(const Map& map, uint32_t seed, int32_t count);
