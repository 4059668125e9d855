// A game with a rolling, burning wreck, saved at an orders phase and loaded afresh, goes on
// as the game that was never broken off.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/battle/BattleTestRig.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

constexpr int32_t kVehicleClasses = 230;

// Real vehicles for kind 1 on a full table of turretless, unarmed classes (the rig's own
// makers and tables come back when the rig ends; the table's bytes outlive every unit).
class RealVehicles {
 public:
  RealVehicles() {
    static std::vector<uint8_t> bytes_(static_cast<size_t>(kVehicleClasses) * VehicleData::kSize);
    for (int32_t i = 0; i < kVehicleClasses; ++i) {
      uint8_t* record = bytes_.data() + static_cast<size_t>(i) * VehicleData::kSize;
      for (int32_t at : {68, 88, 92, 100}) Put(record + at, 104);
      Put(record + 80, 5);
      Put(record + 112, 1);
      const int16_t mph = 30;
      std::memcpy(record + 110, &mph, 2);
      const int16_t weight = 10;
      std::memcpy(record + 54, &weight, 2);
      const float size = 3.0f;
      std::memcpy(record + 208, &size, 4);
    }
    gVehicleClasses = DataTable<VehicleData>(bytes_.data(), static_cast<uint32_t>(bytes_.size()));
    Vehicle::Register();
  }
  static void Put(uint8_t* at, int32_t value) { std::memcpy(at, &value, 4); }
};

}  // namespace

TEST(VehicleWreck, ASavedOrdersPhaseContinuesAsTheUnbrokenGame) {
  std::string saved;
  uint32_t unbroken[2] = {};
  float rolledTo = 0.0f;
  {
    BattleTestRig rig;
    RealVehicles vehicles;
    SeedRandom(7);
    rig.Fresh();
    // Two test squads (the rig's test vehicles would be read back as real ones).
    Battle& battle = rig.B();
    for (int32_t side = 0; side < 2; ++side) {
      Unit* squad = BattleTestRig::MakeUnit(0, side, 300.0f + 100.0f * static_cast<float>(side), 310.0f);
      battle.PlaceUnitAt(squad, squad->x, squad->y);
    }
    auto* wreck = new Vehicle();
    wreck->SetClass(3, 0, 2, 250.0f, 250.0f, 30.0f);
    wreck->side = 0;
    battle.PlaceUnitAt(wreck, wreck->x, wreck->y);
    wreck->alive = 0;
    wreck->burning = 1;
    rig.headless.Go(1);
    rig.headless.Go(1234);
    rig.headless.NextTurn();
    // Knocked out while rolling: it carries on, braking, in the next turn.
    wreck->speed = 0.25f;
    wreck->turnRate = 0.5f;
    ASSERT_TRUE(rig.headless.SaveBytes(saved));
    for (int32_t turn = 0; turn < 2; ++turn) {
      rig.headless.Go(static_cast<uint16_t>(99 + turn));
      rig.headless.NextTurn();
      unbroken[turn] = rig.headless.Digest();
    }
    rolledTo = wreck->x;
    EXPECT_GT(rolledTo, 255.0f);  // it rolled on
  }
  BattleTestRig rig;
  RealVehicles vehicles;
  const bool loaded = rig.headless.LoadBytes(saved);
  GErrorLog::Close();
  ASSERT_TRUE(loaded) << rig.logFolder.ReadFile("ERRORLOG.TXT");
  for (int32_t turn = 0; turn < 2; ++turn) {
    rig.headless.Go(static_cast<uint16_t>(99 + turn));
    rig.headless.NextTurn();
    EXPECT_EQ(rig.headless.Digest(), unbroken[turn]) << turn;
  }
  Unit* wreck = nullptr;
  for (int32_t i = 0; i < rig.B().units.Count(); ++i) {
    if (rig.B().UnitAt(i)->IsVehicle() && rig.B().UnitAt(i)->AsVehicle() != nullptr &&
        dynamic_cast<Vehicle*>(rig.B().UnitAt(i)) != nullptr) {
      wreck = rig.B().UnitAt(i);
    }
  }
  ASSERT_NE(wreck, nullptr);
  EXPECT_EQ(wreck->x, rolledTo);
  EXPECT_EQ(wreck->speed, 0.0f);
}
