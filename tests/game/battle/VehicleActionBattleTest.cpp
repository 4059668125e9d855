// Vehicles driving through whole turns of a battle: the game is the same every time it is
// played from the same seed, and a game saved at an orders phase goes on as the unbroken one.
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

// Real vehicles for kind 1 on a table of turretless, unarmed, tracked classes.
class DrivingVehicles {
 public:
  DrivingVehicles() {
    static std::vector<uint8_t> bytes_(static_cast<size_t>(kVehicleClasses) * VehicleData::kSize);
    for (int32_t i = 0; i < kVehicleClasses; ++i) {
      uint8_t* record = bytes_.data() + static_cast<size_t>(i) * VehicleData::kSize;
      for (int32_t at : {68, 88, 92, 100}) Put(record + at, 104);
      Put(record + 80, 5);
      Put(record + 112, 4);
      Put(record + 252, i % 4);  // some with smoke dischargers, one in four with close defence
      const int16_t mph = 25;
      std::memcpy(record + 110, &mph, 2);
      const int16_t power = 250;
      std::memcpy(record + 116, &power, 2);
      const int16_t weight = 10;
      std::memcpy(record + 54, &weight, 2);
      record[56] = 3;
      const float size = 3.0f;
      std::memcpy(record + 208, &size, 4);
    }
    gVehicleClasses = DataTable<VehicleData>(bytes_.data(), static_cast<uint32_t>(bytes_.size()));
    // Blank models (no hatches, no sound), weapons and small arms.
    static std::vector<uint8_t> models_(2 * VehicleModelData::kSize);
    static std::vector<uint8_t> weapons_(110 * WeaponData::kSize);
    static std::vector<uint8_t> smallArms_(34 * SmallArmsData::kSize);
    gVehicleModels = DataTable<VehicleModelData>(models_.data(), static_cast<uint32_t>(models_.size()));
    gWeapons = DataTable<WeaponData>(weapons_.data(), static_cast<uint32_t>(weapons_.size()));
    gSmallArms = DataTable<SmallArmsData>(smallArms_.data(), static_cast<uint32_t>(smallArms_.size()));
    Vehicle::Register();
  }
  ~DrivingVehicles() {
    gVehicleModels = keptModels_;
    gWeapons = keptWeapons_;
    gSmallArms = keptSmallArms_;
  }
  DrivingVehicles(const DrivingVehicles&) = delete;
  DrivingVehicles& operator=(const DrivingVehicles&) = delete;
  static void Put(uint8_t* at, int32_t value) { std::memcpy(at, &value, 4); }

 private:
  DataTable<VehicleModelData> keptModels_{gVehicleModels};
  DataTable<WeaponData> keptWeapons_{gWeapons};
  DataTable<SmallArmsData> keptSmallArms_{gSmallArms};
};

// Eight vehicles a side, each with three waypoints toward the other side in modes 1, 2 and 3.
void Populate(Battle& battle) {
  for (int32_t side = 0; side < 2; ++side) {
    for (int32_t i = 0; i < 8; ++i) {
      auto* v = new Vehicle();
      const float px = 150.0f + 60.0f * static_cast<float>(i);
      const float py = side == 0 ? 150.0f : 650.0f;
      v->SetClass(i, 0, 2, px, py, side == 0 ? 90.0f : 270.0f);
      v->side = static_cast<uint8_t>(side);
      battle.PlaceUnitAt(v, px, py);
      const int32_t modes[3] = {1, 2, 3};
      for (int32_t w = 0; w < 3; ++w) {
        Waypoint& point = v->WaypointAt(w);
        point = Waypoint{};
        point.x = px + 10.0f * static_cast<float>(w);
        point.y = py + (side == 0 ? 1.0f : -1.0f) * 60.0f * static_cast<float>(w + 1);
        point.moveMode = modes[w];
        point.pointKind = 1;
      }
      v->waypointCount = 3;
    }
  }
}

// Three turns from a fixed seed: the digest after each.
std::vector<uint32_t> PlayThreeTurns() {
  BattleTestRig rig;
  DrivingVehicles vehicles;
  SeedRandom(11);
  rig.Fresh();
  Populate(rig.B());
  rig.headless.Go(1);
  std::vector<uint32_t> digests;
  for (int32_t turn = 0; turn < 3; ++turn) {
    rig.headless.Go(static_cast<uint16_t>(500 + turn));
    rig.headless.NextTurn();
    digests.push_back(rig.headless.Digest());
  }
  return digests;
}

}  // namespace

TEST(VehicleActionBattle, DrivingTurnsAreTheSameEveryTime) {
  const std::vector<uint32_t> first = PlayThreeTurns();
  const std::vector<uint32_t> second = PlayThreeTurns();
  EXPECT_EQ(first, second);
}

TEST(VehicleActionBattle, ASavedOrdersPhaseContinuesAsTheUnbrokenGame) {
  std::string saved;
  uint32_t unbroken[2] = {};
  float moved = 0.0f;
  {
    BattleTestRig rig;
    DrivingVehicles vehicles;
    SeedRandom(5);
    rig.Fresh();
    Populate(rig.B());
    const float startY = rig.B().UnitAt(0)->y;
    rig.headless.Go(1);
    rig.headless.Go(77);
    rig.headless.NextTurn();
    ASSERT_TRUE(rig.headless.SaveBytes(saved));
    for (int32_t turn = 0; turn < 2; ++turn) {
      rig.headless.Go(static_cast<uint16_t>(300 + turn));
      rig.headless.NextTurn();
      unbroken[turn] = rig.headless.Digest();
    }
    moved = rig.B().UnitAt(0)->y - startY;
  }
  EXPECT_GT(moved, 20.0f);  // the vehicles drove
  BattleTestRig rig;
  DrivingVehicles vehicles;
  const bool loaded = rig.headless.LoadBytes(saved);
  GErrorLog::Close();
  ASSERT_TRUE(loaded) << rig.logFolder.ReadFile("ERRORLOG.TXT");
  for (int32_t turn = 0; turn < 2; ++turn) {
    rig.headless.Go(static_cast<uint16_t>(300 + turn));
    rig.headless.NextTurn();
    EXPECT_EQ(rig.headless.Digest(), unbroken[turn]) << turn;
  }
}
