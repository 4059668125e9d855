#include "framework/core/GFuzzySet.h"

#include "framework/core/Quorl.h"

void GFuzzySet::CopyFrom(const GFuzzySet& other) {
  count_ = other.count_;
  for (int i = 0; i < kMaxMembers; ++i) {
    ids_[i] = other.ids_[i];
    degrees_[i] = other.degrees_[i];
  }
}

void GFuzzySet::AddMember(int8_t id, float x, float a, float b, float c, float d) {
  if (!(c < d)) FatalError(14, "GFuzzySet");
  if (!(a < b)) FatalError(15, "GFuzzySet");
  if (count_ >= kMaxMembers) FatalError(17, "GFuzzySet");
  // Outside the open support (or not a number): no member of degree 0 is ever stored.
  if (!(x > a && x < d)) return;
  long double lx = x, la = a, lb = b, lc = c, ld = d;
  long double degree;
  if (lx <= lb) {
    degree = (lx - la) / (lb - la);
  } else if (lx < lc) {
    degree = 1.0L;
  } else {
    degree = 1.0L - (lx - lc) / (ld - lc);
  }
  float stored = static_cast<float>(degree);
  // A degree too small for a float would be a member of degree 0.
  if (!(stored > 0.0f)) return;
  ids_[count_] = id;
  degrees_[count_] = stored;
  ++count_;
}

// The open ends of the short forms: far beyond any input, yet finite.
static constexpr float kFarEnd = 3.4e38f;
static constexpr float kNearFarEnd = 3.366e38f;

void GFuzzySet::AddFallingMember(int8_t id, float x, float a, float b) {
  AddMember(id, x, -kFarEnd, -kNearFarEnd, a, b);
}

void GFuzzySet::AddTriangleMember(int8_t id, float x, float a, float b, float c) { AddMember(id, x, a, b, b, c); }

void GFuzzySet::AddRisingMember(int8_t id, float x, float a, float b) {
  AddMember(id, x, a, b, kNearFarEnd, kFarEnd);
}

void GFuzzySet::SetMember(int8_t id, float degree, uint8_t add) {
  for (int i = 0; i < count_; ++i) {
    if (ids_[i] == id) {
      degrees_[i] = add ? degrees_[i] + degree : degree;
      return;
    }
  }
  if (count_ >= kMaxMembers) FatalError(106, "GFuzzySet");
  ids_[count_] = id;
  degrees_[count_] = degree;
  ++count_;
}

void GFuzzySet::Combine(Rule rule, const GFuzzySet& other, GFuzzySet& result) const {
  GFuzzySet combined;
  int otherCount = other.count_;
  for (int i = 0; i < otherCount; ++i) {
    float di = other.degrees_[i];
    if (!(di > 0.0f)) continue;
    for (int j = 0; j < count_; ++j) {
      float dj = degrees_[j];
      if (!(dj > 0.0f)) continue;
      float p = dj * di;
      if (p > 0.0f) combined.SetMember(rule(other.ids_[i], ids_[j]), p, 1);
    }
  }
  result = combined;
}

int8_t GFuzzySet::GetMemberId(int16_t index) const {
  if (index < 0 || index >= kMaxMembers) FatalError(2171, "Quorl");
  return ids_[index];
}

float GFuzzySet::GetDegree(int16_t index) const {
  if (index < 0 || index >= kMaxMembers) FatalError(2172, "Quorl");
  return degrees_[index];
}

float GFuzzySet::TotalDegree() const {
  float total = 0.0f;
  for (int i = 0; i < count_; ++i) total += degrees_[i];
  return total;
}

float GFuzzySet::Defuzzify(const float values[]) const {
  float sum = 0.0f;
  for (int i = 0; i < count_; ++i) {
    sum = static_cast<float>(static_cast<double>(degrees_[i]) * values[ids_[i]] + sum);
  }
  float total = TotalDegree();
  if (total == 0.0f) FatalError(168, "GFuzzySet");
  return sum / total;
}

float GFuzzySet::DefuzzifyById() const {
  float sum = 0.0f;
  for (int i = 0; i < count_; ++i) {
    sum = static_cast<float>(static_cast<double>(degrees_[i]) * ids_[i] + sum);
  }
  // No test of the total: degrees summing to 0 give 0 / 0, a quiet NaN, for the caller.
  return sum / TotalDegree();
}
