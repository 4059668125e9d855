#include <gtest/gtest.h>

#include "game/map/Heading.h"

TEST(HeadingTest, HeadingsOfTheAxesAndTheDiagonal) {
  EXPECT_FLOAT_EQ(HeadingDegrees(0.0f, 5.0f), 90.0f);
  EXPECT_FLOAT_EQ(HeadingDegrees(0.0f, -5.0f), 270.0f);
  EXPECT_FLOAT_EQ(HeadingDegrees(-1.0f, 0.0f), 180.0f);
  EXPECT_FLOAT_EQ(HeadingDegrees(1.0f, -1.0f), 315.0f);
}

TEST(HeadingTest, NormalizeAngleAlwaysEndsInZeroTo360) {
  EXPECT_FLOAT_EQ(NormalizeAngle(-90.0f), 270.0f);
  EXPECT_FLOAT_EQ(NormalizeAngle(725.0f), 5.0f);
  EXPECT_FLOAT_EQ(NormalizeAngle(-360.0f), 0.0f);
  EXPECT_FLOAT_EQ(NormalizeAngle(-720.0f), 0.0f);
  EXPECT_FLOAT_EQ(NormalizeAngle(360.0f), 0.0f);
  EXPECT_FLOAT_EQ(NormalizeAngle(359.5f), 359.5f);
  for (float a : {-1.0e12f, -3.0e9f, -1.0e-6f, 1.0e-6f, 719.99997f, 4.0e9f}) {
    const float n = NormalizeAngle(a);
    EXPECT_GE(n, 0.0f) << a;
    EXPECT_LT(n, 360.0f) << a;
  }
}

TEST(HeadingTest, RelativeBearingTurnsTheShortWay) {
  // A heading of 350 towards a point at heading 10 (from the origin).
  const float x = 100.0f * 0.98480775f;
  const float y = 100.0f * 0.17364818f;
  EXPECT_NEAR(RelativeBearing(350.0f, 0.0f, 0.0f, x, y, false), 340.0f - 360.0f, 1e-3f);
  EXPECT_NEAR(RelativeBearing(350.0f, 0.0f, 0.0f, x, y, true), 20.0f, 1e-3f);
  EXPECT_NEAR(RelativeBearing(-10.0f, 0.0f, 0.0f, x, y, false), -20.0f, 1e-3f);
  EXPECT_NEAR(RelativeBearing(10.0f, 0.0f, 0.0f, -x, y, true), 160.0f, 1e-3f);
}

TEST(HeadingTest, SeasonOfDateByMonth) {
  EXPECT_EQ(SeasonOfDate(4411), 2);
  EXPECT_EQ(SeasonOfDate(4412), 3);
  EXPECT_EQ(SeasonOfDate(4504), 0);
  EXPECT_EQ(SeasonOfDate(4501), 3);
  EXPECT_EQ(SeasonOfDate(4407), 1);
  EXPECT_EQ(SeasonOfDate(4400), 0);
  EXPECT_EQ(SeasonOfDate(4413), 0);
}
