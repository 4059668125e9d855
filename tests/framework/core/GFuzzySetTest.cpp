#include "framework/core/GFuzzySet.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/PSystem.h"
#include "support/TestFolder.h"

namespace {

// The degree of x in one trapezoid, or -1 when nothing is added.
float DegreeOf(float x, float a, float b, float c, float d) {
  GFuzzySet s;
  s.AddMember(4, x, a, b, c, d);
  if (s.GetCount() == 0) return -1.0f;
  EXPECT_EQ(s.GetCount(), 1);
  EXPECT_EQ(s.GetMemberId(0), 4);
  return s.GetDegree(0);
}

TEST(GFuzzySet, TrapezoidMembership) {
  EXPECT_EQ(DegreeOf(5, 0, 10, 20, 30), 0.5f);
  EXPECT_EQ(DegreeOf(15, 0, 10, 20, 30), 1.0f);
  EXPECT_EQ(DegreeOf(25, 0, 10, 20, 30), 0.5f);
  EXPECT_EQ(DegreeOf(0, 0, 10, 20, 30), -1.0f);
  EXPECT_EQ(DegreeOf(30, 0, 10, 20, 30), -1.0f);
  EXPECT_EQ(DegreeOf(-4, 0, 10, 20, 30), -1.0f);
  EXPECT_EQ(DegreeOf(10, 0, 10, 20, 30), 1.0f);
  EXPECT_EQ(DegreeOf(20, 0, 10, 20, 30), 1.0f);
  EXPECT_EQ(DegreeOf(std::numeric_limits<float>::quiet_NaN(), 0, 10, 20, 30), -1.0f);
  // Triangle: b = c.
  EXPECT_EQ(DegreeOf(10, 0, 10, 10, 20), 1.0f);
  EXPECT_EQ(DegreeOf(15, 0, 10, 10, 20), 0.5f);
  // b > c: the rising edge up to b, the falling edge above it.
  EXPECT_EQ(DegreeOf(12, 0, 16, 8, 24), 0.75f);
  EXPECT_EQ(DegreeOf(20, 0, 16, 8, 24), 0.25f);
  // An open shoulder with its end near the largest float.
  EXPECT_EQ(DegreeOf(1000, 0, 100, 3.0e38f, 3.4e38f), 1.0f);
  // Extended precision: 1/3 computed once and rounded once to float.
  EXPECT_EQ(DegreeOf(1, 0, 3, 5, 6), static_cast<float>(1.0L / 3.0L));

  GFuzzySet several;
  several.AddMember(0, 12, 0, 10, 10, 20);
  several.AddMember(1, 12, 10, 20, 20, 30);
  several.AddMember(2, 12, 20, 30, 30, 40);
  EXPECT_EQ(several.GetCount(), 2);
  EXPECT_FLOAT_EQ(several.GetDegree(0), 0.8f);
  EXPECT_FLOAT_EQ(several.GetDegree(1), 0.2f);
  EXPECT_FLOAT_EQ(several.TotalDegree(), 1.0f);
}

TEST(GFuzzySet, SetMemberAndCombine) {
  GFuzzySet s;
  s.SetMember(3, 0.25f, 0);
  s.SetMember(3, 0.5f, 1);
  s.SetMember(5, 0.1f, 1);
  EXPECT_EQ(s.GetCount(), 2);
  EXPECT_EQ(s.GetDegree(0), 0.75f);
  s.SetMember(3, 0.125f, 0);
  EXPECT_EQ(s.GetDegree(0), 0.125f);

  GFuzzySet a, b, out;
  a.SetMember(1, 0.5f, 0);
  a.SetMember(2, 0.5f, 0);
  b.SetMember(7, 1.0f, 0);
  a.Combine([](int8_t, int8_t) -> int8_t { return 3; }, b, out);
  EXPECT_EQ(out.GetCount(), 1);
  EXPECT_EQ(out.GetMemberId(0), 3);
  EXPECT_EQ(out.GetDegree(0), 1.0f);

  // The rule sees (id of the other set, id of this set); products accumulate per output.
  GFuzzySet x, y;
  x.SetMember(1, 0.5f, 0);
  x.SetMember(2, 0.25f, 0);
  x.SetMember(9, 0.0f, 0);  // degree 0: skipped
  y.SetMember(10, 0.5f, 0);
  y.SetMember(20, 1.0f, 0);
  x.Combine([](int8_t other, int8_t self) -> int8_t { return static_cast<int8_t>(other + self); }, y, x);
  // Outputs in order of the other set's members, then this set's: 11, 12, 21, 22.
  ASSERT_EQ(x.GetCount(), 4);
  EXPECT_EQ(x.GetMemberId(0), 11);
  EXPECT_EQ(x.GetDegree(0), 0.25f);
  EXPECT_EQ(x.GetMemberId(1), 12);
  EXPECT_EQ(x.GetDegree(1), 0.125f);
  EXPECT_EQ(x.GetMemberId(3), 22);
  EXPECT_EQ(x.GetDegree(3), 0.25f);

  GFuzzySet copy(x);
  EXPECT_EQ(copy.GetCount(), 4);
  EXPECT_EQ(copy.GetDegree(2), 0.5f);
  GFuzzySet assigned;
  assigned = copy;
  EXPECT_EQ(assigned.GetMemberId(2), 21);
  // Places beyond the count read as empty, not as an error.
  EXPECT_EQ(assigned.GetDegree(10), 0.0f);
}

TEST(GFuzzySet, Defuzzifiers) {
  GFuzzySet s;
  s.SetMember(0, 0.25f, 0);
  s.SetMember(1, 0.75f, 0);
  const float values[] = {10.0f, 20.0f};
  EXPECT_EQ(s.Defuzzify(values), 17.5f);

  GFuzzySet ids;
  ids.SetMember(2, 1.0f, 0);
  ids.SetMember(4, 1.0f, 0);
  EXPECT_EQ(ids.DefuzzifyById(), 3.0f);
  GFuzzySet negative;
  negative.SetMember(-6, 0.5f, 0);
  negative.SetMember(2, 0.5f, 0);
  EXPECT_EQ(negative.DefuzzifyById(), -2.0f);

  GFuzzySet empty;
  EXPECT_EQ(empty.TotalDegree(), 0.0f);
  EXPECT_TRUE(std::isnan(empty.DefuzzifyById()));
  GFuzzySet zeros;
  zeros.SetMember(1, 0.0f, 0);
  EXPECT_TRUE(std::isnan(zeros.DefuzzifyById()));
}

// The short forms: the open ends reach every finite input, the inner bounds are exclusive.
TEST(GFuzzySet, ShortForms) {
  auto one = [](GFuzzySet& s) { return s.GetCount() == 1 ? s.GetDegree(0) : -1.0f; };
  GFuzzySet f1, f2, f3, f4;
  f1.AddFallingMember(0, -1.0e30f, 10, 20);
  f2.AddFallingMember(0, 15, 10, 20);
  f3.AddFallingMember(0, 20, 10, 20);
  f4.AddFallingMember(0, 10, 10, 20);
  EXPECT_EQ(one(f1), 1.0f);
  EXPECT_EQ(one(f2), 0.5f);
  EXPECT_EQ(one(f3), -1.0f);
  EXPECT_EQ(one(f4), 1.0f);
  GFuzzySet t1, t2, t3, t4;
  t1.AddTriangleMember(1, 3, 3, 50, 200);
  t2.AddTriangleMember(1, 50, 3, 50, 200);
  t3.AddTriangleMember(1, 125, 3, 50, 200);
  t4.AddTriangleMember(1, 200, 3, 50, 200);
  EXPECT_EQ(one(t1), -1.0f);
  EXPECT_EQ(one(t2), 1.0f);
  EXPECT_EQ(one(t3), 0.5f);
  EXPECT_EQ(one(t4), -1.0f);
  GFuzzySet r1, r2, r3, r4;
  r1.AddRisingMember(2, 50, 50, 120);
  r2.AddRisingMember(2, 85, 50, 120);
  r3.AddRisingMember(2, 3.0e38f, 50, 120);
  r4.AddRisingMember(2, 9999, 50, 120);
  EXPECT_EQ(one(r1), -1.0f);
  EXPECT_EQ(one(r2), 0.5f);
  EXPECT_EQ(one(r3), 1.0f);
  EXPECT_EQ(one(r4), 1.0f);
  EXPECT_EQ(r2.GetMemberId(0), 2);
  // Three shapes over one axis sum to 1 inside it.
  GFuzzySet v;
  v.AddFallingMember(0, 30, 3, 50);
  v.AddTriangleMember(1, 30, 3, 50, 200);
  v.AddRisingMember(2, 30, 50, 120);
  EXPECT_EQ(v.GetCount(), 2);
  EXPECT_NEAR(v.TotalDegree(), 1.0f, 1e-6f);
}


TEST(GFuzzySetDeathTest, MisuseIsFatal) {
  TestFolder folder(true);
  const auto fatal = testing::ExitedWithCode(PSystem::kFatalExitStatus);
  GFuzzySet s;
  EXPECT_EXIT(s.AddMember(0, 1, 0, 1, 5, 5), fatal, "ERROR: GFuzzySet line 14\\.");
  EXPECT_EXIT(s.AddMember(0, 1, 2, 2, 5, 6), fatal, "ERROR: GFuzzySet line 15\\.");
  const float values[] = {1.0f};
  EXPECT_EXIT(s.Defuzzify(values), fatal, "ERROR: GFuzzySet line 168\\.");
  EXPECT_EXIT(s.GetMemberId(11), fatal, "ERROR: Quorl line 2171\\.");
  EXPECT_EXIT(s.GetDegree(-1), fatal, "ERROR: Quorl line 2172\\.");
  GFuzzySet full;
  for (int i = 0; i < 11; ++i) full.SetMember(static_cast<int8_t>(i), 0.5f, 0);
  EXPECT_EXIT(full.SetMember(11, 0.5f, 0), fatal, "ERROR: GFuzzySet line 106\\.");
  EXPECT_EXIT(full.AddMember(11, 5, 0, 10, 20, 30), fatal, "ERROR: GFuzzySet line 17\\.");
  GFuzzySet wide;
  for (int i = 0; i < 4; ++i) wide.SetMember(static_cast<int8_t>(i), 0.5f, 0);
  EXPECT_EXIT(wide.Combine([](int8_t o, int8_t t) -> int8_t { return static_cast<int8_t>(o * 4 + t); }, wide, wide),
              fatal, "ERROR: GFuzzySet line 106\\.");
}

}  // namespace
