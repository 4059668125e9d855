#include "Painter.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#define STB_PERLIN_IMPLEMENTATION
#include <stb/stb_perlin.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/PFont.h"

namespace {

struct Fonts {
  FT_Library library = nullptr;
  FT_Face faces[3] = {nullptr, nullptr, nullptr};
  cairo_font_face_t* cairoFaces[3] = {nullptr, nullptr, nullptr};
};

Fonts& TheFonts() {
  static Fonts fonts;
  return fonts;
}

cairo_font_face_t* FontFace(Painter::Face face) {
  static const char* kFiles[3] = {"LiberationSans-Bold.ttf", "LiberationSans-Regular.ttf",
                                  "LiberationMono-Regular.ttf"};
  Fonts& fonts = TheFonts();
  const int i = static_cast<int>(face);
  if (fonts.cairoFaces[i] != nullptr) return fonts.cairoFaces[i];
  if (fonts.library == nullptr && FT_Init_FreeType(&fonts.library) != 0) {
    std::fprintf(stderr, "make_bitmaps: the font library does not start\n");
    std::exit(1);
  }
  const std::string path = std::string(PFont::kFontFolder) + kFiles[i];
  if (FT_New_Face(fonts.library, path.c_str(), 0, &fonts.faces[i]) != 0) {
    std::fprintf(stderr, "make_bitmaps: %s cannot be read\n", path.c_str());
    std::exit(1);
  }
  fonts.cairoFaces[i] = cairo_ft_font_face_create_for_ft_face(fonts.faces[i], 0);
  return fonts.cairoFaces[i];
}

uint8_t Channel(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

void Painter::ReleaseFonts() {
  Fonts& fonts = TheFonts();
  for (int i = 0; i < 3; ++i) {
    if (fonts.cairoFaces[i] != nullptr) cairo_font_face_destroy(fonts.cairoFaces[i]);
    fonts.cairoFaces[i] = nullptr;
  }
  cairo_debug_reset_static_data();
  for (int i = 0; i < 3; ++i) {
    if (fonts.faces[i] != nullptr) FT_Done_Face(fonts.faces[i]);
    fonts.faces[i] = nullptr;
  }
  if (fonts.library != nullptr) FT_Done_FreeType(fonts.library);
  fonts.library = nullptr;
}

Painter::Painter(int32_t width, int32_t height)
    : width_(width),
      height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_)) {
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr_, options);
  cairo_font_options_destroy(options);
}

Painter::~Painter() {
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

bool Painter::Tone(const std::string& name, Colour& out) {
  struct Named {
    const char* name;
    Colour colour;
  };
  static const Named kTones[] = {
      {"olive", {0.33, 0.36, 0.21}}, {"khaki", {0.64, 0.59, 0.40}}, {"steel", {0.40, 0.43, 0.45}},
      {"red", {0.52, 0.14, 0.11}},   {"dark", {0.16, 0.17, 0.13}},  {"paper", {0.84, 0.80, 0.65}},
      {"field", {0.45, 0.47, 0.43}}, {"black", {0.05, 0.05, 0.04}}, {"white", {0.95, 0.94, 0.90}},
  };
  for (const Named& t : kTones)
    if (name == t.name) {
      out = t.colour;
      return true;
    }
  return false;
}

Painter::Colour Painter::Mix(Colour a, Colour b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Painter::Colour Painter::Shade(Colour c, double f) {
  return {std::clamp(c.r * f, 0.0, 1.0), std::clamp(c.g * f, 0.0, 1.0), std::clamp(c.b * f, 0.0, 1.0)};
}

void Painter::SetColour(Colour c, double alpha) const { cairo_set_source_rgba(cr_, c.r, c.g, c.b, alpha); }

void Painter::Grain(double x, double y, double w, double h, Colour base, double amount, double scale, int32_t seed) {
  cairo_surface_flush(surface_);
  unsigned char* data = cairo_image_surface_get_data(surface_);
  const int32_t stride = cairo_image_surface_get_stride(surface_);
  const int32_t x0 = std::max(0, static_cast<int32_t>(std::floor(x)));
  const int32_t y0 = std::max(0, static_cast<int32_t>(std::floor(y)));
  const int32_t x1 = std::min(width_, static_cast<int32_t>(std::ceil(x + w)));
  const int32_t y1 = std::min(height_, static_cast<int32_t>(std::ceil(y + h)));
  const float z = static_cast<float>(seed % 97) * 7.31f + 0.5f;
  for (int32_t py = y0; py < y1; ++py) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(py) * stride);
    for (int32_t px = x0; px < x1; ++px) {
      const float fx = static_cast<float>(px) / static_cast<float>(scale);
      const float fy = static_cast<float>(py) / static_cast<float>(scale);
      // Two octaves of noise and a finer fibre, stretched across for a cloth and paper look.
      const float n = stb_perlin_noise3(fx, fy * 1.7f, z, 0, 0, 0) * 0.65f +
                      stb_perlin_noise3(fx * 4.0f, fy * 4.0f, z + 3.0f, 0, 0, 0) * 0.35f;
      const double f = 1.0 + amount * static_cast<double>(n);
      row[px] = 0xFF000000u | static_cast<uint32_t>(Channel(base.r * f * 255.0)) << 16 |
                static_cast<uint32_t>(Channel(base.g * f * 255.0)) << 8 | Channel(base.b * f * 255.0);
    }
  }
  cairo_surface_mark_dirty(surface_);
}

void Painter::Bevel(double x, double y, double w, double h, double depth, bool sunk) const {
  const Colour light{1, 1, 0.92}, dark{0, 0, 0};
  for (int side = 0; side < 2; ++side) {
    const bool upperLeft = side == 0;
    SetColour(upperLeft != sunk ? light : dark, upperLeft != sunk ? 0.35 : 0.45);
    if (upperLeft) {
      cairo_move_to(cr_, x, y + h);
      cairo_line_to(cr_, x, y);
      cairo_line_to(cr_, x + w, y);
      cairo_line_to(cr_, x + w - depth, y + depth);
      cairo_line_to(cr_, x + depth, y + depth);
      cairo_line_to(cr_, x + depth, y + h - depth);
    } else {
      cairo_move_to(cr_, x + w, y);
      cairo_line_to(cr_, x + w, y + h);
      cairo_line_to(cr_, x, y + h);
      cairo_line_to(cr_, x + depth, y + h - depth);
      cairo_line_to(cr_, x + w - depth, y + h - depth);
      cairo_line_to(cr_, x + w - depth, y + depth);
    }
    cairo_close_path(cr_);
    cairo_fill(cr_);
  }
}

void Painter::Plate(double x, double y, double w, double h, Colour base, double depth, bool sunk, int32_t seed) {
  Grain(x, y, w, h, base, 0.10, 18.0, seed);
  Bevel(x, y, w, h, depth, sunk);
}

void Painter::Rivet(double x, double y, double radius, Colour base) const {
  cairo_pattern_t* p = cairo_pattern_create_radial(x - radius * 0.4, y - radius * 0.4, radius * 0.1, x, y, radius);
  const Colour hi = Mix(base, {1, 1, 1}, 0.5), lo = Shade(base, 0.5);
  cairo_pattern_add_color_stop_rgb(p, 0, hi.r, hi.g, hi.b);
  cairo_pattern_add_color_stop_rgb(p, 1, lo.r, lo.g, lo.b);
  cairo_set_source(cr_, p);
  cairo_arc(cr_, x, y, radius, 0, 2 * M_PI);
  cairo_fill(cr_);
  cairo_pattern_destroy(p);
}

double Painter::Text(const std::string& text, double cx, double cy, double size, double maxWidth, Colour colour,
                     Face face, int32_t align, bool stencil, bool shadow) const {
  if (text.empty()) return size;
  cairo_save(cr_);
  cairo_set_font_face(cr_, FontFace(face));
  cairo_text_extents_t e;
  for (;;) {
    cairo_set_font_size(cr_, size);
    cairo_text_extents(cr_, text.c_str(), &e);
    if (e.x_advance <= maxWidth || size <= 6.0) break;
    size -= 0.5;
  }
  cairo_font_extents_t fe;
  cairo_font_extents(cr_, &fe);
  const double x = align < 0 ? cx : cx - e.x_advance / 2.0;
  // Centred on the capitals' height, which a caption in capitals fills.
  const double y = std::round(cy + (fe.ascent - fe.descent) / 2.0 - size * 0.06);
  // A stencilled caption is drawn apart first, so that its bridges cut the letters only.
  const bool bridges = stencil && size >= 12.0;
  if (bridges) cairo_push_group(cr_);
  if (shadow) {
    SetColour({0, 0, 0}, 0.55);
    cairo_move_to(cr_, std::round(x) + 1, y + 1);
    cairo_show_text(cr_, text.c_str());
  }
  SetColour(colour);
  cairo_move_to(cr_, std::round(x), y);
  cairo_show_text(cr_, text.c_str());
  if (bridges) {
    // The bridges a stencil leaves: a thin gap across the letters a little above the middle.
    cairo_set_operator(cr_, CAIRO_OPERATOR_DEST_OUT);
    cairo_set_source_rgba(cr_, 0, 0, 0, 1);
    const double bridge = std::max(1.0, std::round(size / 16.0));
    cairo_rectangle(cr_, std::round(x) - 2, std::round(y - size * 0.40), e.x_advance + 4, bridge);
    cairo_fill(cr_);
    cairo_set_operator(cr_, CAIRO_OPERATOR_OVER);
    cairo_pop_group_to_source(cr_);
    cairo_paint(cr_);
  }
  cairo_restore(cr_);
  return size;
}

void Painter::SetArgb(const std::vector<uint32_t>& argb) {
  cairo_surface_flush(surface_);
  unsigned char* data = cairo_image_surface_get_data(surface_);
  const int32_t stride = cairo_image_surface_get_stride(surface_);
  for (int32_t y = 0; y < height_; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int32_t x = 0; x < width_; ++x) {
      const uint32_t p = argb[static_cast<size_t>(y) * width_ + x];
      const uint32_t a = p >> 24;
      // Cairo keeps colour premultiplied by coverage.
      const uint32_t r = ((p >> 16 & 255) * a + 127) / 255, g = ((p >> 8 & 255) * a + 127) / 255,
                     b = ((p & 255) * a + 127) / 255;
      row[x] = a << 24 | r << 16 | g << 8 | b;
    }
  }
  cairo_surface_mark_dirty(surface_);
}

std::vector<uint32_t> Painter::Pixels(bool keyed) const {
  cairo_surface_flush(surface_);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  const int32_t stride = cairo_image_surface_get_stride(surface_);
  std::vector<uint32_t> out(static_cast<size_t>(width_) * height_);
  for (int32_t y = 0; y < height_; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int32_t x = 0; x < width_; ++x) {
      const uint32_t p = row[x];
      const uint32_t a = p >> 24;
      uint32_t r = p >> 16 & 255, g = p >> 8 & 255, b = p & 255;
      if (a != 0 && a != 255) {  // premultiplied: back to the plain colour
        r = std::min(255u, (r * 255 + a / 2) / a);
        g = std::min(255u, (g * 255 + a / 2) / a);
        b = std::min(255u, (b * 255 + a / 2) / a);
      }
      uint32_t pixel;
      if (keyed && a < 128) {
        pixel = 0xFF00FF;
      } else {
        if (!keyed && a != 255) {  // over black
          r = r * a / 255;
          g = g * a / 255;
          b = b * a / 255;
        }
        if (r >= 248 && b >= 248 && g < 8) g = 8;
        pixel = r << 16 | g << 8 | b;
      }
      out[static_cast<size_t>(y) * width_ + x] = pixel;
    }
  }
  return out;
}
