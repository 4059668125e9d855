// The unit information balloon on real classes of the built-in tables: the fixed-pitch tables
// to the column, what the viewer may know of enemies, the kill record, and a balloon left open
// that must not change the computed game.
#include <gtest/gtest.h>

#include "framework/core/Quorl.h"
#include "game/ui/UnitDisplayRig.h"
#include "game/ui/UnitInfoBalloon.h"
#include "game/map/Map.h"
#include "game/units/fire/ArmourFormulas.h"
#include "game/units/tables/DataFlags.h"

namespace {

const std::string kDeg = "\xB0";

class UnitInfoBalloonTest : public UnitDisplayRig {
 protected:
  // A turreted, armoured class whose gun is a direct-fire gun with armour-piercing rounds.
  static int32_t FindTank() {
    return FindClass(gVehicleClasses, [](const VehicleData& c) {
      if (c.TurretSpeedClass() == 5 || c.MainArmour() <= 0 || c.KindCode() == VehicleData::kKindEmplacement ||
          !gWeapons.IsValid(c.MainWeapon())) {
        return false;
      }
      const WeaponData w = gWeapons[c.MainWeapon()];
      return w.Type() >= 1 && w.Type() <= 3 && c.AmmoRow() >= 0 && c.AmmoRow() <= 2 &&
             w.MixPercent(c.AmmoRow(), 0) > 0 && w.HollowChargePenetration() == 0.0f && w.MaxRange() >= 2000.0f;
    });
  }
  UnitInfoBalloon* Open(Unit* unit) {
    auto* balloon = new UnitInfoBalloon;
    balloon->Init(Root(), unit);
    return balloon;
  }
};

TEST_F(UnitInfoBalloonTest, TheArmourBlockAndDataRowsOfATankStandInTheirColumns) {
  const int32_t tank = FindTank();
  ASSERT_GE(tank, 0);
  uint8_t* r = VehicleRecord(tank);
  Put<int32_t>(r, ArmourLayout::kQuality, 1);
  r[ArmourLayout::kTurretArmourPresent] = 1;
  r[ArmourLayout::kVariableFront] = 1;
  Put<uint16_t>(r, 212, static_cast<uint16_t>(VehicleFlag::kStrengthenedTurretFront));
  const int16_t turret[3][2] = {{80, 10}, {45, 25}, {45, 0}};
  for (int32_t facing = 0; facing < 3; ++facing) {
    Put<int16_t>(r, ArmourLayout::PlateOffset(0, facing), turret[facing][0]);
    Put<int16_t>(r, ArmourLayout::PlateOffset(0, facing) + 2, turret[facing][1]);
  }
  Vehicle* v = AddVehicle(tank, 0);
  UnitInfoBalloon* balloon = Open(v);
  EXPECT_EQ(balloon->Width(), 402);
  EXPECT_EQ(balloon->Height(), 390);
  std::vector<PanelItem> items = balloon->Compose();
  const PanelItem* header = FindText(items, "Armor (95% quality)       Front    Side     Rear");
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->font, 2);
  const PanelItem* row = FindText(items, "  Turret                  80+/10" + kDeg + "c 45/25" + kDeg + "   45/0" + kDeg);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->y, header->y + 14);
  EXPECT_EQ(row->g, 220);
  // The upper hull never takes the "+", and the c-mark only when there is no turret row.
  const PanelItem* upper = FindStarting(items, "  Upper Hull");
  ASSERT_NE(upper, nullptr);
  EXPECT_EQ(upper->text.find('+'), std::string::npos);
  EXPECT_EQ(upper->text.find(kDeg + "c"), std::string::npos);
  EXPECT_EQ(upper->text.size() > 44 ? upper->text[43] : 'x', ' ');

  // No top armour at all; a class of no weight has no power-to-weight figure.
  Put<int16_t>(r, 168, 0);
  Put<int16_t>(r, 170, 0);
  Put<int16_t>(r, 54, 0);
  items = balloon->Compose();
  const PanelItem* top = FindStarting(items, "  Open Top");
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->text, "  Open Top" + std::string(16, ' '));
  const PanelItem* engine = FindStarting(items, std::to_string(VehicleData(r).EnginePower()) + " horsepower");
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(engine->text.substr(engine->text.size() - 12), "  (- hp/ton)");
  EXPECT_EQ(engine->x, 125);

  // An emplacement class shows no data rows and no armour block; the weapon line stays.
  Put<int32_t>(r, 112, 6);
  items = balloon->Compose();
  EXPECT_EQ(FindText(items, "Type:"), nullptr);
  EXPECT_EQ(FindStarting(items, "Armor ("), nullptr);
  EXPECT_EQ(FindStarting(items, "  Upper Hull"), nullptr);
  EXPECT_NE(FindStarting(items, "Main Weapon:"), nullptr);
  delete balloon;
}

TEST_F(UnitInfoBalloonTest, PenetrationRowsCarryTheColumnsTheWeaponReaches) {
  const int32_t tank = FindTank();
  ASSERT_GE(tank, 0);
  const int32_t weapon = VehicleData(VehicleRecord(tank)).MainWeapon();
  std::vector<PanelItem> rows;
  int32_t y = 100;
  UnitInfoBalloon::DrawPenetrationTable(rows, true, weapon, 1, y, 400);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(y, 142);
  const std::string& first = rows[0].text;
  ASSERT_EQ(first.size(), 54u);
  EXPECT_EQ(first.substr(0, 21), "    0 deg            ");
  const std::string value = first.substr(21, first.find(' ', 21) - 21);
  ASSERT_FALSE(value.empty());
  EXPECT_EQ(value.find_first_not_of("0123456789"), std::string::npos);
  EXPECT_EQ(first.substr(21 + value.size(), 48 - 21 - value.size()), std::string(48 - 21 - value.size(), ' '));
  EXPECT_EQ(first.substr(48), "AP (a)");
  EXPECT_EQ(rows[1].text.substr(0, 21), "   30 deg            ");
  EXPECT_EQ(rows[2].text.size(), 48u);  // no label below the first row
  EXPECT_EQ(rows[0].font, 2);
  // Below 2000 m the last column is empty but the row still runs to column 48.
  rows.clear();
  UnitInfoBalloon::DrawPenetrationTable(rows, true, weapon, 0, y, 1500);
  EXPECT_EQ(rows[1].text.size(), 48u);
  EXPECT_NE(rows[1].text[28], ' ');
  EXPECT_NE(rows[1].text[35], ' ');
  EXPECT_EQ(rows[0].text.substr(48), "HE (h)");
}

TEST_F(UnitInfoBalloonTest, AnOpenBalloonNeitherMovesTheGameGeneratorNorItsNumbers) {
  const int32_t tank = FindTank();
  ASSERT_GE(tank, 0);
  UnitInfoBalloon* balloon = Open(AddVehicle(tank, 0));
  SeedRandom(4242);
  const uint32_t state = RandomState();
  const std::vector<std::string> first = Texts(balloon->Compose());
  ASSERT_NE(std::find_if(first.begin(), first.end(), [](const std::string& t) { return t.rfind("    0 deg", 0) == 0; }),
            first.end());
  for (int32_t frame = 0; frame < 100; ++frame) {
    if (frame % 25 == 0) RedrawAll();
    EXPECT_EQ(Texts(balloon->Compose()), first) << frame;
  }
  EXPECT_EQ(RandomState(), state);
  delete balloon;
}

TEST_F(UnitInfoBalloonTest, EnemiesShowWhatTheViewerMayKnow) {
  const int32_t tank = FindTank();
  const int32_t squadClass = FindClass(gInfantryClasses, [](const InfantryData& c) {
    return c.IsSquad() != 0 && c.WeaponSlotCount() >= 2 && c.LeaderLevel() == 0;
  });
  ASSERT_GE(tank, 0);
  ASSERT_GE(squadClass, 0);
  Host().options[10] = 2;
  Vehicle* enemy = AddVehicle(tank, 1);
  enemy->identificationLevel = 2;
  UnitInfoBalloon* balloon = Open(enemy);
  std::vector<std::string> texts = Texts(balloon->Compose());
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].rfind("Allied ", 0), 0u);  // no designation without full information
  EXPECT_EQ(texts[1], "No Further Data...");

  Infantry* squad = AddSquad(squadClass, 1);
  squad->identificationLevel = 3;
  balloon->SetUnit(squad);
  texts = Texts(balloon->Compose());
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1], "No Further Data...");
  // The kill record of an enemy is not known.
  balloon->ToggleKillInfo();
  texts = Texts(balloon->Compose());
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1], "Kill information unavailable...");
  balloon->ToggleKillInfo();

  // A surrendered enemy is fully known, but shown without its designation.
  squad->surrendered = 1;
  const std::vector<PanelItem> items = balloon->Compose();
  EXPECT_EQ(Texts(items)[0].rfind("Allied ", 0), 0u);
  EXPECT_NE(FindStarting(items, "Speed Class:  "), nullptr);
  EXPECT_NE(FindStarting(items, "Transport Class:  "), nullptr);
  delete balloon;
}

TEST_F(UnitInfoBalloonTest, AHeavyPieceIsVerySlowOnlyWhileItsOwnSpeedClassIsOne) {
  const int32_t heavy = FindClass(gInfantryClasses, [](const InfantryData& c) {
    return c.SpeedClass() == 1 && c.ClassCode() < 9 && c.ClassCode() >= 0;
  });
  ASSERT_GE(heavy, 0);
  Infantry* piece = AddSquad(heavy, 0);
  UnitInfoBalloon* balloon = Open(piece);
  EXPECT_NE(FindText(balloon->Compose(), "Speed Class:  Very Slow"), nullptr);
  piece->released = 1;  // its speed class now 4, its class's still 1
  const std::vector<PanelItem> items = balloon->Compose();
  const PanelItem* row = FindStarting(items, "Speed Class:");
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->text, "Speed Class:  Immobile");
  delete balloon;
}

TEST_F(UnitInfoBalloonTest, TheFirepowerTableTotalsOnlyAcrossSeveralSlots) {
  const int32_t several = FindClass(gInfantryClasses, [](const InfantryData& c) {
    return c.IsSquad() != 0 && c.WeaponSlotCount() >= 2 && c.LeaderLevel() == 0;
  });
  const int32_t single = FindClass(gInfantryClasses, [](const InfantryData& c) { return c.WeaponSlotCount() == 1; });
  ASSERT_GE(several, 0);
  ASSERT_GE(single, 0);
  Infantry* squad = AddSquad(several, 0);
  UnitInfoBalloon* balloon = Open(squad);
  std::vector<PanelItem> items = balloon->Compose();
  EXPECT_NE(FindText(items, "Weapon         Range: 40m  100m  250m  500m 1000m"), nullptr);
  const PanelItem* total = FindStarting(items, "TOTAL FIREPOWER   ");
  ASSERT_NE(total, nullptr);
  const int32_t slots = gInfantryClasses[several].WeaponSlotCount();
  EXPECT_EQ(total->y, 113 + 15 * slots);
  EXPECT_EQ(total->text.size(), 18u + 30u);
  EXPECT_EQ(total->b, 255);
  // Each slot row names its men and weapon and is 48 columns; the last slot stands first.
  const PanelItem* firstRow = nullptr;
  for (const PanelItem& item : items) {
    if (item.font == 2 && item.y == 110 + 15 * (slots - 1)) firstRow = &item;
  }
  ASSERT_NE(firstRow, nullptr);
  EXPECT_EQ(firstRow->text.size(), 48u);
  const std::string name(gSmallArms[gInfantryClasses[several].SlotSmallArms(slots - 1)].Name());
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(firstRow->text.substr(3, name.size()), name);

  // Special weapons and charges, in warning red.
  squad->antitankCount = 2;
  squad->antitankWeaponId = 53;
  squad->chargeCount = 1;
  items = balloon->Compose();
  const std::string expected =
      std::string("2 Panzerfaust-60, 1") + (squad->HasGammonBombs() ? " Gammon Bomb" : " demo");
  const PanelItem* special = FindText(items, expected);
  ASSERT_NE(special, nullptr);
  EXPECT_EQ(special->r, 255);
  EXPECT_EQ(special->g, 100);

  balloon->SetUnit(AddSquad(single, 0));
  items = balloon->Compose();
  EXPECT_EQ(FindStarting(items, "TOTAL FIREPOWER"), nullptr);
  delete balloon;
}

TEST_F(UnitInfoBalloonTest, MachineGunMountsRangesAndTheKillRecord) {
  const int32_t tank = FindTank();
  ASSERT_GE(tank, 0);
  uint8_t* r = VehicleRecord(tank);
  Put<int32_t>(r, 88, 33);
  r[96] = 0;
  Put<int32_t>(r, 100, 27);
  r[104] = 2;
  r[105] = 0;
  Put<uint16_t>(r, 212, 0);
  Vehicle* v = AddVehicle(tank, 0);
  v->machineGunAmmo = {10, 20, 30};
  const int32_t weapon = VehicleData(r).MainWeapon();
  Put<float>(WeaponRecord(weapon), 100, 8000.0f);
  Put<float>(WeaponRecord(weapon), 96, 0.0f);
  UnitInfoBalloon* balloon = Open(v);
  std::vector<PanelItem> items = balloon->Compose();
  EXPECT_NE(FindText(items, "MG: .30 & .50cal flexible (20)"), nullptr);
  EXPECT_EQ(FindStarting(items, "Maximum Range:"), nullptr);
  EXPECT_EQ(FindStarting(items, "Minimum Range:"), nullptr);
  // A flamethrower in a second mount without guns shows no line by itself; with one in the
  // third mount the line shows, naming the first mount's weapon whatever its gun count.
  Put<int32_t>(r, 92, 30);
  Put<int32_t>(r, 100, 33);
  EXPECT_EQ(FindStarting(balloon->Compose(), "FLAME:"), nullptr);
  Put<int32_t>(r, 100, 31);
  r[104] = 1;
  EXPECT_NE(FindText(balloon->Compose(), "FLAME: range 50m (30)"), nullptr);
  Put<int32_t>(r, 100, 27);
  r[104] = 2;

  // The kill record: singular and plural forms, and vehicle lines in list order.
  balloon->ToggleKillInfo();
  std::vector<std::string> texts = Texts(balloon->Compose());
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1], "No kills...");
  v->killRecord.infantryCasualties = 1;
  v->killRecord.gunsDestroyed = 3;
  v->killRecord.AddVehicleKill(-1);
  v->killRecord.AddVehicleKill(-1);
  v->killRecord.AddVehicleKill(tank);
  items = balloon->Compose();
  texts = Texts(items);
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(texts[1], "1 infantry casualty caused");
  EXPECT_EQ(texts[2], "3 guns destroyed");
  EXPECT_EQ(texts[3], "2 unidentified vehicles destroyed");
  EXPECT_EQ(texts[4], "1 " + std::string(gVehicleClasses[tank].ShortName()) + " destroyed");
  EXPECT_EQ(items[1].y, 29);
  EXPECT_EQ(items[4].y, 74);
  // The button sends the balloon's command.
  RedrawAll();
  Click(348 + 10, 16 + 10);
  ASSERT_FALSE(Commands().empty());
  EXPECT_EQ(Commands().back(), 16);
  delete balloon;
}

TEST_F(UnitInfoBalloonTest, AFlamethrowerShowsItsBlastAndIsNoSniperRifle) {
  // The man-pack flamethrower of the built-in teams: its blast is its calibre x 200.
  const int32_t team = FindClass(gInfantryClasses, [](const InfantryData& c) { return c.MainWeapon() == 92; });
  ASSERT_GE(team, 0);
  const WeaponData flame = gWeapons[92];
  ASSERT_GT(flame.Calibre(), 0.0f);
  UnitInfoBalloon* balloon = Open(AddSquad(team, 0));
  std::vector<PanelItem> items = balloon->Compose();
  EXPECT_EQ(FindStarting(items, "Sniper Rifle"), nullptr);
  EXPECT_NE(FindText(items, "Main Weapon:   blast = " + std::to_string(static_cast<int32_t>(flame.Calibre() * 200.0f))),
            nullptr);
  delete balloon;
}

// The capacity the balloon names is what the vehicle takes aboard: a half-track of each side a
// full squad of its nation, a carrier a team only, a tank nobody. (All stand on the side that
// looks, which sees everything of its own.)
TEST_F(UnitInfoBalloonTest, ThePassengerCapacityNamesWhomTheVehicleTakesAboard) {
  struct Case {
    int32_t vehicle, squad, team;
    std::string capacity;
  };
  // SdKfz 251/1 with grenadiers and an MG team, an M3 half-track and a Kangaroo with riflemen
  // and MG teams, a Universal Carrier with British ones, a PzKpfw IV with grenadiers.
  const Case cases[] = {{0, 2, 5, "squad (armor protected)"},
                        {62, 69, 72, "squad (armor protected)"},
                        {188, 175, 178, "squad (armor protected)"},
                        {132, 143, 146, "team (armor protected)"},
                        {10, 2, 5, "none"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vehicle);
    Vehicle* v = AddVehicle(c.vehicle, 0);
    Infantry* squad = AddSquad(c.squad, 0, 302.0f, 300.0f);
    Infantry* team = AddSquad(c.team, 0, 302.0f, 300.0f);
    UnitInfoBalloon* balloon = Open(v);
    const std::vector<PanelItem> items = balloon->Compose();
    const PanelItem* label = FindText(items, "Passenger Capacity:");
    ASSERT_NE(label, nullptr);
    const PanelItem* value = FindText(items, c.capacity);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->y, label->y);
    EXPECT_EQ(v->CanCarry(squad, true, false), c.capacity.starts_with("squad"));
    EXPECT_EQ(v->CanCarry(team, true, false), !c.capacity.starts_with("none"));
    delete balloon;
  }
}

TEST_F(UnitInfoBalloonTest, TheMapHoldsOneBalloonThatFollowsTheSelection) {
  const int32_t tank = FindTank();
  ASSERT_GE(tank, 0);
  Map& map = *B().map;
  auto* view = new GView;
  view->Place(nullptr, 0, 0, 800, 510);
  map.display.battleView = view;
  map.ToggleUnitInfoBalloon();
  EXPECT_EQ(map.display.unitBalloon, nullptr);  // nothing selected

  Vehicle* v = AddVehicle(tank, 0);
  Vehicle* other = AddVehicle(tank, 0, 400.0f, 400.0f);
  B().selectedUnit = v;
  map.ToggleUnitInfoBalloon();
  auto* balloon = dynamic_cast<UnitInfoBalloon*>(map.display.unitBalloon);
  ASSERT_NE(balloon, nullptr);
  EXPECT_EQ(balloon->GetParent(), view);
  EXPECT_EQ(balloon->Bounds().left, 0);
  EXPECT_EQ(balloon->GetUnit(), v);
  EXPECT_FALSE(balloon->IsShowingKills());
  // The balloon's button (command 16) reaches it through the battle's command handler; the
  // kill page stays when the balloon follows the battle's selection to another unit.
  B().DoCommand(UnitInfoBalloon::kKillButtonCommand);
  B().SelectUnit(other);
  EXPECT_EQ(balloon->GetUnit(), other);
  EXPECT_TRUE(balloon->IsShowingKills());
  B().SelectUnit(nullptr);
  EXPECT_EQ(map.display.unitBalloon, nullptr);
  // GO closes it.
  B().SelectUnit(v);
  map.ToggleUnitInfoBalloon();
  ASSERT_NE(map.display.unitBalloon, nullptr);
  B().Go();
  EXPECT_EQ(map.display.unitBalloon, nullptr);
  // A second toggle closes it; the view going takes an open balloon with it.
  B().selectedUnit = v;
  map.ToggleUnitInfoBalloon();
  map.ToggleUnitInfoBalloon();
  EXPECT_EQ(map.display.unitBalloon, nullptr);
  map.ToggleUnitInfoBalloon();
  ASSERT_NE(map.display.unitBalloon, nullptr);
  delete view;
  map.display.battleView = nullptr;
  EXPECT_EQ(map.display.unitBalloon, nullptr);
  B().selectedUnit = nullptr;
}

}  // namespace
