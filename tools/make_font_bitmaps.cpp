// Makes the renderer's three font bitmaps (30000, 30001, 30002) and the software cursor's
// bitmap (30010) in a folder: make_font_bitmaps <folder>.
//
// The fonts follow the renderer's font tables: five rows of up to 32 glyphs in code order,
// one cell high, each glyph as wide as the table's advance, black glyphs on white. They are
// drawn solid (no smoothing) from the faces the screen's 2-D fonts use: Liberation Sans Bold
// for font 0, Liberation Sans for font 1 and Liberation Mono for font 2. Each glyph is drawn at
// the font's size when it fits its cell (the rows above and below the baseline and the
// advance), else at the largest smaller size that fits; a glyph narrower than its cell is
// centred in it. The cursor is a white arrow with a black edge on magenta (transparent), its
// point at the top-left pixel.
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "framework/media/GGraph3DFontTables.h"
#include "platform/PBitmapFile.h"
#include "platform/PFont.h"
#include "platform/PText.h"

namespace {

namespace T = GGraph3DFontTables;

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kMagenta = 0xFF00FF;
constexpr int32_t kSmallestSize = 6;
constexpr int32_t kCursorSide = 32;

struct Face {
  const char* file;
  int32_t size;
};
const Face kFaces[T::kFontCount] = {
    {"LiberationSans-Bold.ttf", 11},
    {"LiberationSans-Regular.ttf", 10},
    {"LiberationMono-Regular.ttf", 12},
};

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows from the top
  Picture(int32_t w, int32_t h, uint32_t fill) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
  uint32_t& At(int32_t x, int32_t y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

// A 24-bit bitmap file, written by the program's own bitmap writer under a temporary name
// and then renamed, so that a failed run leaves no half-written file.
bool WriteBitmap(const Picture& picture, const std::string& path) {
  const std::string bytes = PBitmapFile::Encode(picture.pixels.data(), picture.width, picture.height);
  const std::string temporary = path + ".part";
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  if (out == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  if (std::fclose(out) != 0 || !written) return false;
  return std::rename(temporary.c_str(), path.c_str()) == 0;
}

// The Unicode code point of a Windows-1252 byte.
uint32_t CodePoint(uint8_t c) {
  const std::string utf8 = PText::Cp1252ToUtf8(std::string(1, static_cast<char>(c)));
  const auto* b = reinterpret_cast<const uint8_t*>(utf8.data());
  if (utf8.size() == 1) return b[0];
  if (utf8.size() == 2) return (b[0] & 0x1Fu) << 6 | (b[1] & 0x3Fu);
  return (b[0] & 0x0Fu) << 12 | (b[1] & 0x3Fu) << 6 | (b[2] & 0x3Fu);
}

// A glyph as drawn at one size: its set pixels relative to the pen on the baseline.
struct Ink {
  bool ok = false;
  int32_t advance = 0;
  std::vector<std::pair<int32_t, int32_t>> points;  // x from the pen, y from the baseline (down)
  int32_t left = 0, right = -1, top = 0, bottom = -1;  // bounds of the points, inclusive
};

class Fonts {
 public:
  ~Fonts() {
    for (auto& [key, font] : open_) TTF_CloseFont(font);
  }
  TTF_Font* Get(const char* file, int32_t size) {
    const std::string key = std::string(file) + "@" + std::to_string(size);
    auto found = open_.find(key);
    if (found != open_.end()) return found->second;
    TTF_Font* font = TTF_OpenFont((std::string(PFont::kFontFolder) + file).c_str(), size);
    if (font == nullptr) return nullptr;
    TTF_SetFontHinting(font, TTF_HINTING_MONO);
    TTF_SetFontKerning(font, 0);
    open_[key] = font;
    return font;
  }

 private:
  std::map<std::string, TTF_Font*> open_;
};

Ink Render(TTF_Font* font, uint32_t cp) {
  Ink ink;
  int minx = 0, maxx = 0, miny = 0, maxy = 0, advance = 0;
  if (TTF_GlyphMetrics32(font, cp, &minx, &maxx, &miny, &maxy, &advance) != 0) return ink;
  ink.ok = true;
  ink.advance = advance;
  const SDL_Color white{255, 255, 255, 255};
  SDL_Surface* rendered = TTF_RenderGlyph32_Solid(font, cp, white);
  if (rendered == nullptr) return ink;  // a blank glyph
  // The picture starts at the pen, or further left when the glyph reaches left of it; its
  // rows start the font's ascent above the baseline.
  const int32_t offset = minx < 0 ? minx : 0;
  const int32_t ascent = TTF_FontAscent(font);
  if (SDL_LockSurface(rendered) == 0) {
    const auto* pixels = static_cast<const uint8_t*>(rendered->pixels);
    for (int32_t y = 0; y < rendered->h; ++y) {
      for (int32_t x = 0; x < rendered->w; ++x) {
        if (pixels[static_cast<size_t>(y) * rendered->pitch + x] == 0) continue;
        const int32_t px = x + offset, py = y - ascent;
        if (ink.points.empty()) {
          ink.left = ink.right = px;
          ink.top = ink.bottom = py;
        }
        ink.left = std::min(ink.left, px);
        ink.right = std::max(ink.right, px);
        ink.top = std::min(ink.top, py);
        ink.bottom = std::max(ink.bottom, py);
        ink.points.emplace_back(px, py);
      }
    }
    SDL_UnlockSurface(rendered);
  }
  SDL_FreeSurface(rendered);
  return ink;
}

bool Fits(const Ink& ink, int32_t width, int32_t cell, int32_t baseline) {
  if (ink.points.empty()) return true;
  return ink.right - ink.left + 1 <= width && -ink.top <= baseline && ink.bottom + 1 <= cell - baseline;
}

// Draws a glyph into its cell of the picture, whose top-left corner is (cellX, cellY).
void Place(const Ink& ink, Picture& picture, int32_t cellX, int32_t cellY, int32_t width, int32_t cell,
           int32_t baseline) {
  if (ink.points.empty()) return;
  // Where the pen goes: the glyph's own place, moved to the middle of a wider cell, or the
  // ink centred when it would leave the cell.
  int32_t pen = width > ink.advance ? (width - ink.advance) / 2 : 0;
  if (pen + ink.left < 0 || pen + ink.right >= width) pen = (width - (ink.right - ink.left + 1)) / 2 - ink.left;
  for (const auto& [x, y] : ink.points) {
    const int32_t cx = pen + x, cy = baseline + y;
    if (cx < 0 || cx >= width || cy < 0 || cy >= cell) continue;  // cut what a size could not fit
    picture.At(cellX + cx, cellY + cy) = kBlack;
  }
}

bool MakeFont(Fonts& fonts, int32_t f, const std::string& folder) {
  const int32_t cell = T::kCellHeight[f];
  const int32_t baseline = T::kBaselineOffset[f];
  std::vector<uint8_t> codes;
  std::vector<int32_t> widths;
  for (int32_t i = 0; i < T::kCodeCount; ++i) {
    if (T::kWidths[0][i] == 0) continue;
    codes.push_back(static_cast<uint8_t>(i + T::kFirstCode));
    widths.push_back(f == 2 ? T::kFixedAdvance : T::kWidths[f][i]);
  }
  int32_t bitmapWidth = 0;
  for (int32_t row = 0; row < T::kGlyphRows; ++row) {
    int32_t sum = 0;
    for (size_t g = row * T::kGlyphsPerRow; g < codes.size() && g < size_t(row + 1) * T::kGlyphsPerRow; ++g)
      sum += widths[g];
    bitmapWidth = std::max(bitmapWidth, sum);
  }
  Picture picture(bitmapWidth, T::kGlyphRows * cell, kWhite);
  int32_t x = 0;
  for (size_t g = 0; g < codes.size(); ++g) {
    if (g % T::kGlyphsPerRow == 0) x = 0;
    const int32_t y = static_cast<int32_t>(g / T::kGlyphsPerRow) * cell;
    const uint32_t cp = CodePoint(codes[g]);
    Ink ink;
    for (int32_t size = kFaces[f].size; size >= kSmallestSize; --size) {
      TTF_Font* font = fonts.Get(kFaces[f].file, size);
      if (font == nullptr) {
        std::fprintf(stderr, "cannot open %s%s\n", PFont::kFontFolder, kFaces[f].file);
        return false;
      }
      ink = Render(font, cp);
      if (!ink.ok) {
        std::fprintf(stderr, "%s has no glyph for code %d\n", kFaces[f].file, codes[g]);
        return false;
      }
      if (Fits(ink, widths[g], cell, baseline)) break;
    }
    Place(ink, picture, x, y, widths[g], cell, baseline);
    x += widths[g];
  }
  const std::string path = folder + "/" + std::to_string(T::kBitmapNumber[f]) + ".bmp";
  if (!WriteBitmap(picture, path)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

// Whether the pixel centre (x + 0.5, y + 0.5) lies inside the polygon (even-odd rule).
bool Inside(const std::vector<std::pair<double, double>>& polygon, int32_t x, int32_t y) {
  const double px = x + 0.5, py = y + 0.5;
  bool inside = false;
  for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const auto [xi, yi] = polygon[i];
    const auto [xj, yj] = polygon[j];
    if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) inside = !inside;
  }
  return inside;
}

bool MakeCursor(const std::string& folder) {
  // An arrow pointing up and left, with a tail down and to the right.
  const std::vector<std::pair<double, double>> arrow = {{0, 0},   {0, 17},  {4.5, 13}, {7.5, 20},
                                                         {10, 19}, {7, 12.5}, {12.5, 12.5}};
  Picture picture(kCursorSide, kCursorSide, kMagenta);
  std::vector<uint8_t> fill(static_cast<size_t>(kCursorSide) * kCursorSide, 0);
  for (int32_t y = 0; y < kCursorSide; ++y)
    for (int32_t x = 0; x < kCursorSide; ++x) fill[static_cast<size_t>(y) * kCursorSide + x] = Inside(arrow, x, y);
  auto filled = [&](int32_t x, int32_t y) {
    return x >= 0 && y >= 0 && x < kCursorSide && y < kCursorSide && fill[static_cast<size_t>(y) * kCursorSide + x];
  };
  for (int32_t y = 0; y < kCursorSide; ++y) {
    for (int32_t x = 0; x < kCursorSide; ++x) {
      if (!filled(x, y)) continue;
      const bool edge = !filled(x - 1, y) || !filled(x + 1, y) || !filled(x, y - 1) || !filled(x, y + 1);
      picture.At(x, y) = edge ? kBlack : kWhite;
    }
  }
  // The point itself is always drawn, so the hot spot shows.
  picture.At(0, 0) = kBlack;
  const std::string path = folder + "/30010.bmp";
  if (!WriteBitmap(picture, path)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

// The tables must agree with the layout the renderer assumes.
bool CheckTables() {
  int32_t count = 0;
  for (int32_t i = 0; i < T::kCodeCount; ++i) {
    if ((T::kWidths[0][i] == 0) != (T::kWidths[1][i] == 0)) {
      std::fprintf(stderr, "fonts 0 and 1 differ in their glyphs at code %d\n", i + T::kFirstCode);
      return false;
    }
    count += T::kWidths[0][i] != 0;
  }
  if (count != T::kGlyphCount) {
    std::fprintf(stderr, "the fonts have %d glyphs, not %d\n", count, T::kGlyphCount);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_font_bitmaps <folder>\n");
    return 2;
  }
  if (!CheckTables()) return 1;
  if (TTF_Init() != 0) {
    std::fprintf(stderr, "cannot start the font library: %s\n", TTF_GetError());
    return 1;
  }
  bool ok = true;
  {
    Fonts fonts;
    for (int32_t f = 0; f < T::kFontCount && ok; ++f) ok = MakeFont(fonts, f, argv[1]);
  }
  ok = ok && MakeCursor(argv[1]);
  TTF_Quit();
  return ok ? 0 : 1;
}
