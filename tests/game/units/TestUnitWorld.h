#pragma once
// The units' tests' world with the unit services installed: an application (the map tests'
// fake, which fakes only the program's screen and settings) whose battle in play is a real
// battle (`Battle()`): the map, the units' sight and ground and the units' questions of rules
// all read that one battle, through the same services the program uses. A test that needs a
// particular answer sets the state of the battle the rule reads (its map, slice, ground, time
// of day, fanaticism, strength ratios, edge owners, attacker, turns, computer bonus, end),
// lends it the units it owns and reads what the battle keeps (the shots filed, the fire
// counters, the units joined). The world records besides what the battle would hand the
// replay and the screen (packets, sounds heard at once, the danger a blast spreads), and
// registers the test kinds with the unit factory. Free of any test framework.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

#include "game/units/records/Shot.h"
#include "game/units/records/UnitFirePacket.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleOrderHost.h"
#include "game/battle/Campaign.h"
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
  MapBattleServices* GetBattleOrOperation() override { return app.GetBattleOrOperation(); }
  MapBattleServices* GetOperation() override { return app.GetOperation(); }
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
  // No step of the battle raises the barrage flag, so there is no state of it to set: the
  // tests of the widened spread of indirect fire raise it here.
  bool IsBarrage() const override { return barrage; }

  // The battle in play: the map's and the units'.
  ::Battle& Battle() { return *inPlay_; }
  // Gives the battle its map (null: none), deleting the one it had.
  void SetMap(std::unique_ptr<Map> map);
  // The shots the units filed with the battle, oldest first; forgetting them deletes them.
  std::vector<Shot> FiledShots() const;
  void ForgetFiledShots();
  // The units the unit code joined to the battle (owned by it), in the battle's order.
  std::vector<Unit*> JoinedUnits() const;
  // Lists a unit the test owns in the battle's unit group, once (it leaves it before the
  // battle goes); takes one back, or every one; takes them back and lends these, in order.
  void Lend(Unit* unit);
  void TakeBack(Unit* unit);
  void TakeBackLent();
  void LendOnly(std::initializer_list<Unit*> units);

  // The battle layer's answers to what the orders ask (the one the program and headless play
  // use), on this world's battle and operation. Not installed: a rig whose units take orders
  // installs it in a scope of its own.
  UnitOrderHost& Orders() { return orders_; }
  // Puts an operation in play (a meeting engagement in its first battle, both supplies at 0),
  // which the order host and the application then answer from; the operation in play, or
  // null; ends it.
  Campaign& MakeOperation();
  Campaign* Operation() { return operation_.get(); }
  void EndOperation();

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
  // The battle layer's order host, told which battle and operation are in play.
  class WorldOrders final : public BattleOrderHost {
   public:
    explicit WorldOrders(const TestUnitWorld& world) : world_(world) {}

   protected:
    ::Battle* OrderBattle() const override { return world_.inPlay_.get(); }
    Campaign* OrderCampaign() const override { return world_.operation_.get(); }

   private:
    const TestUnitWorld& world_;
  };

  std::unique_ptr<::Battle> inPlay_;
  std::unique_ptr<Campaign> operation_;
  WorldOrders orders_{*this};
  std::vector<Unit*> lent_;                  // units of the test listed in the battle
  uint16_t designationCounter_ = 0;          // the unit numbering as the world found it
  std::optional<UnitContextScope> context_;  // the world as the units' services while it lives
};
