#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/ui/MapView.h"

class Battle;
class Map;
class Unit;

// What the battlefield view draws over the map while a pick is in progress: the line from the
// unit receiving the order to the point or unit under the pointer, and the short texts that
// tell the player what the order would do (distance, sight, the target's name and state, hit
// chance, exposure, firepower, hull-down and immobilised notes). The passes first collect the
// lines and texts, then the view draws them, so that what they decide can be read back.
class OrderOverlay {
 public:
  // Line styles of the terrain line texture.
  static constexpr int32_t kStyleFlag = 6;
  static constexpr int32_t kStyleOutsideArc = 13;
  static constexpr int32_t kStyleBlocked = 14;
  static constexpr int32_t kStylePlaceAllowed = 15;
  static constexpr int32_t kStylePlaceRefused = 16;
  static constexpr int32_t kStyleFacing = 17;
  static constexpr int32_t kStyleAmbushAllowed = 18;
  static constexpr int32_t kStyleAmbushRefused = 19;
  static constexpr int32_t kStylePointFire = 20;
  static constexpr int32_t kStyleAreaFire = 21;
  static constexpr int32_t kStyleClear = 22;

  // One line over the ground: textured in a style, or plain in a colour (style -1).
  struct Line {
    int32_t style = -1;
    float r = 0.0f, g = 0.0f, b = 0.0f;
    bool wide = true;
    float x0 = 0.0f, y0 = 0.0f, z0 = 0.0f;
    float x1 = 0.0f, y1 = 0.0f, z1 = 0.0f;
  };
  // What the sight trace from the unit to the point gave.
  struct Trace {
    bool found = false;
    float visibility = 0.0f;
    float distance = 0.0f;
    float blockX = 0.0f, blockY = 0.0f, blockZ = 0.0f;
  };
  // A map point's screen point; false when it lies behind the camera.
  using Projector = std::function<bool(float x, float y, float z, float& screenX, float& screenY)>;

  // The renderer's projection (nothing projects without a renderer).
  static Projector ScreenProjector();

  // The passes of the input modes: 1 and 3 the line pass, 2 and 4 the waypoint pass, 6 to 8
  // the set-up pass. Nothing without a selected unit or a map.
  void Build(Battle& battle, int32_t inputMode, const Projector& project);
  // The line pass (modes 1 and 3) on a trace already made.
  void LinePass(Battle& battle, bool targetMode, const Trace& trace, const Projector& project);
  void WaypointPass(Battle& battle, bool placing, const Projector& project);
  void SetupPass(Battle& battle, int32_t inputMode, const Projector& project);

  // Draws the lines on the map and the texts on the view.
  void Draw(Map& map, MapView& view) const;
  // The lines alone (the pending leg of a movement pick included).
  void DrawLines(Map& map) const;

  std::vector<Line> lines;
  std::vector<MapView::Text> texts;
  // The prospective leg of a movement pick, drawn by the unit itself.
  Unit* legUnit = nullptr;
  int32_t legCode = 0;
  float legX = 0.0f, legY = 0.0f, legZ = 0.0f;

 private:
  void AddText(std::string text, float x, float y, uint8_t r, uint8_t g, uint8_t b);
  void AddLine(int32_t style, bool wide, float x0, float y0, float z0, float x1, float y1, float z1);
};
