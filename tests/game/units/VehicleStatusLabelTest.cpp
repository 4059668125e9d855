// The vehicle's warning label: how a knocked-out vehicle ended, and for the side to play its
// mobility, its gun and its ammunition (the fifth kind does not count).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/units/UnitDrawHost.h"
#include "game/units/VehicleRig.h"

namespace {

class LabelHost : public UnitDrawHost {
 public:
  void DrawLabelLines(const char* text1, int32_t code1, const char* text2, int32_t code2, float, float,
                      float) override {
    lines.push_back(std::string(text1) + "/" + std::to_string(code1) + "|" + text2 + "/" + std::to_string(code2));
  }
  std::string Take() {
    std::string s = lines.empty() ? "none" : lines.back();
    lines.clear();
    return s;
  }
  std::vector<std::string> lines;
};

TEST(VehicleStatusLabel, LinesByStateAndSide) {
  VehicleRig rig;
  LabelHost host;
  SetUnitDrawHost(&host);
  rig.PutI32(1, 68, 5);   // a main weapon
  rig.PutI16(1, 74, 40);  // a full load of 40 rounds
  Vehicle v;
  v.SetClass(1, 0, 0, 100.0f, 100.0f, 0.0f);
  rig.world.app.currentSide = v.GetSideIndex();
  v.ammo = {20, 0, 0, 0, 0};
  v.DrawStatusLabel();
  EXPECT_EQ(host.Take(), "/1|/0");
  // A quarter of the load or less is low; none of kinds 0-3 is out, whatever kind 4 holds.
  v.ammo = {5, 5, 0, 0, 30};
  v.DrawStatusLabel();
  EXPECT_EQ(host.Take(), "/1|Low Ammo/2");
  v.ammo = {0, 0, 0, 0, 30};
  v.DrawStatusLabel();
  EXPECT_EQ(host.Take(), "/1|Out of Ammo/0");
  // Immobilized wins over bogged, except for a fortification; a destroyed gun wins over ammunition.
  v.immobilized = 1;
  v.bogged = 1;
  v.gunDestroyed = 1;
  v.DrawStatusLabel();
  EXPECT_EQ(host.Take(), "Immobilized/1|Gun Destroyed/0");
  rig.PutI32(1, 112, Vehicle::kKindEmplacement);
  v.DrawStatusLabel();
  EXPECT_EQ(host.Take(), "Bogged/1|Gun Destroyed/0");
  // The other side's live vehicle has no label; a knocked-out one says how it ended.
  rig.world.app.currentSide = 1 - v.GetSideIndex();
  v.DrawStatusLabel();
  EXPECT_EQ(host.Take(), "none");
  v.alive = 0;
  v.DrawStatusLabel();
  EXPECT_EQ(host.Take(), "Eliminated/0|/0");
  v.abandoned = 1;
  v.DrawStatusLabel();
  EXPECT_EQ(host.Take(), "Abandoned/0|/0");
  SetUnitDrawHost(nullptr);
}

}  // namespace
