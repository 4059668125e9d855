// The purchase catalogue: which records each force and category offers, in what order, under
// which date, weather and weights, and that filling it leaves the game's generator alone.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "EditorRig.h"
#include "editor/EditorUnits.h"
#include "editor/PurchaseEntry.h"
#include "editor/UnitCatalogue.h"
#include "framework/core/Quorl.h"
#include "game/units/airplane/Airplane.h"
#include "game/units/tables/Hack.h"

namespace {

// Small tables made of real records with their buying fields rewritten; the real tables come
// back when the test ends.
class SmallTables {
 public:
  SmallTables() : infantry_(gInfantryClasses), vehicles_(gVehicleClasses), formations_(gFormations) {}
  ~SmallTables() {
    gInfantryClasses = infantry_;
    gVehicleClasses = vehicles_;
    gFormations = formations_;
  }
  SmallTables(const SmallTables&) = delete;
  SmallTables& operator=(const SmallTables&) = delete;

  // Copies record index of the real table; returns its offset in the small one.
  static size_t Copy(std::vector<uint8_t>& into, const uint8_t* table, uint32_t size, int32_t index) {
    const size_t at = into.size();
    into.insert(into.end(), table + size * static_cast<uint32_t>(index), table + size * static_cast<uint32_t>(index + 1));
    return at;
  }
  static void Put16(std::vector<uint8_t>& b, size_t at, int32_t v) {
    b[at] = static_cast<uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  }
  static void Put32(std::vector<uint8_t>& b, size_t at, int32_t v) {
    for (size_t i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
  }

  std::vector<uint8_t> infantry;
  std::vector<uint8_t> vehicles;
  std::vector<uint8_t> formations;
  void Install() {
    gInfantryClasses = DataTable<InfantryData>(infantry.data(), static_cast<uint32_t>(infantry.size()));
    gVehicleClasses = DataTable<VehicleData>(vehicles.data(), static_cast<uint32_t>(vehicles.size()));
    gFormations = DataTable<FormationData>(formations.data(), static_cast<uint32_t>(formations.size()));
  }

 private:
  DataTable<InfantryData> infantry_;
  DataTable<VehicleData> vehicles_;
  DataTable<FormationData> formations_;
};

int32_t CountKind(const UnitCatalogue& catalogue, int32_t row, int32_t kind) {
  int32_t n = 0;
  for (int32_t c = 0; c < UnitCatalogue::kCategories; ++c) {
    for (int32_t i = 0; i < catalogue.List(row, c).Count(); ++i) n += catalogue.Entry(row, c, i)->kind == kind ? 1 : 0;
  }
  return n;
}

}  // namespace

TEST(UnitCatalogue, CostCategoriesAndForceRows) {
  const int32_t expected[12] = {0, 0, 1, 4, 3, 5, 4, 0, 5, 2, 1, 0};
  for (int32_t code = 0; code < 12; ++code) EXPECT_EQ(Editor::CategoryOfPurchaseCode(code), expected[code]) << code;
  const int32_t rows[19] = {5, 6, -1, 7, 8, -1, 0, 2, 3, -1, 4, 1, 9, -1, 10, 11, -1, 12, -1};
  for (int32_t code = 0; code < 19; ++code) EXPECT_EQ(Editor::CatalogueForceIndex(code), rows[code]) << code;
  EXPECT_EQ(Editor::CatalogueForceIndex(-1), -1);
  for (int32_t row = 0; row < 13; ++row) EXPECT_EQ(Editor::CatalogueForceIndex(Editor::CatalogueRowForce(row)), row);
  UnitCatalogue catalogue;
  EXPECT_DEATH(catalogue.List(13, 0), "");
  EXPECT_DEATH(catalogue.List(0, 6), "");
}

TEST(UnitCatalogue, RealTablesOfferEveryForceInRecordOrder) {
  EditorRig rig;
  ASSERT_GT(gInfantryClasses.Count(), 0);
  UnitCatalogue catalogue;
  UnitCatalogue::Conditions day;
  day.hasBattle = true;
  SeedRandom(1234);
  catalogue.Fill(day, false, false);
  EXPECT_EQ(RandomState(), 1234u);
  for (int32_t row = 0; row < 13; ++row) {
    EXPECT_GT(catalogue.List(row, 0).Count(), 0) << row;
    EXPECT_EQ(CountKind(catalogue, row, PurchaseEntry::kAircraft), 1) << row;
    for (int32_t c = 0; c < 6; ++c) {
      const GObjectGroup& list = catalogue.List(row, c);
      int32_t lastKind = -1;
      int32_t lastClass = -1;
      for (int32_t i = 0; i < list.Count(); ++i) {
        const PurchaseEntry& e = *catalogue.Entry(row, c, i);
        EXPECT_EQ(e.axisFlag, row < 5 ? 1 : 0);
        // Kinds in the fill's order (infantry before aircraft, vehicles before fortifications),
        // each kind in record order.
        const int32_t order[5] = {1, 2, 3, 4, 0};
        ASSERT_GE(order[e.kind], lastKind) << row << " " << c;
        if (order[e.kind] == lastKind) {
          EXPECT_GT(e.classIndex, lastClass);
        }
        lastKind = order[e.kind];
        lastClass = e.classIndex;
        if (e.kind == PurchaseEntry::kInfantry) {
          const InfantryData data = gInfantryClasses[e.classIndex];
          EXPECT_TRUE(data.IsSquad() == 0 && data.LeaderLevel() < 1) << e.name.CStr();
        }
        if (e.kind == PurchaseEntry::kFortification) {
          EXPECT_NE(e.classIndex, 3);
        }
        EXPECT_EQ(Editor::CategoryOfPurchaseCode(e.purchaseCode) == c || e.kind == PurchaseEntry::kFormation, true)
            << e.name.CStr();
      }
    }
  }
  // The American row's aircraft is American (its price tells), whatever force is chosen.
  Airplane american;
  american.Initialize(1, 2);
  Airplane german;
  german.Initialize(0, 2);
  ASSERT_NE(static_cast<int32_t>(american.GetPurchaseCost()), static_cast<int32_t>(german.GetPurchaseCost()));
  auto lastOf = [&](int32_t row) {
    const GObjectGroup& support = catalogue.List(row, 4);
    return static_cast<PurchaseEntry*>(support.GetItem(support.Count() - 1));
  };
  EXPECT_EQ(lastOf(5)->kind, PurchaseEntry::kAircraft);
  EXPECT_EQ(lastOf(5)->cost, static_cast<int32_t>(american.GetPurchaseCost()));
  EXPECT_EQ(lastOf(0)->cost, static_cast<int32_t>(german.GetPurchaseCost()));

  // Weighted: no fortification kind 2, aircraft only for the Allies; weights recorded.
  catalogue.Fill(day, true, false);
  for (int32_t row = 0; row < 13; ++row) {
    EXPECT_EQ(CountKind(catalogue, row, PurchaseEntry::kAircraft), row >= 5 ? 1 : 0) << row;
    for (int32_t i = 0; i < catalogue.List(row, 5).Count(); ++i) {
      const PurchaseEntry& e = *catalogue.Entry(row, 5, i);
      if (e.kind == PurchaseEntry::kFortification) {
        EXPECT_NE(e.classIndex, 2);
      }
      EXPECT_GT(e.choiceWeight, 0);
    }
  }
  // No air support at dawn, at night, or in any weather but clear.
  for (int32_t hour = 1; hour <= 2; ++hour) {
    UnitCatalogue::Conditions dark = day;
    dark.timeOfDay = hour;
    catalogue.Fill(dark, false, false);
    for (int32_t row = 0; row < 13; ++row) EXPECT_EQ(CountKind(catalogue, row, PurchaseEntry::kAircraft), 0);
  }
  UnitCatalogue::Conditions rain = day;
  rain.weather = 2;
  catalogue.Fill(rain, false, false);
  for (int32_t row = 0; row < 13; ++row) EXPECT_EQ(CountKind(catalogue, row, PurchaseEntry::kAircraft), 0);
}

TEST(UnitCatalogue, SmallTablesFollowDatesForcesAndWeights) {
  EditorRig rig;
  SmallTables tables;
  // Infantry: an MG team, a squad and a headquarters of the Army; vehicle 0 of the Army.
  for (int32_t index : {5, 2, 1}) {
    const size_t at = SmallTables::Copy(tables.infantry, gInfantryClasses.Bytes(), InfantryData::kSize, index);
    tables.infantry[at + 140] = 1;
    tables.infantry[at + 141] = 6;
  }
  // The MG team is never chosen as attacker and twice as defender.
  SmallTables::Put32(tables.infantry, 132, 0);
  SmallTables::Put32(tables.infantry, 136, 2);
  const size_t v = SmallTables::Copy(tables.vehicles, gVehicleClasses.Bytes(), VehicleData::kSize, 0);
  SmallTables::Put16(tables.vehicles, v + 220, 4406);
  SmallTables::Put16(tables.vehicles, v + 222, 4412);
  tables.vehicles[v + 233] = 1;
  tables.vehicles[v + 234] = 6;
  const size_t f = SmallTables::Copy(tables.formations, gFormations.Bytes(), FormationData::kSize, 0);
  tables.formations[f + 48] = 1;
  SmallTables::Put32(tables.formations, f + 52, 6);
  tables.Install();

  UnitCatalogue catalogue;
  UnitCatalogue::Conditions c;
  c.date = 4411;
  catalogue.Fill(c, false, false);
  ASSERT_EQ(catalogue.List(0, 0).Count(), 1);
  ASSERT_EQ(catalogue.List(0, 1).Count(), 1);
  EXPECT_EQ(catalogue.Entry(0, 1, 0)->classIndex, 0);
  EXPECT_EQ(CountKind(catalogue, 0, PurchaseEntry::kVehicle), 1);
  EXPECT_EQ(CountKind(catalogue, 2, PurchaseEntry::kVehicle), 0);
  // Past the vehicle's last date.
  c.date = 4501;
  catalogue.Fill(c, false, false);
  EXPECT_EQ(CountKind(catalogue, 0, PurchaseEntry::kVehicle), 0);
  EXPECT_EQ(CountKind(catalogue, 0, PurchaseEntry::kFormation), 0);

  // The weight index: 0 when the battle type is the preset side, else 1 (both sides in a
  // meeting engagement).
  c.date = 4411;
  c.battleType = 0;
  c.presetSide = 0;
  catalogue.Fill(c, true, false);
  EXPECT_EQ(catalogue.List(0, 1).Count(), 0);
  for (int32_t side = 0; side < 2; ++side) {
    c.battleType = 2;
    c.presetSide = side;
    catalogue.Fill(c, true, false);
    ASSERT_EQ(catalogue.List(0, 1).Count(), 1);
    EXPECT_EQ(catalogue.Entry(0, 1, 0)->choiceWeight, 2);
  }
  // As attacker, infantry types of kind 0 and 1 stay out.
  SmallTables::Put32(tables.infantry, 124, 1);
  catalogue.Fill(c, true, true);
  EXPECT_EQ(catalogue.List(0, 1).Count(), 0);
}
