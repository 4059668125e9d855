#include "framework/media/GGraphicPixels.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/media/GraphicsTestHost.h"

namespace {

constexpr uint16_t kA = 0x8000;

uint16_t Rgb(int r, int g, int b) { return static_cast<uint16_t>(r << 10 | g << 5 | b); }

std::unique_ptr<PSurface> Texture(int32_t w, int32_t h, const std::vector<uint16_t>& texels) {
  auto t = std::make_unique<PSurface>(w, h, PPixelFormat::kARGB1555);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) t->Row16(y)[x] = texels[static_cast<size_t>(y) * w + x];
  return t;
}

std::vector<uint16_t> Texels(const PSurface& t) {
  std::vector<uint16_t> out;
  for (int32_t y = 0; y < t.Height(); ++y)
    for (int32_t x = 0; x < t.Width(); ++x) out.push_back(t.Row16(y)[x]);
  return out;
}

TEST(PrepareTexturePixels, KeysMagentaSetsAlphaAndTintsWithinTheFields) {
  auto t = Texture(4, 1, {0x7C1F, 0xFC1F, Rgb(20, 10, 4), Rgb(31, 31, 31)});
  EXPECT_TRUE(PrepareTexturePixels(*t, nullptr));
  EXPECT_EQ(Texels(*t), (std::vector<uint16_t>{0, 0, static_cast<uint16_t>(kA | Rgb(20, 10, 4)), 0xFFFF}));

  t = Texture(3, 1, {Rgb(20, 10, 5), Rgb(31, 31, 31), Rgb(1, 2, 3)});
  const float unit[3] = {1.0f, 1.0f, 1.0f};
  EXPECT_FALSE(PrepareTexturePixels(*t, unit));
  EXPECT_EQ(Texels(*t)[0], kA | Rgb(20, 10, 5));

  // Above 1 a field stops at 31 instead of running into its neighbour; below 0 (or not a
  // number) it is 0.
  t = Texture(3, 1, {Rgb(20, 10, 5), Rgb(31, 31, 31), Rgb(1, 2, 3)});
  const float odd[3] = {1.5f, -1.0f, 0.7f};
  EXPECT_FALSE(PrepareTexturePixels(*t, odd));
  EXPECT_EQ(Texels(*t), (std::vector<uint16_t>{static_cast<uint16_t>(kA | Rgb(30, 0, 3)),
                                               static_cast<uint16_t>(kA | Rgb(31, 0, 21)),
                                               static_cast<uint16_t>(kA | Rgb(1, 0, 2))}));
}

TEST(FillTransparentTexels, AveragesTheNonZeroNeighboursWrappingAtTheEdges) {
  const uint16_t p = kA | Rgb(10, 20, 30);
  const uint16_t q = kA | Rgb(20, 0, 1);
  // Row 0: 0 at (0,0) has left neighbour (2,0) = q by wrapping, right p, above (0,2) = p,
  // below (0,1) = 0 (not counted). Then (1,1) sees the (0,1) texel not yet filled.
  auto t = Texture(3, 3, {0, p, q,   //
                          0, 0, p,   //
                          p, q, p});
  FillTransparentTexels(*t);
  const uint16_t first = Rgb((20 + 10 + 10) / 3, (0 + 20 + 20) / 3, (1 + 30 + 30) / 3);
  // (0,1): left (2,1) = p, right (1,1) = 0, above (0,0) = first (filled earlier), below p.
  const uint16_t second = Rgb((10 + 13 + 10) / 3, (20 + 13 + 20) / 3, (30 + 20 + 30) / 3);
  // (1,1): left second, right p, above p, below q.
  const uint16_t third = Rgb((11 + 10 + 10 + 20) / 4, (17 + 20 + 20 + 0) / 4, (26 + 30 + 30 + 1) / 4);
  EXPECT_EQ(Texels(*t), (std::vector<uint16_t>{first, p, q, second, third, p, p, q, p}));

  // Nothing around to take a colour from: stays 0.
  t = Texture(1, 1, {0});
  FillTransparentTexels(*t);
  EXPECT_EQ(Texels(*t)[0], 0);
}

// Halving makes new textures through the host; a budget lets it run without a display.
class HalveTextureTest : public testing::Test {
 protected:
  HalveTextureTest() { host_.budget = std::make_unique<PTextureBudget>(1u << 20); }
  GraphicsTestHost host_;
};

TEST_F(HalveTextureTest, BlocksWithTransparentTexelsAlternateThroughTheErrorTerm) {
  // 16 x 16 of 2 x 2 blocks whose top row is opaque (fields 10/11, 5/6, 3/4) and bottom clear.
  std::vector<uint16_t> texels(256);
  for (int32_t y = 0; y < 16; ++y)
    for (int32_t x = 0; x < 16; ++x)
      texels[y * 16 + x] = (y & 1) ? 0 : ((x & 1) ? kA | Rgb(11, 6, 4) : kA | Rgb(10, 5, 3));
  auto t = Texture(16, 16, texels);
  int32_t w = 16, h = 16;
  ASSERT_TRUE(HalveTexture(2, t, w, h));
  ASSERT_EQ(w, 8);
  ASSERT_EQ(h, 8);
  // Sums over 2: red 10.5 fields + 511.5 stays 10, green 5.5 stays 5, blue 3.5 + 0.49 is 3.
  const uint16_t colour = Rgb(10, 5, 3);
  const std::vector<uint16_t> out = Texels(*t);
  for (int32_t i = 0; i < 64; ++i)
    ASSERT_EQ(out[i], (i % 2 == 0) ? (kA | colour) : colour) << i;  // opaque, e 2; see-through, e 0
}

TEST_F(HalveTextureTest, PairsCarryTheErrorAcrossRowsAndClearHalfCoveredOnes) {
  // 10 x 2, width only: ten pairs, each one opaque texel of red 8.
  std::vector<uint16_t> texels(20, 0);
  for (int32_t i = 0; i < 20; i += 2) texels[i] = kA | Rgb(8, 0, 0);
  auto t = Texture(10, 2, texels);
  int32_t w = 10, h = 2;
  ASSERT_TRUE(HalveTexture(1, t, w, h));
  ASSERT_EQ(w, 5);
  ASSERT_EQ(h, 2);
  const uint16_t o = kA | Rgb(8, 0, 0);
  EXPECT_EQ(Texels(*t), (std::vector<uint16_t>{o, 0, o, 0, o, 0, o, 0, o, 0}));

  // Fully opaque 2 x 2 blocks average and round.
  t = Texture(10, 10, std::vector<uint16_t>(100, kA | Rgb(31, 31, 31)));
  t->Row16(0)[0] = kA | Rgb(28, 0, 1);
  w = h = 10;
  ASSERT_TRUE(HalveTexture(2, t, w, h));
  // Fields (28 + 93) / 4 = 30.25, 93 / 4 = 23.25 and 94 / 4 = 23.5, which + 0.49 stays 23.
  EXPECT_EQ(t->Row16(0)[0], kA | Rgb(30, 23, 23));
  EXPECT_EQ(t->Row16(4)[4], kA | Rgb(31, 31, 31));
}

TEST_F(HalveTextureTest, LevelsBeyondTwoRepeatAndSmallSidesStay) {
  auto t = Texture(32, 32, std::vector<uint16_t>(32 * 32, kA));
  int32_t w = 32, h = 32;
  ASSERT_TRUE(HalveTexture(3, t, w, h));  // level 1 (width), then level 2 (both)
  EXPECT_EQ(w, 8);
  EXPECT_EQ(h, 16);
  ASSERT_TRUE(HalveTexture(1, t, w, h));  // width at 8: the height goes
  EXPECT_EQ(w, 8);
  EXPECT_EQ(h, 8);
  ASSERT_TRUE(HalveTexture(2, t, w, h));  // nothing above 8
  EXPECT_EQ(t->Width(), 8);
  EXPECT_EQ(t->Height(), 8);

  // No room for the smaller texture: false, the texture kept.
  auto big = Texture(16, 16, std::vector<uint16_t>(256, kA));
  PSurface* before = big.get();
  host_.budget->SetTotal(0);
  w = h = 16;
  EXPECT_FALSE(HalveTexture(2, big, w, h));
  EXPECT_EQ(w, 16);
  EXPECT_EQ(h, 16);
  EXPECT_EQ(big.get(), before);
}

}  // namespace
