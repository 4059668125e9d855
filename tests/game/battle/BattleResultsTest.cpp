// The end of a battle and its results: victory levels from the shares, surrender prefixes,
// loss rows and their killed-in-action figure, the layout of the results screen, TCP/IP play,
// the per-unit tallies, the end test and the battle's single count into an operation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/map/NullBattlefieldScreen.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/Campaign.h"
#include "game/battle/ResultsScreen.h"
#include "game/units/TestAirplane.h"

namespace {

// A host that records the messages sent on the link.
class LinkHost : public HeadlessHost {
 public:
  TurnExchange& Exchange() override { return link_; }
  BattlefieldScreen& Battlefield() override { return screen_; }
  std::vector<std::vector<uint8_t>> sent;
  std::vector<int32_t> sounds;

 private:
  struct Link : HeadlessExchange {
    explicit Link(LinkHost& host) : host(host) {}
    void NetSend(const uint8_t* bytes, int32_t count) override { host.sent.emplace_back(bytes, bytes + count); }
    LinkHost& host;
  } link_{*this};
  struct Screen : NullBattlefieldScreen {
    explicit Screen(LinkHost& host) : host(host) {}
    void PlaySound(int32_t number) override { host.sounds.push_back(number); }
    LinkHost& host;
  } screen_{*this};
};

// A results screen that records what it is asked.
class FakeResultsScreen : public ResultsScreen {
 public:
  void SetNetworkState(int32_t value) override { state = value; }
  void LeaveBattlefield() override { ++leaves; }
  void HoldNetworkLink() override { ++holds; }
  void ShowNetworkPanel() override { ++panels; }
  void ShowResults(const BattleResults& results) override {
    ++shown;
    lastLevel = results.level;
  }
  void ShowResultsAgain() override { ++again; }
  int32_t state = 0;
  int32_t leaves = 0;
  int32_t holds = 0;
  int32_t panels = 0;
  int32_t shown = 0;
  int32_t again = 0;
  int32_t lastLevel = -2;
};

// A battle with no flags and the given bonus points: shares b0 / (b0 + b1) and b1 / (b0 + b1).
Battle& Scored(BattleTestRig& rig, int32_t bonus0, int32_t bonus1) {
  Battle& battle = rig.Fresh();
  battle.flags.DeleteAll(true);
  battle.bonusPoints[0] = bonus0;
  battle.bonusPoints[1] = bonus1;
  battle.attacker = 1;
  battle.lastTurn = 10;
  return battle;
}

TestUnit* AddUnit(Battle& battle, int32_t kind, int32_t side, int32_t men) {
  auto* unit = static_cast<TestUnit*>(BattleTestRig::MakeUnit(kind, side, 100.0f, 100.0f));
  unit->men = men;
  battle.PlaceUnitAt(unit, unit->x, unit->y);
  return unit;
}

const std::vector<std::string>& RowsOf(const Battle& battle, int32_t side) { return battle.results.rows[side]; }

}  // namespace

TEST(BattleResults, VictoryLevelsFromTheShareRatio) {
  EXPECT_EQ(BattleResults::LevelFromShares(0.5f, 0.5f), 4);
  EXPECT_EQ(BattleResults::LevelFromShares(0.3f, 1.0f), 7);
  EXPECT_EQ(BattleResults::LevelFromShares(0.1f, 1.0f), 8);
  EXPECT_EQ(BattleResults::LevelFromShares(3.0f, 1.0f), 1);
  EXPECT_EQ(BattleResults::LevelFromShares(6.0f, 1.0f), 0);
  // The edges: 1.24 and 0.81 are a draw, 0.2 a major Allied and 5.0 a major Axis victory.
  EXPECT_EQ(BattleResults::LevelFromShares(1.24f, 1.0f), 4);
  EXPECT_EQ(BattleResults::LevelFromShares(0.81f, 1.0f), 4);
  EXPECT_EQ(BattleResults::LevelFromShares(0.2f, 1.0f), 7);
  EXPECT_EQ(BattleResults::LevelFromShares(5.0f, 1.0f), 1);
  EXPECT_EQ(BattleResults::LevelFromShares(5.01f, 1.0f), 0);
  // Both shares 0 are held at 0.01: a draw.
  EXPECT_EQ(BattleResults::LevelFromShares(0.0f, 0.0f), 4);
  EXPECT_EQ(BattleResults::LevelName(4), "Draw");
  EXPECT_EQ(BattleResults::LevelName(7), "Allied Major Victory");
  EXPECT_EQ(BattleResults::LevelName(0), "Axis Total Victory");
  EXPECT_EQ(BattleResults::LevelName(9), "");

  // Through the results of a battle: shares from the bonus points.
  BattleTestRig rig;
  Battle& battle = Scored(rig, 3, 10);
  battle.ShowResults();
  EXPECT_NEAR(battle.results.share[0], 3.0f / 13.0f, 1e-6f);
  EXPECT_EQ(battle.results.level, 7);
  EXPECT_EQ(battle.results.resultLine, "Allied Major Victory");
  Battle& nothing = Scored(rig, 0, 0);
  nothing.ShowResults();
  EXPECT_EQ(nothing.results.resultLine, "Draw");
}

TEST(BattleResults, SurrenderPrefixes) {
  BattleTestRig rig;
  const struct {
    int32_t end0, end1;
    const char* line;
  } cases[] = {{0, 2, "Allied surrender, Draw"}, {2, 0, "Axis surrender, Draw"}, {2, 2, "Draw"}, {1, 1, "Draw"}};
  for (const auto& c : cases) {
    Battle& battle = Scored(rig, 5, 5);
    battle.endState[0] = c.end0;
    battle.endState[1] = c.end1;
    battle.ShowResults();
    EXPECT_EQ(battle.results.resultLine, c.line);
  }
}

TEST(BattleResults, LossRowsAndTheKilledInActionFigure) {
  BattleTestRig rig;
  {
    // One casualty reads singular; the other side has no casualties row at all.
    Battle& battle = Scored(rig, 5, 5);
    AddUnit(battle, 0, 0, 10)->battleLosses = 1;
    AddUnit(battle, 0, 1, 10);
    battle.ShowResults();
    const int32_t k = BattleResults::KilledInAction(0.5f, 10, 10, 1);
    ASSERT_EQ(RowsOf(battle, 0).size(), 1u);
    EXPECT_EQ(RowsOf(battle, 0)[0], "1 casualty (" + std::to_string(k) + " KIA)");
    EXPECT_TRUE(RowsOf(battle, 1).empty());
  }
  {
    // Men taken after a surrender leave the casualties and join the captured.
    Battle& battle = Scored(rig, 5, 5);
    AddUnit(battle, 0, 1, 10)->battleLosses = 7;
    battle.capturedAfterSurrender[1] = 4;
    battle.ShowResults();
    EXPECT_EQ(battle.results.losses[1][BattleResults::kCasualties], 3);
    EXPECT_EQ(battle.results.losses[1][BattleResults::kCaptured], 4);
    ASSERT_EQ(RowsOf(battle, 1).size(), 2u);
    EXPECT_EQ(RowsOf(battle, 1)[1], "4 captured");
  }
  {
    // Share 0.5, men OK 40 and 59, 25 casualties: k = 5000 mod 130 = 60, K = 6. Outside an
    // operation nothing is drawn from the game's generator.
    Battle& battle = Scored(rig, 5, 5);
    AddUnit(battle, 0, 0, 65)->battleLosses = 25;
    battle.UnitAt(0)->losses = 25;
    AddUnit(battle, 0, 1, 59);
    SeedRandom(77);
    const uint32_t before = RandomState();
    battle.ShowResults();
    EXPECT_EQ(RandomState(), before);
    EXPECT_EQ(battle.results.menOk[0], 40);
    EXPECT_EQ(battle.results.menOk[1], 59);
    ASSERT_EQ(RowsOf(battle, 0).size(), 1u);
    EXPECT_EQ(RowsOf(battle, 0)[0], "25 casualties (6 KIA)");
    EXPECT_EQ(battle.results.killedInAction[0], 6);
  }
  // The plural words of every category.
  EXPECT_EQ(BattleResults::LossRow(BattleResults::kPillboxes, 2, 0), "2 pillboxes knocked out");
  EXPECT_EQ(BattleResults::LossRow(BattleResults::kAirplanes, 1, 0), "1 airplane shot down");
  EXPECT_EQ(BattleResults::LossRow(BattleResults::kGuns, 3, 0), "3 guns destroyed");
}

TEST(BattleResults, ScreenLayout) {
  BattleTestRig rig;
  Battle& battle = Scored(rig, 3, 7);
  for (int32_t i = 0; i < 9; ++i) AddUnit(battle, 1, 1, 4);  // nine Allied vehicles lost
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    battle.UnitAt(i)->alive = 0;
    battle.UnitAt(i)->losses = 4;
  }
  AddUnit(battle, 0, 0, 12)->battleLosses = 2;
  battle.ShowResults();
  const BattleResults& r = battle.results;
  // The attacker (the Allies) on the left.
  EXPECT_EQ(r.columnSide[0], 1);
  const BattleResults::Label* left = r.FindLabel("Allied Attacker");
  const BattleResults::Label* right = r.FindLabel("Axis Defender");
  ASSERT_NE(left, nullptr);
  ASSERT_NE(right, nullptr);
  EXPECT_EQ(left->x, 113);
  EXPECT_EQ(right->x, 376);
  EXPECT_EQ(left->y, 50);
  EXPECT_EQ(left->width, 150);
  const BattleResults::Label* row = r.FindLabel("9 vehicles knocked out");
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->y, 75);
  ASSERT_NE(r.FindLabel("2 casualties (0 KIA)"), nullptr);
  EXPECT_EQ(r.FindLabel("2 casualties (0 KIA)")->y, 75);
  // One row on each side: the rows stay at 7, then 2 more.
  ASSERT_NE(r.FindLabel("Men OK: 0"), nullptr);
  ASSERT_NE(r.FindLabel("Men OK: 12"), nullptr);
  ASSERT_NE(r.FindLabel("Score: 70"), nullptr);
  ASSERT_NE(r.FindLabel("Score: 30"), nullptr);
  EXPECT_EQ(r.FindLabel("Men OK: 0")->y, 9 * 25 + 50);
  EXPECT_EQ(r.FindLabel("Men OK: 0")->x, 113);
  EXPECT_EQ(r.FindLabel("Men OK: 12")->x, 376);
  EXPECT_EQ(r.FindLabel("Score: 70")->y, 10 * 25 + 50);
  EXPECT_EQ(r.FindLabel("Score: 30")->x, 376);
  EXPECT_EQ(r.resultLine, "Allied Tactical Victory");
  const BattleResults::Label* line = r.FindLabel(r.resultLine);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->x, 245);
  EXPECT_EQ(line->y, 11 * 25 + 50);
  ASSERT_EQ(r.buttons.size(), 2u);
  EXPECT_EQ(r.buttons[0].command, 97);
  EXPECT_EQ(r.buttons[0].picture, 11100);
  EXPECT_EQ(r.buttons[0].x, 147);
  EXPECT_EQ(r.buttons[0].y, 425);
  EXPECT_EQ(r.buttons[1].command, 98);
  EXPECT_EQ(r.buttons[1].x, 393);
  EXPECT_EQ(r.buttons[1].y, 425);
  EXPECT_EQ(r.FindLabel("Click MAP to continue radio chat with opponent."), nullptr);

  // More rows than seven push the lines down; a meeting engagement puts side 0 left with no
  // attacker or defender word.
  Battle& meeting = Scored(rig, 1, 1);
  meeting.attacker = 2;
  for (int32_t kind = 0; kind < 4; ++kind) {
    TestUnit* unit = kind == 3 ? new TestAirplane() : static_cast<TestUnit*>(BattleTestRig::MakeUnit(kind, 0, 0, 0));
    if (kind == 3) unit->side = 1;
    unit->alive = 0;
    unit->losses = 1;
    unit->battleLosses = 1;
    unit->type23 = kind == 0;
    meeting.PlaceUnitAt(unit, 100.0f, 100.0f);
  }
  meeting.ShowResults();
  EXPECT_EQ(meeting.results.columnSide[0], 0);
  ASSERT_NE(meeting.results.FindLabel("Axis "), nullptr);
  EXPECT_EQ(meeting.results.FindLabel("Axis ")->x, 113);
  EXPECT_EQ(meeting.results.FindLabel("Allied ")->x, 376);
}

TEST(BattleResults, TcpIpPlaySendsTheResultsMessageOnce) {
  unsetenv("SDL_VIDEODRIVER");
  BattleTestRig rig;
  auto host = std::make_unique<LinkHost>();
  LinkHost* link = host.get();
  rig.headless.SetHost(std::move(host));
  link->connectionType = 2;
  link->humanPlayers = 2;
  Battle& battle = Scored(rig, 2, 2);
  FakeResultsScreen screen;
  battle.resultsScreen = &screen;
  battle.ShowResults();
  ASSERT_EQ(link->sent.size(), 1u);
  EXPECT_EQ(link->sent[0], std::vector<uint8_t>{0x11});
  EXPECT_EQ(screen.state, 23);
  EXPECT_EQ(screen.panels, 1);
  EXPECT_EQ(screen.holds, 1);
  EXPECT_EQ(screen.leaves, 1);
  EXPECT_EQ(screen.shown, 1);
  EXPECT_EQ(screen.lastLevel, 4);
  ASSERT_EQ(link->sounds.size(), 1u);
  EXPECT_EQ(link->sounds[0], 129);
  const BattleResults::Label* chat = battle.results.FindLabel("Click MAP to continue radio chat with opponent.");
  ASSERT_NE(chat, nullptr);
  EXPECT_EQ(chat->x, 2);
  EXPECT_EQ(chat->y, 480 - 17);
  EXPECT_EQ(chat->width, 400);

  // In a running operation the link is held but the message waits for the operation's end.
  Campaign campaign(*link);
  campaign.currentTurn = 1;
  campaign.lastTurn = 4;
  link->InPlay().SetCampaign(&campaign);
  battle.ShowResults();
  EXPECT_EQ(link->sent.size(), 1u);
  EXPECT_EQ(screen.panels, 1);
  EXPECT_EQ(screen.holds, 2);
  EXPECT_EQ(screen.shown, 2);
  link->InPlay().SetCampaign(nullptr);
}

TEST(BattleResults, PerUnitTallies) {
  BattleTestRig rig;
  Battle& battle = Scored(rig, 1, 1);
  auto lost = [&](TestUnit* unit) {
    unit->alive = 0;
    unit->losses = 3;
    unit->lossesCountedByMorale = 1;
    return unit;
  };
  lost(AddUnit(battle, 1, 0, 3));                                                    // vehicle knocked out
  static_cast<TestVehicle*>(lost(AddUnit(battle, 1, 0, 3)))->emplacement = true;           // pillbox
  static_cast<TestVehicle*>(lost(AddUnit(battle, 1, 0, 3)))->leftOutOfTallies = true;  // not counted
  TestUnit* gone = lost(AddUnit(battle, 1, 0, 3));
  gone->status = 2;  // left the map: not lost, and its men still count
  TestUnit* kept = lost(AddUnit(battle, 1, 0, 3));
  kept->lossesCountedByMorale = 3;  // no more losses than it began with
  auto* plane = new TestAirplane();
  plane->side = 0;  // side index 1
  lost(plane);
  battle.PlaceUnitAt(plane, 50.0f, 50.0f);
  lost(AddUnit(battle, 0, 1, 5))->type23 = true;    // gun
  lost(AddUnit(battle, 0, 1, 5))->type234 = true;   // mortar
  lost(AddUnit(battle, 0, 1, 5));                   // plain infantry
  TestUnit* captured = AddUnit(battle, 0, 1, 6);
  captured->surrendered = true;
  captured->type23 = true;
  AddUnit(battle, 0, 1, 4);
  battle.ShowResults();
  const BattleResults& r = battle.results;
  EXPECT_EQ(r.losses[0][BattleResults::kVehicles], 1);
  EXPECT_EQ(r.losses[0][BattleResults::kPillboxes], 1);
  EXPECT_EQ(r.menOk[0], 0 + 0);  // the gone and the kept vehicles have lost all 3 men
  EXPECT_EQ(r.losses[1][BattleResults::kAirplanes], 1);
  EXPECT_EQ(r.losses[1][BattleResults::kGuns], 2);
  EXPECT_EQ(r.losses[1][BattleResults::kMortars], 1);
  EXPECT_EQ(r.losses[1][BattleResults::kCaptured], 6);
  EXPECT_EQ(r.menOk[1], 4);
}

TEST(BattleResults, CheckForEnd) {
  BattleTestRig rig;
  {
    // Both sides asked for a cease-fire: the battle ends though it is not over.
    Battle& battle = Scored(rig, 1, 1);
    battle.setupPhase = 1;
    battle.endState[0] = 1;
    battle.endState[1] = 1;
    EXPECT_FALSE(battle.IsOver());
    battle.CheckForEnd(false);
    EXPECT_EQ(battle.currentTurn, 11);
    EXPECT_EQ(battle.setupPhase, 0);
    EXPECT_EQ(battle.resultsShown, 1);
    EXPECT_EQ(battle.finished, 0);
  }
  {
    // A battle that goes on shows nothing.
    Battle& battle = Scored(rig, 1, 1);
    battle.CheckForEnd(false);
    EXPECT_EQ(battle.resultsShown, 0);
    EXPECT_EQ(battle.currentTurn, 1);
  }
  {
    // Two players by e-mail: finished, and side 0's end state back to 0.
    rig.headless.Host().humanPlayers = 2;
    rig.headless.Host().connectionType = 1;
    Battle& battle = Scored(rig, 1, 1);
    battle.endState[0] = 1;
    battle.endState[1] = 1;
    battle.CheckForEnd(false);
    EXPECT_EQ(battle.finished, 1);
    EXPECT_EQ(battle.endState[0], 0);
    // The other side surrendered.
    Battle& surrendered = Scored(rig, 1, 1);
    rig.headless.Host().currentSide = 0;
    surrendered.endState[1] = 2;
    surrendered.CheckForEnd(false);
    EXPECT_EQ(surrendered.finished, 1);
    EXPECT_EQ(surrendered.results.resultLine, "Allied surrender, Draw");
    rig.headless.Host().humanPlayers = 1;
    rig.headless.Host().connectionType = 0;
  }
}

TEST(BattleResults, AnOperationCountsEachBattleOnce) {
  BattleTestRig rig;
  Battle& battle = Scored(rig, 5, 5);
  AddUnit(battle, 0, 0, 65)->battleLosses = 25;
  battle.UnitAt(0)->losses = 25;
  AddUnit(battle, 0, 1, 59);
  TestUnit* tank = AddUnit(battle, 1, 1, 4);
  tank->alive = 0;
  tank->losses = 4;
  Campaign campaign(rig.headless.Host());
  campaign.currentTurn = 2;
  campaign.lastTurn = 5;
  campaign.lossTally[0][0] = 10;
  rig.headless.Host().InPlay().SetCampaign(&campaign);
  battle.lastTurn = 10;
  battle.currentTurn = 11;
  SeedRandom(5);
  const uint32_t before = RandomState();
  // The end test does not count; the results count once.
  battle.CheckForEnd(false);
  EXPECT_EQ(campaign.currentTurn, 3);
  EXPECT_EQ(campaign.lossTally[0][0], 35);
  EXPECT_EQ(campaign.lossTally[0][7], 6);
  EXPECT_EQ(campaign.lossTally[1][BattleResults::kVehicles], 1);
  EXPECT_EQ(RandomState(), before);
  // The side to play (0, one human) sees its rows; the computer's side's rows are hidden.
  EXPECT_EQ(battle.results.rows[0].size(), 1u);
  EXPECT_TRUE(battle.results.rows[1].empty());
  EXPECT_EQ(battle.results.level, -1);
  ASSERT_EQ(battle.results.buttons.size(), 1u);
  EXPECT_EQ(battle.results.buttons[0].command, 98);
  // A review, and a second screen of the same battle (a hotseat re-entry), count nothing.
  battle.CheckForEnd(true);
  battle.ShowResults(false, false);
  EXPECT_EQ(campaign.currentTurn, 3);
  EXPECT_EQ(campaign.lossTally[0][0], 35);
  EXPECT_EQ(campaign.lossTally[0][7], 6);
  EXPECT_EQ(battle.resultsShown, 3);
  rig.headless.Host().InPlay().SetCampaign(nullptr);
}

TEST(BattleResults, HeadlessBattleRunsToTheEndAndReportsTheOutcome) {
  unsetenv("SDL_VIDEODRIVER");
  unsetenv("SDL_AUDIODRIVER");
  BattleTestRig rig;
  Battle& battle = Scored(rig, 2, 8);
  battle.lastTurn = 2;
  AddUnit(battle, 0, 0, 10)->battleLosses = 3;
  AddUnit(battle, 0, 1, 10);
  battle.strengthRatio[0] = 1.0f;
  battle.strengthRatio[1] = 1.0f;
  EXPECT_EQ(rig.headless.GetResults(), nullptr);
  EXPECT_EQ(rig.headless.ResultsReport(), "");
  rig.headless.Go(1);  // the set-up GO
  for (int32_t turn = 0; turn < 2 && rig.headless.GetResults() == nullptr; ++turn) {
    rig.headless.Go(static_cast<uint16_t>(40 + turn));
    rig.headless.NextTurn();
  }
  const BattleResults* results = rig.headless.GetResults();
  ASSERT_NE(results, nullptr);
  EXPECT_TRUE(battle.IsOver());
  EXPECT_EQ(results->level, 7);
  const std::string report = rig.headless.ResultsReport();
  EXPECT_NE(report.find("Level 7\n"), std::string::npos);
  EXPECT_NE(report.find("Result Allied Major Victory\n"), std::string::npos);
  EXPECT_NE(report.find("Row 0: 3 casualties ("), std::string::npos);
  EXPECT_NE(report.find("Shares 0.2000 0.8000\n"), std::string::npos);

  // GO on the ended battle (the players looked at the map) brings the results back: no turn
  // past the last is played and nothing is counted again.
  FakeResultsScreen screen;
  battle.resultsScreen = &screen;
  const int32_t turn = battle.currentTurn;
  const int32_t shown = battle.resultsShown;
  const uint32_t generator = RandomState();
  battle.DoCommand(9);
  battle.DoCommand(18);
  EXPECT_EQ(screen.again, 2);
  EXPECT_EQ(screen.shown, 0);
  EXPECT_EQ(battle.currentTurn, turn);
  EXPECT_EQ(battle.resultsShown, shown);
  EXPECT_EQ(battle.packets.Count(), 0);
  EXPECT_EQ(RandomState(), generator);
  EXPECT_EQ(rig.headless.ResultsReport(), report);
  battle.resultsScreen = nullptr;
}
