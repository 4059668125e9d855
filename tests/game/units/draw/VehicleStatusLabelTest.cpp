// The vehicle's warning label: how a knocked-out vehicle ended, and for the side to play its
// mobility, its gun and its ammunition (the fifth kind does not count); the hit report of the
// replay.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/core/GString63.h"
#include "game/units/ScreenlessDrawHost.h"
#include "game/units/ports/UnitContextScope.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/VehicleRig.h"

namespace {

class LabelHost : public ScreenlessDrawHost {
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
  const UnitContextScope drawing(UnitContext{.draw = &host});
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
  rig.PutI32(1, 112, VehicleData::kKindEmplacement);
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
}

std::string Report(const Vehicle& v, bool detail) {
  GString63 one;
  GString63 two;
  Vehicle::ComposeHitReport(v, detail, one, two);
  return std::string(one.CStr()) + "|" + two.CStr();
}

TEST(VehicleHitReport, LinesForEachPartFacingAndResult) {
  VehicleRig rig;
  rig.PutI32(1, 80, 0);  // a turret
  rig.Class(1)[124] = 1;
  rig.PutI32(1, 68, 5);  // a main weapon
  Vehicle v;
  v.SetClass(1, 0, 0, 100.0f, 100.0f, 0.0f);
  // Penetrated in the side of the lower hull: without detail line 2 waits for the outcome.
  v.lastHit.part = 2;
  v.hitFacing = 1;
  v.lastHit.penetration = 1;
  EXPECT_EQ(Report(v, false), "Side lower hull penetration|");
  v.alive = 0;
  EXPECT_EQ(Report(v, false), "Side lower hull penetration|Knocked out");
  v.alive = 1;
  v.lastHit.weakPoint = 1;
  EXPECT_EQ(Report(v, true), "Side lower hull penetration at weak point|No serious damage");
  // One crew member hit and nothing else; then with damage, and with two hit.
  v.lastHit = {};
  v.lastHit.crewHits = 1;
  v.hitFacing = 0;
  EXPECT_EQ(Report(v, true), "Front turret hit|1 casualty");
  v.lastHit.immobilized = 1;
  v.lastHit.damaged = 1;
  v.lastHit.crewHits = 2;
  EXPECT_EQ(Report(v, true), "Front turret hit|Immobilized, gun damaged, 2 casualties");
  // Gun and running gear.
  v.lastHit = {};
  v.lastHit.part = 6;
  EXPECT_EQ(Report(v, true), "Gun hit|No serious damage");
  EXPECT_EQ(Report(v, false), "Gun hit|");
  v.lastHit.part = 5;
  v.lastHit.immobilized = 1;
  EXPECT_EQ(Report(v, false), "Track hit|Immobilized");
  // A top hit names no facing; a ricochet, broken shell and flaking.
  v.lastHit = {};
  v.lastHit.part = 3;
  v.hitFacing = 2;
  v.lastHit.ricochet = 1;
  EXPECT_EQ(Report(v, true), "top hit|Ricochet");
  v.lastHit.brokeUp = 1;
  v.lastHit.flaking = 1;
  v.lastHit.crewHits = 1;
  EXPECT_EQ(Report(v, true), "top hit|Shell broke up, internal armor flaking - crew hit");
  EXPECT_EQ(Report(v, false), "top hit|");  // crew hit, but no detail for the enemy
  // Without a turret the part is the superstructure; a fortification's rear door.
  rig.PutI32(1, 80, 5);
  v.lastHit = {};
  v.hitFacing = 2;
  EXPECT_EQ(Report(v, true), "Rear superstructure hit|No serious damage");
  rig.PutI32(1, 112, VehicleData::kKindEmplacement);
  v.lastHit.part = 1;
  v.lastHit.immobilized = 1;
  EXPECT_EQ(Report(v, true), "Rear door hit|No serious damage");
  v.hitFacing = 0;
  EXPECT_EQ(Report(v, true), "Firing slit hit|No serious damage");
}

TEST(VehicleHitReport, ShownForFourSecondsAndNeverChangesTheVehicle) {
  VehicleRig rig;
  LabelHost host;
  const UnitContextScope drawing(UnitContext{.draw = &host});
  Vehicle v;
  v.SetClass(1, 0, 0, 100.0f, 100.0f, 0.0f);
  rig.world.app.currentSide = v.GetSideIndex();
  rig.PutI32(1, 112, VehicleData::kKindEmplacement);
  v.lastHit.part = 1;
  v.lastHit.immobilized = 1;
  v.hitFacing = 2;
  v.HitReportText();
  EXPECT_EQ(host.Take(), "none");  // no hit slice yet
  v.hitReportValue = 100;
  for (const int32_t slice : {99, 100, 260, 261}) {
    rig.world.Battle().currentSlice = slice;
    v.HitReportText();
    EXPECT_EQ(host.Take(), slice >= 100 && slice <= 260 ? "Rear door hit/3|No serious damage/3" : "none") << slice;
  }
  // What one machine displayed leaves the report as it was.
  EXPECT_EQ(v.lastHit.immobilized, 1);
  EXPECT_EQ(v.lastHit.part, 1);
  // Seen at level 1 there is no report.
  rig.world.app.currentSide = 1 - v.GetSideIndex();
  v.identificationLevel = 1;
  rig.world.Battle().currentSlice = 150;
  v.HitReportText();
  EXPECT_EQ(host.Take(), "none");
}

}  // namespace
