#include "framework/core/GHaval.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "framework/core/GDigest.h"
#include "framework/core/GString255.h"
#include "framework/core/GString63.h"
#include "platform/PSystem.h"
#include "support/TestFolder.h"

namespace {

std::string Hex(const uint8_t* bytes, int n) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (int i = 0; i < n; ++i) {
    out += digits[bytes[i] >> 4];
    out += digits[bytes[i] & 15];
  }
  return out;
}

std::string DigestOf(const std::string& message) {
  GHaval context;
  HavalInit(context);
  HavalUpdate(context, reinterpret_cast<const uint8_t*>(message.data()), message.size());
  uint8_t result[32];
  HavalFinal(context, result);
  return Hex(result, 32);
}

TEST(Haval, PublishedVectors) {
  EXPECT_EQ(DigestOf(""), "4f6938531f0bc8991f62da7bbd6f7de3fad44562b8c6f4ebf146d5b4e46f7c17");
  EXPECT_EQ(DigestOf("a"), "47c838fbb4081d9525a0ff9b1e2c05a98f625714e72db289010374e27db021d8");

  GString63 empty;
  uint8_t result[32];
  HavalString(empty, result);
  EXPECT_EQ(Hex(result, 32), "4f6938531f0bc8991f62da7bbd6f7de3fad44562b8c6f4ebf146d5b4e46f7c17");
  GString63 a;
  a.Assign("a");
  HavalString(a, result);
  EXPECT_EQ(Hex(result, 32), "47c838fbb4081d9525a0ff9b1e2c05a98f625714e72db289010374e27db021d8");
}

TEST(Haval, PiecesEqualTheWholeAndTheContextIsCleared) {
  // Lengths around the padding boundary (118 bytes into a block) and past several blocks.
  for (size_t length : {117u, 118u, 119u, 127u, 128u, 129u, 246u, 1000u}) {
    std::string message(length, '\0');
    for (size_t i = 0; i < length; ++i) message[i] = static_cast<char>(i * 37 + 11);
    std::string whole = DigestOf(message);
    for (size_t piece : {1u, 7u, 64u, 127u, 300u}) {
      GHaval context;
      HavalInit(context);
      for (size_t at = 0; at < length; at += piece) {
        size_t n = std::min(piece, length - at);
        HavalUpdate(context, reinterpret_cast<const uint8_t*>(message.data()) + at, n);
      }
      uint8_t result[32];
      HavalFinal(context, result);
      EXPECT_EQ(Hex(result, 32), whole) << length << " in pieces of " << piece;
      const uint8_t* raw = reinterpret_cast<const uint8_t*>(&context);
      bool cleared = true;
      for (size_t i = 0; i < sizeof context; ++i) cleared = cleared && raw[i] == 0;
      EXPECT_TRUE(cleared);
    }
    // Neighbouring lengths give different digests.
    EXPECT_NE(whole, DigestOf(message + "x"));
  }
}

TEST(Haval, DigestTextStopsAtTheFirstZeroByte) {
  bool sawEmpty = false;
  bool sawCut = false;
  bool sawWhole = false;
  for (int i = 0; i < 20000 && !(sawEmpty && sawCut && sawWhole); ++i) {
    GString63 password;
    password.AssignNumber(i);
    uint8_t result[32];
    HavalString(password, result);
    int firstZero = 32;
    for (int k = 0; k < 32; ++k) {
      if (result[k] == 0) {
        firstZero = k;
        break;
      }
    }
    GString63 digest;
    digest.Assign("stale");
    GDigest::DigestText(&password, &digest);
    ASSERT_EQ(digest.Length(), firstZero) << i;
    EXPECT_EQ(std::string(digest.CStr(), digest.Length()),
              std::string(reinterpret_cast<const char*>(result), static_cast<size_t>(firstZero)));
    sawEmpty = sawEmpty || firstZero == 0;
    sawCut = sawCut || (firstZero > 0 && firstZero < 32);
    sawWhole = sawWhole || firstZero == 32;
  }
  EXPECT_TRUE(sawEmpty);
  EXPECT_TRUE(sawCut);
  EXPECT_TRUE(sawWhole);

  // The same password gives an equal digest text; another does not.
  GString63 p1, p2, d1, d2, d3;
  p1.Assign("Kursk");
  p2.Assign("kursk");
  GDigest::DigestText(&p1, &d1);
  GDigest::DigestText(&p1, &d2);
  GDigest::DigestText(&p2, &d3);
  EXPECT_TRUE(d1.Equals(d2));
  EXPECT_FALSE(d1.Equals(d3));
}

TEST(HavalDeathTest, NullArgumentsAreFatal) {
  TestFolder folder(true);
  GString63 s;
  EXPECT_EXIT(GDigest::DigestText(nullptr, &s), testing::ExitedWithCode(PSystem::kFatalExitStatus),
              "ERROR: GKernel line 5820\\.");
  EXPECT_EXIT(GDigest::DigestText(&s, nullptr), testing::ExitedWithCode(PSystem::kFatalExitStatus),
              "ERROR: GKernel line 5821\\.");
}

}  // namespace
