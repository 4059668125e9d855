#pragma once
// The map tests' world with the unit services installed: an application with the map's battle
// (`Battle()`, which the map and the units' sight and ground read), and the test kinds
// registered with the unit factory. The units' questions of rules are answered by a real
// battle without a map (`InPlay()`), through the same services the program uses: a test that
// needs a particular answer sets the state of that battle the rule reads (its fanaticism,
// strength ratios, edge owners, attacker, turns, ground, time of day, computer bonus, end) and
// reads what the battle keeps (the shots filed, the fire counters, the units joined). The
// world records besides what the battle would hand the replay and the screen (packets, sounds
// heard at once, the danger a blast spreads). Free of any test framework.
#include <cstdint>

#include <memory>
#include <optional>
#include <vector>

#include "game/units/records/Shot.h"
#include "game/units/records/UnitFirePacket.h"
#include "game/battle/Battle.h"
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

  // The program's part, as the program answers it: the application's editor flag, the
  // editor's squad-suffix setting (set here), the battle's computer bonus.
  MapAppServices* GetApp() override { return &app; }
  bool IsEditorOpen() const override { return app.IsEditorOpen(); }
  bool IsSquadSuffixHidden() const override { return squadSuffixHidden; }
  int32_t GetComputerBonus() const override { return inPlay_->computerBonus; }
  // The packets and sounds the battle would record and start, recorded here as well.
  void RecordStatePacket(const UnitStatePacket& packet) override {
    statePackets.push_back(packet);
    BattleUnitServices::RecordStatePacket(packet);
  }
  void RecordSoundPacket(const UnitSoundPacket& packet) override {
    soundPackets.push_back(packet);
    BattleUnitServices::RecordSoundPacket(packet);
  }
  void PlaySoundAtOnce(const UnitSoundPacket& packet) override {
    immediateSounds.push_back(packet);
    BattleUnitServices::PlaySoundAtOnce(packet);
  }

  // Firing: packets and fire shock recorded as well. Shots, fire counters and new units are
  // the battle's own.
  void RecordFirePacket(const UnitFirePacket& packet) override {
    firePackets.push_back(packet);
    BattleUnitServices::RecordFirePacket(packet);
  }
  void SpreadIntensityNearPoint(int32_t intensity, float x, float y) override {
    shocks.push_back(intensity);
    BattleUnitServices::SpreadIntensityNearPoint(intensity, x, y);
  }
  // A unit the unit code makes joins the battle, and the map's battle lists it too.
  bool AddNewUnit(Unit* unit) override { return ShowToMap(BattleUnitServices::AddNewUnit(unit), unit); }
  bool InsertUnitAfter(Unit* unit, const Unit* after) override {
    return ShowToMap(BattleUnitServices::InsertUnitAfter(unit, after), unit);
  }

  // No step of the battle raises the barrage flag, so there is no state of it to set: the
  // tests of the widened spread of indirect fire raise it here.
  bool IsBarrage() const override { return barrage; }

  FakeBattle& Battle() { return *app.battle; }
  // The battle in play, which answers the units' questions of rules.
  ::Battle& InPlay() { return *inPlay_; }
  // The shots the units filed with the battle, oldest first; forgetting them deletes them.
  std::vector<Shot> FiledShots() const;
  void ForgetFiledShots();
  // The units the unit code joined to the battle (owned by it), in the battle's order.
  std::vector<Unit*> JoinedUnits() const;
  // Lists a unit the test owns in the battle's unit group (it leaves it before the battle goes);
  // takes every such unit back.
  void Lend(Unit* unit);
  void TakeBackLent();
  // The battle computing its action (or not), as the units and the map's battle see it.
  void SetComputing(bool on) {
    inPlay_->computingAction = on ? 1 : 0;
    app.battle->computing = on;
  }

 protected:
  ::Battle* BattleForUnits() const override { return inPlay_.get(); }

 public:
  FakeApp app;
  bool squadSuffixHidden = false;
  std::vector<UnitStatePacket> statePackets;
  std::vector<UnitSoundPacket> soundPackets;
  std::vector<UnitSoundPacket> immediateSounds;
  std::vector<UnitFirePacket> firePackets;
  bool barrage = false;
  std::vector<int32_t> shocks;

 private:
  bool ShowToMap(bool joined, Unit* unit);

  std::unique_ptr<::Battle> inPlay_;
  std::vector<Unit*> lent_;                  // units of the test listed in the battle
  uint16_t designationCounter_ = 0;          // the unit numbering as the world found it
  std::optional<UnitContextScope> context_;  // the world as the units' services while it lives
};
