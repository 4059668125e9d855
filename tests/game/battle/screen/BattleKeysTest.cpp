// The battle screen's keys and unit cycling: camera keys in every input mode, the keys held
// back while an order waits for the mouse, the TCP/IP pause, and which units cycling picks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/map/NullBattlefieldScreen.h"
#include "game/battle/BattleKeyHost.h"
#include "game/battle/BattleTestRig.h"
#include "game/map/Map.h"

namespace {

class RecordingKeys : public BattleKeyHost {
 public:
  int32_t GetNetworkState() const override { return networkState; }
  bool IsOrdersClockEnabled() const override { return clockEnabled; }
  bool IsOrdersClockRunning() const override { return clockRunning; }
  bool IsPaused() const override { return paused; }
  void SetPaused(bool value) override { paused = value; }
  void ToggleInfoBalloon() override { log.push_back("balloon"); }
  void SaveGame() override { log.push_back("save"); }
  void ShowAlert(int32_t alertCase) override { log.push_back("alert " + std::to_string(alertCase)); }
  void SwitchSides() override { log.push_back("switch"); }
  bool HasBriefing(int32_t) const override { return true; }
  void ShowBriefing(int32_t side) override { log.push_back("briefing " + std::to_string(side)); }
  bool HasBattlefieldView() const override { return true; }
  bool IsBattlefieldViewVisible() const override { return viewVisible; }
  bool viewVisible = true;
  int32_t networkState = 0;
  bool clockEnabled = false;
  bool clockRunning = false;
  bool paused = false;
  std::vector<std::string> log;
};

// Records what the battle sends over the link and the beeps.
class LinkHost : public HeadlessHost {
 public:
  TurnExchange& Exchange() override { return link_; }
  BattlefieldScreen& Battlefield() override { return screen_; }
  std::vector<std::vector<uint8_t>> sent;
  int32_t beeps = 0;

 private:
  struct Link : HeadlessExchange {
    explicit Link(LinkHost& host) : host(host) {}
    void NetSend(const uint8_t* bytes, int32_t count) override { host.sent.emplace_back(bytes, bytes + count); }
    LinkHost& host;
  } link_{*this};
  struct Screen : NullBattlefieldScreen {
    explicit Screen(LinkHost& host) : host(host) {}
    void Beep() override { ++host.beeps; }
    LinkHost& host;
  } screen_{*this};
};

struct KeysWorld {
  BattleTestRig rig;
  LinkHost* host = nullptr;
  Battle* battle = nullptr;
  RecordingKeys keys;
  KeysWorld() {
    auto owned = std::make_unique<LinkHost>();
    host = owned.get();
    rig.headless.SetHost(std::move(owned));
    battle = &rig.Fresh();
    battle->keyHost = &keys;
    Map& map = *battle->map;
    map.camera.x[0] = 200.0f;
    map.camera.y[0] = 200.0f;
    map.camera.bearing[0] = 0.0f;
    map.camera.viewLevel[0] = 7;
  }
  Unit* Add(int32_t kind, int32_t side, float x) {
    Unit* unit = BattleTestRig::MakeUnit(kind, side, x, 100.0f);
    battle->PlaceUnitAt(unit, x, 100.0f);
    return unit;
  }
};

}  // namespace

TEST(BattleKeys, CameraKeysActInEveryInputModeAndOthersWaitForTheMouse) {
  KeysWorld w;
  Map& map = *w.battle->map;
  const float rate = std::max(w.host->GetFrameRate(), 3.0f);
  w.battle->HandleKey(3, false, false);  // up: forward 0.4
  EXPECT_NEAR(map.camera.x[0], 200.0f + 0.4f * 400.0f / rate, 1e-3f);
  w.battle->HandleKey(1, false, false);  // left: 0.2 along heading + 90 degrees
  EXPECT_NEAR(map.camera.y[0], 200.0f + 0.2f * 400.0f / rate, 1e-3f);
  w.battle->HandleKey('.', false, false);
  const float turn = -0.24f / std::max(w.host->GetFrameRate(), 4.0f);
  EXPECT_NEAR(map.camera.bearing[0], turn, 1e-6f);
  w.battle->HandleKey('>', false, false);
  EXPECT_NEAR(map.camera.bearing[0], 2.0f * turn, 1e-6f);
  w.battle->HandleKey('3', false, false);
  EXPECT_EQ(map.camera.viewLevel[0], 2);
  w.battle->HandleKey('+', false, true);  // keypad: one level up
  EXPECT_EQ(map.camera.viewLevel[0], 3);
  // The camera buttons' commands: down and up a level, a turn each way, and the moves.
  w.battle->DoCommand(8);
  EXPECT_EQ(map.camera.viewLevel[0], 4);
  w.battle->DoCommand(7);
  EXPECT_EQ(map.camera.viewLevel[0], 3);
  const float bearing = map.camera.bearing[0];
  w.battle->DoCommand(1);
  EXPECT_NE(map.camera.bearing[0], bearing);
  w.battle->DoCommand(2);
  EXPECT_NEAR(map.camera.bearing[0], bearing, 1e-5f);
  const float x = map.camera.x[0];
  const float y = map.camera.y[0];
  for (int32_t command = 3; command <= 6; ++command) w.battle->DoCommand(command);
  EXPECT_NEAR(map.camera.x[0], x, 1e-3f);
  EXPECT_NEAR(map.camera.y[0], y, 1e-3f);
  w.battle->DoCommand(3);
  EXPECT_GT(map.camera.x[0], x);
  w.battle->HandleKey('\r', false, false);
  EXPECT_EQ(w.keys.log, (std::vector<std::string>{"balloon"}));

  // A line pick waits: cycling, the save and the questions do nothing; camera keys still act.
  Unit* own = w.Add(0, 0, 50.0f);
  for (int32_t mode : {1, 2, 3, 6, 7, 8}) {
    w.host->inputMode = mode;
    w.battle->HandleKey('+', false, false);
    w.battle->HandleKey('s', true, false);
    w.battle->HandleKey('a', true, false);
    EXPECT_EQ(w.battle->selectedUnit, nullptr) << mode;
    w.battle->HandleKey('1', false, false);
    EXPECT_EQ(map.camera.viewLevel[0], 0);
    map.camera.viewLevel[0] = 5;
  }
  EXPECT_EQ(w.keys.log.size(), 1u);
  EXPECT_EQ(w.host->beeps, 0);
  // Space ends the pick.
  w.battle->HandleKey(' ', false, false);
  EXPECT_EQ(w.host->inputMode, InputModes::kNoPick);
  w.battle->HandleKey('+', false, false);
  EXPECT_EQ(w.battle->selectedUnit, own);
  w.battle->HandleKey('a', true, false);
  EXPECT_EQ(w.keys.log.back(), "alert 19");
  // Alt+S saves in the orders phase and beeps in the replay.
  w.battle->HandleKey('S', true, false);
  EXPECT_EQ(w.keys.log.back(), "save");
  w.host->inputMode = InputModes::kReplay;
  w.battle->HandleKey('s', true, false);
  EXPECT_EQ(w.host->beeps, 1);
  // Unknown keys do nothing; with the view hidden the cycling keys do nothing either.
  w.host->inputMode = InputModes::kNoPick;
  const size_t logged = w.keys.log.size();
  w.battle->HandleKey(0x7F, false, false);
  w.battle->HandleKey('!', true, false);
  w.keys.viewVisible = false;
  w.battle->SelectUnit(nullptr);
  w.battle->HandleKey('+', false, false);
  EXPECT_EQ(w.battle->selectedUnit, nullptr);
  EXPECT_EQ(w.keys.log.size(), logged);
}

TEST(BattleKeys, AltPPausesTcpIpPlayOnlyWithTheClockOn) {
  KeysWorld w;
  w.battle->HandleKey('p', true, false);
  EXPECT_TRUE(w.host->sent.empty());
  w.host->connectionType = 2;
  w.battle->HandleKey('p', true, false);  // clock off
  EXPECT_TRUE(w.host->sent.empty());
  w.keys.clockEnabled = true;
  w.keys.clockRunning = true;
  w.battle->HandleKey('P', true, false);
  ASSERT_EQ(w.host->sent.size(), 1u);
  EXPECT_EQ(w.host->sent[0], (std::vector<uint8_t>{0x0F}));
  EXPECT_TRUE(w.keys.paused);
  w.battle->HandleKey('p', true, false);
  ASSERT_EQ(w.host->sent.size(), 2u);
  EXPECT_EQ(w.host->sent[1], (std::vector<uint8_t>{0x10, 0x00}));
  EXPECT_FALSE(w.keys.paused);
  // Also while an order waits for the mouse nothing is sent.
  w.host->inputMode = InputModes::kMovePick;
  w.battle->HandleKey('p', true, false);
  EXPECT_EQ(w.host->sent.size(), 2u);
}

TEST(BattleKeys, CyclingSkipsObjectsAndLeftUnitsAndWrapsOnlyFromAnOwnUnit) {
  KeysWorld w;
  // With no own unit the selection stays as it was.
  Unit* enemy = w.Add(0, 1, 10.0f);
  w.battle->SelectNextOwnUnit(true);
  EXPECT_EQ(w.battle->selectedUnit, nullptr);
  w.battle->selectedUnit = enemy;
  w.battle->SelectNextOwnUnit(true);
  EXPECT_EQ(w.battle->selectedUnit, enemy);

  Unit* object = w.Add(2, 0, 20.0f);
  Unit* first = w.Add(0, 0, 30.0f);
  Unit* left = w.Add(1, 0, 40.0f);
  left->status = 1;
  Unit* second = w.Add(1, 0, 50.0f);
  (void)object;
  // From an enemy selection nothing wraps.
  w.battle->SelectNextOwnUnit(true);
  EXPECT_EQ(w.battle->selectedUnit, enemy);
  w.battle->SelectUnit(nullptr);
  w.battle->SelectNextOwnUnit(true);
  EXPECT_EQ(w.battle->selectedUnit, first);
  EXPECT_EQ(w.battle->selectedWaypoint, -1);
  w.battle->SelectNextOwnUnit(true);
  EXPECT_EQ(w.battle->selectedUnit, second);
  w.battle->SelectNextOwnUnit(true);  // wraps past the enemy and the object
  EXPECT_EQ(w.battle->selectedUnit, first);
  w.battle->SelectNextOwnUnit(false);
  EXPECT_EQ(w.battle->selectedUnit, second);
  w.battle->SelectUnit(nullptr);
  w.battle->SelectNextOwnUnit(false);  // backward from the last
  EXPECT_EQ(w.battle->selectedUnit, second);
  // The Allied turn picks the Allied unit.
  w.host->currentSide = 1;
  w.battle->SelectUnit(nullptr);
  w.battle->SelectNextOwnUnit(true);
  EXPECT_EQ(w.battle->selectedUnit, enemy);
}

TEST(BattleKeys, BackspaceOnTheMapCancelsTheMovesOfTheGroup) {
  KeysWorld w;
  Unit* member = w.Add(0, 0, 30.0f);
  Unit* other = w.Add(0, 0, 40.0f);
  member->waypointCount = 2;
  other->waypointCount = 2;
  member->boxSelection = 2;
  other->boxSelection = 1;  // inside a rectangle still being dragged: not yet in the group
  w.battle->mapViewFlag = 1;
  w.battle->selectedWaypoint = 1;
  w.battle->HandleKey('\b', false, false);
  EXPECT_EQ(w.battle->selectedWaypoint, -1);
  EXPECT_EQ(member->waypointCount, 0);
  EXPECT_EQ(other->waypointCount, 2);
}

TEST(BattleKeys, AMovedCameraDropsASelectionThatCanNoLongerBeShown) {
  KeysWorld w;
  Unit* unit = w.Add(0, 0, 30.0f);
  w.battle->SelectUnit(unit);
  w.battle->map->MoveCamera(3, 1.0f);
  EXPECT_EQ(w.battle->selectedUnit, unit);
  unit->SetPosition(-50.0f, 100.0f);  // it left the map
  w.battle->map->TurnCamera(1.0f);
  EXPECT_EQ(w.battle->selectedUnit, nullptr);
}
