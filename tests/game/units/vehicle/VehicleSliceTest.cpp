// The vehicle in the action phase: the decision table, move states, the slice's timers and
// abandoning, the turret, the close-defence weapon, driving along waypoints, the reaction to
// danger and the cover search.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/units/vehicle/CoverSearchNode.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnit.h"
#include "game/units/VehicleRig.h"

namespace {

constexpr float kX = 400.0f;
constexpr float kY = 400.0f;
constexpr float kDegrees = 0.017453292519943295f;

// Every Random bound drawn while a recorder is installed.
std::vector<int32_t>* gBounds = nullptr;
void RecordBound(int32_t n) {
  if (gBounds != nullptr) gBounds->push_back(n);
}
struct BoundRecorder {
  BoundRecorder() {
    gBounds = &bounds;
    SetRandomBoundObserver(RecordBound);
  }
  ~BoundRecorder() {
    SetRandomBoundObserver(nullptr);
    gBounds = nullptr;
  }
  int32_t Count(int32_t n) const { return static_cast<int32_t>(std::count(bounds.begin(), bounds.end(), n)); }
  std::vector<int32_t> bounds;
};

std::unique_ptr<Vehicle> Make(int32_t cls, float facing = 0.0f) {
  auto v = std::make_unique<Vehicle>();
  v->SetClass(cls, 0, 2, kX, kY, facing);
  return v;
}

Waypoint Point(float px, float py, int32_t mode, int32_t kind = 1) {
  Waypoint w;
  w.x = px;
  w.y = py;
  w.moveMode = mode;
  w.pointKind = kind;
  return w;
}

void PlaceAt(Unit& unit, float heading, float distance) {
  unit.x = kX + distance * std::cos(heading * kDegrees);
  unit.y = kY + distance * std::sin(heading * kDegrees);
}

// A threat whose sight covers a band of x only: nothing outside [left, right] can be engaged.
class BandThreat : public TestUnit {
 public:
  bool CanSeePoint(float px, float) const override { return px >= left && px <= right; }
  bool CanEngagePoint(float px, float py, int32_t) const override { return CanSeePoint(px, py); }
  float left = -1e9f;
  float right = 1e9f;
};

}  // namespace

TEST(VehicleSliceDeathTest, ImpossibleDecisionCodesAreFatal) {
  VehicleRig rig;
  auto v = Make(1);
  EXPECT_DEATH(v->ChooseAction(3, 0), "Vehicle");
  EXPECT_DEATH(v->ChooseAction(0, 4), "Vehicle");
  EXPECT_DEATH(v->ChooseAction(1, -1), "Vehicle");
  EXPECT_DEATH(v->ChooseAction(2, 5), "Vehicle");
  v->speed = 0.1f;
  EXPECT_DEATH(v->NeedsHullTurn(3), "Vehicle");
}

TEST(VehicleSlice, DecisionTableAndTheMachineGunHalt) {
  VehicleRig rig;
  auto v = Make(1);
  const int32_t rows[3][4] = {{0, 0, 1, 1}, {2, 3, 4, 4}, {2, 5, 5, 4}};
  for (int32_t f = 0; f < 3; ++f) {
    for (int32_t m = 0; m < 4; ++m) EXPECT_EQ(v->ChooseAction(f, m), rows[f][m]) << f << " " << m;
  }
  // A gunless vehicle with a bow gun under move mode 1 halts for a squad 41..125 m ahead.
  rig.PutI32(1, 88, 14);
  v->machineGunAmmo[0] = 30;
  v->waypointCount = 1;
  v->waypoints[0] = Point(kX + 500.0f, kY, 1);
  TestInfantry squad;
  squad.squad = true;
  squad.side = 1 - v->side;
  v->target = &squad;
  for (const float d : {40.0f, 41.0f, 125.0f, 126.0f}) {
    PlaceAt(squad, 0.0f, d);
    const int32_t expected = d > 40.0f && d <= 125.0f ? 2 : 4;
    EXPECT_EQ(v->ChooseAction(1, 3), expected) << d;
    EXPECT_EQ(v->ChooseAction(1, 2), expected) << d;
  }
  PlaceAt(squad, 35.0f, 80.0f);  // outside 30 degrees of the hull
  EXPECT_EQ(v->ChooseAction(1, 3), 4);
  PlaceAt(squad, 0.0f, 80.0f);
  squad.squad = false;  // a team is no reason to halt
  EXPECT_EQ(v->ChooseAction(1, 3), 4);
  squad.squad = true;
  v->waypoints[0].moveMode = 3;
  EXPECT_EQ(v->ChooseAction(1, 3), 4);
  v->target = nullptr;
}

TEST(VehicleSlice, ATurretlessHullThickInFrontAndThinBehindFightsFromTheHalt) {
  VehicleRig rig;
  auto v = Make(1);
  rig.PutI16(1, 140, 30);  // lower hull front
  rig.PutI16(1, 164, 8);   // lower hull rear
  rig.PutI16(1, 168, 20);  // turret top
  EXPECT_TRUE(v->CanFightFromHalt());
  rig.PutI16(1, 164, 12);
  rig.PutI16(1, 168, 0);
  EXPECT_FALSE(v->CanFightFromHalt());
  rig.PutI16(1, 164, 11);
  rig.PutI16(1, 140, 14);
  EXPECT_FALSE(v->CanFightFromHalt());
}

TEST(VehicleSlice, MoveStates) {
  VehicleRig rig;
  auto v = Make(1);
  EXPECT_EQ(v->GetMoveState(), 1);  // no waypoints
  v->waypointCount = 1;
  v->waypoints[0] = Point(kX + 100.0f, kY, 3);
  EXPECT_EQ(v->GetMoveState(), 3);
  v->driverStunTimer = 1.0f;
  EXPECT_EQ(v->GetMoveState(), 0);
  v->driverStunTimer = 0.0f;
  v->commandDelay = 2.0f;
  EXPECT_EQ(v->GetMoveState(), 1);
  v->commandDelay = 0.0f;
  // One pause point, the target within 5 degrees of the turret, the gun nearly loaded.
  TestUnit enemy;
  PlaceAt(enemy, 4.0f, 200.0f);
  v->target = &enemy;
  v->waypoints[0] = Point(kX, kY + 50.0f, Waypoint::kRotateTo);
  v->reloadState = 0.05f;
  EXPECT_EQ(v->GetMoveState(), 1);
  v->reloadState = 0.2f;
  EXPECT_EQ(v->GetMoveState(), 3);
  v->reloadState = 0.05f;
  PlaceAt(enemy, 6.0f, 200.0f);
  EXPECT_EQ(v->GetMoveState(), 3);
  v->target = nullptr;
  // Mode 2 with the gun destroyed: the list goes and the danger reaction is due.
  v->waypoints[0] = Point(kX + 100.0f, kY, 2);
  EXPECT_EQ(v->GetMoveState(), 2);
  v->gunDestroyed = 1;
  v->countdown = 50;
  EXPECT_EQ(v->GetMoveState(), 1);
  EXPECT_EQ(v->waypointCount, 0);
  EXPECT_EQ(v->countdown, 0);
}

TEST(VehicleSlice, StunnedGunCrewAloneAndStrandedVehicles) {
  VehicleRig rig;
  rig.Class(1)[56] = 2;  // a crew of two
  auto v = Make(1);
  // With one man aboard the gun crew never recovers.
  v->losses = 1;
  v->gunCrewStunTimer = 1.0f;
  v->driverStunTimer = 0.05f;
  for (int32_t s = 1; s <= 80; ++s) v->UpdateSlice(s);
  EXPECT_EQ(v->gunCrewStunTimer, 1.0f);
  EXPECT_EQ(v->driverStunTimer, 0.0f);
  v->losses = 0;
  v->UpdateSlice(81);
  EXPECT_FLOAT_EQ(v->gunCrewStunTimer, 0.975f);

  // Stranded with the gun destroyed: the bail-out roll only when no machine gun can fire.
  v->gunCrewStunTimer = 0.0f;
  v->immobilized = 1;
  v->gunDestroyed = 1;
  rig.PutI32(1, 88, 14);
  v->machineGunAmmo[0] = 30;
  {
    BoundRecorder recorder;
    v->UpdateSlice(90);
    EXPECT_EQ(recorder.Count(1800), 0);
  }
  v->machineGunAmmo[0] = 0;
  {
    BoundRecorder recorder;
    v->UpdateSlice(91);
    EXPECT_EQ(recorder.Count(1800), 1);
  }
}

TEST(VehicleSlice, MotionSoundAndTargetReviewAtTheFirstSlice) {
  VehicleRig rig;
  rig.PutI32(1, 68, 7);
  rig.SetWeaponType(7, 2);
  auto v = Make(1);
  v->identificationLevel = 4;
  v->sliceCount = 5;
  v->UpdateSlice(0);
  EXPECT_EQ(v->sliceCount, 1200);
  v->sliceCount = 5;
  v->UpdateSlice(1);
  EXPECT_EQ(v->sliceCount, 5);  // nothing moved, not the first slice
}

TEST(VehicleSlice, RearGunRestsBackwardsAndStaysInItsArc) {
  VehicleRig rig;
  rig.PutI16(1, 84, -30);
  rig.PutI16(1, 86, -30);
  auto v = Make(1);
  v->turretOffset = 155.0f;
  for (int32_t s = 0; s < 200; ++s) {
    v->ReturnTurretToRest();
    v->AdvanceTurret();
    const float o = v->turretOffset;
    EXPECT_TRUE((o >= 150.0f && o <= 180.0f) || (o >= -180.0f && o <= -150.0f)) << o;
  }
  EXPECT_EQ(v->turretOffset, 180.0f);
  EXPECT_EQ(v->turretRate, 0.0f);
  // Driven past the arc the clamp stops it on the limit.
  v->turretOffset = 170.0f;
  v->turretRate = -30.0f;
  v->AdvanceTurret();
  EXPECT_EQ(v->turretOffset, 150.0f);
  EXPECT_EQ(v->turretRate, 0.0f);
}

TEST(VehicleSlice, TurretSnapsWithinOneStep) {
  VehicleRig rig;
  rig.PutI32(1, 80, 2);  // a turret, 14 degrees a second
  auto v = std::make_unique<Vehicle>();
  rig.Class(1)[124] = 1;
  v->SetClass(1, 0, 2, kX, kY, 0.0f);
  const float step = v->GetTurretStep();
  ASSERT_GT(step, 0.2f);
  float px = kX + 100.0f * std::cos(0.2f * kDegrees);
  float py = kY + 100.0f * std::sin(0.2f * kDegrees);
  v->TrackTargetWithTurret(px, py);
  EXPECT_NEAR(v->turretOffset, 0.2f, 1e-3f);
  EXPECT_EQ(v->turretRate, 0.0f);
  v->turretOffset = 0.0f;
  px = kX + 100.0f * std::cos(0.02f * kDegrees);
  py = kY + 100.0f * std::sin(0.02f * kDegrees);
  v->TrackTargetWithTurret(px, py);
  EXPECT_EQ(v->turretOffset, 0.0f);  // within 0.03 degrees: left alone
  PlaceAt(*v, 0.0f, 0.0f);
  px = kX + 100.0f * std::cos(90.0f * kDegrees);
  py = kY + 100.0f * std::sin(90.0f * kDegrees);
  v->TrackTargetWithTurret(px, py);
  EXPECT_FLOAT_EQ(v->turretRate, step);
}

TEST(VehicleSlice, CloseDefenceChecksAndImpacts) {
  VehicleRig rig;
  rig.PutI32(1, 252, 3);
  auto v = Make(1);
  v->closeDefenceCounter = 1199;
  std::vector<int32_t> checks;
  {
    BoundRecorder recorder;
    for (int32_t s = 0; s <= 2400; ++s) {
      const size_t before = recorder.bounds.size();
      bool fired = false;
      v->UpdateSliceActions(s, fired);
      for (size_t i = before; i < recorder.bounds.size(); ++i) {
        if (recorder.bounds[i] == 100) checks.push_back(s);
      }
    }
  }
  EXPECT_EQ(checks, (std::vector<int32_t>{0, 1200, 2400}));
  // No impact within 4 m of the vehicle on both axes.
  SeedRandom(7);
  for (int32_t i = 0; i < 100000; ++i) {
    float ix = 0.0f;
    float iy = 0.0f;
    Vehicle::DrawCloseDefenceImpact(kX + 2.0f, kY - 1.0f, kX, kY, ix, iy);
    ASSERT_FALSE(std::fabs(ix - kX) <= 4.0f && std::fabs(iy - kY) <= 4.0f);
  }
}

TEST(VehicleDriving, SpeedsAndConsumedPoints) {
  VehicleRig rig;
  auto v = Make(1);
  // Full terrain speed at once.
  v->waypointCount = 1;
  v->waypoints[0] = Point(kX + 200.0f, kY, 3);
  v->turnStep = v->ComputeTurnStep();
  const float expected = v->TerrainMobility(nullptr);
  ASSERT_GT(expected, 0.0f);
  v->MoveAlongWaypoints();
  EXPECT_EQ(v->speed, expected);
  EXPECT_FLOAT_EQ(v->x, kX + expected);
  EXPECT_EQ(rig.world.Battle().activityCount[v->GetSideIndex()], 1);
  // A point 90 degrees off: 0.75 of the limit within 30 m, the full limit beyond.
  float speeds[2] = {0.0f, 0.0f};
  for (int32_t i = 0; i < 2; ++i) {
    auto w = Make(1);
    w->speed = 0.3f;
    w->turnStep = w->ComputeTurnStep();
    w->waypointCount = 1;
    w->waypoints[0] = Point(kX, kY + (i == 0 ? 20.0f : 40.0f), 3);
    w->MoveAlongWaypoints();
    speeds[i] = w->speed;
  }
  EXPECT_FLOAT_EQ(speeds[0], 0.75f * speeds[1]);
  // Reaching a point whose successor is a reverse point stops the vehicle dead.
  auto r = Make(1);
  r->speed = 0.2f;
  r->turnStep = r->ComputeTurnStep();
  r->waypointCount = 2;
  r->waypoints[0] = Point(kX + 0.1f, kY, 3);
  r->waypoints[1] = Point(kX - 100.0f, kY, Waypoint::kReverse);
  r->MoveAlongWaypoints();
  EXPECT_EQ(r->waypointCount, 1);
  EXPECT_EQ(r->speed, 0.0f);
  EXPECT_EQ(r->x, kX + 0.1f);
}

TEST(VehicleDriving, UnitsInTheWay) {
  VehicleRig rig;
  auto v = Make(1);
  auto other = Make(1);
  other->side = v->side;
  // An idle friend 10 m ahead, 10 degrees to the left, goes 5 m aside at 40 degrees, forward.
  PlaceAt(*other, 10.0f, 10.0f);
  Vehicle::gUnitInWay = other.get();
  EXPECT_TRUE(v->DealWithBlocker(false));
  ASSERT_EQ(other->waypointCount, 1);
  EXPECT_NEAR(other->waypoints[0].x, other->x + 5.0f * std::cos(40.0f * kDegrees), 1e-3f);
  EXPECT_NEAR(other->waypoints[0].y, other->y + 5.0f * std::sin(40.0f * kDegrees), 1e-3f);
  EXPECT_EQ(other->waypoints[0].moveMode, 3);
  EXPECT_EQ(other->waypoints[0].pointKind, 1);
  // Close enough to block this vehicle's turn: it backs away instead.
  other->waypointCount = 0;
  PlaceAt(*other, -5.0f, 2.0f);
  EXPECT_TRUE(v->DealWithBlocker(false));
  EXPECT_EQ(other->waypoints[0].moveMode, Waypoint::kReverse);
  EXPECT_LT(other->waypoints[0].y, other->y);  // pushed out to -40 degrees
  // A friend bound the opposite way is not waited for; one bound the same way is.
  PlaceAt(*other, 0.0f, 20.0f);
  other->waypointCount = 2;
  other->waypoints[0] = Point(other->x - 100.0f, other->y, 3);
  other->waypoints[1] = Point(other->x - 200.0f, other->y, 3);
  other->commandDelay = 3.0f;
  EXPECT_FALSE(v->DealWithBlocker(false));
  other->waypoints[0] = Point(other->x + 100.0f, other->y + 30.0f, 3);
  EXPECT_TRUE(v->DealWithBlocker(false));
  // An enemy is never waited for; pushed aside it looks for a target at once.
  other->side = static_cast<uint8_t>(1 - v->side);
  EXPECT_FALSE(v->DealWithBlocker(false));
  v->speed = 0.2f;
  other->sliceCount = 3;
  v->PushUnitAside(*other);
  EXPECT_EQ(other->sliceCount, 1200);
  Vehicle::gUnitInWay = nullptr;
}

TEST(VehicleDriving, StuckBehindAMovingFriendWaits) {
  VehicleRig rig;
  auto v = Make(1);
  auto other = Make(1);
  other->side = v->side;
  PlaceAt(*other, 0.0f, 1.0f);
  other->speed = 0.1f;  // on its way
  rig.world.Lend(other.get());
  v->waypointCount = 1;
  v->waypoints[0] = Point(kX + 100.0f, kY, 3);
  v->turnStep = v->ComputeTurnStep();
  v->MoveAlongWaypoints();
  EXPECT_EQ(v->speed, 0.0f);
  EXPECT_EQ(Vehicle::gUnitInWay, other.get());
  EXPECT_FLOAT_EQ(v->commandDelay, 4.0f);
  EXPECT_EQ(v->waypointCount, 1);
  rig.world.TakeBackLent();
}

TEST(VehicleDanger, WhoNeverReacts) {
  VehicleRig rig;
  rig.PutI16(1, 168, 10);  // closed top
  rig.PutI16(1, 170, 10);
  auto v = Make(1);
  v->identificationLevel = 1;
  const uint32_t before = RandomState();
  v->ReactToDanger();
  EXPECT_EQ(RandomState(), before);
  // A boat draws its one roll and does nothing.
  rig.PutI32(2, 112, VehicleData::kKindBoat);
  auto boat = Make(2);
  TestUnit enemy;
  enemy.side = static_cast<uint8_t>(1 - boat->side);
  PlaceAt(enemy, 0.0f, 100.0f);
  rig.world.Lend(&enemy);
  for (int32_t i = 0; i < 20; ++i) boat->ReactToDanger();
  EXPECT_EQ(boat->waypointCount, 0);
  rig.world.TakeBackLent();
}

TEST(VehicleDanger, CoverSearchTreesAndThePool) {
  VehicleRig rig;
  auto v = Make(1);
  BandThreat threat;  // sees everything
  threat.side = static_cast<uint8_t>(1 - v->side);
  PlaceAt(threat, 0.0f, 300.0f);
  CoverSearchNode::ResetCount();
  const int32_t freeBefore = CoverSearchNode::FreeNodes();
  rig.world.Battle().vehicleWorking = 1;
  v->countdown = 10;
  EXPECT_FALSE(v->SeekCover(threat, false, false, 0.0f));
  EXPECT_EQ(CoverSearchNode::MadeNodes(), 2 * CoverSearchNode::kTreeNodes);
  EXPECT_EQ(CoverSearchNode::FreeNodes(), CoverSearchNode::kPoolSize);
  EXPECT_TRUE(freeBefore == 0 || freeBefore == CoverSearchNode::kPoolSize);
  // A strong gun only waits longer: 240..479 slices.
  EXPECT_GE(v->countdown, 10 + 240);
  EXPECT_LE(v->countdown, 10 + 479);
  EXPECT_EQ(rig.world.Battle().vehicleWorking, 0);  // the search is over
  EXPECT_EQ(v->waypointCount, 0);
  EXPECT_EQ(v->facing, 0.0f);

  // A weak gun backs 80..120 m straight away from a threat ahead.
  EXPECT_TRUE(v->SeekCover(threat, true, false, 0.0f));
  ASSERT_EQ(v->waypointCount, 1);
  EXPECT_EQ(v->waypoints[0].moveMode, Waypoint::kReverse);
  EXPECT_EQ(v->waypoints[0].pointKind, 1);
  EXPECT_NEAR(v->waypoints[0].y, kY, 1e-3f);
  EXPECT_GE(kX - v->waypoints[0].x, 80.0f - 1e-3f);
  EXPECT_LE(kX - v->waypoints[0].x, 120.0f);

  // Cover three steps behind, five ahead: the reverse path of three points.
  v->waypointCount = 0;
  threat.left = kX - 44.0f;
  threat.right = kX + 74.0f;
  EXPECT_TRUE(v->SeekCover(threat, false, false, 0.0f));
  ASSERT_EQ(v->waypointCount, 3);
  for (int32_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(v->waypoints[static_cast<size_t>(i)].x, kX - 15.0f * static_cast<float>(i + 1), 1e-3f);
    EXPECT_EQ(v->waypoints[static_cast<size_t>(i)].moveMode, Waypoint::kReverse);
  }
  EXPECT_EQ(v->waypoints[2].pointKind, 1);
  EXPECT_EQ(CoverSearchNode::FreeNodes(), CoverSearchNode::kPoolSize);
}

TEST(VehicleDanger, SmokeStaysOffRoads) {
  VehicleRig rig;
  rig.PutI32(1, 252, 1);  // dischargers: smoke where the vehicle stands
  auto v = Make(1);
  BandThreat threat;
  threat.side = static_cast<uint8_t>(1 - v->side);
  PlaceAt(threat, 0.0f, 300.0f);
  for (int32_t i = 0; i < 10; ++i) v->SeekCover(threat, false, false, 0.0f);
  EXPECT_FALSE(rig.world.smokes.empty());
  // Smoke is kept off the dirt roads, types 31 to 35; a paved road (8) takes it.
  rig.world.smokes.clear();
  rig.SetTerrain(kX, kY, 8);
  for (int32_t i = 0; i < 10; ++i) v->SeekCover(threat, false, false, 0.0f);
  EXPECT_FALSE(rig.world.smokes.empty());
  rig.world.smokes.clear();
  rig.SetTerrain(kX, kY, 33);
  for (int32_t i = 0; i < 10; ++i) v->SeekCover(threat, false, false, 0.0f);
  EXPECT_TRUE(rig.world.smokes.empty());
}

TEST(VehicleSlice, TurretHoldOnAThreateningGun) {
  VehicleRig rig;
  rig.PutI32(1, 68, 7);
  rig.SetWeaponType(7, 2);
  rig.PutI16(1, 140, 40);  // armoured
  auto v = Make(1);
  TestUnit gun;
  gun.side = static_cast<uint8_t>(1 - v->side);
  gun.type23 = true;
  gun.inRange = true;
  PlaceAt(gun, 0.0f, 600.0f);
  v->target = &gun;
  v->turretToRest = 1;
  v->UpdateSlice(5);
  EXPECT_EQ(v->turretHold, 6800);
  EXPECT_EQ(v->turretToRest, 0);
  // Out of the gun's reach the hold runs down; at 0 the turret may rest again.
  gun.inRange = false;
  v->turretHold = 1;
  v->target = &gun;
  v->UpdateSlice(6);
  EXPECT_EQ(v->turretHold, 0);
  v->target = &gun;
  v->UpdateSlice(7);
  EXPECT_EQ(v->turretToRest, 1);
  // An anti-tank team is a heavy weapon as well as a gun.
  TestUnit team;
  team.side = gun.side;
  team.type123 = true;
  team.inRange = true;
  PlaceAt(team, 0.0f, 600.0f);
  v->target = &team;
  v->turretHold = 0;
  v->UpdateSlice(8);
  EXPECT_EQ(v->turretHold, 6800);
  v->target = nullptr;
}

TEST(VehicleSlice, CloseDefenceFiresOnlyBehindClosedHatches) {
  VehicleRig rig;
  rig.PutI32(1, 252, 3);
  auto v = Make(1);
  TestInfantry enemy;
  enemy.side = static_cast<uint8_t>(1 - v->side);
  enemy.identificationLevel = 2;
  PlaceAt(enemy, 45.0f, 12.0f);
  rig.world.Lend(&enemy);
  // The model shows no crew: the hatches cannot be closed, so nothing is fired (and the
  // hatch operation is not asked to do what it may not).
  ASSERT_EQ(v->buttoned, 0);
  v->FireCloseDefenceWeapon();
  EXPECT_TRUE(rig.world.FiledShots().empty());
  EXPECT_EQ(v->buttoned, 0);
  v->buttoned = 1;
  v->FireCloseDefenceWeapon();
  ASSERT_EQ(rig.world.FiledShots().size(), 1u);
  const Shot shot = rig.world.FiledShots().front();
  EXPECT_EQ(shot.weapon, 93);
  EXPECT_EQ(shot.targetUnit, &enemy);
  EXPECT_FALSE(std::fabs(shot.impactX - kX) <= 4.0f && std::fabs(shot.impactY - kY) <= 4.0f);
  EXPECT_LE(std::fabs(shot.impactX - enemy.x), 10.0f);
  // A man the vehicle has not identified is no target.
  rig.world.ForgetFiledShots();
  enemy.identificationLevel = 1;
  v->FireCloseDefenceWeapon();
  EXPECT_TRUE(rig.world.FiledShots().empty());
  rig.world.TakeBackLent();
}

TEST(VehicleDriving, BurningPointsAndBlockedMovers) {
  VehicleRig rig;
  // Rolling into a burning tile: the ground ahead stops it, and a point in that tile is given
  // up at once.
  auto v = Make(1);
  v->x = 399.9f;
  v->speed = 0.2f;
  v->turnStep = v->ComputeTurnStep();
  v->waypointCount = 2;
  v->waypoints[0] = Point(410.0f, kY, 3);
  v->waypoints[1] = Point(500.0f, kY, 3);
  rig.GetMap().IgniteTile(410.0f, kY, false);
  ASSERT_NE(rig.GetMap().BurningAt(410.0f, kY), 0);
  v->MoveAlongWaypoints();
  EXPECT_EQ(v->waypointCount, 1);
  EXPECT_EQ(v->waypoints[0].x, 500.0f);
  EXPECT_EQ(v->speed, 0.0f);

  // A heavy wreck in the way lets the mover only crawl: it plans around it once a turn.
  rig.PutI16(2, 54, 40);
  auto mover = Make(1);
  auto wreck = Make(2);
  wreck->alive = 0;
  PlaceAt(*wreck, 0.0f, 1.5f);
  rig.world.Lend(wreck.get());
  mover->speed = 0.1f;
  mover->turnStep = mover->ComputeTurnStep();
  mover->waypointCount = 1;
  mover->waypoints[0] = Point(kX + 300.0f, kY, 3);
  mover->MoveAlongWaypoints();
  EXPECT_EQ(Vehicle::gUnitInWay, wreck.get());
  EXPECT_EQ(mover->reRouted, 1);
  rig.world.TakeBackLent();
  Vehicle::gUnitInWay = nullptr;
}
