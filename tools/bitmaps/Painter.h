#pragma once
#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

// A picture being drawn with Cairo: an image surface of the row's size and the drawing
// helpers every recipe shares (the palette, grained plates, bevels and stencil captions in
// the Liberation faces). Everything it draws depends only on its arguments, so the same
// recipe gives the same pixels on every run.
class Painter {
 public:
  struct Colour {
    double r, g, b;
  };
  enum class Face { kSansBold, kSans, kMono };

  Painter(int32_t width, int32_t height);
  ~Painter();
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  cairo_t* Cr() const { return cr_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

  // The palette by name: olive, khaki, steel, red, dark, paper, field (grey), black, white.
  // An unknown name is false.
  static bool Tone(const std::string& name, Colour& out);
  static Colour Mix(Colour a, Colour b, double t);
  static Colour Shade(Colour c, double factor);
  void SetColour(Colour c, double alpha = 1.0) const;

  // Fills a rectangle with a colour grained by Perlin noise (paper, cloth or metal look);
  // seed makes neighbouring plates differ.
  void Grain(double x, double y, double w, double h, Colour base, double amount, double scale, int32_t seed);
  // Light upper-left and dark lower-right edges of the given depth; sunk swaps them.
  void Bevel(double x, double y, double w, double h, double depth, bool sunk) const;
  // A grained, bevelled plate.
  void Plate(double x, double y, double w, double h, Colour base, double depth, bool sunk, int32_t seed);
  // A rivet head centred on (x, y).
  void Rivet(double x, double y, double radius, Colour base) const;

  // Text centred on (cx, cy) (align 0), or starting at cx (align -1), at the largest size up
  // to size that fits maxWidth; stencil adds the bridges of a sprayed stencil across the
  // letters. Returns the size used.
  double Text(const std::string& text, double cx, double cy, double size, double maxWidth, Colour colour,
              Face face = Face::kSansBold, int32_t align = 0, bool stencil = false, bool shadow = true) const;

  // Replaces the whole picture with 0xAARRGGBB texels (plain, not premultiplied colour).
  void SetArgb(const std::vector<uint32_t>& argb);

  // The finished picture as 0x00RRGGBB pixels, rows from the top. keyed: every pixel less
  // than half covered becomes exactly magenta and every other one fully opaque art (no
  // blend); otherwise the transparent parts are black and no pixel falls in the key's cell of
  // a 16-bit screen (red and blue 248 or more, green below 8).
  std::vector<uint32_t> Pixels(bool keyed) const;

  // Releases the font library; called once at the end of the program.
  static void ReleaseFonts();

 private:
  int32_t width_;
  int32_t height_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
};
