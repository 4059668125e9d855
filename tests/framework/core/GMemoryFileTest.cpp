// Files in memory: what a GFile writes there reads back byte for byte, a read past the end
// raises the error flag, and the maths module answers as the run-time library does.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "framework/core/GMath.h"
#include "framework/core/GMemoryFile.h"

TEST(GMemoryFile, WritesAndReadsWithoutADisk) {
  GMemoryFile out;
  out.File().WriteU16(0x113B);
  out.File().WriteFloat(1.5f);
  out.File().WriteScaled(-0.3f, 100.0f);
  out.File().WriteScaled(-0.005f, 100.0f);  // a half rounds away from zero
  const std::string bytes = out.Bytes();
  ASSERT_EQ(bytes, std::string("\x11\x3B\x3F\xC0\x00\x00\xFF\xE2\xFF\xFF", 10));
  // Writing goes on after the bytes were taken.
  out.File().WriteByte(7);
  EXPECT_EQ(out.Bytes(), bytes + "\x07");

  GMemoryFile in(bytes);
  EXPECT_EQ(in.File().BytesLeft(), 10u);
  EXPECT_EQ(in.File().ReadU16(), 0x113B);
  EXPECT_EQ(in.File().ReadFloat(), 1.5f);
  EXPECT_FLOAT_EQ(in.File().ReadScaled(100.0f), -0.3f);
  EXPECT_FLOAT_EQ(in.File().ReadScaled(100.0f), -0.01f);
  EXPECT_FALSE(in.File().HasError());
  in.File().ReadByte();
  EXPECT_TRUE(in.File().HasError());

  GMemoryFile empty{std::string()};
  EXPECT_EQ(empty.File().BytesLeft(), 0u);
}

TEST(GMath, AnswersAsTheLibrary) {
  volatile double x = 0.75;
  EXPECT_EQ(GMath::Exp(x), std::exp(x));
  EXPECT_EQ(GMath::Log(x), std::log(x));
  volatile double range = 250.0;
  EXPECT_EQ(GMath::Pow(range, 0.6), std::pow(static_cast<double>(range), 0.6));
  EXPECT_EQ(GMath::Sin(x), std::sin(x));
  EXPECT_EQ(GMath::Cos(x), std::cos(x));
  EXPECT_EQ(GMath::ExpF(-1.0f), std::exp(-1.0f));
}
