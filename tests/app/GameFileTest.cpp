// The game file's stored form: golden header bytes, the play settings by connection type,
// write-read-write identity, and the refusal of damaged or foreign files without loss.
#include "app/GameFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "app/GameFileHeader.h"
#include "framework/core/GMemoryFile.h"
#include "game/battle/Packet.h"
#include "game/map/Map.h"
#include "platform/PFile.h"
#include "game/battle/AIGroup.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/units/tables/DataTable.h"
#include "game/units/tables/Hack.h"
#include "game/units/tables/InfantryData.h"
#include "game/units/TestInfantry.h"
#include "game/units/records/UnitIds.h"
#include "support/TestFolder.h"

namespace {

class GameFileTest : public ::testing::Test {
 protected:
  GameFileTest() : savedTable_(gInfantryClasses), records_(InfantryData::kSize * 20) {
    gInfantryClasses = DataTable<InfantryData>(records_.data(), static_cast<uint32_t>(records_.size()));
    RegisterBlankUnitMaker(0, []() -> Unit* { return new TestInfantry(); });
    headless.New();
  }
  ~GameFileTest() override {
    RegisterBlankUnitMaker(0, nullptr);
    gInfantryClasses = savedTable_;
  }

  static Unit* Soldier(int32_t sideIndex, int32_t nationality) {
    auto* unit = new TestInfantry();
    unit->Setup(200.0f, 300.0f, 0.0f, nationality, 2);
    unit->side = static_cast<uint8_t>(1 - sideIndex);
    return unit;
  }

  // Title "Test", turn 3 of 5, four units on the map and eight in groups of both sides.
  Battle& Populated() {
    Battle& battle = *headless.GetBattle();
    battle.title.Assign("Test");
    battle.setupPhase = 0;
    battle.currentTurn = 3;
    battle.lastTurn = 5;
    for (int32_t i = 0; i < 4; ++i) {
      Unit* unit = Soldier(i & 1, (i & 1) != 0 ? 9 : 6);
      battle.PlaceUnitAt(unit, 200.0f + 40.0f * static_cast<float>(i), 300.0f);
    }
    for (int32_t side = 0; side < 2; ++side) {
      for (int32_t g = 0; g < 2; ++g) {
        auto* group = new ReinforcementGroup();
        group->Init(false);
        group->arrivalTurn = 4 + g;
        for (int32_t i = 0; i < 2; ++i) group->units.Append(Soldier(side, side != 0 ? 9 : 6));
        battle.reinforcements[side].Append(group);
      }
    }
    return battle;
  }

  std::string Write(Battle* battle) {
    GMemoryFile out;
    GameFile::Write(out.File(), settings, battle, nullptr);
    EXPECT_FALSE(out.File().HasError());
    return out.Bytes();
  }

  // Reads the bytes; an accepted battle becomes the one in play.
  int32_t Read(const std::string& bytes, GameFileSettings& into) {
    GMemoryFile in(bytes);
    Battle* battle = nullptr;
    Campaign* operation = nullptr;
    const int32_t result = gameFile.Read(in.File(), into, battle, operation);
    if (result == GameFile::kAccepted) {
      EXPECT_EQ(operation, nullptr);
      if (battle != nullptr) headless.MakeCurrentBattle(battle);
    } else {
      EXPECT_EQ(battle, nullptr);
      EXPECT_EQ(operation, nullptr);
    }
    return result;
  }

  // Bytes stored as an e-mail turn file (the text block is made when the file closes).
  std::string EmailFile(const std::string& name, Battle* battle, const std::string* raw = nullptr) {
    const std::string path = logFolder.Program() + name;
    auto* file = new GFile();
    file->IFile(PFile::Open(path, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways), path.c_str(),
                GFile::kModeWriteEmail);
    if (raw != nullptr) {
      file->Write(raw->data(), static_cast<int32_t>(raw->size()));
    } else {
      GameFile::Write(*file, settings, battle, nullptr);
    }
    delete file;
    return path;
  }
  // Reads an e-mail turn file; -1 when its text block is refused before the game file.
  int32_t ReadEmail(const std::string& path, GameFileSettings& into) {
    GFile file;
    if (!file.IFile(PFile::Open(path, PFile::kRead, PFile::Disposition::kOpenExisting), path.c_str(),
                    GFile::kModeReadEmail))
      return -1;
    Battle* battle = nullptr;
    Campaign* operation = nullptr;
    const int32_t result = gameFile.Read(file, into, battle, operation);
    if (battle != nullptr) headless.MakeCurrentBattle(battle);
    into.emailSeed = file.GetBlockChecksum() == into.emailSeed ? into.emailSeed : 0xFFFFFFFF;
    return result;
  }

  TestFolder logFolder{true};
  HeadlessBattle headless;
  GameFileSettings settings;
  GameFile gameFile{headless.Host(), &headless, headless.Host().InPlay()};

 private:
  DataTable<InfantryData> savedTable_;
  std::vector<uint8_t> records_;
};

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out.push_back(static_cast<char>(v));
  return out;
}

TEST_F(GameFileTest, HeaderIsGoldenAndCountsEveryGroup) {
  settings.humanPlayers = 1;
  settings.sideToPlay = 0;
  Battle& battle = Populated();
  const std::string bytes = Write(&battle);
  const std::string head = Bytes({2, 4, 1, 0, 0, 0, 3, 0, 0, 0, 12, 0, 6, 0, 9, 4, 'T', 'e', 's', 't'});
  ASSERT_GT(bytes.size(), head.size() + 1024);
  EXPECT_EQ(bytes.substr(0, head.size()), head);
  EXPECT_EQ(bytes.substr(head.size(), 1024), std::string(1024, '\0'));
  // Players, side, toggle, operation mark.
  EXPECT_EQ(bytes.substr(head.size() + 1024, 4), Bytes({1, 0, 0, 0}));

  // The editor's scenario: saved flag 0 and the total turns; a saved game at its last turn: 1.
  settings.editorOpen = 1;
  std::string scenario = Write(&battle);
  EXPECT_EQ(scenario.substr(2, 5), Bytes({0, 0, 0, 0, 5}));
  EXPECT_EQ(static_cast<uint8_t>(scenario[head.size() + 1025]), 2);  // side 2 without two players
  settings.editorOpen = 0;
  battle.currentTurn = 5;
  EXPECT_EQ(Write(&battle).substr(3, 4), Bytes({0, 0, 0, 1}));

  GameFileHeader header;
  GMemoryFile in(bytes);
  ASSERT_TRUE(GameFile::ReadHeaderOnly(in.File(), header));
  EXPECT_EQ(header.size, 12);
  EXPECT_EQ(header.length, 3);
  EXPECT_STREQ(header.title.CStr(), "Test");
  EXPECT_EQ(headless.GetBattle(), &battle);
}

TEST_F(GameFileTest, SideAndToggleFollowTheConnection) {
  Battle& battle = *headless.GetBattle();
  const size_t at = 16 + 1024;  // an empty title
  settings.humanPlayers = 2;
  settings.sideToPlay = 1;
  battle.setupPhase = 0;
  EXPECT_EQ(Write(&battle).substr(at + 1, 2), Bytes({1, 1}));  // hotseat past its set-up
  battle.setupPhase = 1;
  EXPECT_EQ(Write(&battle).substr(at + 1, 2), Bytes({1, 0}));
  // By e-mail a plain file stores the inverted toggle.
  settings.connectionType = 1;
  settings.sideToggle = 1;
  EXPECT_EQ(Write(&battle).substr(at + 1, 2), Bytes({1, 0}));
  // The reader sets the toggle to (byte is 0) and keeps its own connection type.
  GameFileSettings read;
  read.connectionType = 2;
  ASSERT_EQ(Read(Write(&battle), read), GameFile::kAccepted);
  EXPECT_EQ(read.sideToggle, 1);
  EXPECT_EQ(read.sideToPlay, 1);
  EXPECT_EQ(read.connectionType, 2);
}

TEST_F(GameFileTest, WriteReadWriteGivesTheSameBytes) {
  Battle& battle = Populated();
  battle.briefing[0] = "A";
  battle.briefing[1] = std::string(70, 'b');
  battle.briefing[2] = std::string(5000, 'c');
  settings.humanPlayers = 2;
  settings.sideToPlay = 1;
  settings.passwordDigest[0].Assign("0123456789abcdef");
  settings.passwordDigest[1].Assign("fedcba9876543210");
  settings.passwordSet[0] = 1;
  settings.gameName.Assign("Crossing");
  settings.sharedSeed = 0xBEEF;
  settings.timeLimitMs = 185000;
  settings.ordersFinished = 1;
  const std::string first = Write(&battle);

  GameFileSettings read;
  ASSERT_EQ(Read(first, read), GameFile::kAccepted);
  Battle* again = headless.GetBattle();
  ASSERT_NE(again, &battle);
  // The game name becomes the title; the limit keeps whole minutes.
  EXPECT_STREQ(again->title.CStr(), "Crossing");
  EXPECT_EQ(again->briefing[2], std::string(5000, 'c'));
  EXPECT_EQ(read.timeLimitMs, 180000);
  EXPECT_EQ(read.sharedSeed, 0xBEEF);
  EXPECT_EQ(read.ordersFinished, 1);
  EXPECT_STREQ(read.passwordDigest[1].CStr(), "fedcba9876543210");
  // Past the first turn both passwords count as set.
  EXPECT_EQ(read.passwordSet[1], 1);
  read.timeLimitMs = settings.timeLimitMs;
  const std::string second = Write(again);
  GameFileSettings third;
  ASSERT_EQ(Read(second, third), GameFile::kAccepted);
  EXPECT_EQ(Write(headless.GetBattle()), second);
  // Only the title differs from the first (the game name took its place).
  EXPECT_EQ(second.substr(0, 15), first.substr(0, 15));
  // A side whose password never reached the file (the other machine's side in a TCP/IP
  // autosave) chooses a new one.
  settings.passwordDigest[1].Assign("");
  GameFileSettings noDigest;
  ASSERT_EQ(Read(Write(headless.GetBattle()), noDigest), GameFile::kAccepted);
  EXPECT_EQ(noDigest.passwordSet[0], 1);
  EXPECT_EQ(noDigest.passwordSet[1], 0);
}

// The computer player's groups are stored ahead of the battle whose units they name, placed
// units and waiting reinforcements alike; a group naming no unit refuses the file.
TEST_F(GameFileTest, ComputerGroupsComeBackWithTheirUnits) {
  Battle& battle = Populated();
  auto* list = new GObjectGroup();
  list->IObjectGroup();
  list->SetOwnsMembers(true);
  auto* group = new AIGroup();
  group->Init();
  group->mode = AIGroup::kDefendingFree;
  group->Append(dynamic_cast<Unit*>(battle.GetUnit(2)));
  group->Append(static_cast<ReinforcementGroup*>(battle.reinforcements[1].GetItem(1))->units.GetItem(0));
  list->Append(group);
  battle.aiGroups[1] = list;
  settings.gameName.Assign("Test");  // read back as the title, so the bytes can match
  const std::string first = Write(&battle);

  GameFileSettings read;
  ASSERT_EQ(Read(first, read), GameFile::kAccepted);
  Battle* again = headless.GetBattle();
  ASSERT_NE(again, &battle);
  EXPECT_EQ(again->aiGroups[0], nullptr);
  ASSERT_EQ(again->AIGroupCount(1), 1);
  const AIGroup* back = again->AIGroupAt(1, 0);
  EXPECT_EQ(back->mode, AIGroup::kDefendingFree);
  ASSERT_EQ(back->Count(), 2);
  EXPECT_EQ(back->GetItem(0), dynamic_cast<Unit*>(again->GetUnit(2)));
  EXPECT_EQ(back->GetItem(1), static_cast<ReinforcementGroup*>(again->reinforcements[1].GetItem(1))->units.GetItem(0));
  const std::string second = Write(again);
  const size_t differ = std::mismatch(second.begin(), second.end(), first.begin(), first.end()).first - second.begin();
  EXPECT_EQ(differ, first.size()) << "sizes " << second.size() << " " << first.size();

  // The first member's id (a u16 after mode and count) made to name a unit that isn't there.
  const size_t groups = 16 + 4 + 1024 + 4 + 3 + 4 + 1;  // past the name "Test" and the flag
  ASSERT_TRUE(first.substr(groups, 7) == Bytes({0, 1, 1, 0, 0, 0, 1}));
  std::string bad = first;
  bad.replace(groups + 7 + 6, 2, Bytes({0, 99}));
  const uint32_t digest = headless.Digest();
  GameFileSettings refused;
  EXPECT_EQ(Read(bad, refused), GameFile::kAlertRefused);
  EXPECT_EQ(headless.GetBattle(), again);
  EXPECT_EQ(headless.Digest(), digest);
}

// An operation is stored after its current battle; read back, the two are new objects that
// write the same bytes again.
TEST_F(GameFileTest, AnOperationWithItsBattleComesBackWhole) {
  auto operation = std::make_unique<Campaign>(headless.Host(), &headless);
  headless.Host().InPlay().SetCampaign(operation.get());
  operation->SetUp(nullptr);
  operation->title.Assign("Op");
  auto* battle = new Battle(headless.Host());
  headless.MakeCurrentBattle(battle);
  operation->SetUpBattle(*battle);
  settings.gameName.Assign("Op");
  settings.humanPlayers = 1;
  GMemoryFile out;
  GameFile::Write(out.File(), settings, battle, operation.get());
  ASSERT_FALSE(out.File().HasError());
  const std::string first = out.Bytes();

  GMemoryFile in(first);
  GameFileSettings read;
  Battle* readBattle = nullptr;
  Campaign* readOperation = nullptr;
  ASSERT_EQ(gameFile.Read(in.File(), read, readBattle, readOperation), GameFile::kAccepted);
  ASSERT_NE(readBattle, nullptr);
  ASSERT_NE(readOperation, nullptr);
  EXPECT_NE(readOperation, operation.get());
  std::unique_ptr<Campaign> again(readOperation);
  headless.Host().InPlay().SetCampaign(again.get());
  headless.MakeCurrentBattle(readBattle);
  operation.reset();
  EXPECT_STREQ(again->title.CStr(), "Op");
  GMemoryFile second;
  GameFile::Write(second.File(), read, readBattle, again.get());
  const std::string bytes = second.Bytes();
  const size_t differ = std::mismatch(bytes.begin(), bytes.end(), first.begin(), first.end()).first - bytes.begin();
  EXPECT_EQ(differ, first.size()) << "sizes " << bytes.size() << " " << first.size();
  headless.MakeCurrentBattle(nullptr);
  headless.Host().InPlay().SetCampaign(nullptr);
}

TEST_F(GameFileTest, SeedIsKeptByAHostReadingItsOwnGame) {
  settings.sharedSeed = 77;
  const std::string bytes = Write(headless.GetBattle());
  GameFileSettings host;
  host.hostFlag = 1;
  host.sharedSeed = 5;
  ASSERT_EQ(Read(bytes, host), GameFile::kAccepted);
  EXPECT_EQ(host.sharedSeed, 5);
  host.listLoad = 1;
  ASSERT_EQ(Read(bytes, host), GameFile::kAccepted);
  EXPECT_EQ(host.sharedSeed, 77);
}

TEST_F(GameFileTest, DamagedOrForeignFilesAreRefusedAndChangeNothing) {
  Battle& battle = Populated();
  battle.briefing[2] = "Hold the bridge.";
  const std::string good = Write(&battle);
  const uint32_t digest = headless.Digest();
  const size_t at = 16 + 4 + 1024;
  auto refused = [&](std::string bytes, int32_t alert) {
    GameFileSettings read;
    read.gameName.Assign("kept");
    EXPECT_EQ(Read(bytes, read), alert);
    EXPECT_STREQ(read.gameName.CStr(), "kept");
    EXPECT_EQ(headless.GetBattle(), &battle);
    EXPECT_EQ(headless.Digest(), digest);
  };
  std::string bad = good;
  bad[0] = 3;
  refused(bad, GameFile::kAlertOtherEdition);
  bad = good;
  bad[1] = 5;
  refused(bad, GameFile::kAlertNewerVersion);
  bad = good;
  bad[at] = 3;
  refused(bad, GameFile::kAlertRefused);
  bad = good;
  bad[at + 1] = 7;
  refused(bad, GameFile::kAlertRefused);
  bad = good;
  bad[at + 3] = 1;  // an operation mark other than 0 and 2
  refused(bad, GameFile::kAlertRefused);

  // After players, side, toggle, mark, two empty digests, an empty name, no groups, seed and
  // limit: the first two briefings are absent, the third has its size.
  const size_t briefing = at + 4 + 3 + 1 + 4 + 2;
  ASSERT_EQ(static_cast<uint8_t>(good[briefing]), 1);
  bad = good;
  bad.replace(briefing + 1, 4, Bytes({0xFF, 0xFF, 0xFF, 0xFF}));
  refused(bad, GameFile::kAlertRefused);
  bad = good;
  bad.replace(briefing + 1, 4, Bytes({0, 0, 0, 0}));
  refused(bad, GameFile::kAlertRefused);
  const size_t count = briefing + 5 + 16 + 1;
  ASSERT_EQ(static_cast<uint8_t>(good[count]), 255);
  bad = good;
  bad[count] = 100;
  refused(bad, GameFile::kAlertRefused);
  bad = good;
  bad[at + 4 + 3] = 1;  // computer groups announced where none are stored
  refused(bad, GameFile::kAlertRefused);
  for (size_t cut = 0; cut < good.size(); cut += 64) refused(good.substr(0, cut), GameFile::kAlertRefused);
}

// Damage that the reader let through and that then ended the program or read out of bounds
// when the game was drawn or played, one case each: written into a saved game (by changing
// what the battle holds, or the stored bytes), each is refused with the damaged-file alert and
// the battle in play is kept.
TEST_F(GameFileTest, DamageThatWouldEndPlayIsRefused) {
  Battle& battle = Populated();
  const std::string good = Write(&battle);
  struct Case {
    const char* what;
    std::string bytes;
    bool email = false;  // the bytes of an e-mail turn file, else of a game file
  };
  std::vector<Case> cases;
  auto patched = [&](const char* what, size_t at, const std::string& bytes) {
    cases.push_back({what, good});
    cases.back().bytes.replace(at, bytes.size(), bytes);
  };
  // A title longer than any stored (its length byte set to 255) shifts every later field:
  // such a file read on to one with neither a battle nor an operation.
  patched("title length 255", 15, Bytes({0xFF}));
  // A time limit past what the millisecond setting holds (after the header, the players,
  // side, toggle and mark bytes, two empty digests, the empty name, no groups and the seed).
  const size_t limit = 16 + 4 + 1024 + 4 + 3 + 1 + 2;
  patched("time limit of 35,792 minutes", limit, Bytes({0x8B, 0xD0}));
  // A unit's place or a point of its orders that is not a number.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  Unit& unit = *battle.UnitAt(1);
  auto withUnit = [&](const char* what, auto change) {
    const float x = unit.x, y = unit.y;
    const int32_t count = unit.waypointCount;
    const auto point = unit.waypoints[0];
    change(unit);
    cases.push_back({what, Write(&battle)});
    unit.x = x;
    unit.y = y;
    unit.waypointCount = count;
    unit.waypoints[0] = point;
  };
  withUnit("unit x not a number", [&](Unit& u) { u.x = nan; });
  withUnit("unit y minus infinity", [&](Unit& u) { u.y = -std::numeric_limits<float>::infinity(); });
  withUnit("waypoint far off the map", [&](Unit& u) {
    u.waypointCount = 1;
    u.waypoints[0].moveMode = 1;
    u.waypoints[0].x = 1.0e30f;
  });
  // Ground levels outside the height bands the battlefield is drawn with: above the highest
  // (18) and below the lowest; level -2 still falls in the lowest band and is read as it stands.
  Map& map = *battle.map;
  const float step = map.size.heightScale * 3.0f;
  auto atLevel = [&](float level) {
    const float kept = map.terrain.tileHeight.At(3, 4);
    map.terrain.tileHeight.At(3, 4) = level * step;
    std::string bytes = Write(&battle);
    map.terrain.tileHeight.At(3, 4) = kept;
    return bytes;
  };
  cases.push_back({"ground level 76", atLevel(76.0f)});
  cases.push_back({"ground level -3", atLevel(-3.0f)});
  const std::string lowest = atLevel(-2.0f);
  // E-mail turns whose action the opponent replays: a packet's place that is not a number,
  // and a squad's activity outside the postures its figures are drawn in.
  settings.humanPlayers = 2;
  settings.connectionType = 1;
  map.SaveTurnStartState();
  auto turnWith = [&](const char* what, auto fill) {
    Packet* packet = battle.NewPacket(7);
    fill(*packet);
    EmailFile("turn.txt", &battle);
    cases.push_back({what, logFolder.ReadFile("turn.txt"), true});
    battle.packets.DeleteAll(true);
  };
  auto placedAt = [](float x) {
    return [x](Packet& p) {
      p.kind = Packet::kTileIgnites;
      p.x = x;
    };
  };
  auto squadDoing = [&](int8_t activity) {
    return [&unit, activity](Packet& p) {
      p.kind = Packet::kUnitState;
      p.state.unit = &unit;
      p.state.codes = {activity, activity, activity};
    };
  };
  turnWith("packet x not a number", placedAt(nan));
  turnWith("squad activity 99", squadDoing(99));
  // The same turns with a place and an activity of the game's own are read as they stand.
  std::vector<Case> sound;
  std::swap(sound, cases);
  turnWith("packet x 300", placedAt(300.0f));
  turnWith("squad activity 2", squadDoing(2));
  std::swap(sound, cases);
  settings = GameFileSettings{};
  // The battle in play as stored (opening an e-mail turn's file draws its work file's name
  // from the game's generator, so the generator is not compared here).
  std::string kept;
  ASSERT_TRUE(headless.SaveBytes(kept));
  auto read = [&](const Case& c, GameFileSettings& into) {
    if (!c.email) return Read(c.bytes, into);
    logFolder.WriteFile("case.txt", c.bytes);
    return ReadEmail(logFolder.Program() + "case.txt", into);
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GameFileSettings into;
    EXPECT_EQ(read(c, into), GameFile::kAlertRefused);
    EXPECT_EQ(headless.GetBattle(), &battle);
    std::string stored;
    ASSERT_TRUE(headless.SaveBytes(stored));
    EXPECT_TRUE(stored == kept);
  }
  // What the game writes is read as it stands (each read battle replaces the one in play).
  for (const Case& c : sound) {
    SCOPED_TRACE(c.what);
    GameFileSettings into;
    EXPECT_EQ(read(c, into), GameFile::kAccepted);
  }
  // The longest limit the setting holds is read as it stands.
  std::string longest = good;
  longest.replace(limit, 2, Bytes({0x8B, 0xCF}));
  GameFileSettings held;
  ASSERT_EQ(Read(longest, held), GameFile::kAccepted);
  EXPECT_EQ(held.timeLimitMs, 35791 * 60000);
  ASSERT_EQ(Read(lowest, held), GameFile::kAccepted);
  const Map& low = *headless.GetBattle()->map;
  const float readStep = low.size.heightScale * 3.0f;
  EXPECT_EQ(low.terrain.tileHeight.At(3, 4), -2.0f * readStep);
  EXPECT_EQ(low.HeightBandOf(-2.0f * readStep), 0);
}

TEST_F(GameFileTest, AFileWithoutTheExtensionReadsWithTheFlagsClear) {
  settings.ordersFinished = 1;
  settings.connectionType = 1;
  std::string bytes = Write(headless.GetBattle());
  // Empty title, no briefings: the version byte, then the count, flag, type, 253 zeros.
  const size_t count = 16 + 1024 + 4 + 3 + 1 + 4 + 3 + 1;
  ASSERT_EQ(static_cast<uint8_t>(bytes[count]), 255);
  bytes.erase(count, 256);
  bytes.insert(count, 1, '\0');
  GameFileSettings read;
  read.ordersFinished = 1;
  read.connectionType = 2;
  ASSERT_EQ(Read(bytes, read), GameFile::kAccepted);
  EXPECT_EQ(read.ordersFinished, 0);
  EXPECT_EQ(read.connectionType, 2);
}

TEST_F(GameFileTest, EmailTurnsCarryTheOpponentsSideAndTheActionsPackets) {
  Battle& battle = *headless.GetBattle();
  settings.humanPlayers = 2;
  settings.connectionType = 1;
  settings.sideToPlay = 0;
  settings.sideToggle = 1;
  // Sounds alone: no packets go.
  battle.NewPacket(5)->kind = 2;
  EXPECT_FALSE(GameFile::SavesPackets(true, settings, &battle));
  Packet* other = battle.NewPacket(7);
  other->kind = 3;
  EXPECT_TRUE(GameFile::SavesPackets(true, settings, &battle));
  EXPECT_FALSE(GameFile::SavesPackets(false, settings, &battle));
  battle.endState[0] = battle.endState[1] = 1;  // a mutual cease-fire
  EXPECT_FALSE(GameFile::SavesPackets(true, settings, &battle));
  battle.endState[0] = battle.endState[1] = 0;
  battle.map->SaveTurnStartState();

  const std::string path = EmailFile("turn.txt", &battle);
  GameFileSettings read;
  read.connectionType = 1;
  ASSERT_EQ(ReadEmail(path, read), GameFile::kAccepted);
  EXPECT_EQ(read.sideToPlay, 1);
  EXPECT_EQ(read.sideToggle, 0);
  EXPECT_NE(read.emailSeed, 0xFFFFFFFFu);
  ASSERT_NE(headless.GetBattle(), &battle);
  EXPECT_EQ(headless.GetBattle()->packets.Count(), 2);
  EXPECT_EQ(read.fileVersion, 4);

  // An older version by e-mail, and one changed byte in the text block.
  std::string plain = Write(headless.GetBattle());
  const size_t version = 16 + 1024 + 4 + 3 + 1 + 4 + 3;
  ASSERT_EQ(plain[version], 4);
  plain[version] = 3;
  Battle* kept = headless.GetBattle();
  GameFileSettings old;
  EXPECT_EQ(ReadEmail(EmailFile("old.txt", nullptr, &plain), old), GameFile::kAlertOldEmail);
  std::string text = logFolder.ReadFile("turn.txt");
  text[text.size() / 2] = text[text.size() / 2] == 'A' ? 'B' : 'A';
  logFolder.WriteFile("flipped.txt", text);
  EXPECT_NE(ReadEmail(logFolder.Program() + "flipped.txt", old), GameFile::kAccepted);
  EXPECT_EQ(headless.GetBattle(), kept);
}

}  // namespace
