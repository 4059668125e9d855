#include "platform/PFont.h"

#include <SDL_ttf.h>

#include <algorithm>

#include "platform/PText.h"

namespace {

struct Standard {
  const char* file;
  int32_t size;
  int32_t fixedAdvance;
};
const Standard kStandard[PFont::kStandardCount] = {
    {"LiberationSans-Bold.ttf", 12, 0},
    {"LiberationSans-Regular.ttf", 10, 0},
    {"LiberationMono-Regular.ttf", 12, 7},
};

// The Unicode code point of a Windows-1252 byte.
uint32_t CodePoint(uint8_t c) {
  const std::string utf8 = PText::Cp1252ToUtf8(std::string(1, static_cast<char>(c)));
  const auto* b = reinterpret_cast<const uint8_t*>(utf8.data());
  if (utf8.size() == 1) return b[0];
  if (utf8.size() == 2) return (b[0] & 0x1Fu) << 6 | (b[1] & 0x3Fu);
  return (b[0] & 0x0Fu) << 12 | (b[1] & 0x3Fu) << 6 | (b[2] & 0x3Fu);
}

}  // namespace

std::unique_ptr<PFont> PFont::OpenStandard(int32_t index) {
  if (index < 0 || index >= kStandardCount) return nullptr;
  const Standard& s = kStandard[index];
  return Open(std::string(kFontFolder) + s.file, s.size, s.fixedAdvance);
}

std::unique_ptr<PFont> PFont::Open(const std::string& file, int32_t pixelSize, int32_t fixedAdvance) {
  if (!TTF_WasInit() && TTF_Init() != 0) return nullptr;
  // At 72 dots per inch a point is a pixel: the size is the em height in pixels.
  TTF_Font* font = TTF_OpenFont(file.c_str(), pixelSize);
  if (font == nullptr) return nullptr;
  TTF_SetFontHinting(font, TTF_HINTING_MONO);
  TTF_SetFontKerning(font, 0);
  return std::unique_ptr<PFont>(new PFont(font, fixedAdvance));
}

PFont::PFont(TTF_Font* font, int32_t fixedAdvance) : font_(font), fixedAdvance_(fixedAdvance) {
  ascent_ = TTF_FontAscent(font_);
  height_ = TTF_FontHeight(font_);
}

PFont::~PFont() {
  if (font_ != nullptr && TTF_WasInit()) TTF_CloseFont(font_);
}

const PFont::Glyph& PFont::GlyphOf(uint8_t c) const {
  Glyph& g = glyphs_[c];
  if (g.ready) return g;
  g.ready = true;
  if (c < 32) return g;
  const uint32_t cp = CodePoint(c);
  int minx = 0;
  int maxx = 0;
  int miny = 0;
  int maxy = 0;
  int advance = 0;
  if (TTF_GlyphMetrics32(font_, cp, &minx, &maxx, &miny, &maxy, &advance) != 0) return g;
  g.advance = fixedAdvance_ > 0 ? fixedAdvance_ : advance;
  g.width = g.advance;
  g.height = height_;
  g.mask.assign(static_cast<size_t>(g.width) * static_cast<size_t>(g.height), 0);
  if (g.width == 0) return g;
  const SDL_Color white{255, 255, 255, 255};
  SDL_Surface* rendered = TTF_RenderGlyph32_Solid(font_, cp, white);
  if (rendered == nullptr) return g;
  // The rendered picture starts at the pen, or further left when the glyph reaches left of
  // it; what lies outside the cell is cut, so drawing covers exactly the measured width.
  const int32_t offset = minx < 0 ? -minx : 0;
  if (SDL_LockSurface(rendered) == 0) {
    const auto* pixels = static_cast<const uint8_t*>(rendered->pixels);
    const int32_t rows = std::min<int32_t>(rendered->h, g.height);
    for (int32_t y = 0; y < rows; ++y) {
      for (int32_t x = 0; x < g.width; ++x) {
        const int32_t sx = x + offset;
        if (sx < 0 || sx >= rendered->w) continue;
        if (pixels[static_cast<size_t>(y) * rendered->pitch + sx] != 0) g.mask[static_cast<size_t>(y) * g.width + x] = 1;
      }
    }
    SDL_UnlockSurface(rendered);
  }
  SDL_FreeSurface(rendered);
  return g;
}

int32_t PFont::TextWidth(const char* text, size_t length) const {
  if (text == nullptr) return 0;
  int32_t width = 0;
  for (size_t i = 0; i < length; ++i) width += GlyphOf(static_cast<uint8_t>(text[i])).advance;
  return width;
}

void PFont::DrawText(PSurface& surface, const char* text, size_t length, int32_t x, int32_t y,
                     uint32_t pixel) const {
  if (text == nullptr) return;
  const int32_t top = y - ascent_;
  const int64_t width = surface.Width();
  const bool twoBytes = surface.BytesPerPixel() == 2;
  int64_t pen = x;
  for (size_t i = 0; i < length; ++i) {
    const Glyph& g = GlyphOf(static_cast<uint8_t>(text[i]));
    for (int32_t gy = 0; gy < g.height; ++gy) {
      const int64_t sy = static_cast<int64_t>(top) + gy;
      if (sy < 0 || sy >= surface.Height()) continue;
      const uint8_t* row = g.mask.data() + static_cast<size_t>(gy) * g.width;
      // The surface's row is asked for once, at the row's first pixel that lands.
      uint16_t* out16 = nullptr;
      uint32_t* out32 = nullptr;
      for (int32_t gx = 0; gx < g.width; ++gx) {
        if (row[gx] == 0) continue;
        const int64_t sx = pen + gx;
        if (sx < 0 || sx >= width) continue;
        if (twoBytes) {
          if (out16 == nullptr) out16 = surface.Row16(static_cast<int32_t>(sy));
          out16[sx] = static_cast<uint16_t>(pixel);
        } else {
          if (out32 == nullptr) out32 = surface.Row32(static_cast<int32_t>(sy));
          out32[sx] = pixel;
        }
      }
    }
    pen += g.advance;
    if (pen >= width) break;  // nothing further can land on the surface
  }
}
