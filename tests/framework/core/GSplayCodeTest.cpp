#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "GFileTestSupport.h"
#include "framework/core/Crc32.h"
#include "framework/core/GSplayDecoder.h"
#include "framework/core/GSplayEncoder.h"
#include "framework/core/GSplayTree.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<uint8_t> PathOf(const GSplayTree& tree, int symbol) {
  uint8_t bits[GSplayTree::kMaxDepth];
  int n = tree.Path(symbol, bits);
  return std::vector<uint8_t>(bits, bits + n);
}

Bytes Encode(const Bytes& data, size_t piece = 0) {
  Bytes out;
  GSplayEncoder encoder([&out](const uint8_t* b, size_t n) { out.insert(out.end(), b, b + n); });
  if (piece == 0) piece = data.size() + 1;
  for (size_t i = 0; i < data.size(); i += piece)
    encoder.Put(data.data() + i, std::min(piece, data.size() - i));
  encoder.Finish();
  return out;
}

Bytes Decode(const Bytes& code, bool* complete = nullptr, size_t piece = 0) {
  Bytes out;
  GSplayDecoder decoder([&out](const uint8_t* b, size_t n) { out.insert(out.end(), b, b + n); });
  if (piece == 0) piece = code.size() + 1;
  for (size_t i = 0; i < code.size(); i += piece)
    if (decoder.Put(code.data() + i, std::min(piece, code.size() - i))) break;
  bool ok = decoder.Finish();
  if (complete) *complete = ok;
  return out;
}

TEST(GSplayTree, StartingCodesAndOneSplay) {
  GSplayTree tree;
  EXPECT_EQ(PathOf(tree, 0), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(PathOf(tree, 65), (std::vector<uint8_t>{0, 1, 0, 0, 0, 0, 1, 0}));
  EXPECT_EQ(PathOf(tree, 254), (std::vector<uint8_t>(8, 1)));
  EXPECT_EQ(PathOf(tree, 255), (std::vector<uint8_t>(9, 0)));
  EXPECT_EQ(PathOf(tree, 256), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 1}));
  // After byte 0 the end code is six bits long: 111001.
  tree.Splay(GSplayTree::kFirstLeaf + 0);
  EXPECT_EQ(PathOf(tree, 256), (std::vector<uint8_t>{1, 1, 1, 0, 0, 1}));
  EXPECT_EQ(PathOf(tree, 0), (std::vector<uint8_t>{1, 1, 1, 1}));  // half its depth
}

TEST(GSplayTree, StaysAWholeTreeUnderManySplays) {
  GSplayTree tree;
  Bytes noise = NoiseBytes(20000, 9);
  for (size_t i = 0; i < noise.size(); ++i) {
    int symbol = (i % 97 == 0) ? 256 : noise[i] % (i % 3 == 0 ? 4 : 257);
    tree.Splay(GSplayTree::kFirstLeaf + symbol);
  }
  // Every leaf is reached from the root by following its path, and parents match children.
  for (int symbol = 0; symbol <= 256; ++symbol) {
    std::vector<uint8_t> bits = PathOf(tree, symbol);
    ASSERT_GE(bits.size(), 1u);
    ASSERT_LE(bits.size(), static_cast<size_t>(GSplayTree::kMaxDepth));
    int j = GSplayTree::kRoot;
    for (uint8_t b : bits) {
      ASSERT_LT(j, GSplayTree::kFirstLeaf);
      int child = b ? tree.Right(j) : tree.Left(j);
      ASSERT_EQ(tree.Parent(child), j);
      j = child;
    }
    EXPECT_EQ(j, GSplayTree::kFirstLeaf + symbol);
  }
}

TEST(GSplayCode, GoldenStreams) {
  EXPECT_EQ(Encode({65}), (Bytes{0x42, 0x00, 0x80}));
  EXPECT_EQ(Encode({0}), (Bytes{0x01, 0xE4}));
  EXPECT_EQ(Encode({}), (Bytes{0x00, 0x80}));
  // The format of a longer stream, pinned so that no later build changes it.
  Bytes code = Encode(MapLikeBytes(100000, 7));
  uint32_t crc = 0xFFFFFFFFu;
  for (uint8_t b : code) crc = Crc32Update(crc, b);
  EXPECT_EQ(code.size(), 15259u);
  EXPECT_EQ(crc ^ 0xFFFFFFFFu, 0xBCD99231u);
}

TEST(GSplayCode, GoldenStreamWithLongCodes) {
  // Every byte twice, in order, round after round, pushes the leaves not yet seen deep: codes
  // of well over 64 bits, split over words of the bit buffers, then runs.
  Bytes data;
  for (int round = 0; round < 40; ++round)
    for (int v = 0; v < 256; ++v) data.insert(data.end(), 2, static_cast<uint8_t>(v));
  data.insert(data.end(), 3000, 7);
  Bytes code = Encode(data);
  uint32_t crc = 0xFFFFFFFFu;
  for (uint8_t b : code) crc = Crc32Update(crc, b);
  EXPECT_EQ(code.size(), 20366u);
  EXPECT_EQ(crc ^ 0xFFFFFFFFu, 3598658265u);
  GSplayTree tree;
  int longest = 0;
  for (uint8_t byte : data) {
    longest = std::max(longest, static_cast<int>(PathOf(tree, byte).size()));
    tree.Splay(GSplayTree::kFirstLeaf + byte);
  }
  EXPECT_GT(longest, 64);
  bool complete = false;
  EXPECT_EQ(Decode(code, &complete, 3), data);
  EXPECT_TRUE(complete);
  EXPECT_EQ(Decode(code, &complete), data);
}

TEST(GSplayCode, PiecesDoNotMatterAndTrailingBitsAreIgnored) {
  Bytes data = MapLikeBytes(70000, 3);
  Bytes whole = Encode(data);
  EXPECT_EQ(Encode(data, 1), whole);
  EXPECT_EQ(Encode(data, 1000), whole);
  bool complete = false;
  EXPECT_EQ(Decode(whole, &complete, 1), data);
  EXPECT_TRUE(complete);
  Bytes padded = whole;
  padded.insert(padded.end(), {0xFF, 0x00, 0x12});
  EXPECT_EQ(Decode(padded, &complete, 7), data);
  EXPECT_TRUE(complete);
  for (uint8_t value : {0, 1, 254, 255}) {
    Bytes same(5000, value);
    EXPECT_EQ(Decode(Encode(same)), same);
  }
}

// The code read one bit at a time with the tree's plain splay: what the decoder must give,
// however it walks.
Bytes ReferenceDecode(const Bytes& code, bool* complete) {
  GSplayTree tree;
  Bytes out;
  int j = GSplayTree::kRoot;
  *complete = false;
  for (uint8_t byte : code)
    for (int b = 7; b >= 0; --b) {
      j = tree.Child(j, (byte >> b) & 1u);
      if (j < GSplayTree::kFirstLeaf) continue;
      tree.Splay(j);
      if (j == GSplayTree::kLastNode) {
        *complete = true;
        return out;
      }
      out.push_back(static_cast<uint8_t>(j - GSplayTree::kFirstLeaf));
      j = GSplayTree::kRoot;
    }
  return out;
}

TEST(GSplayCode, AnyBytesDecodeAsBitByBitInAnyPieces) {
  // Noise, runs of set and clear bits (long runs of one byte value) and real streams cut
  // short, in pieces of 1 to 23 bytes.
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    Bytes input = NoiseBytes(50 + seed * 37, seed);
    if (seed % 4 == 1) std::fill(input.begin() + 10, input.end() - 10, seed % 8 == 1 ? 0xFF : 0x00);
    if (seed % 4 == 2) {
      Bytes code = Encode(MapLikeBytes(3000 + seed * 100, seed));
      input.assign(code.begin(), code.begin() + static_cast<long>(code.size() * (seed % 3 == 0 ? 1 : 2) / 3));
    }
    bool expectComplete = false, complete = false;
    Bytes expected = ReferenceDecode(input, &expectComplete);
    EXPECT_EQ(Decode(input, &complete, 1 + seed % 23), expected) << seed;
    EXPECT_EQ(complete, expectComplete) << seed;
    EXPECT_EQ(Decode(input, &complete), expected) << seed;
  }
}

TEST(GSplayCode, DamagedStreamsStopWithinBounds) {
  Bytes data = NoiseBytes(10000, 5);
  Bytes code = Encode(data);
  bool complete = true;
  Bytes half = Decode(Bytes(code.begin(), code.begin() + static_cast<long>(code.size() / 2)), &complete);
  EXPECT_FALSE(complete);
  EXPECT_TRUE(std::equal(half.begin(), half.end(), data.begin()));
  for (uint32_t seed = 1; seed < 50; ++seed) {
    Bytes noise = NoiseBytes(1 + seed * 31, seed);
    Bytes out = Decode(noise, &complete);
    EXPECT_LE(out.size(), noise.size() * 8);
  }
  // All zero bits walk left from the root: byte 255 after splays, never the end code at first.
  Bytes zeros(1000, 0);
  EXPECT_LE(Decode(zeros, &complete).size(), 8000u);
}

}  // namespace
