// The presentation's generator draws exactly as the program's one generator does, from a
// state of its own.
#include <gtest/gtest.h>

#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"

TEST(GRandom, DrawsAsTheProgramGeneratorWithoutTouchingIt) {
  SeedRandom(777);
  GRandom own(12345);
  const uint32_t before = RandomState();
  int32_t draws[6] = {};
  for (int32_t& d : draws) d = own.Random(1000);
  const float f = own.RandomFloat();
  const float g = own.RandomFloatTimes(3.0f);
  EXPECT_EQ(RandomState(), before);  // the game's generator is left alone

  SeedRandom(12345);
  for (int32_t d : draws) EXPECT_EQ(d, Random(1000));
  EXPECT_EQ(f, RandomFloat());
  EXPECT_EQ(g, RandomFloatTimes(3.0f));
  EXPECT_EQ(own.State(), RandomState());
}

TEST(GRandom, SeedingRestartsTheSequenceAndThePresentationGeneratorIsOne) {
  GRandom a;
  a.Seed(42);
  const int32_t first = a.Random(97);
  a.Seed(42);
  EXPECT_EQ(a.Random(97), first);
  EXPECT_EQ(&GRandom::Presentation(), &GRandom::Presentation());
}

TEST(GRandomDeathTest, ABoundOfZeroIsAProgrammerError) {
  GRandom a(1);
  EXPECT_DEATH(a.Random(0), "GRandom");
}
