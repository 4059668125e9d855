#pragma once
#include <array>
#include <cstdint>

#include "framework/core/GFuzzySet.h"

// The fuzzy pieces of the target priority: the sets its crisp inputs make (a weapon's
// effect, a unit's value, the supply of an ammunition kind, the fire already on a target,
// the nearness of a candidate) and the final number. The rule tables are FuzzyRules.
class FuzzyPriority {
 public:
  // Supply breakpoints b0..b4; b0 -99 stands for none.
  struct SupplyBreakpoints {
    std::array<float, 5> b{-99.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  };
  // What the supply breakpoints of a kind depend on, read from the chooser and target.
  struct SupplyCase {
    int32_t kind = 0;               // 0..4, or 6 for a machine gun
    bool machineGunMode = false;
    bool hasMainWeapon = false;
    int32_t mainWeaponType = 0;     // the main weapon record's type code
    bool infantry = false;
    bool squad = false;
    float rateOfFire = 1.0f;        // shots per minute
    bool targetArmouredVehicle = false;  // a vehicle target, armoured as seen
    bool targetArmoured = false;         // armoured as seen, any kind
    int32_t fullLoad = 0;           // the class record's full ammunition load
    bool vehicleCannotMove = false;
    float menShare = 1.0f;          // infantry: men present over the class's men
    float battleShare = 1.0f;       // (turn count - turn + 1) / turn count
  };

  // The effect 0..3.4 as ids 0..3.
  static void FuzzifyEffect(GFuzzySet& set, float x);
  // A unit's value (its cost or a guess), ids 0 low .. 2 high; boost multiplies by 2.5.
  static void FuzzifyValue(GFuzzySet& set, float x, bool boost);
  // The number a unit's value set is made of: its purchase cost in mode 0, or when it is
  // known well (identified at level 3 or more, or an airplane); otherwise (mode 1) a guess
  // by kind: infantry 80 with a gun, else 30; a vehicle by its generic class 222 to 225;
  // anything else 30. Another mode or generic class stops the program.
  static float TargetValueInput(int32_t mode, bool knownWell, float purchaseCost, int32_t unitKind, bool infantryGun,
                                int32_t genericClass);
  // The breakpoints of the case, scaled by losses and by the battle still to come.
  static SupplyBreakpoints SupplyBreakpointsFor(const SupplyCase& c);
  // The supply of a count (9999 for machine guns) as ids 0..4 (4 plenty).
  static void FuzzifySupply(GFuzzySet& set, float count, const SupplyBreakpoints& points);
  // The fire already on a target (summed effects) against its breakpoints, ids 0..2.
  static void FuzzifyFireOnTarget(GFuzzySet& set, float sum, float p1, float p2);
  // The fire breakpoints (p1, p2) of a target: armoured; not infantry; infantry by morale.
  static void FireBreakpoints(bool armoured, bool infantry, int32_t morale, float& p1, float& p2);
  // The nearness of the candidate at distance d, ids 0 near .. 2 far (r1, r2 the bounds).
  static void FuzzifyNearness(GFuzzySet& set, float d, float r1, float r2);
  // The number of a final set, ids 0..8 as 0.0 .. 1.0. An empty set gives 0.0 (logged once
  // per run): nothing favours the candidate.
  static float Result(const GFuzzySet& set);
  // Raises a final set through the nearness of the candidate (R14) and gives the number.
  static float ResultNear(const GFuzzySet& priority, float d, bool noMainWeaponAgainstArmour);
  // ---- The sets of the priority's later steps (FuzzyPrioritySets.cpp) ----

  // How far a vehicle must turn to the target, a degrees off its facing: ids 0 (little) and
  // 1 (turret) or 2 (hull); heavy is the target's heavy weapon.
  static void FuzzifyTurning(GFuzzySet& set, float a, bool heavy, bool turret);
  // The duel distraction: the turret's angle b to the target (Y) and the seconds q the duel
  // has run (Z); Q = Y combined with Z through R8.
  static void FuzzifyDuel(GFuzzySet& set, float b, float q);
  // The time to bear on the target beyond 2 s (r), shorter bounds (h 14) when the target
  // fires at the chooser.
  static void FuzzifyBearTime(GFuzzySet& set, float r, bool targetsChooser);
  // The arc: a turret's angle a, standing or moving; without a turret the traverse limit.
  static void FuzzifyTurretArc(GFuzzySet& set, float a, bool moving);
  static void FuzzifyHullArc(GFuzzySet& set, float a, float limit);
  // The threat from a weapon-effect set W raised by nearness at distance d (unless smoke is
  // scored) and weighed by the victim's value set V.
  static void CombineThreat(const GFuzzySet& effect, float d, bool smoke, const GFuzzySet& victimValue,
                            GFuzzySet& threat);

  // The threat of an airplane target: {3: 1.0}.
  static void AirplaneThreat(GFuzzySet& set);
  // Whether the empty final set has been logged (tests reset it).
  static bool gEmptyLogged;
};
