// The reference map generator and the SHA-256 its guards use.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "ReferenceMapMaker.h"
#include "Sha256.h"
#include "platform/PPath.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string TempMap(const char* name) {
  return PPath::ToNative(PPath::TempFolder()) + "tarvane-refmaker-" + std::to_string(getpid()) + "-" + name;
}

// The bytes of a generated map (empty on failure).
std::string Generate(uint32_t seed, int32_t tiles, bool busy, ReferenceMapMaker::Summary* summary = nullptr) {
  const std::string path = TempMap("gen.map");
  ReferenceMapMaker maker(seed, tiles, busy);
  const bool made = maker.Make(path);
  EXPECT_TRUE(made) << maker.Error();
  std::string bytes = made ? Slurp(path) : std::string();
  std::remove(path.c_str());
  if (summary != nullptr) *summary = maker.GetSummary();
  return bytes;
}

TEST(Sha256, PublishedTestVectors) {
  EXPECT_EQ(Sha256::Hex("", 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256::Hex("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const std::string two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
  EXPECT_EQ(Sha256::Hex(two.data(), two.size()), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  const std::string four =
      "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu";
  EXPECT_EQ(Sha256::Hex(four.data(), four.size()), "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1");
  // A million 'a' fed in uneven pieces, across block edges.
  const std::string piece(997, 'a');
  Sha256 sha;
  size_t left = 1000000;
  while (left > 0) {
    const size_t n = std::min(left, piece.size());
    sha.Add(piece.data(), n);
    left -= n;
  }
  EXPECT_EQ(sha.FinishHex(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(ReferenceMapMaker, SameSeedSameBytesOtherSeedOtherBytes) {
  const std::string a = Generate(7, 64, false);
  const std::string b = Generate(7, 64, false);
  const std::string c = Generate(8, 64, false);
  ASSERT_FALSE(a.empty());
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a == c);
}

TEST(ReferenceMapMaker, PlacesEveryFeatureAndTheBusyListsOnAMiddleMap) {
  ReferenceMapMaker::Summary plain;
  ReferenceMapMaker::Summary busy;
  const std::string ground = Generate(3, 96, false, &plain);
  const std::string fought = Generate(3, 96, true, &busy);
  ASSERT_FALSE(ground.empty());
  ASSERT_FALSE(fought.empty());
  EXPECT_EQ(plain.bridges, 8);
  EXPECT_EQ(plain.bridgeTiles, 24);
  EXPECT_EQ(plain.ramps, 16);
  EXPECT_EQ(plain.fordTiles, 12);
  EXPECT_GT(plain.buildings, 0);
  EXPECT_GT(plain.wallTiles, 0);
  EXPECT_GT(plain.roadTiles[0] + plain.roadTiles[1] + plain.roadTiles[2], 0);
  EXPECT_EQ(busy.fires, 25);
  EXPECT_EQ(busy.smokeClouds, 30);
  EXPECT_EQ(busy.lastingCraters + busy.temporaryCraters, 700);
  // The busy map is the same ground: the same tile data, longer lists.
  EXPECT_GT(fought.size(), ground.size());
  EXPECT_EQ(busy.BuildingListSize(), plain.BuildingListSize());
  const std::string text = plain.Text("m");
  EXPECT_NE(text.find("bridges 8\n"), std::string::npos);
  EXPECT_NE(text.find("tiles_other 0\n"), std::string::npos);
}

TEST(ReferenceMapMaker, SmallMapsAreMadeAndSizesOutside1To250Refused) {
  for (int32_t tiles : {1, 5, 19, 31}) EXPECT_FALSE(Generate(1, tiles, false).empty()) << tiles;
  for (int32_t tiles : {0, -3, 251}) {
    ReferenceMapMaker maker(1, tiles, false);
    EXPECT_FALSE(maker.Make(TempMap("refused.map")));
    EXPECT_EQ(maker.Error(), "map size outside 1..250 tiles");
  }
}

TEST(ReferenceMapMaker, TheToolRefusesBadArgumentsWithANonZeroExit) {
  const std::string tool = MAKE_REFERENCE_MAP;
  const std::string out = TempMap("tool.map");
  const std::string sink = " >/dev/null 2>&1";
  EXPECT_NE(std::system((tool + " 1 251 " + out + " " + out + ".txt" + sink).c_str()), 0);
  EXPECT_NE(std::system((tool + " 1 0 " + out + " " + out + ".txt" + sink).c_str()), 0);
  EXPECT_NE(std::system((tool + " x 40 " + out + " " + out + ".txt" + sink).c_str()), 0);
  EXPECT_NE(std::system((tool + " 1 40" + sink).c_str()), 0);
  EXPECT_EQ(std::system((tool + " --busy 1 40 " + out + " " + out + ".txt" + sink).c_str()), 0);
  EXPECT_NE(Slurp(out + ".txt").find("smoke_clouds 30\n"), std::string::npos);
  std::remove(out.c_str());
  std::remove((out + ".txt").c_str());
}

}  // namespace
