// The battle's stored form: golden bytes of a new battle, round trips, packed ids, and the
// refusal of damaged or out-of-range files without harm to the battle in play.
#include <gtest/gtest.h>

#include <string>

#include "framework/core/GMemoryFile.h"
#include "game/battle/BattleTestRig.h"
#include "game/map/Map.h"

namespace {

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (char c : bytes) {
    const auto v = static_cast<uint8_t>(c);
    if (!out.empty()) out += ' ';
    out += digits[v >> 4];
    out += digits[v & 15];
  }
  return out;
}

size_t MapBytes(Battle& battle) {
  GMemoryFile out;
  battle.map->Write(out.File());
  return out.Bytes().size();
}

}  // namespace

TEST(BattleStoredForm, NewBattleGoldenBytes) {
  BattleTestRig rig;
  Battle& battle = rig.Fresh();
  ASSERT_EQ(battle.flags.Count(), 1);
  EXPECT_EQ(battle.FlagAt(0)->type, 1);
  EXPECT_FLOAT_EQ(battle.FlagAt(0)->x, battle.map->size.worldWidth * 0.5f);
  EXPECT_FLOAT_EQ(battle.FlagAt(0)->y, battle.map->size.worldHeight * 0.5f);

  const std::string bytes = rig.Save();
  EXPECT_EQ(Hex(bytes.substr(0, 37)),
            "01 1E 01 01 11 3B 00 00 00 00 00 00 00 00 02 01 01 00 00 00 00 00 01 01 00 00 00 00 00 01 01 00 00 00 "
            "00 00 01");
  const size_t mapSize = MapBytes(battle);
  const std::string part = bytes.substr(37 + mapSize);
  ASSERT_EQ(part.size(), 188u);
  // Set-up phase, end states, marker, season (autumn of 4411).
  EXPECT_EQ(Hex(part.substr(0, 5)), "01 00 00 01 02");
  EXPECT_EQ(Hex(part.substr(13, 2)), "03 84");          // flag value 900
  EXPECT_EQ(Hex(part.substr(39, 4)), "02 00 02 01");    // edge owners south, east, north, west
  EXPECT_EQ(Hex(part.substr(43, 5)), "01 00 00 00 01");  // the flag list: owned, one flag
  EXPECT_EQ(part.back(), 0);                            // the extension length

  battle.flags.DeleteAll(true);
  EXPECT_EQ(rig.Save().size() - 37 - mapSize, 175u);
}

TEST(BattleStoredForm, FullBattleSurvivesWriteSetUpWrite) {
  BattleTestRig rig;
  rig.Fresh();
  rig.Populate();
  bool failed = true;
  const std::string first = rig.Save(&failed);
  ASSERT_FALSE(failed);
  EXPECT_TRUE(rig.SetUpAndWrite(first) == first);
  ASSERT_TRUE(rig.headless.LoadBytes(first));
  Battle& battle = rig.B();
  EXPECT_EQ(battle.UnitCount(), 3);
  EXPECT_EQ(battle.reinforcements[0].Count(), 2);
  EXPECT_EQ(battle.reinforcements[1].Count(), 2);
  EXPECT_EQ(battle.flags.Count(), 2);
  EXPECT_EQ(battle.fanaticism[0], 3);
  EXPECT_EQ(battle.computerBonus, 2);
  EXPECT_EQ(battle.forceEnlargement, -20);
  EXPECT_EQ(battle.mustPurchase[1], 1);
  EXPECT_EQ(battle.forceType[1], 2);
  EXPECT_EQ(battle.bonusPoints[1], 50);
  EXPECT_EQ(battle.exitEdge[1], 3);
  EXPECT_EQ(battle.sideOnMap[0], 1);
  EXPECT_EQ(battle.sideOnMap[1], 1);
  // References came back to the right units, on the map and waiting.
  EXPECT_EQ(battle.UnitAt(0)->target, battle.UnitAt(1));
  EXPECT_EQ(battle.UnitAt(1)->target, battle.GroupAt(1, 1)->units.GetItem(0));
}

TEST(BattleStoredForm, PackedIdsDecode) {
  BattleTestRig rig;
  rig.Fresh();
  rig.AddGroup(0, 1, 3);
  rig.AddGroup(0, 1, 3);
  ReinforcementGroup& allied = rig.AddGroup(1, 500, 3);
  Battle& battle = rig.B();
  EXPECT_EQ(battle.UnitFromId(10000), battle.GroupAt(0, 0)->units.GetItem(0));
  EXPECT_EQ(battle.UnitFromId(10500), battle.GroupAt(0, 1)->units.GetItem(0));
  EXPECT_EQ(battle.UnitFromId(20499), allied.units.GetItem(499));
  EXPECT_EQ(battle.UnitFromId(0), nullptr);
  EXPECT_EQ(battle.UnitFromId(1), nullptr);      // no unit on the map
  EXPECT_EQ(battle.UnitFromId(11000), nullptr);  // no third group
  EXPECT_EQ(battle.UnitFromId(30000), nullptr);  // no third side
  EXPECT_EQ(PackedUnitId(static_cast<Unit*>(allied.units.GetItem(499))), 20499);
}

TEST(BattleStoredForm, UnitBeyondTheIdSchemeFailsTheSaveAndKeepsTheOldFile) {
  BattleTestRig rig;
  rig.Fresh();
  for (int32_t g = 0; g < 21; ++g) rig.AddGroup(0, 1, 2);
  Battle& battle = rig.B();
  const std::string path = rig.logFolder.Program() + "battle.sav";
  ASSERT_TRUE(rig.headless.SaveFile(path));
  const std::string before = rig.logFolder.ReadFile("battle.sav");

  // A unit on the map aims at the unit of the 21st group, which no id can name.
  Unit* shooter = BattleTestRig::MakeUnit(0, 1, 10.0f, 10.0f);
  battle.PlaceUnitAt(shooter, 10.0f, 10.0f);
  shooter->target = static_cast<Unit*>(battle.GroupAt(0, 20)->units.GetItem(0));
  EXPECT_EQ(PackedUnitId(shooter->target), -1);
  bool failed = false;
  rig.Save(&failed);
  EXPECT_TRUE(failed);
  EXPECT_FALSE(rig.headless.SaveFile(path));
  EXPECT_TRUE(rig.logFolder.ReadFile("battle.sav") == before);
  EXPECT_NE(rig.logFolder.ReadFile("ERRORLOG.TXT").find("beyond the id scheme"), std::string::npos);
}

TEST(BattleStoredForm, DateLimitsAndExtensionBytes) {
  BattleTestRig rig;
  rig.Fresh();
  const std::string good = rig.Save();
  auto withDate = [&](int32_t date) {
    std::string bytes = good;
    bytes[4] = static_cast<char>(date >> 8);
    bytes[5] = static_cast<char>(date & 0xFF);
    return bytes;
  };
  EXPECT_FALSE(rig.headless.LoadBytes(withDate(3900)));
  EXPECT_FALSE(rig.headless.LoadBytes(withDate(4613)));
  ASSERT_TRUE(rig.headless.LoadBytes(withDate(3901)));
  EXPECT_EQ(rig.B().date, 3901);
  ASSERT_TRUE(rig.headless.LoadBytes(withDate(4612)));
  EXPECT_EQ(rig.B().date, 4612);

  // Five bytes added after a length byte of 5 are passed over.
  std::string extended = good;
  extended.back() = 5;
  extended += std::string("\x01\x02\x03\x04\x05", 5);
  ASSERT_TRUE(rig.headless.LoadBytes(withDate(4411)));
  const std::string plain = rig.Save();
  ASSERT_TRUE(rig.headless.LoadBytes(extended));
  EXPECT_TRUE(rig.Save() == plain);
}

TEST(BattleStoredForm, RefusedFileLeavesTheBattleInPlayUntouched) {
  BattleTestRig rig;
  rig.Fresh();
  rig.Populate();
  const std::string good = rig.Save();
  ASSERT_TRUE(rig.headless.LoadBytes(good));
  Battle* before = &rig.B();
  const uint32_t digest = rig.headless.Digest();

  // Prefixes of the file are refused; none crashes or reads out of bounds. Every cut inside
  // the header and the unit records, and through the map and the battle part in steps (the
  // fuzz target covers every cut).
  const size_t step = good.size() / 40;
  for (size_t n = 0; n < good.size(); n += (n < 80 || n + 8 > good.size()) ? 1 : step) {
    EXPECT_FALSE(rig.headless.LoadBytes(good.substr(0, n))) << n;
  }
  // Each out-of-range value of the header and the battle part.
  auto patched = [&](size_t at, uint8_t value) {
    std::string bytes = good;
    bytes[at] = static_cast<char>(value);
    return bytes;
  };
  EXPECT_FALSE(rig.headless.LoadBytes(patched(0, 9)));    // ground
  EXPECT_FALSE(rig.headless.LoadBytes(patched(1, 0)));    // last turn
  EXPECT_FALSE(rig.headless.LoadBytes(patched(3, 3)));    // attacker
  EXPECT_FALSE(rig.headless.LoadBytes(patched(15, 0)));   // marker before the units
  EXPECT_EQ(&rig.B(), before);
  EXPECT_EQ(rig.headless.Digest(), digest);

  // Every one-byte change of the header is refused or loads; neither harms anything.
  for (size_t at = 0; at < 37; ++at) {
    for (uint8_t value : {0x00, 0xFF}) {
      const std::string bytes = patched(at, value);
      if (rig.headless.LoadBytes(bytes)) {
        std::string again;
        EXPECT_TRUE(rig.headless.SaveBytes(again));
      }
    }
  }
}

TEST(BattleStoredForm, BattlePartRangesAreChecked) {
  BattleTestRig rig;
  rig.Fresh();
  const std::string good = rig.Save();
  const size_t part = good.size() - 188;
  auto patched = [&](size_t at, uint8_t value) {
    std::string bytes = good;
    bytes[part + at] = static_cast<char>(value);
    return bytes;
  };
  ASSERT_TRUE(rig.headless.LoadBytes(good));
  EXPECT_FALSE(rig.headless.LoadBytes(patched(1, 3)));   // end state of side 0
  EXPECT_FALSE(rig.headless.LoadBytes(patched(3, 0)));   // marker before the settings
  EXPECT_FALSE(rig.headless.LoadBytes(patched(4, 4)));   // season
  EXPECT_FALSE(rig.headless.LoadBytes(patched(9, 3)));   // time of day
  EXPECT_FALSE(rig.headless.LoadBytes(patched(10, 6)));  // weather
  EXPECT_FALSE(rig.headless.LoadBytes(patched(22, 4)));  // exit edge of side 1
  EXPECT_FALSE(rig.headless.LoadBytes(patched(39, 3)));  // owner of the south edge
  // A visibility factor that is not a number.
  std::string nan = good;
  for (size_t i = 5; i < 9; ++i) nan[part + i] = static_cast<char>(0xFF);
  EXPECT_FALSE(rig.headless.LoadBytes(nan));
  // A flag count the bytes left cannot hold.
  EXPECT_FALSE(rig.headless.LoadBytes(patched(44, 0x10)));
  EXPECT_TRUE(rig.headless.LoadBytes(good));
}
