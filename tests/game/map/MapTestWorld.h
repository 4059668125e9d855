#pragma once
// A small world for the map's tests and benchmarks, free of any test framework: an
// application, a battle and an operation with settable fields, and fake units of every kind.
// The battle records the packets and collapse effects the map hands it; the application
// counts beeps.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapPacket.h"
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

  int32_t kind;
  int32_t side;
  float x;
  float y;
  float z;
  bool present = true;
  int32_t inanimateKind = 0;
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
  bool GetReplayFlag(int32_t index) const override { return replayFlags[index & 1]; }
  int32_t GetCurrentSlice() const override { return slice; }
  // The fake units first, then the other units joined to the battle.
  int32_t GetUnitCount() const override { return static_cast<int32_t>(units.size() + joined.size()); }
  MapUnitView* GetUnit(int32_t index) const override {
    const auto i = static_cast<size_t>(index);
    return i < units.size() ? units.at(i).get() : joined.at(i - units.size());
  }
  void RecordPacket(const MapPacket& packet) override { packets.push_back(packet); }
  void AddCollapseEffect(float x, float y, bool tall, int32_t argument) override {
    collapses.push_back({x, y, tall, argument});
  }

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
  std::vector<MapPacket> packets;
  std::vector<CollapseEffect> collapses;
};

class FakeApp : public MapAppServices {
 public:
  FakeApp() { options.fill(0); }

  int8_t GetOption(int32_t index) const override { return options.at(static_cast<size_t>(index)); }
  int32_t GetInputMode() const override { return inputMode; }
  void SetInputMode(int32_t mode) override { inputMode = mode; }
  bool IsNetworkOrdersLocked() const override { return ordersLocked; }
  void ResetCameraDipAndZoom() override {
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
    if (battle) return battle.get();
    return operation.get();
  }
  MapBattleServices* GetOperation() override { return operation.get(); }
  int32_t GetScreenWidth() const override { return screenWidth; }
  void Beep() override { ++beeps; }
  bool DecodeTerrainCode(int32_t index, int16_t& terrain, int16_t& road, uint8_t& fire) const override;

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
  std::unique_ptr<FakeBattle> battle;
  std::unique_ptr<FakeBattle> operation;
  // Terrain code table entries (terrain, road, fire) by index; absent entries do not decode.
  struct TerrainEntry {
    int16_t terrain;
    int16_t road;
    uint8_t fire;
  };
  std::map<int32_t, TerrainEntry> terrainCodes;
};
