// The operation: its stored part, the order of arrivals, a fresh operation map and its zones,
// the battle window, and each battle cut out of the operation map with its units, edges,
// cameras and arriving groups.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "game/battle/BattleTestRig.h"
#include "game/battle/Campaign.h"
#include "game/map/Building.h"
#include "game/map/Crater.h"
#include "game/map/Landmark.h"
#include "game/map/Map.h"
#include "game/map/MapObjectList.h"
#include "game/units/tables/UnitCodes.h"

namespace {

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<uint8_t>(c);
    if (!out.empty()) out += ' ';
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

// An operation played through the headless player, which holds the battle in play.
struct CampaignRig {
  CampaignRig() : campaign(std::make_unique<Campaign>(rig.headless.Host(), &rig.headless)) {
    rig.headless.Host().InPlay().SetCampaign(campaign.get());
  }
  ~CampaignRig() {
    rig.headless.MakeCurrentBattle(nullptr);
    rig.headless.Host().InPlay().SetCampaign(nullptr);
  }
  Campaign& C() { return *campaign; }
  // A fresh operation map, and a new battle in play set up from the operation.
  Battle& StartBattle() {
    auto* battle = new Battle(rig.headless.Host());
    rig.headless.MakeCurrentBattle(battle);
    C().SetUpBattle(*battle);
    return *battle;
  }
  std::string Part() {
    GMemoryFile out;
    C().WriteOperationPart(out.File());
    return out.Bytes();
  }
  // Reads an operation part into the operation (which has its map); false when refused.
  bool ReadPart(const std::string& bytes, uint32_t* left = nullptr) {
    GMemoryFile in(bytes);
    const bool ok = C().ReadOperationPart(in.File());
    EXPECT_EQ(ok, !in.File().HasError());
    if (left != nullptr) *left = in.File().BytesLeft();
    return ok;
  }

  BattleTestRig rig;
  std::unique_ptr<Campaign> campaign;
};

std::vector<int32_t> Arrivals(const Campaign& c, int32_t side) {
  std::vector<int32_t> out;
  for (int32_t i = 0; i < c.reinforcements[side].Count(); ++i) out.push_back(c.GroupAt(side, i)->arrivalTurn);
  return out;
}

}  // namespace

TEST(CampaignStoredForm, DefaultPartGoldenBytesAndRoundTrip) {
  CampaignRig r;
  const std::string part = r.Part();
  ASSERT_EQ(part.size(), Campaign::kStoredSize);
  EXPECT_EQ(Hex(part),
            "01 04 00 46 0F 00 01 00 3C 03 E8 00 00 00 00 00 1E "
            "00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
            "01 02 02 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
            "01 00 00 00 00 01 90 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");

  // Every field survives, in its own place; save, load, save gives the same bytes.
  r.C().SetUp(nullptr);
  Campaign& c = r.C();
  c.operationType = 2;
  c.nightEvery = 10;
  c.openingSlot = 9;
  c.battleTurns = 25;
  c.attackerEdge = 3;
  c.weatherPattern = 2;
  c.casualtyRatio = 1.25f;
  c.windowX = 3;
  c.windowY = 7;
  c.frontLine = 12;
  c.supply[0] = 5;
  c.recovery[1] = 4;
  c.nightIntent[0] = 2;
  c.mayStartNight[1] = 1;
  for (int32_t i = 0; i < Campaign::kTallies; ++i) {
    c.lossTally[0][i] = static_cast<int16_t>(i + 1);
    c.lossTally[1][i] = static_cast<int16_t>(-100 * i);
  }
  const std::string written = r.Part();
  EXPECT_EQ(written.substr(54, 4), std::string("\x00\x08\xFD\x44", 4));  // both entries 7
  EXPECT_EQ(written.substr(17 + 4, 2), std::string("\xFD\xA8", 2));     // Allied entry 6
  Campaign copy(r.rig.headless.Host(), &r.rig.headless);
  ASSERT_TRUE(copy.SetUp(nullptr));
  GMemoryFile in(written);
  ASSERT_TRUE(copy.ReadOperationPart(in.File()));
  GMemoryFile again;
  copy.WriteOperationPart(again.File());
  EXPECT_EQ(again.Bytes(), written);
  EXPECT_FLOAT_EQ(copy.casualtyRatio, 1.25f);
  EXPECT_EQ(copy.lossTally[1][6], -600);
  EXPECT_EQ(copy.lossTally[0][7], 8);
  EXPECT_EQ(copy.attackerEdge, 3);
}

TEST(CampaignStoredForm, NoMansLandExtensionBytesAndOldFiles) {
  CampaignRig r;
  r.C().SetUp(nullptr);
  r.C().noMansLand = 0;
  std::string part = r.Part();
  EXPECT_EQ(static_cast<uint8_t>(part[59]), 1);  // 0 is kept as 1
  r.C().noMansLand = 160;
  ASSERT_TRUE(r.ReadPart(part));
  EXPECT_EQ(r.C().noMansLand, 0);
  part[59] = 0;  // older files stored 0 for the default
  ASSERT_TRUE(r.ReadPart(part));
  EXPECT_EQ(r.C().noMansLand, 400);

  // n extension bytes are skipped, and nothing more.
  std::string longer = part;
  longer[74] = 3;
  longer += std::string("\x07\x07\x07\x55", 4);
  uint32_t left = 0;
  ASSERT_TRUE(r.ReadPart(longer, &left));
  EXPECT_EQ(left, 1u);

  // An old file ends before the marker: no error, later fields keep their values.
  r.C().lossTally[0][7] = 5;
  r.C().noMansLand = 240;
  ASSERT_TRUE(r.ReadPart(part.substr(0, 53), &left));
  EXPECT_EQ(left, 0u);
  EXPECT_EQ(r.C().lossTally[0][7], 0);
  EXPECT_EQ(r.C().noMansLand, 240);
  // A marker other than 1 reads the same way.
  std::string marked = part;
  marked[53] = 0;
  ASSERT_TRUE(r.ReadPart(marked));
  EXPECT_EQ(r.C().noMansLand, 240);
  // Cut anywhere else, the part is refused.
  EXPECT_FALSE(r.ReadPart(part.substr(0, 52)));
  EXPECT_FALSE(r.ReadPart(part.substr(0, 60)));
}

TEST(CampaignStoredForm, OutOfRangeValuesAreRefused) {
  CampaignRig r;
  r.C().SetUp(nullptr);  // a map 80 x 40 tiles
  const std::string good = r.Part();
  ASSERT_TRUE(r.ReadPart(good));
  struct Patch {
    size_t at;
    std::vector<uint8_t> bytes;
  };
  const std::vector<Patch> bad = {
      {0, {0x03}},        {1, {0x01}},        {1, {0x0B}},        {2, {0x0A}},        {4, {0x00}},
      {5, {0x04}},        {6, {0x03}},        {6, {0xFF}},        {7, {0x00, 0x00}},  {7, {0x00, 0xFB}},
      {9, {0x00, 0x00}},  {9, {0xFC, 0x18}},  {11, {0x00, 0x50}}, {13, {0x00, 0x28}}, {11, {0xFF, 0xFF}},
      {15, {0x00, 0x51}}, {18, {0x06}},       {19, {0x05}},       {20, {0x03}},       {36, {0x06}},
      {38, {0xFF}},       {58, {0xFF, 0xF0}},
  };
  for (const Patch& p : bad) {
    std::string bytes = good;
    for (size_t i = 0; i < p.bytes.size(); ++i) bytes[p.at + i] = static_cast<char>(p.bytes[i]);
    EXPECT_FALSE(r.ReadPart(bytes)) << "offset " << p.at;
  }
  // The edge the front is measured from decides its limit: 40 tiles from the south.
  std::string south = good;
  south[5] = 3;
  south.replace(15, 2, std::string("\x00\x28", 2));
  EXPECT_TRUE(r.ReadPart(south));
  south.replace(15, 2, std::string("\x00\x29", 2));
  EXPECT_FALSE(r.ReadPart(south));
  // An operation has no meeting engagement.
  r.C().attacker = 2;
  EXPECT_FALSE(r.ReadPart(good));
}

TEST(CampaignStoredForm, ReadingKeepsOnlyTheBattlesFlagsOfType2) {
  CampaignRig r;
  r.C().SetUp(nullptr);
  const std::string part = r.Part();
  Battle& battle = r.StartBattle();
  battle.flags.Append(new VictoryFlag(10.0f, 10.0f, 0));
  battle.flags.Append(new VictoryFlag(20.0f, 10.0f, 2));
  battle.flags.Append(new VictoryFlag(30.0f, 10.0f, 1));
  ASSERT_TRUE(r.ReadPart(part));
  ASSERT_EQ(battle.flags.Count(), 1);
  EXPECT_EQ(battle.FlagAt(0)->type, 2);
}

TEST(CampaignStoredForm, WholeOperationRoundTripsAndLoadsHeadless) {
  CampaignRig r;
  r.C().SetUp(nullptr);
  r.C().units.Append(BattleTestRig::MakeUnit(0, 0, 610.0f, 300.0f));
  r.C().units.Append(BattleTestRig::MakeUnit(1, 1, 1500.0f, 300.0f));
  GMemoryFile out;
  r.C().Write(out.File());
  ASSERT_FALSE(out.File().HasError());
  const std::string bytes = out.Bytes();

  HeadlessBattle& headless = r.rig.headless;
  ASSERT_TRUE(headless.LoadOperationBytes(bytes));
  Campaign* loaded = headless.GetCampaign();
  ASSERT_NE(loaded, nullptr);
  ASSERT_NE(headless.GetBattle(), nullptr);
  EXPECT_EQ(headless.Host().GetOperation(), loaded);
  EXPECT_EQ(headless.ScenarioTitle(), "Untitled");
  // The first battle holds the unit inside the window [0, 60); the other waits.
  EXPECT_EQ(headless.GetBattle()->UnitCount(), 1);
  EXPECT_EQ(loaded->UnitCount(), 1);
  EXPECT_EQ(headless.GetBattle()->map->size.tilesX, 60);

  // A refused operation leaves the one in play as it was.
  std::string broken = bytes;
  broken[broken.size() - Campaign::kStoredSize] = 7;
  const uint32_t generator = RandomState();
  EXPECT_FALSE(headless.LoadOperationBytes(broken));
  EXPECT_EQ(headless.GetCampaign(), loaded);
  EXPECT_EQ(headless.Host().GetOperation(), loaded);
  EXPECT_EQ(RandomState(), generator);
  // A plain battle ends the operation.
  headless.New();
  EXPECT_EQ(headless.GetCampaign(), nullptr);
  EXPECT_EQ(headless.Host().GetOperation(), nullptr);
  r.rig.headless.Host().InPlay().SetCampaign(r.campaign.get());
}

TEST(CampaignArrivals, ComparatorPutsTheReservesLastInTheirOwnOrder) {
  EXPECT_EQ(Campaign::CompareArrival(0, -1), -1);
  EXPECT_EQ(Campaign::CompareArrival(-1, 0), 1);
  EXPECT_EQ(Campaign::CompareArrival(-1, -2), -1);
  EXPECT_EQ(Campaign::CompareArrival(2, 2), 0);
  CampaignRig r;
  for (int32_t arrival : {3, -1, 1, -3, 0, -2}) {
    auto* group = new ReinforcementGroup();
    group->arrivalTurn = arrival;
    r.C().reinforcements[1].Append(group);
  }
  r.C().SortReinforcementGroups();
  EXPECT_EQ(Arrivals(r.C(), 1), (std::vector<int32_t>{0, 1, 3, -1, -2, -3}));
}

TEST(CampaignStart, FreshOperationMapZonesAndWindows) {
  CampaignRig r;
  Campaign& c = r.C();
  ASSERT_TRUE(c.SetUp(nullptr));
  ASSERT_NE(c.map, nullptr);
  EXPECT_EQ(c.map->size.tilesX, 80);
  const int32_t h = c.map->size.tilesY;
  for (int32_t x = 0; x < 80; ++x) {
    const int32_t want = x < 20 ? 1 : (x >= 40 && x < 60 ? 4 : 0);
    EXPECT_EQ(c.map->terrain.tiles.At(x, 0).zone, want) << x;
    EXPECT_EQ(c.map->terrain.tiles.At(x, h - 1).zone, want) << x;
  }
  int32_t x = 0, y = 0, w = 0, hh = 0;
  c.GetBattleWindow(x, y, w, hh);
  EXPECT_EQ((std::vector<int32_t>{x, y, w, hh}), (std::vector<int32_t>{0, 0, 60, h}));
  c.frontLine = 70;
  c.GetBattleWindow(x, y, w, hh);
  EXPECT_EQ((std::vector<int32_t>{x, w}), (std::vector<int32_t>{20, 60}));
  c.attackerEdge = 2;
  c.frontLine = 30;
  c.GetBattleWindow(x, y, w, hh);
  EXPECT_EQ((std::vector<int32_t>{x, w}), (std::vector<int32_t>{20, 60}));
  c.windowSize = 100;
  c.GetBattleWindow(x, y, w, hh);
  EXPECT_EQ((std::vector<int32_t>{x, y, w, hh}), (std::vector<int32_t>{0, 0, 80, h}));
  // Across a south front the window runs along y.
  c.attackerEdge = 3;
  c.windowSize = 20;
  c.frontLine = 5;
  c.GetBattleWindow(x, y, w, hh);
  EXPECT_EQ((std::vector<int32_t>{x, y, w, hh}), (std::vector<int32_t>{0, 0, 80, 20}));
  c.attackerEdge = 1;
  c.GetBattleWindow(x, y, w, hh);
  EXPECT_EQ((std::vector<int32_t>{y, hh}), (std::vector<int32_t>{h - 20, 20}));
  // The east attacker's strip and the defender's band mirror the west's.
  c.attackerEdge = 2;
  c.attacker = 0;
  c.windowSize = 60;
  c.SetInitialZones();
  EXPECT_EQ(c.map->terrain.tiles.At(79, 3).zone, 4);
  EXPECT_EQ(c.map->terrain.tiles.At(60, 3).zone, 4);
  EXPECT_EQ(c.map->terrain.tiles.At(59, 3).zone, 0);
  EXPECT_EQ(c.map->terrain.tiles.At(40, 3).zone, 0);
  EXPECT_EQ(c.map->terrain.tiles.At(39, 3).zone, 1);
  EXPECT_EQ(c.map->terrain.tiles.At(20, 3).zone, 1);
  EXPECT_EQ(c.map->terrain.tiles.At(19, 3).zone, 0);
}

TEST(CampaignStart, TimeOfDayAndWeather) {
  EXPECT_EQ(RotationPhase(1, 3, 0), 1);
  EXPECT_EQ(RotationPhase(2, 3, 0), 0);
  EXPECT_EQ(RotationPhase(3, 3, 0), 2);
  EXPECT_EQ(RotationPhase(3, 0, 0), 0);
  EXPECT_EQ(Campaign::ChooseWeather(0, 20, 0, 1, 1), 1);
  EXPECT_EQ(Campaign::ChooseWeather(0, 20, 1, 1, 1), 3);
  EXPECT_EQ(Campaign::ChooseWeather(0, 4, 2, 1, 1), 2);
  EXPECT_EQ(Campaign::ChooseWeather(0, 30, 1, 1, 1), 0);
  EXPECT_EQ(Campaign::ChooseWeather(1, 50, 0, 1, 1), 1);
  EXPECT_EQ(Campaign::ChooseWeather(2, 85, 2, 1, 1), 1);
  EXPECT_EQ(Campaign::ChooseWeather(2, 95, 2, 1, 1), 0);
  // Precipitation: rain outside winter with no draw; winter on deep snow always snows.
  const uint32_t before = RandomState();
  EXPECT_EQ(Campaign::ChooseWeather(1, 10, 0, 1, 8), 2);
  EXPECT_EQ(RandomState(), before);
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(Campaign::ChooseWeather(2, 10, 0, 3, 8), 5);
}

TEST(CampaignStart, SetUpBattleMovesTheWindowsUnitsAndSetsTheBattle) {
  CampaignRig r;
  Campaign& c = r.C();
  ASSERT_TRUE(c.SetUp(nullptr));
  c.frontLine = 50;  // window [20, 80): the corner lies 400 m in
  c.nightEvery = 3;
  c.currentTurn = 3;
  c.date = 4501;
  c.groundCondition = 7;
  c.fanaticism[1] = 3;
  c.computerBonus = 2;
  Unit* inside = BattleTestRig::MakeUnit(0, 1, 500.0f, 300.0f);
  inside->flagBytes[Unit::kHoldFlag] = 1;
  Unit* outside = BattleTestRig::MakeUnit(1, 0, 100.0f, 120.0f);
  Unit* far = BattleTestRig::MakeUnit(2, 0, 1590.0f, 700.0f);
  c.units.Append(inside);
  c.units.Append(outside);
  c.units.Append(far);
  Battle& battle = r.StartBattle();

  ASSERT_EQ(battle.UnitCount(), 2);
  EXPECT_EQ(battle.UnitAt(0), inside);
  EXPECT_EQ(battle.UnitAt(1), far);
  EXPECT_FLOAT_EQ(inside->x, 100.0f);
  EXPECT_FLOAT_EQ(inside->y, 300.0f);
  EXPECT_FLOAT_EQ(far->x, 1190.0f);
  EXPECT_EQ(inside->activityCodes[0], 6);
  ASSERT_EQ(c.UnitCount(), 1);
  EXPECT_EQ(c.UnitAt(0), outside);
  EXPECT_FLOAT_EQ(outside->x, 100.0f);
  EXPECT_FLOAT_EQ(outside->y, 120.0f);

  EXPECT_EQ((std::vector<int32_t>(battle.edgeOwner, battle.edgeOwner + 4)), (std::vector<int32_t>{1, 2, 0, 2}));
  EXPECT_EQ(battle.lastTurn, 15);
  EXPECT_EQ(battle.flagValue, 1);
  EXPECT_EQ(battle.autoObjective, 0);
  EXPECT_EQ(battle.flags.Count(), 0);
  EXPECT_EQ(battle.date, 4501);
  EXPECT_EQ(battle.season, 3);
  EXPECT_EQ(battle.groundCondition, 7);
  EXPECT_EQ(battle.fanaticism[1], 3);
  EXPECT_EQ(battle.computerBonus, 2);
  EXPECT_EQ(battle.timeOfDay, 2);
  // The computer's side is rated with the bonus in the battle and, while the operation answers
  // between battles, with the operation's own, as in the program.
  const int32_t rated = std::min(inside->rating + 2, 8);
  EXPECT_EQ(inside->GetRating(), rated);
  r.rig.headless.ServeOperation(true);
  EXPECT_EQ(inside->GetRating(), rated);
  r.rig.headless.ServeOperation(false);
  EXPECT_EQ(r.rig.headless.ScenarioTitle(), "Untitled");
  EXPECT_EQ(c.windowX, 20);
  EXPECT_EQ(battle.map->size.tilesX, 60);
  EXPECT_EQ(battle.map->size.tilesY, c.map->size.tilesY);
}

TEST(CampaignStart, BattleMapCarriesTilesObjectsAndCameras) {
  CampaignRig r;
  Campaign& c = r.C();
  ASSERT_TRUE(c.SetUp(nullptr));
  c.frontLine = 50;  // window x in [20, 80)
  Map& op = *c.map;
  const int32_t h = op.size.tilesY;
  op.terrain.tiles.At(25, 7).zone = 4;
  op.terrain.tileHeight.At(25, 7) = op.size.heightScale * 3.0f * 5.0f;
  const std::vector<uint8_t> block = c.MakeImportBlock(20, 0, 60, h);
  ASSERT_EQ(block.size(), 250000u);
  EXPECT_EQ(block[187500 + 5 * 250 + 7], 4);
  EXPECT_EQ(block[125000 + 5 * 250 + 7], 5);
  EXPECT_EQ(block[125000 + 5 * 250 + 8], 6);  // the flat default map: 15 m
  EXPECT_EQ(block[187500 + 250 * 60], 0);  // past the window

  // Objects: the edge tile's building moves, the one outside stays; craters move by list.
  Map target(r.rig.headless.Host());
  ASSERT_TRUE(target.NewMap(1200.0f, static_cast<float>(h) * 20.0f, nullptr));
  auto* edge = new Building(op);
  edge->tileX = 79;
  edge->tileY = 3;
  auto* left = new Building(op);
  left->tileX = 19;
  left->tileY = 3;
  op.objects.buildings->Append(edge);
  op.objects.buildings->Append(left);
  auto* lasting = new Crater(&op);
  lasting->x = 410.0f;
  lasting->y = 50.0f;
  lasting->lasting = 1;
  auto* mark = new Crater(&op);
  mark->x = 1000.0f;
  mark->y = 60.0f;
  auto* outsideMark = new Crater(&op);
  outsideMark->x = 399.0f;
  op.objects.craterMarks->Append(lasting);  // a lasting crater found in either list
  op.objects.craterMarks->Append(mark);
  op.objects.craterMarks->Append(outsideMark);
  op.objects.landmarks.Append(new Landmark(30, 4, "Hill 112"));
  op.objects.landmarks.Append(new Landmark(2, 4, "Farm"));
  c.MoveWindowObjects(target, 20, 0, 60, h);
  ASSERT_EQ(target.objects.buildings->Count(), 1);
  EXPECT_EQ(target.objects.buildings->GetItem(0), edge);
  EXPECT_EQ(edge->tileX, 59);
  EXPECT_EQ(edge->tileY, 3);
  ASSERT_EQ(op.objects.buildings->Count(), 1);
  ASSERT_EQ(target.objects.craters->Count(), 1);
  EXPECT_EQ(target.objects.craters->GetItem(0), lasting);
  EXPECT_FLOAT_EQ(lasting->x, 10.0f);
  ASSERT_EQ(target.objects.craterMarks->Count(), 1);
  EXPECT_FLOAT_EQ(mark->x, 600.0f);
  EXPECT_EQ(op.objects.craterMarks->Count(), 1);
  ASSERT_EQ(target.objects.landmarks.Count(), 1);
  const auto* copied = static_cast<const Landmark*>(target.objects.landmarks.GetItem(0));
  EXPECT_EQ(copied->tileX, 10);
  EXPECT_STREQ(copied->name.CStr(), "Hill 112");
  EXPECT_EQ(op.objects.landmarks.Count(), 2);

  // The whole pass: the battle map is read back from its stored form, zones and heights kept.
  Battle& battle = r.StartBattle();
  const Map& m = *battle.map;
  EXPECT_EQ(m.size.tilesX, 60);
  EXPECT_EQ(m.terrain.tiles.At(5, 7).zone, 4);
  EXPECT_EQ(m.StoredLevel(m.terrain.tileHeight.At(5, 7)), 5);
  EXPECT_EQ(m.terrain.tiles.At(20, 7).zone, 4);  // the defender's band, x in [40, 60)
  EXPECT_EQ(m.terrain.tiles.At(19, 7).zone, 0);
  EXPECT_EQ(m.terrain.tiles.At(40, 7).zone, 0);
  const float wm = m.size.worldWidth;
  const float hm = m.size.worldHeight;
  EXPECT_EQ(m.camera.viewLevel[0], 2);
  EXPECT_EQ(m.camera.viewLevel[1], 2);
  // The attacker is the Allied side (index 1), from the west.
  EXPECT_FLOAT_EQ(m.camera.x[1], 0.2f * wm);
  EXPECT_FLOAT_EQ(m.camera.y[1], 0.5f * hm);
  EXPECT_FLOAT_EQ(m.camera.bearing[1], 0.0f);
  EXPECT_FLOAT_EQ(m.camera.x[0], 0.8f * wm);
  EXPECT_NEAR(m.camera.bearing[0], 3.14159265f, 1e-6);
  ASSERT_EQ(m.objects.landmarks.Count(), 1);
}

namespace {
std::vector<int32_t> gBounds;
void RecordBound(int32_t n) { gBounds.push_back(n); }
}  // namespace

TEST(CampaignArrivals, ArrivingGroupsEnterAtTheirSidesEdge) {
  CampaignRig r;
  Campaign& c = r.C();
  ASSERT_TRUE(c.SetUp(nullptr));  // west attacker, Allied; window [0, 60) x [0, 40)
  const int32_t h = c.map->size.tilesY;
  for (int32_t round = 0; round < 20; ++round) {
    for (int32_t side = 0; side < 2; ++side) {
      ReinforcementGroup group;
      group.units.Append(BattleTestRig::MakeUnit(0, side, 0.0f, 0.0f));
      group.units.Append(BattleTestRig::MakeUnit(0, side, 0.0f, 0.0f));
      gBounds.clear();
      SetRandomBoundObserver(RecordBound);
      c.PlaceArrivingGroup(group);
      SetRandomBoundObserver(nullptr);
      // The spot's two draws come first; each unit then takes a free place near it.
      ASSERT_GE(gBounds.size(), 2u);
      EXPECT_EQ(gBounds[0], h / 2);
      EXPECT_EQ(gBounds[1], 10);
      EXPECT_EQ(group.units.Count(), 0);
      const Unit* first = c.UnitAt(c.UnitCount() - 2);
      const Unit* second = c.UnitAt(c.UnitCount() - 1);
      if (side == 1) {  // the attacker: from the west, facing east
        EXPECT_FLOAT_EQ(first->facing, 0.0f);
        EXPECT_EQ(first->setupZone, 1);
      } else {  // the defender: from the east edge of the window
        EXPECT_FLOAT_EQ(first->facing, 180.0f);
        EXPECT_EQ(first->setupZone, 4);
      }
      EXPECT_FALSE(second->x == first->x && second->y == first->y);
      EXPECT_EQ(second->setupZone, first->setupZone);
    }
  }
  EXPECT_EQ(c.UnitCount(), 80);
  EXPECT_EQ(c.replayFlags[0], 1);
  EXPECT_EQ(c.replayFlags[1], 1);
}

TEST(CampaignStart, NextBattleAndTheEditor) {
  CampaignRig r;
  Campaign& c = r.C();
  ASSERT_TRUE(c.SetUp(nullptr));
  HeadlessHost& host = r.rig.headless.Host();
  host.inputMode = InputModes::kReplay;
  Battle& first = r.StartBattle();
  EXPECT_EQ(first.timeOfDay, 1);  // battle 1 of night every 4 from slot 0
  c.currentTurn = 2;
  c.StartNextBattle();
  ASSERT_NE(r.rig.headless.GetBattle(), nullptr);
  EXPECT_EQ(host.inputMode, InputModes::kNoPick);
  EXPECT_EQ(r.rig.headless.GetBattle()->timeOfDay, 0);
  EXPECT_EQ(host.InPlay().GetBattle(), r.rig.headless.GetBattle());

  // In the editor the window is the whole map, and it is always day and clear.
  host.editorOpen = true;
  c.frontLine = 70;
  int32_t x = 0, y = 0, w = 0, h = 0;
  c.GetBattleWindow(x, y, w, h);
  EXPECT_EQ((std::vector<int32_t>{x, y, w, h}), (std::vector<int32_t>{0, 0, 80, c.map->size.tilesY}));
  c.currentTurn = 4;
  c.weatherPattern = 2;
  Battle& edited = r.StartBattle();
  EXPECT_EQ(edited.timeOfDay, 0);
  EXPECT_EQ(edited.weather, 0);
  EXPECT_EQ(edited.map->size.tilesX, 80);
  host.editorOpen = false;
}
