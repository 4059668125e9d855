#pragma once
#include <cstdint>

#include "framework/core/GFuzzySet.h"

struct SituationRecord;

// The fuzzy network of the computer player's situation scores: the seven rule matrices as
// data with checked lookups, the members each input is fuzzified into, and the two rule
// chains as pure functions of the record (before the corrections for the kind of unit).
class AIFuzzy {
 public:
  struct Matrix {
    int8_t rows;
    int8_t columns;
    const int8_t* cells;  // row after row
  };
  // The cell of the matrix; a negative index or one outside the matrix is fatal.
  static int8_t Lookup(const Matrix& matrix, int32_t row, int32_t column);

  // The rows are the member ids of the set whose rule step runs, the columns those of the
  // other set (GFuzzySet::Combine hands the rule (other id, this id)).
  static int8_t RuleA(int8_t otherId, int8_t thisId);
  static int8_t RuleB(int8_t otherId, int8_t thisId);
  static int8_t RuleC(int8_t otherId, int8_t thisId);
  static int8_t RuleD(int8_t otherId, int8_t thisId);
  static int8_t RuleE(int8_t otherId, int8_t thisId);
  static int8_t RuleF(int8_t otherId, int8_t thisId);
  static int8_t RuleG(int8_t otherId, int8_t thisId);
  static const Matrix kA, kB, kC, kD, kE, kF, kG;

  // The inputs' members.
  static void FuzzifyMorale(GFuzzySet& set, float morale);
  static void FuzzifyDistance(GFuzzySet& set, float distance);
  static void FuzzifyPastReach(GFuzzySet& set, float pastReach);
  static void FuzzifyThreat(GFuzzySet& set, float threat);
  static void FuzzifyExposure(GFuzzySet& set, float exposure);
  // The best other shot: ids 3..6.
  static void FuzzifyOpportunity(GFuzzySet& set, float shot);
  // Only member id at degree 1.
  static void SetSingle(GFuzzySet& set, int8_t id);

  // The weighted mean of the ids; 0.0 for an empty set.
  static float DefuzzifyOrZero(const GFuzzySet& set);
  // The first score's chain: threat and exposure, the opportunity, morale and exposure,
  // distance and attack, folded into ids 0..6.
  static float RawScoreA(const SituationRecord& record, const GFuzzySet& opportunity);
  // The second score's chain: morale and threat, exposure and attack, then past reach.
  static float RawScoreB(const SituationRecord& record);
};
