#pragma once
// What the busy battlefield frame's picture test and benchmark put in place of the battle
// screen: stand-in or built textures, the screen's share of the host and of unit drawing.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "framework/media/GGraph3D.h"
#include "framework/media/GraphicsTestHost.h"
#include "game/map/NullBattlefieldScreen.h"
#include "game/battle/HeadlessHost.h"
#include "game/map/Map.h"
#include "game/units/ScreenlessDrawHost.h"
#include "game/units/draw/UnitDrawHost.h"
#include "platform/PPath.h"

// Bitmaps made on first request: width x 2 width, a tapering shape in a colour of the bitmap's
// own (so that a kept picture tells the textures apart) on the transparent key, or, solid, the
// whole picture in that colour.
class StandInTextureHost : public GraphicsTestHost {
 public:
  explicit StandInTextureHost(int32_t width, bool solid = false) : width_(width), solid_(solid) {}
  static uint32_t Colour(int32_t number) {
    return 0x303020u + ((static_cast<uint32_t>(number) * 2654435761u >> 8) & 0x5F5F5Fu);
  }
  bool IsBitmapExcluded(int32_t number) override {
    const int32_t w = width_;
    const int32_t h = 2 * width_;
    const uint32_t colour = Colour(number);
    std::vector<uint32_t> pixels(static_cast<size_t>(w * h), solid_ ? colour : 0xFF00FFu);
    for (int32_t y = 0; y < h; ++y) {
      const int32_t half = w / 16 + (h - 1 - y) * (w * 7 / 16) / (h - 1);
      for (int32_t x = w / 2 - half; x < w / 2 + half; ++x) pixels[static_cast<size_t>(y * w + x)] = colour;
    }
    WriteBitmap(number, w, h, pixels);
    return false;
  }

 private:
  int32_t width_;
  bool solid_;
};

// The build's own bitmaps, read from the BMP folder the build drew them into.
class FolderTextureHost : public GraphicsTestHost {
 public:
  explicit FolderTextureHost(std::string bitmapFolder) : folder_(std::move(bitmapFolder)) {
    hasRenderer = true;
    renderer.maxSide = 1024;
  }
  bool GetBaseFolder(std::string& out, bool) override {
    out = PPath::ToProgram(folder_ + "/../");
    return false;
  }

 private:
  std::string folder_;
};

// The battle screen's share: the view's size and projection at 60 frames a second, and the
// fires and smoke drawn.
class ScreenHost : public HeadlessHost {
 public:
  ScreenHost(int32_t width, int32_t height) : width_(width), height_(height) {}
  int32_t GetScreenWidth() const override { return width_; }
  float GetFrameRate() const override { return 60.0f; }
  int32_t GetFrameTime() const override { return 16; }
  BattlefieldScreen& Battlefield() override { return screen_; }

 private:
  int32_t width_;
  int32_t height_;
  struct Screen : NullBattlefieldScreen {
    explicit Screen(ScreenHost& host) : host(host) {}
    void SetBattlefieldProjection(float fieldOfView, float nearPlane, float farPlane) override {
      if (gGraph3D != nullptr) {
        gGraph3D->SetProjection(0, 0, host.width_, host.height_, fieldOfView, nearPlane, farPlane);
      }
    }
    void DrawBurningTiles(Map& map) override { map.DrawBurningTiles(); }
    void DrawSmoke(Map& map) override { map.DrawSmoke(); }
    ScreenHost& host;
  } screen_{*this};
};

// The battle screen's share of unit drawing: the figure textures and the order lines come from
// the map.
class MapUnitDrawHost : public ScreenlessDrawHost {
 public:
  void EnsureKindGroupGraphics(int32_t group) override {
    if (map != nullptr) map->EnsureKindGroupGraphics(group);
  }
  void EnsureInfantryTexture(int32_t n) override {
    if (map != nullptr) map->EnsureInfantryTexture(n);
  }
  void EnsureCrewFigure(int32_t code) override {
    if (map != nullptr) map->EnsureFigurePrototype(code);
  }
  // Order lines as the battle screen draws them: in the chosen style, the second form thin.
  void SetLineStyle(int32_t style) override {
    if (map != nullptr) map->SetLineStyle(style);
  }
  void DrawTerrainLine(bool secondForm, float x0, float y0, float z0, float x1, float y1, float z1) override {
    if (map != nullptr) map->DrawTerrainLine(true, !secondForm, x0, y0, z0, x1, y1, z1);
  }
  Map* map = nullptr;
};
