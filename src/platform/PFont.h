#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/PSurface.h"

typedef struct _TTF_Font TTF_Font;

// A screen font: Windows-1252 text drawn solid (no anti-aliasing) with its baseline at a
// given y, on a transparent background, and measured with the same advances it is drawn
// with, so a text's measured width is the width it covers. Characters below 32 have no width
// and draw nothing. The three standard fonts:
//   0  Liberation Sans Bold, 12 pixels
//   1  Liberation Sans, 10 pixels
//   2  Liberation Mono, 12 pixels, every character 7 pixels wide
class PFont {
 public:
  static constexpr int32_t kStandardCount = 3;
  static constexpr const char* kFontFolder = "/usr/share/fonts/truetype/liberation2/";

  // Null when the font file cannot be opened.
  static std::unique_ptr<PFont> OpenStandard(int32_t index);
  // fixedAdvance 0: the font's own advances.
  static std::unique_ptr<PFont> Open(const std::string& file, int32_t pixelSize, int32_t fixedAdvance);
  ~PFont();
  PFont(const PFont&) = delete;
  PFont& operator=(const PFont&) = delete;

  int32_t TextWidth(const char* text, size_t length) const;
  int32_t TextWidth(const std::string& text) const { return TextWidth(text.data(), text.size()); }
  int32_t Ascent() const { return ascent_; }
  int32_t Height() const { return height_; }

  // Draws the text starting at x with its baseline at y, writing only the pixel value (low 16
  // bits on a 16-bit surface) and only inside the surface.
  void DrawText(PSurface& surface, const char* text, size_t length, int32_t x, int32_t y, uint32_t pixel) const;
  void DrawText(PSurface& surface, const std::string& text, int32_t x, int32_t y, uint32_t pixel) const {
    DrawText(surface, text.data(), text.size(), x, y, pixel);
  }

 private:
  // One character's picture: which pixels of its cell are set, rows from the cell's top
  // (the font's ascent above the baseline); the cell is the character's advance wide.
  struct Glyph {
    bool ready = false;
    int32_t advance = 0;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> mask;
  };

  PFont(TTF_Font* font, int32_t fixedAdvance);
  const Glyph& GlyphOf(uint8_t c) const;

  TTF_Font* font_;
  int32_t fixedAdvance_;
  int32_t ascent_ = 0;
  int32_t height_ = 0;
  mutable std::array<Glyph, 256> glyphs_;
};
