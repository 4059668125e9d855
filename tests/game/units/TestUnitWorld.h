#pragma once
// The map tests' world with the unit services installed: an application with a battle, the
// editor flag and the computer bonus, and the test kinds registered with the unit factory.
// Free of any test framework.
#include <array>
#include <cstdint>

#include <memory>
#include <vector>

#include "game/units/Shot.h"
#include "game/units/UnitFirePacket.h"
#include "game/units/UnitServices.h"
#include "game/units/UnitSoundPacket.h"
#include "game/units/UnitStatePacket.h"
#include "game/map/MapTestWorld.h"

class TestUnitWorld : public UnitServices {
 public:
  // Installs the services, makes the battle and registers the test kinds' makers.
  TestUnitWorld();
  // Uninstalls them and removes the makers.
  ~TestUnitWorld() override;
  TestUnitWorld(const TestUnitWorld&) = delete;
  TestUnitWorld& operator=(const TestUnitWorld&) = delete;

  MapAppServices* GetApp() override { return &app; }
  bool IsEditorOpen() const override { return editorOpen; }
  int32_t GetComputerBonus() const override { return computerBonus; }
  void RecordStatePacket(const UnitStatePacket& packet) override { statePackets.push_back(packet); }
  bool IsBattleOver() const override { return battleOver; }
  float GetSideStrengthRatio(int32_t sideIndex) const override { return strengthRatio.at(static_cast<size_t>(sideIndex)); }
  int32_t GetFanaticism(int32_t sideIndex) const override { return fanaticism.at(static_cast<size_t>(sideIndex)); }
  float GetVisibilityLimit() const override { return visibilityLimit; }
  bool IsReplaying() const override { return replaying; }
  void RecordSoundPacket(const UnitSoundPacket& packet) override { soundPackets.push_back(packet); }
  void PlaySoundAtOnce(const UnitSoundPacket& packet) override { immediateSounds.push_back(packet); }

  // Firing: packets, shots, fire counters, barrage, home edges, fire shock and new units.
  void RecordFirePacket(const UnitFirePacket& packet) override { firePackets.push_back(packet); }
  void FileShot(const Shot& shot) override { shots.push_back(shot); }
  void AddFireCounter(int32_t sideIndex, int32_t amount) override { fireCounters.at(static_cast<size_t>(sideIndex)) += amount; }
  bool IsBarrage() const override { return barrage; }
  int32_t GetConditionValue() const override { return conditionValue; }
  int32_t GetHomeEdge(int32_t sideIndex) const override { return homeEdges.at(static_cast<size_t>(sideIndex)); }
  int32_t GetEdgeSide(int32_t edge) const override { return edgeSides.at(static_cast<size_t>(edge)); }
  void SpreadIntensityNearPoint(int32_t intensity, float, float) override { shocks.push_back(intensity); }
  bool AddNewUnit(Unit* unit) override;
  bool InsertUnitAfter(Unit* unit, const Unit* /*after*/) override { return AddNewUnit(unit); }

  // The rest of what the battle answers, as a unit outside any battle finds it, or as a test
  // sets it.
  float GroundWeight(float, int32_t) const override { return 1.0f; }
  bool IsRevealedAntitankMinefieldAt(float, float) const override { return false; }
  bool IsRevealedAntipersonnelMinefieldAt(float, float) const override { return false; }
  int32_t GetAttackerSideIndex() const override { return attacker; }
  bool IsComputingAction() const override { return app.battle->computing; }
  int32_t FindBestVehicleNear(const Unit&, const Unit** found) const override {
    *found = nullptr;
    return 0;
  }
  void TallyMenLost(int32_t) override {}
  void TallyWeaponLost(bool) override {}
  void ReplaceInAIGroups(int32_t, const Unit*, Unit*) override {}
  float GetBattleShareToCome() const override { return 1.0f; }
  int32_t GetCurrentTurn() const override { return 1; }
  int32_t GetLastTurn() const override { return 30; }
  void SetCurrentSlice(int32_t) override {}
  void CountMovingSlice(int32_t) override {}
  void CreateSmoke(float, float, float) override {}
  void SetCoverSearch(bool) override {}

  FakeBattle& Battle() { return *app.battle; }

  FakeApp app;
  bool editorOpen = false;
  int32_t computerBonus = 0;
  std::vector<UnitStatePacket> statePackets;
  bool battleOver = false;
  std::array<float, 2> strengthRatio{1.0f, 1.0f};
  std::array<int32_t, 2> fanaticism{};
  float visibilityLimit = 5000.0f;
  bool replaying = false;
  std::vector<UnitSoundPacket> soundPackets;
  std::vector<UnitSoundPacket> immediateSounds;
  std::vector<UnitFirePacket> firePackets;
  std::vector<Shot> shots;
  std::array<int32_t, 2> fireCounters{};
  bool barrage = false;
  int32_t conditionValue = 0;
  std::array<int32_t, 2> homeEdges{};
  // Side index 0 owns the north edge, side 1 the south edge.
  std::array<int32_t, 4> edgeSides{2, 0, 2, 1};
  std::vector<int32_t> shocks;
  int32_t attacker = 2;
  // Units the unit code added to the battle (owned here, joined to the battle).
  std::vector<std::unique_ptr<Unit>> newUnits;
  uint16_t newUnitCounter = 0;
};
