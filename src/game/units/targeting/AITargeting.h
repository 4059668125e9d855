#pragma once
#include <cstdint>
#include <functional>

class GFuzzySet;
class GString;
class Unit;
class VehicleServices;

// The arithmetic of target choice that needs no unit: how a weapon's penetration scores
// against the struck armour locations, the saving of scarce tungsten rounds, the morale
// factor, the shares of hits by vehicle part, the kill rating the orders screen shows, and
// the search for the greatest armour a weapon defeats. The unit code feeds it what the units
// and the data tables say.
class AITargeting {
 public:
  static constexpr float kMaxEffect = 3.4f;

  // One struck location of a target: its armour resistance and the share of hits on it.
  struct Location {
    float armour = 0.0f;
    float weight = 0.0f;
  };

  // The armour score of a weapon against n locations, taken from the last to the first:
  // penetration(i) at most 0.95 of the armour scores only shock x weight (shock 0 outside
  // the generous threat estimate), 1.05 or more the full weight, linear between.
  static float ScoreArmour(const Location* locations, int32_t n, const std::function<float(int32_t)>& penetration,
                           float shock);
  // The threat estimate's shock of a hit that does not penetrate: 0.2 x calibre over the
  // target class's value + 70.
  static float ArmourShock(float calibre, int32_t classValue);
  // The value kept when tungsten rounds are scarce: capped at 3.4 and x0.9; with fewer than
  // five rounds and a poor hit chance x0.45, unless the unit has ranged in on the target
  // (twice for the poorest chances, once otherwise).
  static float ConserveTungsten(float value, float hitChance, int32_t tungstenCount, int32_t shotCounter,
                                bool isCurrentTarget);
  // The factor of the shooter's morale band: 0.15 (6, 7), 0.35 (5), 0.8 (4), else 1.
  static float MoraleFactor(int32_t band);
  // The share of hits on the three parts (turret, hull 1, hull 2) of a vehicle; of an
  // emplacement by the kill chance of the hit chance h and side share s.
  static void PartShares(bool emplacement, bool turret, bool hullDown, float h, float s, float shares[3]);
  // At most 3.4, and never NaN (a NaN counts as nothing).
  static float ClampEffect(float value);

  // ---- The kill rating ----

  // The share a location of armour a counts against penetration p: 1 up to 0.95 p, 0.75 up
  // to p, 0.25 up to 1.05 p, else 0.
  static float KillBand(float armour, float penetration);
  // The rating 0..100.49 of six locations against p. The front bonus applies when the
  // target's front-plate flag is set, the firer faces it (bearing below 90 degrees) and half
  // the first location's armour is below p. For an emplacement: zero-armour locations count
  // the kill chance kc when p is below the thickest armour struck.
  static float KillRating(const float armour[6], const float probability[6], float penetration, bool frontBonus,
                          bool emplacement, float killChance, float ammoFactor);
  // The string number of the rating's word: 1341 Excellent .. 1346 None.
  static uint32_t KillRatingWord(float rating);
  // "Kill: " and the word.
  static void KillRatingText(GString& text, float rating);

  // ---- The greatest armour defeated ----

  // The greatest thickness (mm) for which defeats(thickness) holds, found by the stepping
  // search (step 50, reversed and shrunk by 0.4 whenever the outcome changes). A thickness
  // below 0 counts as defeated without asking; the search stops when the thickness would
  // leave the 16-bit armour entry, and the greatest thickness defeated so far is the result
  // (0 when none).
  static float SearchDefeatedThickness(const std::function<bool(int32_t)>& defeats);

  // ---- Ammunition for a candidate (AITargetingAmmo.cpp) ----

  // Takes the kind when its score is strictly greater than the best so far: on equal
  // scores the kind tried first (the lower) stays.
  static void KeepBestAmmo(float& bestValue, int32_t& bestKind, int32_t kind, float score);
  // What the smoke round depends on: whether the candidate may be screened at all (it
  // stands still, still has ammunition and is a vehicle, slow, or in cover) and whether the
  // value is halved after smoke was tried (a fast candidate not hull down or not in cover).
  struct SmokeCase {
    bool allowed = false;
    bool halve = false;
    // When given, asked instead of halve, and only once smoke was tried (it may trace).
    const std::function<bool()>* halveTest = nullptr;
  };
  // Scores the kinds the unit carries in the fixed order (high explosive, then at 0.75 when
  // armour-piercing is carried against armour; armour-piercing; tungsten against armour;
  // hollow charge; smoke while the value is below 0.6) with score(kind); value and kind
  // receive the best. Without smoke only the kinds 0 to 3 are tried.
  static void ScoreAmmoKinds(const uint16_t ammo[5], bool armoured, bool armourTarget, const SmokeCase* smoke,
                             const std::function<float(int32_t)>& score, float& value, int32_t& kind);

  // ---- The bonuses and the threshold of a candidate's score (AITargetingScore.cpp) ----

  // What the bonuses of a real choice depend on.
  struct BonusCase {
    bool absentOrderedFlag = false;  // the ordered target was absent when ordered
    bool isCurrentTarget = false;
    bool machineGunMode = false;
    bool isOrderedTarget = false;
    bool hasOrderedTarget = false;
    bool mainUsable = false;
    int32_t shotCounter = 0;
    bool candidateHidden = false;  // its first hidden flag
  };
  // The value after the bonuses: staying on the current target, an ordered target's floor
  // of 0.4 for any positive value, half for a hidden candidate.
  static float ApplyBonuses(float value, const BonusCase& c);

  // What the situational factors of a candidate's score depend on.
  struct FactorCase {
    bool movingGunVsSoftTarget = false;  // a moving gun vehicle against a gunless soft target
    bool candidateInfantry = false;
    float distance = 0.0f;
    bool aboard = false;  // an infantry candidate riding a vehicle
    bool squad = false;
    float menRatio = 1.0f;  // men present over full strength
    int32_t kind = 0;
    int32_t candidateBand = 0;
    bool candidateBoat = false;
    bool onWater = false;
  };
  // The value after the situational factors.
  static float ApplyFactors(float value, const FactorCase& c);

  // What the acceptance threshold of a real choice depends on.
  struct ThresholdCase {
    bool isOrderedTarget = false;
    bool hasOrderedTarget = false;
    bool areaFire = false;
    bool smokeFire = false;
    bool holding = false;  // holding position with the hold-position flag set
    bool machineGunMode = false;
    bool useMachineGun = false;
    bool mainUsable = false;
    float mainCalibre = 0.0f;
    int32_t kind = 0;
    bool armouredDuel = false;   // main gun, armoured chooser, another armoured target held
    bool vehicleInDuel = false;  // a vehicle's duel countdown runs, candidate not ordered
    int32_t chooserIdentification = 4;  // as the other side sees the chooser
    bool chooserInfantry = false;
    int32_t mainWeaponType = 0;
    bool underFire = false;  // some unit's current target is the chooser
    bool comradesEngaged = false;
    float distance = 0.0f;
  };
  // The score a candidate must beat; ignored is set when a holding unit ignores it (its
  // value becomes 0).
  static float AcceptanceThreshold(const ThresholdCase& c, bool& ignored);

  // ---- Candidates (AITargetingFilter.cpp) ----

  // The chooser of the search under way (for IsFriendNearTarget), and whether it skips
  // candidates standing in buildings; one search at a time.
  static Unit* gTargetChooser;
  static bool gSkipBuildingTargets;
  // The best candidate of the search under way and its score (-1 before a search); other
  // searches of the unit code share them, so none may run between a reset and its commit.
  static Unit* gBestTarget;
  static float gBestTargetScore;
  // Set while a vehicle's coaxial machine gun is scored instead of its main gun.
  static bool gEvaluatingCoaxialMG;
  // The building types 31 to 35 of the fine terrain.
  static bool IsBuildingTerrain(int32_t type);
  // Whether the chooser may weigh the candidate at all: another unit, not inanimate,
  // identified, neither riding as a passenger, a target the chooser may take and see, alive
  // (or the absent ordered target still fired at), not in a building when those are skipped,
  // and inside the chooser's arc (or both infantry within 15 m and less than 85 degrees off
  // the chooser's facing). With passOverRefused, or with gPassOverLapsedLines while a line
  // traced between the two now would leave nothing in the sight pairs a later ask could read, a
  // candidate the scoring would refuse outright, one in a skipped building or one out of the
  // arc fails before its line of sight is traced: the answer is no either way.
  static bool PassesCandidateFilter(Unit& candidate, Unit& chooser, bool passOverRefused = false);
  // The farthest the chooser's weapons reach now (the scoring refuses any candidate farther);
  // it changes only with the chooser's state, as scoring a candidate may change it.
  static float ReachOf(const Unit& chooser);
  // A candidate on the ground whose level distance from the chooser exceeds the reach: the
  // distance with the heights is no smaller, so the scoring refuses it outright.
  static bool IsBeyondReach(const Unit& chooser, const Unit& candidate, float reach);
  // What the filter does to a candidate beyond reach, without what cannot change its no: the
  // look that keeps the pair's sight line, where the filter would look.
  static void LookBeyondReach(Unit& candidate, Unit& chooser, bool passOverRefused);
  // On in play; tests turn it off to show that choices, sight lines and packets stay the same.
  static bool gPassOverBeyondReach;
  // On in play; tests turn it off to show that choices, draws and packets stay the same.
  static bool gPassOverLapsedLines;
  // The member's current target is the unit.
  static bool IsTargeting(const Unit& member, const Unit* unit);
  // Another unit that has a target, is identified or on the chooser's side, is armoured
  // exactly when the chooser is, and is within 50 m, or 100 m in the chooser's sight.
  static bool IsNearbyEngagedUnit(const Unit& unit, const Unit& chooser);
  // A live unarmoured infantry unit or vehicle of the chooser's side (not the chooser) within
  // 20 m of the candidate: high explosive would hit it too.
  static bool IsFriendNearTarget(const Unit& unit, const Unit& candidate);

  // ---- The weapon-effect estimate and the vehicle's hit locations
  // (AITargetingWeaponEffect.cpp, AITargetingVehicleHit.cpp) ----

  // The harm 0..3.4 the shooter's weapon (selector; 0 the main weapon) with ammunition kind k
  // does to the target in one engagement. threatMode is the generous estimate of what an
  // enemy could do (ranges 50 m wider, shock of hits that do not penetrate, doublings);
  // useExposure scales small arms and blast by how much of the target the shooter sees;
  // applyMorale scales by the shooter's morale band; viewMode 1 sees the target's class as
  // identified, 0 as it is. Draws only what the penetration formula and the units' own
  // operations draw.
  static float WeaponEffect(Unit& shooter, Unit* target, int32_t k, bool threatMode, bool useExposure,
                            bool applyMorale, int32_t selector, int32_t viewMode);
  // A vehicle's whole effect: the first of its machine guns that may fire and reaches the
  // target (flame guns first, then a heavy gun against armour, then any), scored as the gun
  // in use, plus the main weapon's effect when it has one; at most 3.4. A vehicle already in
  // machine-gun mode is judged by the gun in use alone.
  static float VehicleWeaponEffect(Unit& vehicle, Unit* target, int32_t k, bool threatMode, bool useExposure,
                                   bool applyMorale, int32_t selector, int32_t viewMode);
  // The hit locations of the vehicle as the shooter strikes it: locations 0..5 the turret and
  // the two hull parts at the facing struck and at the side, their weights split by the side
  // share and the part shares; with threatMode also 6..8, the three parts at the rear.
  // count becomes 6, or 9 with threatMode. A calibre of 0 or less counts as 75 mm.
  static void AssessVehicleHit(Unit& vehicle, int32_t viewMode, Unit& shooter, bool threatMode, float hitChance,
                               bool hullDown, float* armour, float* weight, float* ratio, int32_t& count,
                               float calibre);

  // ---- The fuzzy priority of a candidate (AITargetingPriority.cpp) ----

  // How much the chooser wants to fire at the target with the ammunition kind (0..4, 6 a
  // machine gun): 0.0 to 1.0.
  static float FuzzyPriority(Unit& chooser, Unit& target, int32_t kind);
  // The shooter's main-weapon effect on the target (seen as identified) times the factor,
  // fuzzified as the harm it can do: ids 0..3 over 0 .. 0.05 .. 0.25 .. 2.0.
  static void FuzzifyAttackEffect(GFuzzySet& set, Unit& shooter, Unit& target, int32_t kind, bool threatMode,
                                  bool useExposure, bool applyMorale, float factor);
  // The unit's value as a set (mode 0 its cost; 1 a guess by kind unless it is known well).
  static void FuzzifyTargetValue(GFuzzySet& set, Unit& unit, bool boost, int32_t mode);
  // The threat the target poses, to its own target or else to the chooser.
  static void FuzzifyThreat(GFuzzySet& set, Unit& target, Unit& chooser, bool smoke);
  static void FuzzifyAmmoSupply(GFuzzySet& set, Unit& chooser, int32_t kind, Unit& target);
  // Seconds until the chooser's weapon bears on the target, at least its aim and reload time.
  static float TimeToBearOn(const Unit& chooser, const Unit& target);
  // A vehicle scoring or firing its machine guns instead of its main gun.
  static bool InMachineGunMode(const Unit& unit);

  // ---- Target choice (AITargetingChoice.cpp) ----

  // The search over the battle's units for the unit's best target and its commit.
  static void ChooseTarget(Unit& unit, bool forced);
  // The kinds 0..3 against the unit's current target; the best becomes its kind.
  static void ChooseAmmoForTarget(Unit& unit);
  // Scores one candidate (see Unit::EvaluateCandidateTarget).
  static float EvaluateCandidate(Unit& chooser, Unit& candidate, bool forReal);
  // Whether the scoring refuses the candidate before weighing it: a band-4 chooser's
  // candidate not close by, an aircraft it has no gun for, or one out of its weapons' range.
  // Reads the two units and changes nothing.
  static bool RefusedOutright(const Unit& chooser, const Unit& candidate);
  // How many weapon-effect estimates were made (the benchmark reads it).
  static int64_t gEffectCalls;
};
