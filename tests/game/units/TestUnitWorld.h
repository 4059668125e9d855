#pragma once
// The map tests' world with the unit services installed: an application with a battle, the
// editor flag and the computer bonus, and the test kinds registered with the unit factory.
// The unit services are the battle's, with no battle in play: the world keeps the record the
// units file (packets, shots, sounds heard at once) and the battle state a test sets. Free of
// any test framework.
#include <array>
#include <cstdint>

#include <memory>
#include <optional>
#include <vector>

#include "game/units/records/Shot.h"
#include "game/units/records/UnitFirePacket.h"
#include "game/battle/BattleUnitServices.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/records/UnitSoundPacket.h"
#include "game/units/records/UnitStatePacket.h"
#include "game/map/MapTestWorld.h"

class TestUnitWorld : public BattleUnitServices {
 public:
  // Installs the services, makes the battle and registers the test kinds' makers.
  TestUnitWorld();
  // Uninstalls them and removes the makers.
  ~TestUnitWorld() override;
  TestUnitWorld(const TestUnitWorld&) = delete;
  TestUnitWorld& operator=(const TestUnitWorld&) = delete;

  MapAppServices* GetApp() override { return &app; }
  bool IsEditorOpen() const override { return editorOpen; }
  bool IsSquadSuffixHidden() const override { return squadSuffixHidden; }
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

  // The battle's state a test sets: its attacker and whether it computes an action. Every
  // other question (the ground, minefields, vehicles in the way, the loss tally, turns, smoke)
  // is answered by the battle's own services, here those of a unit outside any battle.
  int32_t GetAttackerSideIndex() const override { return attacker; }
  bool IsComputingAction() const override { return app.battle->computing; }

  FakeBattle& Battle() { return *app.battle; }

 protected:
  ::Battle* BattleForUnits() const override { return nullptr; }

 public:
  FakeApp app;
  bool editorOpen = false;
  bool squadSuffixHidden = false;
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

 private:
  std::optional<UnitContextScope> context_;  // the world as the units' services while it lives
};
