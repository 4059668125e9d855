#include "platform/PFont.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct Ink {
  int32_t left = 1 << 30;
  int32_t right = -1;
  int32_t top = 1 << 30;
  int32_t bottom = -1;
  std::set<uint16_t> values;
};

Ink InkOf(const PSurface& s, uint16_t background) {
  Ink ink;
  for (int32_t y = 0; y < s.Height(); ++y)
    for (int32_t x = 0; x < s.Width(); ++x) {
      const uint16_t v = s.Row16(y)[x];
      if (v == background) continue;
      ink.values.insert(v);
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
    }
  return ink;
}

TEST(PFont, StandardFontsOpenAndTheFixedOneAdvancesSevenPixels) {
  for (int32_t i = 0; i < PFont::kStandardCount; ++i) ASSERT_NE(PFont::OpenStandard(i), nullptr) << i;
  EXPECT_EQ(PFont::OpenStandard(3), nullptr);
  EXPECT_EQ(PFont::Open("/nonexistent/font.ttf", 12, 0), nullptr);
  auto mono = PFont::OpenStandard(2);
  EXPECT_EQ(mono->TextWidth("a"), 7);
  EXPECT_EQ(mono->TextWidth("iW.#"), 28);
  EXPECT_EQ(mono->TextWidth(std::string("A\tB\x01", 4)), 14);  // control characters count 0
  EXPECT_EQ(mono->TextWidth(nullptr, 4), 0);
  // The two sans fonts: a bold 12-pixel face is wider than a 10-pixel regular one.
  auto bold = PFont::OpenStandard(0);
  auto small = PFont::OpenStandard(1);
  EXPECT_GT(bold->TextWidth("Resolution"), small->TextWidth("Resolution"));
  EXPECT_GE(bold->Ascent(), 9);
  EXPECT_LE(bold->Ascent(), 13);
}

TEST(PFont, DrawsWithinTheMeasuredWidthInTheTextColourOnly) {
  const std::string texts[] = {"ACCEPT", "SKIP to next", "Resolution: 640 x 480", "jW|", "\xC9t\xE9 \x80"};
  for (int32_t f = 0; f < PFont::kStandardCount; ++f) {
    auto font = PFont::OpenStandard(f);
    ASSERT_NE(font, nullptr);
    for (const std::string& text : texts) {
      SCOPED_TRACE(std::to_string(f) + " " + text);
      PSurface s(300, 40, PPixelFormat::kRGB565);
      const int32_t x = 20;
      const int32_t baseline = 25;
      font->DrawText(s, text, x, baseline, 0xF81F);
      const Ink ink = InkOf(s, 0);
      const int32_t width = font->TextWidth(text);
      ASSERT_GE(ink.right, 0);
      EXPECT_EQ(ink.values, (std::set<uint16_t>{0xF81F}));  // solid, no anti-aliasing
      EXPECT_GE(ink.left, x);
      EXPECT_LT(ink.right, x + width);
      EXPECT_GE(ink.right, x + width - 4);  // the last glyph reaches near the end of its cell
      EXPECT_LE(ink.left, x + 2);
      EXPECT_GE(ink.top, baseline - font->Ascent());
      EXPECT_LE(ink.top, baseline - 5);  // capitals rise well above the baseline
    }
  }
}

TEST(PFont, TransparentBackgroundAndClippingAtTheEdges) {
  auto font = PFont::OpenStandard(0);
  PSurface s(40, 20, PPixelFormat::kRGB565);
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 40; ++x) s.Row16(y)[x] = 0x1111;
  font->DrawText(s, "MMMMMMMMMMMM", -15, 5, 0xFFFF);  // off the left, top and right edges
  const Ink ink = InkOf(s, 0x1111);
  EXPECT_EQ(ink.values, (std::set<uint16_t>{0xFFFF}));
  EXPECT_EQ(ink.left, 0);
  EXPECT_EQ(ink.right, 39);
  EXPECT_EQ(ink.top, 0);
  // A 32-bit target takes the full value.
  PSurface wide(20, 20, PPixelFormat::kXRGB8888);
  font->DrawText(wide, "I", 2, 15, 0x00ABCDEF);
  bool found = false;
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 20; ++x) found |= wide.Row32(y)[x] == 0x00ABCDEF;
  EXPECT_TRUE(found);
}

}  // namespace
