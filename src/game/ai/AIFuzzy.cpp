#include "game/ai/AIFuzzy.h"

#include "framework/core/Quorl.h"
#include "game/ai/SituationRecord.h"

namespace {

// Threat (rows) against exposure (columns): ids 3 to 6.
constexpr int8_t kCellsA[] = {3, 3, 3, 3,  //
                              5, 4, 3, 3,  //
                              6, 5, 3, 3,  //
                              6, 5, 4, 3};
// Morale (rows) against exposure: ids 0 to 3.
constexpr int8_t kCellsB[] = {3, 3, 3, 3,  //
                              3, 3, 3, 2,  //
                              3, 3, 2, 1,  //
                              3, 2, 1, 0,  //
                              3, 2, 1, 0};
// Distance (rows) against attack.
constexpr int8_t kCellsC[] = {3, 2, 1, 0,  //
                              3, 2, 1, 0,  //
                              2, 2, 1, 0,  //
                              2, 2, 1, 0};
// The general combination of two scores 0..6.
constexpr int8_t kCellsD[] = {0, 0, 0, 0, 1, 2, 3,  //
                              0, 1, 1, 1, 2, 3, 4,  //
                              0, 1, 2, 2, 3, 4, 5,  //
                              0, 1, 2, 3, 4, 5, 6,  //
                              1, 2, 3, 4, 4, 5, 6,  //
                              2, 3, 4, 5, 5, 5, 6,  //
                              3, 4, 5, 6, 6, 6, 6};
// Morale (rows) against threat.
constexpr int8_t kCellsE[] = {3, 2, 2, 1,  //
                              2, 2, 1, 1,  //
                              2, 1, 1, 0,  //
                              1, 1, 0, 0,  //
                              0, 0, 0, 0};
// Exposure (rows) against attack.
constexpr int8_t kCellsF[] = {3, 2, 1, 0,  //
                              3, 2, 0, 0,  //
                              2, 1, 0, 0,  //
                              2, 1, 0, 0};
// Row plus column.
constexpr int8_t kCellsG[] = {0, 1, 2, 3,  //
                              1, 2, 3, 4,  //
                              2, 3, 4, 5,  //
                              3, 4, 5, 6};

}  // namespace

const AIFuzzy::Matrix AIFuzzy::kA{4, 4, kCellsA};
const AIFuzzy::Matrix AIFuzzy::kB{5, 4, kCellsB};
const AIFuzzy::Matrix AIFuzzy::kC{4, 4, kCellsC};
const AIFuzzy::Matrix AIFuzzy::kD{7, 7, kCellsD};
const AIFuzzy::Matrix AIFuzzy::kE{5, 4, kCellsE};
const AIFuzzy::Matrix AIFuzzy::kF{4, 4, kCellsF};
const AIFuzzy::Matrix AIFuzzy::kG{4, 4, kCellsG};

int8_t AIFuzzy::Lookup(const Matrix& matrix, int32_t row, int32_t column) {
  if (row < 0 || column < 0) FatalError(__LINE__, "AIOperational");
  const int32_t index = row * matrix.columns + column;
  if (index >= matrix.rows * matrix.columns) FatalError(__LINE__, "AIOperational");
  return matrix.cells[index];
}

int8_t AIFuzzy::RuleA(int8_t otherId, int8_t thisId) { return Lookup(kA, thisId, otherId); }
int8_t AIFuzzy::RuleB(int8_t otherId, int8_t thisId) { return Lookup(kB, thisId, otherId); }
int8_t AIFuzzy::RuleC(int8_t otherId, int8_t thisId) { return Lookup(kC, thisId, otherId); }
int8_t AIFuzzy::RuleD(int8_t otherId, int8_t thisId) { return Lookup(kD, thisId, otherId); }
int8_t AIFuzzy::RuleE(int8_t otherId, int8_t thisId) { return Lookup(kE, thisId, otherId); }
int8_t AIFuzzy::RuleF(int8_t otherId, int8_t thisId) { return Lookup(kF, thisId, otherId); }
int8_t AIFuzzy::RuleG(int8_t otherId, int8_t thisId) { return Lookup(kG, thisId, otherId); }

void AIFuzzy::FuzzifyMorale(GFuzzySet& set, float morale) {
  set.AddFallingMember(0, morale, 0.0f, 5.0f);
  set.AddTriangleMember(1, morale, 0.0f, 15.0f, 35.0f);
  set.AddTriangleMember(2, morale, 15.0f, 35.0f, 65.0f);
  set.AddTriangleMember(3, morale, 35.0f, 65.0f, 105.0f);
  set.AddRisingMember(4, morale, 65.0f, 105.0f);
}

void AIFuzzy::FuzzifyDistance(GFuzzySet& set, float distance) {
  set.AddFallingMember(0, distance, 0.0f, 200.0f);
  set.AddTriangleMember(1, distance, 0.0f, 200.0f, 450.0f);
  set.AddTriangleMember(2, distance, 200.0f, 450.0f, 2000.0f);
  set.AddRisingMember(3, distance, 450.0f, 2000.0f);
}

void AIFuzzy::FuzzifyPastReach(GFuzzySet& set, float pastReach) {
  set.AddFallingMember(0, pastReach, 0.0f, 200.0f);
  set.AddTriangleMember(1, pastReach, 0.0f, 200.0f, 600.0f);
  set.AddTriangleMember(2, pastReach, 200.0f, 600.0f, 2000.0f);
  set.AddRisingMember(3, pastReach, 600.0f, 2000.0f);
}

void AIFuzzy::FuzzifyThreat(GFuzzySet& set, float threat) {
  set.AddFallingMember(0, threat, 0.0f, 0.2f);
  set.AddTriangleMember(1, threat, 0.0f, 0.2f, 0.7f);
  set.AddTriangleMember(2, threat, 0.2f, 0.7f, 3.0f);
  set.AddRisingMember(3, threat, 0.7f, 3.0f);
}

void AIFuzzy::FuzzifyExposure(GFuzzySet& set, float exposure) {
  set.AddRisingMember(0, exposure, 0.5f, 0.95f);
  set.AddTriangleMember(1, exposure, 0.25f, 0.5f, 0.95f);
  set.AddTriangleMember(2, exposure, 0.1f, 0.25f, 0.5f);
  set.AddFallingMember(3, exposure, 0.1f, 0.25f);
}

void AIFuzzy::FuzzifyOpportunity(GFuzzySet& set, float shot) {
  set.AddFallingMember(3, shot, 0.1f, 0.3f);
  set.AddTriangleMember(4, shot, 0.0f, 0.3f, 0.7f);
  set.AddTriangleMember(5, shot, 0.3f, 0.7f, 1.5f);
  set.AddRisingMember(6, shot, 0.7f, 1.5f);
}

void AIFuzzy::SetSingle(GFuzzySet& set, int8_t id) { set.SetMember(id, 1.0f, 0); }

float AIFuzzy::DefuzzifyOrZero(const GFuzzySet& set) {
  return set.TotalDegree() > 0.0f ? set.DefuzzifyById() : 0.0f;
}

float AIFuzzy::RawScoreA(const SituationRecord& record, const GFuzzySet& opportunity) {
  GFuzzySet p, q, r, s, t, u;
  record.threat.Combine(RuleA, record.exposure, p);
  opportunity.Combine(RuleD, p, q);
  record.morale.Combine(RuleB, record.exposure, r);
  record.distance.Combine(RuleC, record.attack, s);
  r.Combine(RuleD, s, t);
  t.Combine(RuleD, q, u);
  return DefuzzifyOrZero(u);
}

float AIFuzzy::RawScoreB(const SituationRecord& record) {
  GFuzzySet v, w, x, y;
  record.morale.Combine(RuleE, record.threat, v);
  record.exposure.Combine(RuleF, record.attack, w);
  v.Combine(RuleD, w, x);
  x.Combine(RuleG, record.pastReach, y);
  return DefuzzifyOrZero(y);
}
