#pragma once
#include <cstdint>

#include "framework/core/GObject.h"

// A small fuzzy value: up to 11 (member id, degree) pairs. The caller chooses what the ids
// mean. Fuzzification against trapezoid member sets, combination of two values through a
// rule (product inference, equal outputs added) and defuzzification by weighted means.
class GFuzzySet : public GObject {
 public:
  static constexpr int kMaxMembers = 11;
  // Maps (id of the other set's member, id of this set's member) to the output id.
  using Rule = int8_t (*)(int8_t idOfOther, int8_t idOfThis);

  GFuzzySet() = default;
  GFuzzySet(const GFuzzySet& other) : GObject(other) { CopyFrom(other); }
  GFuzzySet& operator=(const GFuzzySet& other) {
    CopyFrom(other);
    return *this;
  }
  ~GFuzzySet() override = default;

  // Appends (id, degree of x in the trapezoid a, b, c, d) when x lies strictly inside (a, d).
  void AddMember(int8_t id, float x, float a, float b, float c, float d);
  // The three short forms of the trapezoid (each adds only when x lies strictly inside its
  // outer bounds): degree 1 up to a, falling to 0 at b; rising from a to 1 at b, falling to 0
  // at c; rising from a to 1 at b and staying 1. The open ends stand at +-3.4e38.
  void AddFallingMember(int8_t id, float x, float a, float b);
  void AddTriangleMember(int8_t id, float x, float a, float b, float c);
  void AddRisingMember(int8_t id, float x, float a, float b);
  // Sets, or with add raises, the degree of member id; a new id is appended.
  void SetMember(int8_t id, float degree, uint8_t add);
  // result = the rule applied to every pair of members with a positive product of degrees,
  // products of equal output ids added. result may be this set or other.
  void Combine(Rule rule, const GFuzzySet& other, GFuzzySet& result) const;

  int8_t GetCount() const { return count_; }
  // The accessors check the index against the 11 places, not against the count.
  int8_t GetMemberId(int16_t index) const;
  float GetDegree(int16_t index) const;
  float TotalDegree() const;
  // The degrees' weighted mean of values[id]; fatal when the degrees sum to 0.
  float Defuzzify(const float values[]) const;
  // The degrees' weighted mean of the ids themselves; NaN when the degrees sum to 0.
  float DefuzzifyById() const;

 private:
  void CopyFrom(const GFuzzySet& other);

  int8_t count_ = 0;
  int8_t ids_[kMaxMembers] = {};
  float degrees_[kMaxMembers] = {};
};
