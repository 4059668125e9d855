#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "BitmapCatalogue.h"
#include "BitmapRecipes.h"
#include "Painter.h"

namespace {

BitmapCatalogue::Row RowOf(const std::string& text) {
  BitmapCatalogue catalogue;
  EXPECT_TRUE(catalogue.Parse("# Test\n" + text + " | Test | purpose\n", "test.txt")) << catalogue.Error();
  return catalogue.Rows().empty() ? BitmapCatalogue::Row{} : catalogue.Rows()[0];
}

double Brightness(const std::vector<uint32_t>& pixels, int32_t width, int32_t top, int32_t height) {
  double sum = 0;
  for (int32_t y = top; y < top + height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      sum += (p >> 16 & 255) + (p >> 8 & 255) + (p & 255);
    }
  return sum / (3.0 * width * height);
}

double Saturation(const std::vector<uint32_t>& pixels, int32_t width, int32_t top, int32_t height) {
  double sum = 0;
  for (int32_t y = top; y < top + height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      const int r = p >> 16 & 255, g = p >> 8 & 255, b = p & 255;
      sum += std::max({r, g, b}) - std::min({r, g, b});
    }
  return sum / (width * height);
}

}  // namespace

// A keyed picture has hard edges: each pixel is exactly magenta or opaque art outside the
// key's cell, and both are there.
TEST(BitmapRecipesTest, KeyedPicturesAreMagentaOrArtWithNoBlend) {
  const BitmapCatalogue catalogue;
  for (const char* text : {"7 32x32 2d key icon icon=tank", "8 64x20 2d key word label=\"Move\"",
                           "9 58x58 2d key portrait figure=3 army=us"}) {
    SCOPED_TRACE(text);
    const BitmapCatalogue::Row row = RowOf(text);
    std::string reason;
    ASSERT_TRUE(BitmapRecipes::Check(row, reason)) << reason;
    const std::vector<uint32_t> pixels = BitmapRecipes::Draw(row, catalogue);
    ASSERT_EQ(pixels.size(), static_cast<size_t>(row.width * row.height));
    int32_t magenta = 0;
    for (uint32_t p : pixels) {
      if (p == 0xFF00FF) {
        ++magenta;
        continue;
      }
      EXPECT_FALSE((p >> 16 & 255) >= 248 && (p & 255) >= 248 && (p >> 8 & 255) < 8) << std::hex << p;
    }
    EXPECT_GT(magenta, 0);
    EXPECT_LT(magenta, static_cast<int32_t>(pixels.size()));
  }
}

// An opaque colour that a 16-bit screen would take for the key is moved off it; a keyed
// picture's uncovered pixels become magenta.
TEST(BitmapRecipesTest, PixelsStayOutOfTheKeysCellUnlessKeyed) {
  Painter opaque(4, 1);
  cairo_set_source_rgb(opaque.Cr(), 1.0, 0.0, 1.0);
  cairo_paint(opaque.Cr());
  EXPECT_EQ(opaque.Pixels(false), std::vector<uint32_t>(4, 0xFF08FF));
  Painter keyed(4, 1);
  cairo_set_source_rgb(keyed.Cr(), 0.0, 0.5, 0.0);
  cairo_rectangle(keyed.Cr(), 0, 0, 2, 1);
  cairo_fill(keyed.Cr());
  cairo_set_source_rgba(keyed.Cr(), 1.0, 1.0, 1.0, 0.4);  // less than half covered
  cairo_rectangle(keyed.Cr(), 2, 0, 1, 1);
  cairo_fill(keyed.Cr());
  const std::vector<uint32_t> pixels = keyed.Pixels(true);
  EXPECT_EQ(pixels[0], 0x008000u);
  EXPECT_EQ(pixels[2], 0xFF00FFu);
  EXPECT_EQ(pixels[3], 0xFF00FFu);
  Painter::ReleaseFonts();
}

// The frames of a strip are drawn in the style's order: normal, pressed (darker), disabled
// (greyed), hover (lit); drawing is the same every time.
TEST(BitmapRecipesTest, StripButtonsDrawTheirStylesFramesInOrder) {
  const BitmapCatalogue catalogue;
  const BitmapCatalogue::Row row = RowOf("7 80x120 2d strip:4 button label=\"OK\" tone=red");
  const std::vector<uint32_t> pixels = BitmapRecipes::Draw(row, catalogue);
  EXPECT_EQ(pixels, BitmapRecipes::Draw(row, catalogue));
  const double normal = Brightness(pixels, 80, 0, 30), pressed = Brightness(pixels, 80, 30, 30);
  const double hover = Brightness(pixels, 80, 90, 30);
  EXPECT_LT(pressed, normal);
  EXPECT_GT(hover, normal);
  EXPECT_LT(Saturation(pixels, 80, 60, 30), Saturation(pixels, 80, 0, 30) / 2);
  // A one-frame style 6 strip is its pressed face (the grain differs with the place).
  const BitmapCatalogue::Row single = RowOf("8 80x30 2d strip:6 button label=\"OK\" tone=red");
  const std::vector<uint32_t> face = BitmapRecipes::Draw(single, catalogue);
  EXPECT_NEAR(Brightness(face, 80, 0, 30), pressed, 3.0);
  EXPECT_LT(Brightness(face, 80, 0, 30), normal - 5.0);
  Painter::ReleaseFonts();
}

TEST(BitmapRecipesTest, RecipesAcceptOnlyTheirOwnArgumentsAndValues) {
  const struct {
    const char* row;
    const char* reason;  // empty: accepted
  } cases[] = {
      {"7 20x20 2d panel style=camera tone=steel title=\"A\"", ""},
      {"7 20x20 2d panel style=round", "argument style='round' is not a value recipe 'panel' knows"},
      {"7 20x20 2d background style=main title=\"T\"", ""},
      {"7 20x20 2d button emblem=german label=\"AXIS\"", ""},
      {"7 20x20 2d button emblem=prussian", "argument emblem='prussian' is not a value recipe 'button' knows"},
      {"7 20x20 2d button state=glowing", "argument state='glowing' is not a value recipe 'button' knows"},
      {"7 20x20 2d icon icon=bars level=9", "argument level='9' is not a value recipe 'icon' knows"},
      {"7 20x20 2d icon tone=pink icon=man", "argument tone='pink' is not a value recipe 'icon' knows"},
      {"7 20x20 2d icon label=\"X\"", "an icon needs icon"},
      {"7 20x20 2d portrait figure=27 army=us", "argument figure='27' is not a value recipe 'portrait' knows"},
      {"7 20x20 2d portrait figure=26", "a portrait needs figure and army"},
      {"7 20x20 2d emblem", "an emblem needs army"},
      {"7 20x20 2d sheet tone=olive", "recipe 'sheet' has no argument 'tone'"},
      {"7 20x20 2d strip-icons set=ranks", "argument set='ranks' is not a value recipe 'strip-icons' knows"},
      {"7 20x20 2d word label=\"Move\" icon=man", "recipe 'word' has no argument 'icon'"},
      {"7 20x20 2d font-tool face=\"Liberation Mono\"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row);
    std::string reason;
    EXPECT_EQ(BitmapRecipes::Check(RowOf(c.row), reason), std::string(c.reason).empty());
    EXPECT_EQ(reason, c.reason);
  }
  EXPECT_FALSE(BitmapRecipes::Draws(RowOf("7 20x20 2d font-tool")));
}
