#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

#include "framework/core/GObjectGroup.h"
#include "game/map/MapTestWorld.h"
#include "framework/core/GString63.h"
#include "framework/core/Quorl.h"
#include "game/units/tables/Hack.h"
#include "game/units/records/KillRecordEntry.h"
#include "game/units/tables/Names.h"
#include "game/units/Unit.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/TestAirplane.h"
#include "game/units/TestInanimate.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TestVehicle.h"
#include "game/units/airplane/Airplane.h"
#include "game/units/inanimate/Inanimate.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

// A kind that gives only the three operations every kind must give.
class BareUnit : public Unit {
 public:
  void TakeDamage(Unit*, int32_t, int32_t, float, float, float) override {}
  void GetDisplayName(GString& text) const override { text.Clear(); }
  void Draw(bool) override {}
};

// A kind lacking Draw.
class NoDraw : public Unit {
 public:
  void TakeDamage(Unit*, int32_t, int32_t, float, float, float) override {}
  void GetDisplayName(GString&) const override {}
};

// A weapons table of 105 records held by the test, published through gWeapons.
class TestWeapons {
 public:
  TestWeapons() : bytes_(105 * WeaponData::kSize, 0) { gWeapons = {bytes_.data(), static_cast<uint32_t>(bytes_.size())}; }
  ~TestWeapons() { gWeapons = {}; }
  TestWeapons(const TestWeapons&) = delete;
  TestWeapons& operator=(const TestWeapons&) = delete;

  void SetRow(int32_t weapon, int32_t row, int8_t share1, int8_t share4, int32_t availability) {
    uint8_t* r = Record(weapon);
    r[64 + 8 * row] = static_cast<uint8_t>(share1);
    r[65 + 8 * row] = static_cast<uint8_t>(share4);
    PutI32(r + 68 + 8 * row, availability);
  }
  void SetShotType(int32_t weapon, int32_t shot) { PutI32(Record(weapon) + 56, shot); }
  void SetFlags(int32_t weapon, uint16_t flags) {
    Record(weapon)[92] = static_cast<uint8_t>(flags & 0xFF);
    Record(weapon)[93] = static_cast<uint8_t>(flags >> 8);
  }

 private:
  uint8_t* Record(int32_t weapon) { return bytes_.data() + static_cast<size_t>(weapon) * WeaponData::kSize; }
  static void PutI32(uint8_t* at, int32_t value) {
    for (int32_t i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
  }
  std::vector<uint8_t> bytes_;
};

// How many Random calls lie between a seed and the generator's present state (at most limit).
int32_t DrawsSince(uint32_t seed, int32_t limit = 1000) {
  const uint32_t now = RandomState();
  SeedRandom(seed);
  for (int32_t n = 0; n <= limit; ++n) {
    if (RandomState() == now) return n;
    Random(2);
  }
  return -1;
}

std::string UnitHeaderText() {
  std::ifstream in(TARVANE_UNIT_HEADER);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST(UnitLife, NewUnitDefaults) {
  TestInfantry unit;
  EXPECT_EQ(unit.designation, 0);
  EXPECT_EQ(unit.leaderName, 0);
  EXPECT_EQ(unit.x, 0.0f);
  EXPECT_EQ(unit.y, 0.0f);
  EXPECT_EQ(unit.nextActionSlice, 999999);
  EXPECT_EQ(unit.firingBytes[Unit::kCreationMark], 1);
  EXPECT_EQ(unit.activityCodes, (std::array<int32_t, 3>{2, 2, 2}));
  for (int32_t s = 0; s < Unit::kTextureSets; ++s) {
    for (int32_t i = 0; i < Unit::kTexturesPerSet; ++i) EXPECT_EQ(unit.GetTexture(s, i), nullptr);
  }
  EXPECT_EQ(unit.GetCustomName(), nullptr);
  EXPECT_EQ(unit.killRecord.GetVehicles(), nullptr);
  EXPECT_EQ(unit.boxSelection, 0);
  EXPECT_EQ(unit.activityExtras[1][2], 0);
}

TEST(UnitLife, SetupSidesAmmunitionAndAppearanceReset) {
  TestUnitWorld world;
  for (int32_t code = 0; code <= 18; ++code) {
    TestInfantry unit;
    unit.SetRecord(104, 40);
    unit.Setup(10.0f, 20.0f, 90.0f, code, 3);
    EXPECT_EQ(unit.side, code >= 6 && code <= 11 ? 1 : 0) << code;
    EXPECT_EQ(unit.ammo[0], 40);
    EXPECT_EQ(unit.alive, 1);
    EXPECT_EQ(unit.countsForPoints, 1);
    EXPECT_EQ(unit.rateOfFireCalls, 1);  // the aim time was re-primed once
    EXPECT_EQ(unit.randomizeCalls, 1);
    EXPECT_EQ(unit.animationCalls, 1);
    EXPECT_EQ(unit.x, 10.0f);
    EXPECT_EQ(unit.facing, 90.0f);
    EXPECT_EQ(unit.rating, 3);
  }
  TestVehicle quiet;
  quiet.noAppearanceReset = 1;
  quiet.SetRecord(104, 12);
  quiet.suppression = 50.0f;
  quiet.waypointCount = 3;
  quiet.Setup(0.0f, 0.0f, 0.0f, 0, 1);
  EXPECT_EQ(quiet.rateOfFireCalls, 0);
  EXPECT_EQ(quiet.randomizeCalls, 0);
  EXPECT_EQ(quiet.animationCalls, 0);
  EXPECT_EQ(quiet.ammo[0], 12);
  EXPECT_EQ(quiet.suppression, 0.0f);
  EXPECT_EQ(quiet.waypointCount, 0);
}

TEST(UnitLife, BaseAnswersOfAKindOverridingNothing) {
  static_assert(std::is_abstract_v<Unit>);
  static_assert(std::is_abstract_v<NoDraw>);
  static_assert(!std::is_abstract_v<BareUnit>);
  BareUnit unit;
  EXPECT_FALSE(unit.IsArmored());
  EXPECT_FALSE(unit.IsPassenger());
  EXPECT_FALSE(unit.HasMainWeapon());
  EXPECT_FALSE(unit.HasSurrendered());
  EXPECT_EQ(unit.GetMainWeaponId(), 104);
  EXPECT_EQ(unit.GetMainWeaponType(), 0);
  EXPECT_EQ(unit.GetMenPresent(), 0);
  EXPECT_EQ(unit.GetPurchaseCost(), 0.0f);
  EXPECT_EQ(unit.GetPurchaseCode(), 5);
  EXPECT_EQ(unit.GetTerrainMobility(), 0.0f);
  EXPECT_EQ(unit.GetAimTime(0, 0), 0.1f);
  EXPECT_EQ(unit.GetFireFactor(0.0f), 1.0f);
  EXPECT_EQ(unit.GetMoveClass(), 0);
  EXPECT_EQ(unit.GetSpeedClass(), 4);
  EXPECT_EQ(unit.GetFastestMoveCode(), kOrderRun);
  unit.fatigueLevel = 3;
  EXPECT_EQ(unit.GetFastestMoveCode(), kOrderFastMove);
  unit.immobilized = 1;
  EXPECT_EQ(unit.GetSpeedClass(), 0);
  EXPECT_FALSE(unit.CanMoveNow());
  EXPECT_EQ(unit.GetInfantryRoleCode(), 0);
  int32_t a = -1, b = -1, c = -1;
  unit.GetActivityCodes(a, b, c);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(unit.AsInfantry(), nullptr);
  EXPECT_EQ(unit.AsVehicle(), nullptr);
  EXPECT_EQ(unit.AsInanimate(), nullptr);
  EXPECT_EQ(unit.AsAirplane(), nullptr);
  EXPECT_EQ(unit.GetInanimateKind(), -1);
}

TEST(UnitLife, EverySlotMarkedOnceInOrder) {
  const std::string text = UnitHeaderText();
  ASSERT_FALSE(text.empty());
  int32_t expected = 0;
  size_t at = 0;
  const std::string mark = "// slot ";
  while ((at = text.find(mark, at)) != std::string::npos) {
    at += mark.size();
    const size_t end = text.find_first_not_of("0123456789", at);
    if (end == at) continue;  // a "slot N:" note of the framework's slots
    const int32_t n = std::stoi(text.substr(at, end - at));
    if (text[end] == ':') {
      EXPECT_EQ(n, expected) << "note";
      ++expected;
      continue;
    }
    EXPECT_EQ(n, expected);
    expected = n + 1;
  }
  EXPECT_EQ(expected, 145);
  EXPECT_NE(text.find("virtual void ComputeDefaultAmmo(uint16_t* counts, uint16_t* second, int32_t row);  // slot 7"),
            std::string::npos);
  EXPECT_NE(text.find("virtual void Draw(bool pick) = 0;"), std::string::npos);
}

TEST(UnitLife, CopyOwnsItsOwnNameListAndWaypoints) {
  auto* a = new TestInfantry();
  for (int32_t i = 0; i < Unit::kWaypointEntries; ++i) {
    a->waypoints[static_cast<size_t>(i)].x = static_cast<float>(i);
    a->waypoints[static_cast<size_t>(i)].flags = static_cast<uint8_t>(i);
    a->orderedWaypoints[static_cast<size_t>(i)].y = static_cast<float>(2 * i);
  }
  a->waypointCount = 2;
  a->CustomName().Assign("Keller");
  a->killRecord.infantryCasualties = 7;
  a->killRecord.Vehicles().Append(new KillRecordEntry(12));
  a->leaderName = -1;
  a->activityExtras[1][2] = 5;
  auto* b = new TestInfantry();
  *b = *a;
  EXPECT_EQ(b->waypoints[50].x, 50.0f);
  EXPECT_EQ(b->waypoints[50].flags, 50);
  EXPECT_EQ(b->orderedWaypoints[50].y, 100.0f);
  EXPECT_EQ(b->waypointCount, 2);
  ASSERT_NE(b->GetCustomName(), nullptr);
  EXPECT_NE(b->GetCustomName(), a->GetCustomName());
  EXPECT_STREQ(b->GetCustomName()->CStr(), "Keller");
  EXPECT_NE(b->killRecord.GetVehicles(), a->killRecord.GetVehicles());
  ASSERT_EQ(b->killRecord.VehicleEntryCount(), 1);
  EXPECT_EQ(b->killRecord.VehicleEntry(0)->vehicleClass, 12);
  EXPECT_EQ(b->killRecord.infantryCasualties, 7);
  EXPECT_EQ(b->activityExtras[1][2], 5);
  TestInfantry c(*a);
  EXPECT_NE(c.GetCustomName(), a->GetCustomName());
  delete a;
  delete b;
  // A copy of a unit without a name or list drops its own.
  TestInfantry plain;
  c = plain;
  EXPECT_EQ(c.GetCustomName(), nullptr);
  EXPECT_EQ(c.killRecord.GetVehicles(), nullptr);
}

TEST(UnitCodes, GroupsStylesWeaponsAndRotation) {
  TestUnitWorld world;
  for (int32_t code = 0; code <= 18; ++code) {
    const int32_t first = KindGroupFirstCode(KindGroup(code));
    EXPECT_TRUE(first == 0 || first == 3 || first == 6 || first == 12 || first == 14 || first == 17);
    EXPECT_LE(first, code);
    EXPECT_EQ(KindGroup(first), KindGroup(code));
  }
  world.app.date = 4412;
  EXPECT_EQ(FigureStyleIndex(6, false, false), 1);
  world.app.date = 4413;
  EXPECT_EQ(FigureStyleIndex(6, false, false), 16);
  EXPECT_EQ(FigureStyleIndex(11, false, false), 16);
  EXPECT_EQ(FigureStyleIndex(6, true, true), 3);
  EXPECT_EQ(FigureStyleIndex(6, false, true), 5);
  EXPECT_EQ(FigureStyleIndex(15, false, false), 14);
  EXPECT_EQ(FigureStyleIndex(17, false, true), 11);
  EXPECT_EQ(WeaponGroupOf(24), 0);
  EXPECT_EQ(WeaponGroupOf(25), 1);
  EXPECT_EQ(WeaponGroupOf(28), 1);
  EXPECT_EQ(WeaponGroupOf(29), 2);
  for (int32_t a = 0; a < 10; ++a) {
    for (int32_t b = 0; b < 10; ++b) EXPECT_NE(RotationPhase(a, 2, b), 1);
  }
  EXPECT_EQ(RotationPhase(1, 3, 0), 1);
  EXPECT_EQ(RotationPhase(1, 3, 2), 2);
  EXPECT_EQ(RotationPhase(1, 0, 2), 0);
  world.app.editorOpen = true;
  EXPECT_EQ(RotationPhase(1, 3, 2), 0);
}

TEST(UnitCodesDeathTest, OutOfTableValuesAreFatal) {
  EXPECT_DEATH(KindGroup(19), "Unit.cpp");
  EXPECT_DEATH(KindGroupFirstCode(6), "Unit.cpp");
  EXPECT_DEATH(FigureStyleIndex(-1, false, false), "Unit.cpp");
  EXPECT_DEATH(CreateUnit(4, 0, 0, 0), "Unit.cpp");
}

TEST(UnitCodes, CreateUnitThroughTheKindsMakers) {
  TestUnitWorld world;
  for (int32_t kind = 0; kind < 4; ++kind) {
    Unit* unit = CreateUnit(kind, 7, 8, 0);
    EXPECT_EQ(unit->kind, kind);
    EXPECT_EQ(unit->classIndex, 7);
    EXPECT_EQ(unit->side, 1);
    SafeDelete(unit);
  }
  Unit* airplane = CreateUnit(3, 0, 1, 0);
  EXPECT_NE(airplane->AsAirplane(), nullptr);
  EXPECT_EQ(airplane->side, 0);
  SafeDelete(airplane);
}

TEST(UnitAmmunition, SharesDrawsAndDates) {
  TestUnitWorld world;
  TestWeapons weapons;
  // No main weapon: the whole load as kind 0, no draw.
  {
    TestInfantry unit;
    unit.SetRecord(104, 30);
    SeedRandom(5);
    std::array<uint16_t, 5> counts{9, 9, 9, 9, 9};
    unit.ComputeDefaultAmmo(counts.data(), nullptr, 0);
    EXPECT_EQ(counts, (std::array<uint16_t, 5>{30, 0, 0, 0, 0}));
    EXPECT_EQ(DrawsSince(5), 0);
  }
  // Shares 0 and 100 are used unchanged: no variation draw.
  weapons.SetRow(10, 0, 100, 0, 0);
  weapons.SetRow(10, 1, 0, 0, 0);
  {
    TestVehicle unit;
    unit.SetRecord(10, 40);
    SeedRandom(6);
    std::array<uint16_t, 5> counts{};
    unit.ComputeDefaultAmmo(counts.data(), nullptr, 0);
    EXPECT_EQ(counts, (std::array<uint16_t, 5>{0, 40, 0, 0, 0}));
    EXPECT_EQ(DrawsSince(6), 0);
    unit.ComputeDefaultAmmo(counts.data(), nullptr, 1);
    EXPECT_EQ(counts, (std::array<uint16_t, 5>{40, 0, 0, 0, 0}));
  }
  // Shot type 5 puts the share in kind 3 (the cap takes one draw).
  weapons.SetShotType(11, 5);
  weapons.SetRow(11, 0, 100, 0, 0);
  {
    TestInfantry unit;
    unit.SetRecord(11, 20);
    std::array<uint16_t, 5> counts{};
    unit.ComputeDefaultAmmo(counts.data(), nullptr, 0);
    EXPECT_EQ(counts, (std::array<uint16_t, 5>{0, 0, 0, 20, 0}));
  }
  // Flag value 2 before 4409 moves kind 0 into kind 1.
  weapons.SetFlags(12, 2);
  weapons.SetRow(12, 0, 0, 0, 0);
  {
    TestVehicle unit;
    unit.SetRecord(12, 50);
    std::array<uint16_t, 5> counts{};
    world.app.date = 4408;
    unit.ComputeDefaultAmmo(counts.data(), nullptr, 0);
    EXPECT_EQ(counts, (std::array<uint16_t, 5>{0, 50, 0, 0, 0}));
    world.app.date = 4409;
    unit.ComputeDefaultAmmo(counts.data(), nullptr, 0);
    EXPECT_EQ(counts, (std::array<uint16_t, 5>{50, 0, 0, 0, 0}));
  }
  // A synthetic weapon with every variation: golden counts and the number of draws.
  weapons.SetRow(13, 2, 40, 10, 4);
  {
    TestVehicle unit;
    unit.SetRecord(13, 80);
    unit.side = 0;
    unit.nationalityCode = 3;
    world.app.date = 4406;
    SeedRandom(1234);
    std::array<uint16_t, 5> counts{};
    unit.ComputeDefaultAmmo(counts.data(), nullptr, 2);
    EXPECT_EQ(counts, (std::array<uint16_t, 5>{47, 27, 0, 0, 6}));
    EXPECT_EQ(DrawsSince(1234), 3);
    // The same from the three draws in their order: kind-1 share, kind-4 share, kind 2.
    SeedRandom(1234);
    const int32_t p1 = 40 + Random(21) - 10;
    const int32_t p4 = 10 + Random(11) - 5;
    const int32_t c1 = static_cast<int32_t>(80.0f * static_cast<float>(p1) * 0.01f + 0.5f);
    const int32_t special = std::min(Random(9), c1);
    EXPECT_EQ(counts[1], c1 - special);
    EXPECT_EQ(counts[2], special);
    EXPECT_EQ(counts[4], static_cast<int32_t>(80.0f * static_cast<float>(p4) * 0.01f + 0.5f));
  }
}

// The walks over the battle's units take a view for a unit by the view's own answer: the same
// unit, at the same address, as a dynamic cast gives for every kind, and none for a view that
// is no unit.
TEST(UnitOfView, GivesWhatADynamicCastGives) {
  TestInfantry infantry;
  TestVehicle vehicle;
  TestInanimate inanimate;
  TestAirplane airplane;
  for (MapUnitView* view : {static_cast<MapUnitView*>(&infantry), static_cast<MapUnitView*>(&vehicle),
                            static_cast<MapUnitView*>(&inanimate), static_cast<MapUnitView*>(&airplane)}) {
    ASSERT_NE(dynamic_cast<Unit*>(view), nullptr);
    EXPECT_EQ(UnitOfView(view), dynamic_cast<Unit*>(view));
    const MapUnitView* constant = view;
    EXPECT_EQ(UnitOfView(constant), dynamic_cast<const Unit*>(constant));
  }
  FakeUnit other(MapUnitView::kVehicle, 0, 10.0f, 20.0f);
  EXPECT_EQ(UnitOfView(static_cast<MapUnitView*>(&other)), nullptr);
  EXPECT_EQ(UnitOfView(static_cast<const MapUnitView*>(&other)), nullptr);
  EXPECT_EQ(UnitOfView(static_cast<MapUnitView*>(nullptr)), nullptr);
}

// Above the units a kind's class is reached only by asking the unit: every kind, a class
// derived from one and a test kind that is none of them answer exactly what a dynamic cast
// gives, through the plain and the const accessors alike.
TEST(UnitKinds, AnswerWhatADynamicCastGives) {
  class Tank final : public Vehicle {};
  TestUnitWorld world;
  Infantry infantry;
  Vehicle vehicle;
  Tank tank;
  Inanimate inanimate;
  Airplane airplane;
  TestVehicle testVehicle;
  for (Unit* unit : {static_cast<Unit*>(&infantry), static_cast<Unit*>(&vehicle), static_cast<Unit*>(&tank),
                     static_cast<Unit*>(&inanimate), static_cast<Unit*>(&airplane),
                     static_cast<Unit*>(&testVehicle)}) {
    EXPECT_EQ(unit->AsInfantryUnit(), dynamic_cast<Infantry*>(unit));
    EXPECT_EQ(unit->AsVehicleUnit(), dynamic_cast<Vehicle*>(unit));
    EXPECT_EQ(unit->AsInanimateUnit(), dynamic_cast<Inanimate*>(unit));
    EXPECT_EQ(unit->AsAirplaneUnit(), dynamic_cast<Airplane*>(unit));
    const Unit* constant = unit;
    EXPECT_EQ(constant->AsInfantryUnit(), dynamic_cast<const Infantry*>(constant));
    EXPECT_EQ(constant->AsVehicleUnit(), dynamic_cast<const Vehicle*>(constant));
    EXPECT_EQ(constant->AsInanimateUnit(), dynamic_cast<const Inanimate*>(constant));
    EXPECT_EQ(constant->AsAirplaneUnit(), dynamic_cast<const Airplane*>(constant));
  }
  EXPECT_EQ(tank.AsVehicleUnit(), &tank);
  EXPECT_EQ(testVehicle.AsVehicleUnit(), nullptr);
  GObject* object = &inanimate;
  EXPECT_EQ(UnitOfObject(object), &inanimate);
  GObject plain;
  EXPECT_EQ(UnitOfObject(&plain), nullptr);
  EXPECT_EQ(UnitOfObject(static_cast<const GObject*>(nullptr)), nullptr);
}
