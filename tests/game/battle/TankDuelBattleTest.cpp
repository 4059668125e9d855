// Tanks of the built-in tables fighting inside a whole battle: a shell that strikes a vehicle
// is located and resolved on its armour, so a tank duel ends in knock-outs as often as the hit
// rules give them; a plunging round strikes the top; the replay shows each hit's report.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/BattleShot.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/Packet.h"
#include "framework/core/GString63.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/records/UnitIds.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/tables/WeaponData.h"
#include "support/TestFolder.h"

namespace {

// The PzKpfw IV H: 25 t, 80 mm of front plate, a long 75 mm gun.
constexpr int32_t kTank = 10;
// The duel runs along the diagonal of the 800 m map, from its south-west corner.
constexpr float kStart = 100.0f;
constexpr float kDiagonal = 0.70710678f;

struct DuelRig {
  DuelRig() {
    Hack::LoadTables();
    Infantry::Register();
    Vehicle::Register();
  }
  ~DuelRig() {
    for (int32_t kind = 0; kind < 4; ++kind) {
      RegisterUnitMaker(kind, nullptr);
      RegisterBlankUnitMaker(kind, nullptr);
    }
  }
  Battle& B() { return *headless.GetBattle(); }

  // A tank of a side index (0 Axis) on the battle's map, along the diagonal: the attacker at
  // its start facing up it, the defender at the range facing down it.
  Vehicle* AddTank(int32_t sideIndex, float range) {
    auto* v = new Vehicle();
    const float p = kStart + range * kDiagonal;
    v->SetClass(kTank, sideIndex == 0 ? 6 : 0, 3, p, p, sideIndex == 0 ? 45.0f : 225.0f);
    v->side = static_cast<uint8_t>(1 - sideIndex);
    B().PlaceUnitAt(v, p, p);
    return v;
  }
  // A new battle with the attacker and an unarmed defender at the range, both seen at once;
  // the attacker fires armour-piercing rounds only.
  void Duel(float range) {
    headless.New();
    attacker = AddTank(0, 0.0f);
    defender = AddTank(1, range);
    defender->ammo = {};
    defender->machineGunAmmo = {};
    attacker->ammo = {0, 60, 0, 0, 0};
    attacker->machineGunAmmo = {};
    attacker->identificationLevel = 4;
    defender->identificationLevel = 4;
    attacker->target = defender;
  }

  DataTablesRig tables;
  TestFolder logFolder{true};
  HeadlessBattle headless;
  Vehicle* attacker = nullptr;
  Vehicle* defender = nullptr;
};

// The strike the battle makes of the attacker's armour-piercing round hitting the defender.
VehicleStrike RoundOn(const Vehicle& attacker) {
  VehicleStrike strike;
  strike.weapon = attacker.TrueClass().MainWeapon();
  strike.fireKind = gWeapons[strike.weapon].Type();
  strike.ammoKind = 1;
  strike.startX = attacker.x;
  strike.startY = attacker.y;
  strike.startZ = attacker.GetBaseHeight();
  strike.killValue = 1.0f;
  strike.shooter = const_cast<Vehicle*>(&attacker);
  return strike;
}

// The knock-out chance of one hit, from the hit rules alone: trials of LocateHit and
// ResolveHit on fresh defenders at the same place.
double KnockOutsPerHit(DuelRig& rig, float range, int32_t trials) {
  rig.Duel(range);
  SeedRandom(4242);
  int32_t knocked = 0;
  for (int32_t i = 0; i < trials; ++i) {
    Vehicle* v = rig.AddTank(1, range);
    VehicleStrike strike = RoundOn(*rig.attacker);
    int32_t facing = 0;
    bool resolve = false;
    const int32_t part = v->LocateHit(strike, facing, resolve);
    if (resolve) v->ResolveHit(strike, part, facing);
    if (v->knockedOut != 0) ++knocked;
    v->Eliminate();
  }
  return static_cast<double>(knocked) / trials;
}

struct DuelTally {
  int32_t hits = 0;
  int32_t knockOuts = 0;
  int32_t penetrations = 0;
};

// One turn of the duel per seed: the defender's hit reports while it stood, and its end.
DuelTally PlayDuels(DuelRig& rig, float range, int32_t seeds) {
  DuelTally tally;
  for (int32_t seed = 1; seed <= seeds; ++seed) {
    rig.Duel(range);
    SeedRandom(static_cast<uint32_t>(seed));
    rig.headless.Go(1);
    rig.headless.Go(static_cast<uint16_t>(seed * 7));
    Battle& b = rig.B();
    for (int32_t i = 0; i < b.packets.Count(); ++i) {
      const auto* p = static_cast<const Packet*>(b.packets.GetItem(i));
      if (p->kind != Packet::kHitReport || p->hit.vehicle != rig.defender) continue;
      ++tally.hits;
      if (p->hit.flags[2] != 0) ++tally.penetrations;
    }
    if (rig.defender->knockedOut != 0) ++tally.knockOuts;
  }
  return tally;
}

}  // namespace

TEST(TankDuelBattle, KnockOutsPerHitMatchTheHitRulesAt300And800Metres) {
  DuelRig rig;
  for (const float range : {300.0f, 800.0f}) {
    SCOPED_TRACE(range);
    const double expected = KnockOutsPerHit(rig, range, 400);
    const DuelTally tally = PlayDuels(rig, range, 30);
    ASSERT_GT(tally.hits, 20);
    // Each hit is a trial of the same rules until one knocks the tank out: knock-outs per hit
    // estimates the chance of one hit.
    const double perHit = static_cast<double>(tally.knockOuts) / tally.hits;
    const double sigma = std::sqrt(expected * (1.0 - expected) / tally.hits) + 0.02;
    EXPECT_NEAR(perHit, expected, 4.0 * sigma) << tally.knockOuts << " of " << tally.hits;
    EXPECT_GT(tally.knockOuts, 0);
    EXPECT_GE(tally.penetrations, tally.knockOuts / 2);
  }
}

TEST(TankDuelBattle, APlungingRoundStrikesTheTracksOrTheTopPlates) {
  DuelRig rig;
  rig.Duel(300.0f);
  Battle& b = rig.B();
  SeedRandom(99);
  int32_t parts[7] = {};
  int32_t penetrations = 0;
  for (int32_t i = 0; i < 600; ++i) {
    BattleShot* shot = b.NewShot(0, 0, 0, 1, false);
    shot->kind = 3;
    shot->weapon = rig.attacker->TrueClass().MainWeapon();
    shot->ammoKind = 0;
    shot->specialHit = 1;
    shot->shooter = rig.attacker;
    shot->target = rig.defender;
    shot->startX = rig.defender->x;
    shot->startY = rig.defender->y;
    shot->startZ = rig.defender->GetBaseHeight() + 200.0f;
    shot->impactX = rig.defender->x;
    shot->impactY = rig.defender->y;
    b.StepShot(*shot);
    const auto* p = static_cast<const Packet*>(b.packets.GetItem(b.packets.Count() - 1));
    ASSERT_EQ(p->kind, Packet::kHitReport);
    ++parts[p->hit.part];
    if (p->hit.flags[2] != 0) ++penetrations;
    // Keep the defender standing for the next round.
    rig.defender->alive = 1;
    rig.defender->knockedOut = 0;
    rig.defender->losses = 0;
  }
  // Even odds of the running gear, else one top plate in three the first.
  EXPECT_EQ(parts[0] + parts[1] + parts[2] + parts[6], 0);
  EXPECT_NEAR(parts[5], 300, 45);
  EXPECT_NEAR(parts[3], 100, 30);
  EXPECT_NEAR(parts[4], 200, 40);
  EXPECT_GT(penetrations, 0);  // the thin top plates give way
}

TEST(TankDuelBattle, TheReplayedHitReportShowsWhereTheRoundStruck) {
  DuelRig rig;
  for (int32_t seed = 1; seed <= 5 && rig.defender == nullptr; ++seed) {
    rig.Duel(300.0f);
    SeedRandom(static_cast<uint32_t>(seed));
    rig.headless.Go(1);
    rig.headless.Go(static_cast<uint16_t>(seed * 7));
    if (rig.defender->hitReportValue < 0) rig.defender = nullptr;
  }
  ASSERT_NE(rig.defender, nullptr);
  // The last report the replay played: its slice, and a text naming the face and the result.
  const Battle& b = rig.B();
  const Packet* last = nullptr;
  for (int32_t i = 0; i < b.packets.Count(); ++i) {
    const auto* p = static_cast<const Packet*>(b.packets.GetItem(i));
    if (p->kind == Packet::kHitReport && p->hit.vehicle == rig.defender) last = p;
  }
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(rig.defender->hitReportValue, last->timeSlice);
  EXPECT_EQ(rig.defender->lastHit.part, last->hit.part);
  EXPECT_EQ(rig.defender->lastHit.penetration, last->hit.flags[2]);
  GString63 line1;
  GString63 line2;
  Vehicle::ComposeHitReport(*rig.defender, true, line1, line2);
  const std::string text = line1.CStr();
  EXPECT_TRUE(text.find("Front") == 0 || text.find("top") != std::string::npos) << text;
  EXPECT_TRUE(text.find(" penetration") != std::string::npos || text.find(" hit") != std::string::npos) << text;
}
