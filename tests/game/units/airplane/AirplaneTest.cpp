// The fighter-bomber: stored form and its checks, the turn's state machine, target choice and
// run-in, attack passes, flying height, damage and the shadow.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "game/map/Map.h"
#include "game/units/airplane/Airplane.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TestVehicle.h"
#include "game/units/UnitBytes.h"
#include "support/TestFolder.h"

namespace {

// The unit world with a battle's turn, last turn and a movable current slice.
// The battle keeps the slice; the map's battle, which the aircraft's flight reads, follows it.
class AirWorld : public TestUnitWorld {
 public:
  void SetCurrentSlice(int32_t slice) override {
    TestUnitWorld::SetCurrentSlice(slice);
    Battle().currentSlice = slice;
  }
};

struct AirRig {
  AirRig() {
    world.Battle().currentTurn = 2;  // past the first turn's grounding
    world.SetMap(std::make_unique<Map>(world.app));
    EXPECT_TRUE(world.Battle().map->Read(nullptr));
    world.Battle().currentSlice = 0;
  }
  // An Allied aircraft (group 1) of rating 2 and the given sortie limit.
  std::unique_ptr<Airplane> Make(int8_t limit = 5) {
    auto airplane = std::make_unique<Airplane>();
    airplane->Initialize(1, 2);
    airplane->side = 0;
    airplane->sortieLimit = limit;
    return airplane;
  }
  void Join(Unit& unit) { world.Lend(&unit); }
  // Runs the aircraft's slices from its slice counter up to (not including) the slice.
  void RunTo(Airplane& airplane, int32_t slice) {
    while (airplane.sliceCounter < slice) {
      world.Battle().currentSlice = airplane.sliceCounter;
      airplane.UpdateSlice(airplane.sliceCounter);
      airplane.sliceCounter += 1;
    }
  }
  TestFolder folder{true};
  AirWorld world;
};

// Seeds the generator so that its next Random(100) is at least 25 (a hit counts as it is).
void SeedPlainHit() {
  for (uint32_t seed = 1;; ++seed) {
    SeedRandom(seed);
    if (Random(100) >= 25) {
      SeedRandom(seed);
      return;
    }
  }
}

TEST(AirplaneStoredForm, NewAircraftIsGoldenAndBadFieldsAreRefused) {
  AirRig rig;
  auto airplane = rig.Make(5);
  EXPECT_EQ(airplane->kind, Unit::kAirplane);
  EXPECT_FLOAT_EQ(airplane->hx * 1.9f, 20.0f);
  EXPECT_FLOAT_EQ(airplane->hz * 1.9f, 5.0f);
  const std::string bytes = Write(*airplane);
  EXPECT_EQ(Hex(bytes, bytes.size() - 17), "0000000000000000" "00FF050204" "00000000");
  Airplane copy;
  ASSERT_TRUE(Read(bytes, copy));
  EXPECT_EQ(copy.sortiesFlown, -1);
  EXPECT_EQ(copy.sortieLimit, 5);
  EXPECT_EQ(copy.attackKind, Airplane::kNotChosen);
  EXPECT_EQ(Write(copy), bytes);

  const size_t at = bytes.size() - 9;  // the state byte
  struct Case {
    size_t offset;
    uint8_t value;
    bool accepted;
  };
  const Case cases[] = {
      {0, 6, true},    {0, 7, false},    {0, 0xFF, false},  // state, read back sign-extended
      {4, 3, true},    {4, 5, false},    {4, 0xFF, false},  // attack kind
      {2, 2, true},    {2, 7, true},     {2, 1, false},     {2, 8, false},  // sortie limit
      {1, 5, true},    {1, 6, false},    {1, 0xFE, false},  // sorties flown against limit 5
      {3, 2, true},    {3, 3, false},                       // ordnance
      {5, 0x80, false},                                      // damage below 0
  };
  for (const Case& c : cases) {
    std::string changed = bytes;
    changed[at + c.offset] = static_cast<char>(c.value);
    Airplane other;
    EXPECT_EQ(Read(changed, other), c.accepted) << c.offset << " " << int(c.value);
  }
  Airplane shortened;
  EXPECT_FALSE(Read(bytes.substr(0, bytes.size() - 2), shortened));
}

TEST(AirplaneTurn, FirstTurnWeatherAndTimeOfDayGroundTheAircraft) {
  AirRig rig;
  rig.world.Battle().currentTurn = 1;
  rig.world.Battle().weather = 2;
  auto airplane = rig.Make();
  SeedRandom(3);
  rig.RunTo(*airplane, 2);
  EXPECT_EQ(airplane->state, Airplane::kGone);
  EXPECT_EQ(airplane->arrivalSlice, Airplane::kNotThisTurn);
  EXPECT_FLOAT_EQ(airplane->x, Airplane::kParkedX);
  rig.world.Battle().weather = 0;
  rig.world.Battle().timeOfDay = 1;
  auto night = rig.Make();
  rig.RunTo(*night, 2);
  EXPECT_EQ(night->state, Airplane::kGone);
}

TEST(AirplaneTurn, ArrivalChanceAndArrivalSlices) {
  AirRig rig;
  rig.world.Battle().lastTurn = 60;
  for (uint32_t seed = 1; seed <= 200; ++seed) {
    auto airplane = rig.Make();
    SeedRandom(seed);
    const float roll = RandomFloat();
    SeedRandom(seed);
    rig.RunTo(*airplane, 2);
    const bool comes = airplane->state == Airplane::kInbound || airplane->state == Airplane::kInboundNoAttack;
    EXPECT_EQ(comes, roll < 3.0f / 40.0f) << seed;
    if (comes) {
      EXPECT_EQ(airplane->arrivalSlice % 40, 0);
      EXPECT_GE(airplane->arrivalSlice, 40);
      EXPECT_LE(airplane->arrivalSlice, 1320);
    } else {
      EXPECT_EQ(airplane->arrivalSlice, Airplane::kNotThisTurn);
    }
  }
  // A battle of no turns: the chance is 3 (it always comes), not a division by zero.
  rig.world.Battle().lastTurn = 0;
  auto airplane = rig.Make();
  rig.RunTo(*airplane, 1);
  EXPECT_NE(airplane->state, Airplane::kWaiting);
}

TEST(AirplaneTurn, WithoutATargetItLeavesAndCountsASortieAboutHalfTheTime) {
  AirRig rig;
  int32_t counted = 0;
  for (uint32_t seed = 1; seed <= 100; ++seed) {
    SeedRandom(seed);
    auto airplane = rig.Make();
    airplane->state = Airplane::kInbound;
    airplane->sortiesFlown = 0;
    rig.RunTo(*airplane, 2);
    ASSERT_EQ(airplane->state, Airplane::kInbound);
    rig.RunTo(*airplane, airplane->arrivalSlice + 1);
    EXPECT_EQ(airplane->state, Airplane::kLeaving);
    counted += airplane->sortiesFlown;
    ASSERT_FALSE(rig.world.soundPackets.empty());
    const UnitSoundPacket& sound = rig.world.soundPackets.back();
    EXPECT_EQ(sound.sound, 800);
    EXPECT_EQ(sound.soundKind, 24);
    EXPECT_EQ(sound.slice, airplane->arrivalSlice + 400);
    EXPECT_FLOAT_EQ(sound.sidePosition[0][2], -100.0f);
    EXPECT_FLOAT_EQ(sound.sidePosition[1][0], rig.world.Battle().map->size.worldWidth * 0.5f);
  }
  EXPECT_GT(counted, 30);
  EXPECT_LT(counted, 70);
  // Heavy damage at a turn start ends the sorties.
  auto airplane = rig.Make();
  airplane->state = Airplane::kLeaving;
  airplane->damage = 250;
  rig.RunTo(*airplane, 1);
  EXPECT_EQ(airplane->state, Airplane::kGone);
  auto tired = rig.Make(3);
  tired->state = Airplane::kDamaged;
  tired->sortiesFlown = 3;
  rig.RunTo(*tired, 1);
  EXPECT_EQ(tired->state, Airplane::kGone);
}

TEST(AirplaneAttack, RunInPassesAndHeights) {
  AirRig rig;
  TestVehicle tank;
  tank.side = 1;
  tank.armored = true;
  tank.purchaseCost = 200.0f;  // worth an attack: its target value is cost times a draw
  tank.identificationLevel = 4;
  tank.x = 400.0f;
  tank.y = 300.0f;
  tank.facing = 90.0f;
  tank.speed = 0.1f;
  rig.Join(tank);
  SeedRandom(11);
  auto airplane = rig.Make();
  airplane->state = Airplane::kInbound;
  airplane->attackKind = Airplane::kBombs;
  airplane->ordnance = 1;
  rig.RunTo(*airplane, 2);
  const int32_t a = airplane->arrivalSlice;
  rig.RunTo(*airplane, a + 1);
  ASSERT_EQ(airplane->state, Airplane::kAttacking);
  EXPECT_EQ(airplane->target, &tank);
  EXPECT_EQ(airplane->identificationLevel, 4);
  EXPECT_EQ(airplane->ordnance, 0);
  EXPECT_FLOAT_EQ(airplane->speed, 2.8f);
  EXPECT_NEAR(airplane->aimX, 400.0f, 1e-3f);
  EXPECT_NEAR(airplane->aimY, 300.0f + 26.5f, 1e-3f);
  EXPECT_NEAR(std::hypot(airplane->x - airplane->aimX, airplane->y - airplane->aimY), 1863.0f, 0.05f);
  const UnitSoundPacket& sound = rig.world.soundPackets.back();
  EXPECT_EQ(sound.sound, 803);
  EXPECT_EQ(sound.unit, airplane.get());
  EXPECT_FLOAT_EQ(sound.sidePosition[0][2], -500.0f);

  // Heights: a dive from 200 to 30 over 265 slices, then back at 200.
  const float ground = airplane->Unit::GetBaseHeight();
  const struct {
    int32_t at;
    float height;
  } heights[] = {{0, 200.0f}, {53, 166.0f}, {265, 30.0f}, {266, 200.0f}};
  for (const auto& h : heights) {
    airplane->sliceCounter = a + h.at;
    EXPECT_NEAR(airplane->GetBaseHeight() - ground, h.height, 1e-3f) << h.at;
  }
  airplane->sliceCounter = a + 1;

  // The bombing pass: two fire packets on consecutive slices, the slice put back after.
  rig.world.firePackets.clear();
  rig.RunTo(*airplane, a + Airplane::kFirstPass + 1);
  ASSERT_EQ(rig.world.firePackets.size(), 2u);
  // 160 slices of effect, rescaled by where the bombs land.
  EXPECT_NEAR(rig.world.firePackets[0].count, 160, 40);
  EXPECT_EQ(rig.world.firePackets[0].shooter, airplane.get());
  EXPECT_EQ(rig.world.firePackets[0].slice, a + Airplane::kFirstPass);
  EXPECT_EQ(rig.world.firePackets[1].slice, a + Airplane::kFirstPass + 1);
  EXPECT_EQ(rig.world.Battle().currentSlice, a + Airplane::kFirstPass);
  EXPECT_EQ(airplane->sortiesFlown, 0);
  // No second pass for bombs.
  rig.RunTo(*airplane, a + Airplane::kSecondPass + 1);
  EXPECT_EQ(rig.world.firePackets.size(), 2u);
  // It flies off the map and leaves.
  rig.RunTo(*airplane, a + 2000);
  EXPECT_EQ(airplane->state, Airplane::kLeaving);
  EXPECT_FLOAT_EQ(airplane->x, Airplane::kParkedX);
  EXPECT_EQ(airplane->target, nullptr);
}

TEST(AirplaneAttack, ReadinessRisesOnlyForAntiAircraftWeapons) {
  AirRig rig;
  TestInfantry plain;
  plain.sliceCount = 10;
  Airplane::RaiseReadiness(plain);
  EXPECT_EQ(plain.sliceCount, 10);
}

TEST(AirplaneDamage, ThresholdsShootingDownAndTheLog) {
  AirRig rig;
  auto airplane = rig.Make();
  airplane->state = Airplane::kAttacking;
  SeedPlainHit();
  airplane->TakeHit(399.0f);
  EXPECT_EQ(airplane->damage, 399);
  EXPECT_EQ(airplane->state, Airplane::kAttacking);
  SeedPlainHit();
  airplane->TakeHit(1.0f);
  EXPECT_EQ(airplane->state, Airplane::kDamaged);
  auto second = rig.Make();
  second->x = 400.0f;
  second->y = 400.0f;
  SeedPlainHit();
  second->TakeHit(1200.0f);
  EXPECT_EQ(second->state, Airplane::kGone);
  EXPECT_EQ(second->alive, 0);
  EXPECT_FLOAT_EQ(second->x, Airplane::kParkedX);
  ASSERT_FALSE(rig.world.soundPackets.empty());
  EXPECT_FLOAT_EQ(rig.world.soundPackets.back().sidePosition[0][2], -200.0f);
  EXPECT_FLOAT_EQ(rig.world.soundPackets.back().sidePosition[1][2], -200.0f);
  // A later explosion is heard at the ground again.
  EXPECT_TRUE(std::isnan(Unit::gExplosionHeight));

  // The damage factor counts this turn's damage only.
  auto rated = std::make_unique<Airplane>();
  rated->Initialize(0, 4);
  rated->damage = 700;
  rated->damageAtTurnStart = 100;
  EXPECT_FLOAT_EQ(rated->DamageFactor(), 4.0f);
  EXPECT_FLOAT_EQ(rated->GetAirAttackValue(0), -1.0f);
  EXPECT_EQ(rated->GetMenPresent(), 1);
}

TEST(AirplaneDraw, ShadowOnlyWhileAttackingInTheReplay) {
  AirRig rig;
  auto airplane = rig.Make();
  airplane->state = Airplane::kAttacking;
  EXPECT_FALSE(airplane->ShowsShadow());
  rig.world.app.inputMode = InputModes::kReplay;
  EXPECT_TRUE(airplane->ShowsShadow());
  airplane->state = Airplane::kDamaged;
  EXPECT_FALSE(airplane->ShowsShadow());
  airplane->state = Airplane::kAttacking;
  rig.world.app.editorOpen = true;
  EXPECT_FALSE(airplane->ShowsShadow());
}

}  // namespace

namespace {

TEST(AirplaneAttack, GunsMakeTwoPassesOfOneShotEach) {
  for (int32_t kind : {Airplane::kCannon, Airplane::kMachineGuns}) {
    AirRig rig;
    TestVehicle tank;
    tank.side = 1;
    tank.armored = true;
    tank.purchaseCost = 200.0f;
    tank.identificationLevel = 4;
    tank.x = 400.0f;
    tank.y = 300.0f;
    rig.Join(tank);
    // A seed whose threshold the tank's worth passes.
    std::unique_ptr<Airplane> airplane;
    int32_t a = 0;
    for (uint32_t seed = 1; seed < 200; ++seed) {
      airplane = rig.Make();
      SeedRandom(seed);
      airplane->state = Airplane::kInbound;
      airplane->attackKind = kind;
      airplane->ordnance = 0;
      rig.RunTo(*airplane, 2);
      a = airplane->arrivalSlice;
      rig.RunTo(*airplane, a + 1);
      if (airplane->state == Airplane::kAttacking) break;
    }
    ASSERT_EQ(airplane->state, Airplane::kAttacking) << kind;
    // Without ordnance the group-1 aircraft strafes with machine guns.
    EXPECT_EQ(airplane->attackKind, Airplane::kMachineGuns);
    airplane->attackKind = kind;
    rig.world.firePackets.clear();
    rig.RunTo(*airplane, a + Airplane::kSecondPass + 1);
    ASSERT_EQ(rig.world.firePackets.size(), 2u) << kind;
    EXPECT_EQ(rig.world.firePackets[0].slice, a + Airplane::kFirstPass);
    EXPECT_EQ(rig.world.firePackets[1].slice, a + Airplane::kSecondPass);
    EXPECT_EQ(airplane->sortiesFlown, 0);
  }
}

TEST(AirplaneAttackDeathTest, FirepowerNeedsMachineGuns) {
  Airplane airplane;
  airplane.attackKind = Airplane::kMachineGuns;
  EXPECT_FLOAT_EQ(airplane.FirepowerAt(100.0f, 0), 200.0f);
  airplane.attackKind = Airplane::kBombs;
  EXPECT_DEATH(airplane.FirepowerAt(100.0f, 0), "");
}

}  // namespace
