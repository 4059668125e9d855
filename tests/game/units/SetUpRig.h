#pragma once
// The world of the set-up, placement and between-battles tests: the default 800 m flat map,
// the battle layer's order host over the world's battle and an operation in play (whose
// supply, battle number and map the test sets), and test kinds whose ground, neighbours, cost
// and sight the test decides.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "game/battle/QuietReplayScreen.h"
#include "game/map/Map.h"
#include "game/units/TestInanimate.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TestVehicle.h"
#include "game/units/Unit.h"
#include "game/units/RecordingUnitScreen.h"
#include "game/units/ports/UnitContextScope.h"
#include "support/TestFolder.h"

// A kind whose ground refuses every point at or beyond refuseFromX (or everywhere), whose
// neighbours on each level, cost, strength and sight the test sets.
template <class Kind>
class Placer : public Kind {
 public:
  float GetTerrainMobility() const override {
    if (refuseAll) return 0.0f;
    return this->x >= refuseFromX ? 0.0f : 1.0f;
  }
  bool FindUnitNearPoint(float, float, float atLevel, Unit**) override {
    return atLevel > 0.5f ? upperTaken : groundTaken;
  }
  float GetPurchaseCost() const override { return cost; }
  int32_t GetTerrainHere() const override { return terrainHere >= 0 ? terrainHere : Kind::GetTerrainHere(); }
  float GetStrengthValue() const override { return strength; }
  bool LineOfSightToPoint(float px, float py) const override { return seesAll || (px == seenX && py == seenY); }
  bool IsRegularUnit() const override { return regular; }
  bool HasNonGunWeapon() const override { return nonGun; }
  bool HasBeenCaptured() const override { return captured; }
  bool CanMove() const override { return mobile; }
  bool IsCarried() const override { return carrier != nullptr; }
  void Embark(Unit* vehicle) override { carrier = vehicle; }
  void LeaveCarrier() override {
    carrier = nullptr;
    ++carrierLeaves;
  }
  void MarkCaptured() override {
    this->surrendered = false;
    captured = true;
  }
  Unit* GetLinkedUnit(int32_t index) const override { return linked[index & 1]; }
  void ClearHullDown() override { ++hullDownClears; }
  void SyncPassengers() override { ++passengerSyncs; }
  float VisibilityFromPoint(float px, float py, float, bool) override {
    seenFrom.push_back({px, py, this->x, this->y});
    return px > this->x ? (py > this->y ? 0.1f : 0.2f) : (py > this->y ? 0.3f : 0.4f);
  }

  bool refuseAll = false;
  int32_t terrainHere = -1;  // the map's answer while negative
  float refuseFromX = 1.0e9f;
  bool groundTaken = false;
  bool upperTaken = false;
  float cost = 100.0f;
  float strength = 1.0f;
  bool seesAll = true;
  float seenX = -1.0f;
  float seenY = -1.0f;
  bool regular = true;
  bool nonGun = false;
  bool captured = false;
  bool mobile = true;
  Unit* carrier = nullptr;
  int32_t carrierLeaves = 0;
  Unit* linked[2] = {nullptr, nullptr};
  int32_t hullDownClears = 0;
  int32_t passengerSyncs = 0;
  // Each evaluation: the observer's point and where the unit stood.
  struct Look {
    float fromX, fromY, unitX, unitY;
  };
  std::vector<Look> seenFrom;
};
using Foot = Placer<TestInfantry>;
using Tank = Placer<TestVehicle>;

// The info panel of a battle screen, as often as it is told to redraw (the battle's squads
// have looked for their leaders again); the replay's other notices are not watched.
class PanelCountingScreen : public QuietReplayScreen {
 public:
  void InvalidateInfoPanel() override { ++panelRedraws; }
  int32_t panelRedraws = 0;
};

struct SetUpRig {
  SetUpRig() {
    world.SetMap(std::make_unique<Map>(world.app));
    EXPECT_TRUE(world.Battle().map->Read(nullptr));
    world.MakeOperation();
    world.Battle().replayScreen = &panel;
    context.emplace(UnitContext{.orders = &world.Orders(), .screen = &screen});
  }
  ~SetUpRig() { world.Battle().replayScreen = nullptr; }
  SetUpRig(const SetUpRig&) = delete;
  SetUpRig& operator=(const SetUpRig&) = delete;
  Map& GetMap() { return *world.Battle().map; }
  Campaign& Operation() { return *world.Operation(); }
  // Scored exits for the side index along the west edge, or none.
  void OpenWestExit(int32_t sideIndex, bool open) {
    world.Battle().exitScoring[sideIndex & 1] = open ? 1 : 0;
    world.Battle().exitEdge[sideIndex & 1] = 0;
  }
  // The computer player giving its orders: the battle is quiet.
  void SetQuiet(bool quiet) { world.Battle().planningComputer = quiet ? 1 : 0; }
  // Every tile of the battle map gets the set-up zone.
  void PaintAll(uint8_t zone) {
    auto& tiles = GetMap().terrain.tiles;
    for (int32_t ty = 0; ty < tiles.Height(); ++ty) {
      for (int32_t tx = 0; tx < tiles.Width(); ++tx) tiles.At(tx, ty).zone = zone;
    }
  }
  void Join(Unit& unit) { world.Lend(&unit); }
  TestFolder folder{true};
  TestUnitWorld world;
  RecordingUnitScreen screen;
  PanelCountingScreen panel;
  std::optional<UnitContextScope> context;
};

inline void Place(Unit& unit, float px, float py) {
  unit.x = px;
  unit.y = py;
}
