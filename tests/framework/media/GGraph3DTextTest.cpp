#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "framework/core/GErrorLog.h"
#include "framework/core/GString255.h"
#include "framework/media/GGraph3DFontTables.h"
#include "framework/media/ScreenTextRig.h"
#include "platform/PFailureInjection.h"
#include "platform/PSystem.h"

namespace {

namespace T = GGraph3DFontTables;

GString255 Text(const char* s) {
  GString255 text;
  text.Assign(s);
  return text;
}

// Where a code's glyph lies in a font bitmap, worked out from the tables alone.
struct GlyphPlace {
  int x, y, width;
};
GlyphPlace PlaceOf(int font, uint8_t code) {
  int glyph = 0;
  int x = 0;
  for (int c = 32; c < code; ++c) {
    if (T::kWidths[0][c - 32] == 0) continue;
    x += font == 2 ? 7 : T::kWidths[font][c - 32];
    if (++glyph % 32 == 0) x = 0;
  }
  if (T::kWidths[0][code - 32] == 0) return {0, 0, font == 2 ? 7 : 0};
  return {x, glyph / 32 * T::kCellHeight[font], font == 2 ? 7 : T::kWidths[font][code - 32]};
}

PBitmapFile::Image FontImage(int font) {
  PBitmapFile::Image image;
  const std::string bytes = ReadWholeFile(BuildBitmapFolder() + std::to_string(T::kBitmapNumber[font]) + ".bmp");
  EXPECT_TRUE(PBitmapFile::Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image));
  return image;
}

// How many pixels of a text, drawn left-aligned at (x, baseline) on a background, differ
// from the font bitmap's glyphs: glyph pixels must have the text's colour, the rest of the
// cell the background.
int GlyphMismatches(const PSurface& screen, const PBitmapFile::Image& font, int f, const char* text, int x,
                    int baseline, uint16_t ink, uint16_t background) {
  int wrong = 0;
  int pen = x;
  const int top = baseline - T::kBaselineOffset[f];
  for (const char* p = text; *p != 0; ++p) {
    const GlyphPlace g = PlaceOf(f, static_cast<uint8_t>(*p));
    for (int row = 0; row < T::kCellHeight[f]; ++row) {
      for (int col = 0; col < g.width; ++col) {
        const bool glyph = font.pixels[static_cast<size_t>(g.y + row) * font.width + g.x + col] == 0;
        wrong += screen.Row16(top + row)[pen + col] != (glyph ? ink : background);
      }
    }
    pen += g.width;
  }
  return wrong;
}

TEST(GGraph3DFonts, BitmapsHoldTheTablesGlyphRows) {
  // Five rows of one cell each, as wide as the widest row; every glyph of a visible
  // character has ink, and only black and white are used.
  for (int f = 0; f < 3; ++f) {
    const PBitmapFile::Image image = FontImage(f);
    int widest = 0;
    for (int row = 0; row < 5; ++row) {
      int sum = 0;
      for (int g = 0, c = 32; c < 256; ++c) {
        if (T::kWidths[0][c - 32] == 0) continue;
        if (g++ / 32 == row) sum += f == 2 ? 7 : T::kWidths[f][c - 32];
      }
      widest = std::max(widest, sum);
    }
    EXPECT_EQ(image.width, widest) << f;
    EXPECT_EQ(image.height, 5 * T::kCellHeight[f]) << f;
    for (uint32_t p : image.pixels) ASSERT_TRUE(p == 0 || p == 0xFFFFFF) << f;
    for (int c = 33; c < 256; ++c) {
      if (T::kWidths[0][c - 32] == 0) continue;
      const GlyphPlace g = PlaceOf(f, static_cast<uint8_t>(c));
      int ink = 0;
      for (int row = 0; row < T::kCellHeight[f]; ++row)
        for (int col = 0; col < g.width; ++col) ink += image.pixels[static_cast<size_t>(g.y + row) * image.width + g.x + col] == 0;
      EXPECT_GT(ink, 0) << "font " << f << " code " << c;
    }
  }
  // The cursor: 32 x 32, magenta around an arrow whose point is the top-left pixel.
  PBitmapFile::Image cursor;
  const std::string bytes = ReadWholeFile(BuildBitmapFolder() + "30010.bmp");
  ASSERT_TRUE(PBitmapFile::Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), cursor));
  EXPECT_EQ(cursor.width, 32);
  EXPECT_EQ(cursor.height, 32);
  EXPECT_EQ(cursor.pixels[0], 0u);
  EXPECT_EQ(cursor.pixels[31], 0xFF00FFu);
  EXPECT_EQ(cursor.pixels[31 * 32 + 31], 0xFF00FFu);
}

TEST(GGraph3DText, WidthsFollowTheFontTables) {
  RecordingRig rig;
  EXPECT_EQ(rig.r->TextWidth(Text(" !"), 0), 10);
  EXPECT_EQ(rig.r->TextWidth(Text(" !"), 1), 6);
  EXPECT_EQ(rig.r->TextWidth(Text(" !"), 2), 14);
  // Characters below 32 and codes without a glyph count nothing in fonts 0 and 1; font 2
  // counts seven pixels for every character.
  EXPECT_EQ(rig.r->TextWidth(Text("a\tb\x80"), 0), 14);
  EXPECT_EQ(rig.r->TextWidth(Text("a\tb\x80"), 1), 12);
  EXPECT_EQ(rig.r->TextWidth(Text("a\tb\x80"), 2), 28);
  EXPECT_EQ(rig.r->TextWidth(Text(""), 0), 0);
}

TEST(GGraph3DTextDeathTest, BadFontsAndNullTextsAreFatal) {
  EXPECT_EXIT(
      {
        RecordingRig rig;
        rig.r->TextWidth(nullptr, 3, 0);
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GGraph3D line 1216");
  EXPECT_EXIT(
      {
        RecordingRig rig;
        rig.r->WriteString3D(Text("x"), 10, 20, -1, 3, 0, 0, 0);
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GGraph3D line 1190");
  EXPECT_EXIT(
      {
        RecordingRig rig;
        rig.r->TextWidth(Text("x"), -1);
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GGraph3D line 1190");
  // Without a graphics store the renderer has no fonts: a queued text is fatal when drawn.
  EXPECT_EXIT(
      {
        RecordingRig rig;
        rig.r->WriteString3D(Text("x"), 10, 20, -1, 0, 0, 0, 0);
        rig.r->FlushTextQueue();
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GGraph3D line 1305");
}

TEST(GGraph3DText, TextsWaitForTheFlushAndDrawInOrder) {
  ScreenTextRig rig;
  const uint16_t red = 0xF800, green = 0x07E0;
  rig.r->WriteString3D(Text("HH"), 10, 20, -1, 0, 255, 0, 0);
  rig.r->WriteString3D(Text("H"), 10, 20, -1, 0, 0, 255, 0);
  EXPECT_EQ(rig.r->QueuedTexts(), 2);
  EXPECT_EQ(rig.Count(0), 160 * 60);
  rig.r->FlushTextQueue();
  EXPECT_EQ(rig.r->QueuedTexts(), 0);
  // The second text lies over the first one's first letter.
  const PBitmapFile::Image font = FontImage(0);
  EXPECT_EQ(GlyphMismatches(rig.screen, font, 0, "H", 10, 20, green, 0), 0);
  EXPECT_EQ(GlyphMismatches(rig.screen, font, 0, "H", 10 + rig.r->TextWidth(Text("H"), 0), 20, red, 0), 0);
  // Flushed texts are gone.
  rig.Clear();
  rig.r->FlushTextQueue();
  EXPECT_EQ(rig.Count(0), 160 * 60);
}

TEST(GGraph3DText, TextsOffTheScreenAreDropped) {
  ScreenTextRig rig;
  // Dropped for their given x or baseline, even where the alignment would bring them on.
  rig.r->WriteString3D(Text("A"), -1, 30, -1, 0, 255, 0, 0);
  rig.r->WriteString3D(Text("A"), 160, 30, 1, 0, 255, 0, 0);
  rig.r->WriteString3D(Text("A"), 20, 7, -1, 0, 255, 0, 0);
  rig.r->WriteString3D(Text("A"), 20, 9, -1, 2, 255, 0, 0);
  rig.r->WriteString3D(Text("A"), 20, 60, -1, 1, 255, 0, 0);
  EXPECT_EQ(rig.r->QueuedTexts(), 0);
  // Right at the limits they are kept.
  rig.r->WriteString3D(Text("A"), 0, 8, -1, 0, 255, 0, 0);
  rig.r->WriteString3D(Text("A"), 159, 10, 1, 2, 255, 0, 0);
  EXPECT_EQ(rig.r->QueuedTexts(), 2);
  rig.r->FlushTextQueue();
  EXPECT_EQ(GlyphMismatches(rig.screen, FontImage(0), 0, "A", 0, 8, 0xF800, 0), 0);
  EXPECT_EQ(GlyphMismatches(rig.screen, FontImage(2), 2, "A", 152, 10, 0xF800, 0), 0);
}

TEST(GGraph3DText, AlignmentAndClipping) {
  ScreenTextRig rig;
  const PBitmapFile::Image font = FontImage(1);
  const int w = rig.r->TextWidth(Text("Wx"), 1);
  ASSERT_EQ(w, 14);
  rig.r->WriteString3D(Text("Wx"), 80, 20, 0, 1, 0, 0, 255);
  rig.r->WriteString3D(Text("Wx"), 80, 40, 1, 1, 0, 0, 255);
  rig.r->FlushTextQueue();
  EXPECT_EQ(GlyphMismatches(rig.screen, font, 1, "Wx", 80 - w / 2, 20, 0x001F, 0), 0);
  EXPECT_EQ(GlyphMismatches(rig.screen, font, 1, "Wx", 80 - w, 40, 0x001F, 0), 0);
}

TEST(GGraph3DText, CutAtTheScreensEdges) {
  // A centred text at x = 0 loses its left half; one wider than the screen is cut at its
  // edge; one whose cell reaches below the screen keeps the rows that fit.
  ScreenTextRig small(20, 20);
  small.r->WriteString3D(Text("WW"), 0, 10, 0, 2, 255, 255, 0);
  small.r->FlushTextQueue();
  int lit = small.Count(0xFFE0);
  EXPECT_GT(lit, 0);
  EXPECT_EQ(GlyphMismatches(small.screen, FontImage(2), 2, "W", 0, 10, 0xFFE0, 0), 0);  // the right half
  small.Clear();
  small.r->WriteString3D(Text("WWWWWWWW"), 0, 10, -1, 2, 255, 255, 0);
  small.r->FlushTextQueue();
  EXPECT_GT(small.Count(0xFFE0), lit);
  small.Clear();
  small.r->WriteString3D(Text("g"), 0, 19, -1, 0, 255, 255, 0);
  small.r->FlushTextQueue();
  EXPECT_GT(small.Count(0xFFE0), 0);
}

TEST(GGraph3DText, WhitesStayVisible) {
  ScreenTextRig rig;
  // Pure white would be the mixer's transparent colour: it is drawn with blue 244.
  rig.r->WriteString3D(Text("M"), 10, 20, -1, 0, 255, 255, 255);
  // A near-white that the screen format rounds to pure white loses one step of blue.
  rig.r->WriteString3D(Text("M"), 40, 20, -1, 0, 250, 255, 255);
  rig.r->WriteString3D(Text("M"), 70, 20, -1, 0, 250, 250, 250);
  rig.r->FlushTextQueue();
  const PBitmapFile::Image font = FontImage(0);
  EXPECT_EQ(rig.host.RGBToPixel(255, 255, 244), 0xFFFEu);
  EXPECT_EQ(GlyphMismatches(rig.screen, font, 0, "M", 10, 20, 0xFFFE, 0), 0);
  EXPECT_EQ(GlyphMismatches(rig.screen, font, 0, "M", 40, 20, 0xFFFE, 0), 0);
  EXPECT_EQ(GlyphMismatches(rig.screen, font, 0, "M", 70, 20, 0xFFDF, 0), 0);
}

TEST(GGraph3DText, TextsLieOverTheSceneAndUnderTranslucentTriangles) {
  ScreenTextRig rig(64, 48);
  rig.r->SetBackfaceCulling(false);
  ASSERT_TRUE(rig.r->RenderBegin());
  // An opaque blue wall over the whole view, a translucent red one over its right half.
  rig.r->SetColor(0, 0, 1);
  rig.r->DrawColouredQuad(-20, -20, -10, 20, -20, -10, 20, 20, -10, -20, 20, -10);
  rig.r->SetColor(1, 0, 0);
  rig.r->SetAlpha(0.5f);
  rig.r->DrawColouredQuad(0, -20, -5, 20, -20, -5, 20, 20, -5, 0, 20, -5);
  rig.r->SetAlpha(1);
  rig.r->WriteString3D(Text("III"), 20, 30, -1, 2, 0, 255, 0);
  // Until the frame ends the texts and the translucent wall are held back.
  EXPECT_EQ(rig.Count(0x07E0), 0);
  EXPECT_EQ(rig.At(40, 5), 0x001F);
  rig.r->RenderEnd();
  const uint16_t blended = rig.At(40, 5);
  EXPECT_NE(blended, 0x001F);
  EXPECT_NE(blended, 0xF800);
  // Left of the middle the letters are pure green on blue; right of it the translucent
  // wall tints them.
  int pureLeft = 0, pureRight = 0, tintedRight = 0;
  for (int y = 20; y < 34; ++y) {
    for (int x = 20; x < 41; ++x) {
      const uint16_t p = rig.At(x, y);
      if (x < 31) pureLeft += p == 0x07E0;
      if (x > 33) {
        pureRight += p == 0x07E0;
        tintedRight += p != blended;
      }
    }
  }
  EXPECT_GT(pureLeft, 0);
  EXPECT_EQ(pureRight, 0);
  EXPECT_GT(tintedRight, 0);
}

TEST(GGraph3DText, PickModeDropsTextsAndAFailedFinalCopyIsLogged) {
  ScreenTextRig rig;
  rig.r->BeginPick(80, 30, 160, 60, 90, 1, 100);
  rig.r->WriteString3D(Text("A"), 10, 20, -1, 0, 255, 0, 0);
  EXPECT_EQ(rig.r->QueuedTexts(), 0);
  rig.r->EndPick();
  rig.graphics.Log();

  rig.r->WriteString3D(Text("AB"), 10, 20, -1, 0, 255, 0, 0);
  PFailureInjection::Arm("BltFast", PResult::kSurfaceLost, 1, 2);  // after the two letters
  rig.r->FlushTextQueue();
  EXPECT_EQ(rig.Count(0), 160 * 60);
  EXPECT_EQ(rig.graphics.Log(), "GGraph3D::WriteString3D BltFast failure =  -2005532222\r\n");
}

TEST(GGraph3DText, FrameWithTextsInAllFontsMatchesTheGlyphs) {
  ScreenTextRig rig(240, 80);
  rig.r->SetBackfaceCulling(false);
  ASSERT_TRUE(rig.r->RenderBegin());
  rig.r->SetColor(0.1f, 0.2f, 0.4f);
  rig.r->DrawColouredQuad(-50, -50, -10, 50, -50, -10, 50, 50, -10, -50, 50, -10);
  const char* lines[3] = {"Bold Sans: Tarvane 1944!", "Small sans: 15 riflemen, 2 MGs", "Mono: x=120 y=045 [OK]"};
  const int baselines[3] = {18, 42, 66};
  for (int f = 0; f < 3; ++f) rig.r->WriteString3D(Text(lines[f]), 6, baselines[f], -1, f, 255, 255, 0);
  rig.r->RenderEnd();
  const uint16_t background = rig.At(2, 2);

  // Written out and read back as a picture: every letter matches its glyph in the bitmap.
  ASSERT_TRUE(PBitmapFile::WriteSurface(rig.screen, rig.graphics.folder.Program() + "frame.bmp"));
  PBitmapFile::Image picture;
  ASSERT_TRUE(PBitmapFile::Load(rig.graphics.folder.Program() + "frame.bmp", picture));
  PSurface reread(picture.width, picture.height, PPixelFormat::kRGB565);
  PBitmapFile::CopyToSurface(picture, reread);
  if (const char* keep = std::getenv("TARVANE_KEEP_PICTURES")) PBitmapFile::WriteSurface(rig.screen, keep);
  for (int f = 0; f < 3; ++f) {
    EXPECT_EQ(GlyphMismatches(reread, FontImage(f), f, lines[f], 6, baselines[f], 0xFFE0, background), 0) << f;
  }
}

}  // namespace
