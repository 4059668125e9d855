// How the computer player judges one unit: its situation record and the two scores.
#include <gtest/gtest.h>

#include <vector>

#include "framework/core/Quorl.h"
#include "game/ai/AIFuzzy.h"
#include "game/ai/AIOperational.h"
#include "game/ai/AIPlanContext.h"
#include "game/ai/SituationRecord.h"
#include "game/battle/BattleTestRig.h"
#include "game/map/Map.h"
#include "game/units/targeting/AITargeting.h"
#include "game/units/targeting/FuzzyPriority.h"
#include "game/units/UnitBytes.h"

namespace {

// An infantry unit seen to a fixed degree from everywhere, whose weapon always works.
class SeenInfantry : public TestInfantry {
 public:
  float VisibilityFromPoint(float, float, float, bool) override { return seen; }
  bool IsMainWeaponUsable() const override { return true; }
  float WeaponEffect(Unit*, int32_t, bool, bool, bool, int32_t, int32_t) override { return effect; }
  bool LineOfSightToPoint(float, float) const override { return seesPoint; }
  float seen = 0.3f;
  bool seesPoint = true;
  float effect = 0.0f;
};

class SeenVehicle : public TestVehicle {
 public:
  float VisibilityFromPoint(float, float, float, bool) override { return 0.3f; }
  int32_t GetSpeedClass() const override { return speedClass; }
  int32_t speedClass = 4;
  bool IsMainWeaponUsable() const override { return true; }
};

std::vector<int32_t> gDraws;
void Record(int32_t n) { gDraws.push_back(n); }

struct Rig {
  Rig() {
    Battle& battle = rig.Fresh();
    battle.attacker = 0;
    context.battle = &battle;
    context.side = 0;
    context.defender = false;
  }
  Battle& B() { return rig.B(); }
  template <class T>
  T* Add(int32_t sideIndex, float x, float y) {
    auto* unit = new T();
    unit->Setup(x, y, 0.0f, sideIndex == 0 ? 6 : 0, 2);
    unit->side = static_cast<uint8_t>(1 - sideIndex);
    B().PlaceUnitAt(unit, x, y);
    return unit;
  }
  // Paints the 2 m cells of the rectangle with a terrain type.
  void Paint(float x0, float y0, float x1, float y1, int32_t type) {
    for (int32_t cx = static_cast<int32_t>(x0 * 0.5f); cx < static_cast<int32_t>(x1 * 0.5f); ++cx) {
      for (int32_t cy = static_cast<int32_t>(y0 * 0.5f); cy < static_cast<int32_t>(y1 * 0.5f); ++cy) {
        B().map->terrain.fineGrid.At(cx, cy) = static_cast<uint16_t>(type << 10 | 100);
      }
    }
  }
  BattleTestRig rig;
  AIPlanContext context;
};

void ExpectSingle(const GFuzzySet& set, int8_t id) {
  ASSERT_EQ(set.GetCount(), 1);
  EXPECT_EQ(set.GetMemberId(0), id);
  EXPECT_FLOAT_EQ(set.GetDegree(0), 1.0f);
}

}  // namespace

TEST(AISituation, RecordOfAFreshTeamWithoutTargetTriesAChoiceOnACopy) {
  Rig rig;
  auto* team = rig.Add<SeenInfantry>(0, 500.0f, 500.0f);
  team->answersWeapon = true;
  team->weaponId = 3;
  team->weaponType = 7;
  team->seen = 0.3f;
  const std::string before = Write(*team);
  const int64_t copies = Unit::gTrialCopies;
  SituationRecord record;
  AIOperational::FillSituationRecord(rig.context, *team, record, 0.0f);
  ExpectSingle(record.morale, 0);
  ExpectSingle(record.distance, 0);
  // Reach -100: 100 m past it, half way up the first triangle.
  ASSERT_EQ(record.pastReach.GetCount(), 2);
  EXPECT_FLOAT_EQ(record.pastReach.GetDegree(0), 0.5f);
  EXPECT_FLOAT_EQ(record.pastReach.GetDegree(1), 0.5f);
  ExpectSingle(record.threat, 0);
  // Nobody aims at it: the exposure is the general one at its place (0.3).
  GFuzzySet expected;
  AIFuzzy::FuzzifyExposure(expected, 0.3f);
  ASSERT_EQ(record.exposure.GetCount(), expected.GetCount());
  for (int16_t i = 0; i < expected.GetCount(); ++i) EXPECT_FLOAT_EQ(record.exposure.GetDegree(i), expected.GetDegree(i));
  // No enemy to choose: the copy chose nothing.
  ExpectSingle(record.attack, 0);
  EXPECT_FALSE(record.notApplicable);
  EXPECT_EQ(Unit::gTrialCopies, copies + 1);
  EXPECT_EQ(Write(*team), before);
  EXPECT_EQ(rig.B().UnitCount(), 1);

  // A rider without a target makes no copy.
  team->passenger = true;
  SituationRecord riding;
  AIOperational::FillSituationRecord(rig.context, *team, riding, 0.0f);
  ExpectSingle(riding.attack, 0);
  EXPECT_EQ(Unit::gTrialCopies, copies + 1);
}

TEST(AISituation, TrialCopyLeavesEveryUnitAsItWas) {
  Rig rig;
  auto* squad = rig.Add<SeenInfantry>(0, 500.0f, 500.0f);
  squad->squad = true;
  squad->ammo[0] = 10;
  squad->waypointCount = 1;
  squad->WaypointAt(0) = Waypoint{520.0f, 500.0f, 0.0f, 3, 1, 0, 0};
  squad->speed = 0.5f;
  auto* enemy = rig.Add<TestInfantry>(1, 600.0f, 500.0f);
  enemy->identificationLevel = 2;
  auto* other = rig.Add<TestVehicle>(1, 700.0f, 520.0f);
  const std::string squadBytes = Write(*squad);
  const std::string enemyBytes = Write(*enemy);
  const std::string otherBytes = Write(*other);
  SituationRecord record;
  AIOperational::FillSituationRecord(rig.context, *squad, record, 300.0f);
  EXPECT_GE(record.attack.GetCount(), 1);
  EXPECT_EQ(squad->target, nullptr);  // no special weapon: the choice stays on the copy
  EXPECT_EQ(Write(*squad), squadBytes);
  EXPECT_EQ(Write(*enemy), enemyBytes);
  EXPECT_EQ(Write(*other), otherBytes);
  EXPECT_EQ(rig.B().UnitCount(), 3);
}

TEST(AISituation, ArmourExposureAndTheNotApplicableCase) {
  Rig rig;
  auto* tank = rig.Add<SeenVehicle>(0, 500.0f, 500.0f);
  tank->armored = true;
  auto* gun = rig.Add<TestVehicle>(1, 700.0f, 500.0f);
  gun->type23 = true;
  tank->target = gun;
  // Someone aims at the tank; its exposure stays member 1 alone.
  gun->target = tank;
  SituationRecord record;
  AIOperational::FillSituationRecord(rig.context, *tank, record, 200.0f);
  ExpectSingle(record.exposure, 1);
  EXPECT_TRUE(record.notApplicable);
  EXPECT_EQ(tank->target, gun);
  float first = 5.0f;
  AIOperational::EvaluateSituation(rig.context, *tank, 200.0f, first, nullptr);
  EXPECT_EQ(first, 0.0f);

  // An unarmoured unit never is.
  tank->armored = false;
  SituationRecord soft;
  AIOperational::FillSituationRecord(rig.context, *tank, soft, 200.0f);
  EXPECT_FALSE(soft.notApplicable);
  EXPECT_GE(soft.exposure.GetCount(), 1);
}

TEST(AISituation, ArmouredGunWithNothingToDoAndTheMarkers) {
  Rig rig;
  auto* tank = rig.Add<SeenVehicle>(0, 500.0f, 500.0f);
  tank->armored = true;
  tank->mainWeapon = true;
  tank->type23 = true;
  tank->turret = true;
  float a = 0.0f;
  float b = 0.0f;
  AIOperational::EvaluateSituation(rig.context, *tank, 0.0f, a, &b);
  EXPECT_FLOAT_EQ(a, 5.5f);
  EXPECT_FLOAT_EQ(b, 3.0f);
  // Without a turret, the gun adds half.
  tank->turret = false;
  AIOperational::EvaluateSituation(rig.context, *tank, 0.0f, a, &b);
  EXPECT_FLOAT_EQ(a, 5.0f);
  // Too slow to matter: nothing at all, and no look for other targets.
  tank->speedClass = 1;
  const int64_t effects = AITargeting::gEffectCalls;
  SituationRecord record;
  AIOperational::FillSituationRecord(rig.context, *tank, record, 0.0f);
  EXPECT_EQ(AIOperational::FuzzyScoreA(rig.context, *tank, record), 0.0f);
  EXPECT_EQ(AIOperational::FuzzyScoreB(rig.context, *tank, record), 0.0f);
  EXPECT_EQ(AITargeting::gEffectCalls, effects);
  tank->speedClass = 2;
  // A held aim scores nothing at all.
  tank->aimTime = 99.0f;
  AIOperational::EvaluateSituation(rig.context, *tank, 0.0f, a, &b);
  EXPECT_EQ(a, 0.0f);
  EXPECT_EQ(b, 0.0f);
  // On a paved road the second score marks it.
  tank->aimTime = 0.0f;
  rig.Paint(480.0f, 480.0f, 520.0f, 520.0f, 36);
  AIOperational::EvaluateSituation(rig.context, *tank, 0.0f, a, &b);
  EXPECT_EQ(b, 9999.0f);
}

TEST(AISituation, CorrectionsOfASquadByTheBattlesState) {
  Rig rig;
  auto* squad = rig.Add<SeenInfantry>(0, 500.0f, 500.0f);
  squad->squad = true;
  auto* enemy = rig.Add<TestInfantry>(1, 600.0f, 500.0f);
  squad->target = enemy;
  squad->effect = 1.0f;  // a good shot: no search for another
  SituationRecord record;
  AIFuzzy::FuzzifyMorale(record.morale, 25.0f);
  AIFuzzy::FuzzifyDistance(record.distance, 300.0f);
  AIFuzzy::FuzzifyPastReach(record.pastReach, 150.0f);
  AIFuzzy::FuzzifyThreat(record.threat, 0.45f);
  AIFuzzy::FuzzifyExposure(record.exposure, 0.3f);
  FuzzyPriority::FuzzifyEffect(record.attack, 0.15f);
  GFuzzySet none;
  AIFuzzy::FuzzifyOpportunity(none, 0.0f);
  const float rawA = AIFuzzy::RawScoreA(record, none);
  const float rawB = AIFuzzy::RawScoreB(record);
  // On open ground (not counted clear) infantry gains in the second score twice.
  EXPECT_FLOAT_EQ(AIOperational::FuzzyScoreA(rig.context, *squad, record), rawA - 1.5f);
  EXPECT_FLOAT_EQ(AIOperational::FuzzyScoreB(rig.context, *squad, record), rawB + 0.15f + 1.5f + 1.5f);
  // On ground that counts as clear, neither applies; a meeting engagement adds 1.5.
  rig.Paint(480.0f, 480.0f, 520.0f, 520.0f, 1);
  EXPECT_FLOAT_EQ(AIOperational::FuzzyScoreB(rig.context, *squad, record), rawB + 0.15f);
  rig.B().attacker = 2;
  EXPECT_FLOAT_EQ(AIOperational::FuzzyScoreB(rig.context, *squad, record), rawB + 0.15f + 1.5f);
  // Shots at the target so far count against the first score.
  squad->shotCounter = 2;
  EXPECT_FLOAT_EQ(AIOperational::FuzzyScoreA(rig.context, *squad, record), rawA - 1.5f - 1.0f);
  // A defender early in the battle: turn 3 of 30 scales by 0.35.
  squad->shotCounter = 0;
  rig.context.defender = true;
  rig.B().currentTurn = 3;
  rig.B().lastTurn = 30;
  EXPECT_NEAR(AIOperational::FuzzyScoreA(rig.context, *squad, record), (rawA - 0.6f) * 0.35f, 1e-5f);
}

TEST(AISituation, AreaFireTeamsAndTheirDraws) {
  Rig rig;
  auto* team = rig.Add<SeenInfantry>(0, 500.0f, 500.0f);
  team->indirect = true;
  team->areaFire = 1;
  team->targetX = 560.0f;
  team->targetY = 500.0f;
  rig.Paint(496.0f, 496.0f, 504.0f, 504.0f, 1);
  SituationRecord record;
  AIOperational::FillSituationRecord(rig.context, *team, record, 100.0f);
  ExpectSingle(record.attack, 3);
  EXPECT_EQ(AIOperational::FuzzyScoreA(rig.context, *team, record), -9999.0f);
  // Off clear ground the score is halved; without sight of the point it is 0.75 of itself.
  rig.Paint(496.0f, 496.0f, 504.0f, 504.0f, 0);
  const float a = AIOperational::FuzzyScoreA(rig.context, *team, record);
  team->seesPoint = false;
  EXPECT_FLOAT_EQ(AIOperational::FuzzyScoreA(rig.context, *team, record), a * 1.5f);
  team->seesPoint = true;

  SetRandomBoundObserver(Record);
  gDraws.clear();
  rig.B().currentTurn = 3;
  EXPECT_EQ(AIOperational::FuzzyScoreB(rig.context, *team, record), 0.0f);
  EXPECT_TRUE(gDraws.empty());
  rig.B().currentTurn = 5;
  AIOperational::FuzzyScoreB(rig.context, *team, record);
  EXPECT_EQ(gDraws, std::vector<int32_t>{2});
  SetRandomBoundObserver(nullptr);
}
