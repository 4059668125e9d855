// The camera, the selection and the small questions drawing asks of the map: the view state
// of blocks and footprints, texture indices of tiles, the tint of water textures and the
// apparent size of things at a distance.
#include <algorithm>
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/GMath.h"
#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "framework/media/GBoundingBox.h"
#include "framework/media/GGraph3D.h"
#include "framework/ui/GView.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Heading.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/MapCameraTables.h"
#include "game/map/MapUnitView.h"
#include "game/map/OrderState.h"

namespace {

// A 1024-pixel screen shows a thing of 20 units at 1 m: the screen width over 51.2.
constexpr float kApparentSizeDivisor = 51.2f;
constexpr float kBlockSize = 80.0f;

int32_t SideIndex(const MapAppServices& app) { return app.GetCurrentSide() == 1 ? 1 : 0; }

}  // namespace

void Map::SelectUnit(MapUnitView* unit) {
  if (unit == camera.selectedUnit || (unit != nullptr && unit->GetIdentificationLevel() < 2)) unit = nullptr;
  camera.selectedUnit = unit;
  Invalidate();
  app_->Battlefield().RefreshBattleScreen();
}

void Map::AimCamera(float x, float y) {
  const float z = ElevationAt(x, y);
  float sx = x;
  float sy = y;
  if (gGraph3D != nullptr && gGraph3D->ProjectToScreen(&sx, &sy, z, false)) return;
  const int32_t side = SideIndex(*app_);
  if (camera.viewLevel[side] <= 3) {
    camera.bearing[side] = HeadingDegrees(x - camera.x[side], y - camera.y[side]) * GMath::kRadiansPerDegree;
  } else {
    camera.x[side] = x;
    camera.y[side] = y;
  }
  Invalidate();
  app_->Battlefield().RefreshBattleScreen();
}

void Map::OrdersMenuKey(int32_t key) {
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr || battle->GetSelectedUnit() == nullptr) {
    // A key press with nothing selected: no menu to open.
    app_->Battlefield().Beep();
    return;
  }
  if (camera.openMenu == nullptr) {
    camera.openMenu = app_->OpenUnitOrdersMenu(false);
  } else if (!app_->OrdersMenuTakesKey(camera.openMenu, key)) {
    app_->Battlefield().Beep();
    SafeDelete(camera.openMenu);
  }
}

void Map::SetViewVisible(bool visible) {
  if (auto* view = dynamic_cast<GView*>(display.battleView)) view->SetVisible(visible ? 1 : 0);
}

void Map::SetSelectionCorner(float x, float y) {
  camera.selectionCorners[1][0] = static_cast<int32_t>(x);
  camera.selectionCorners[1][1] = static_cast<int32_t>(y);
  app_->SetInputMode(InputModes::kSelectionDrag);
  if (MapBattleServices* battle = app_->GetBattleOrOperation()) battle->SetSelectionDrag(true);
}

void Map::GetSelectionRect(int32_t rect[4]) const {
  const int32_t(&c)[2][2] = camera.selectionCorners;
  rect[0] = std::min(c[0][0], c[1][0]);
  rect[1] = std::min(c[0][1], c[1][1]);
  rect[2] = std::max(c[0][0], c[1][0]);
  rect[3] = std::max(c[0][1], c[1][1]);
}

int32_t Map::GetBlockViewState(int32_t blockX, int32_t blockY) const {
  return terrain.blockViewState.GetOr(blockX, blockY, 0);
}

int32_t Map::BlockViewState(int32_t tileX, int32_t tileY) const {
  if (tileX < 0 || tileY < 0) return 0;
  return GetBlockViewState(tileX / 4, tileY / 4);
}

int32_t Map::FootprintViewState(float x, float y, float r) const {
  // The distinct block indices along one axis, lowest first (at most three).
  auto blocksAlong = [r](float c, int32_t out[3]) {
    const float samples[3] = {c - r, c, c + r};
    int32_t n = 0;
    for (float s : samples) {
      const auto b = static_cast<int32_t>(s * (1.0f / kBlockSize));
      if (std::find(out, out + n, b) != out + n) continue;
      if (n == 3) FatalError(2469, "Map.cpp");
      out[n++] = b;
    }
    return n;
  };
  int32_t bx[3];
  int32_t by[3];
  const int32_t nx = blocksAlong(x, bx);
  const int32_t ny = blocksAlong(y, by);
  const int32_t first = GetBlockViewState(bx[0], by[0]);
  if (first == 1) return 1;
  for (int32_t i = 0; i < nx; ++i) {
    for (int32_t j = 0; j < ny; ++j) {
      if (GetBlockViewState(bx[i], by[j]) != first) return 1;
    }
  }
  return first;
}

int32_t Map::GetViewLevel() const { return camera.viewLevel[SideIndex(*app_)]; }

int32_t Map::TileTextureIndex(const MapTile& tile, int32_t layer, int32_t* second) const {
  if (layer != 0 && layer != 1) FatalError(2087, "Map.cpp");
  const int32_t type = layer == 0 ? tile.terrain : tile.road;
  const int32_t shape = layer == 0 ? tile.shape : tile.roadShape;
  if (second != nullptr) *second = 0;
  const MapBattleServices* battle = app_->GetBattleOrOperation();
  const int32_t season = battle != nullptr ? battle->GetSeason() : 1;
  if (!IsSnowGround()) {
    int32_t base = -1;
    switch (type) {
      case 8: base = 0; break;
      case 9: base = 13; break;
      case 10: base = 59; break;
      case 11: base = 74; break;
      case 12: base = 28; break;
      case 13: base = season >= 2 ? 91 : 85; break;
      case 14:
      case 15: base = season >= 2 ? 53 : 47; break;
      case 16: base = season == 1 ? 34 : 97; break;
      case 17: base = 79; break;
      case 18: base = 40; break;
      case 19: base = 72; break;
      case 25: base = 41; break;
      case 26: base = 73; break;
      default: return -1;
    }
    return base + shape;
  }
  // Snow ground: many types share the snow pieces, which lie at their own bitmap offset.
  int32_t base = -1;
  int32_t offset = 0;
  switch (type) {
    case 8:
    case 9: base = 13; offset = 217; break;
    case 10: base = 59; offset = 300; break;
    case 11: {
      static constexpr int32_t kPavedShapes[5] = {13, 31, 19, 23, 18};
      if (shape < 0 || shape > 4) FatalError(2089, "Map.cpp");
      if (second != nullptr) *second = 217;
      return kPavedShapes[shape];
    }
    case 12: base = 28; break;
    case 13:
    case 14:
    case 15: base = 53; offset = 197; break;
    case 16: base = 97; break;
    case 17: base = 79; offset = 300; break;
    case 18: base = 40; offset = 209; break;
    case 19: base = 72; break;
    case 25:
    case 27: base = 41; offset = 179; break;
    case 26: base = 73; break;
    default: return -1;
  }
  if (second != nullptr) *second = offset;
  return base + shape;
}

bool Map::TintWaterTexture(float previousScale[3], int32_t kind) const {
  const MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr || gGraph3D == nullptr || IsSnowGround() || (kind != 8 && kind != 9)) return false;
  const int32_t condition = battle->GetGroundCondition();
  if (condition < 2 || condition > 5) return false;
  const float k = 0.9f - static_cast<float>(condition - 2) * 0.1f;
  float scale[3];
  gGraph3D->GetColorScale(scale);
  for (float& s : scale) s *= k;
  gGraph3D->SwapColorScale(scale, previousScale);
  return true;
}

float Map::PerspectiveScaleAt(float x, float y, float z) const {
  const int32_t side = SideIndex(*app_);
  const float a = -camera.bearing[side];
  float depth = std::fabs((x - camera.x[side]) * std::cos(a) - (y - camera.y[side]) * std::sin(a));
  depth = std::max(depth, std::fabs(camera.height - z));
  const float zoom = camera.zoom > 0.0f ? camera.zoom : 1.0f;
  depth = std::max(depth / zoom, 0.0001f);
  return static_cast<float>(app_->GetScreenWidth()) / kApparentSizeDivisor / depth;
}

float Map::DetailFactorAt(float x, float y) const {
  if (GetViewLevel() > 3) return 0.5f;
  const float s = std::clamp(PerspectiveScaleAt(x, y, 0.0f), 0.024f, 0.2f);
  return 0.023f / s;
}

float Map::CameraDistance(float x, float y, float z, float* zoom) const {
  const int32_t side = SideIndex(*app_);
  const float dx = x - camera.x[side];
  const float dy = y - camera.y[side];
  const float dz = z - camera.height;
  if (zoom != nullptr) *zoom = camera.zoom;
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// ---- The battlefield frame's camera ----

namespace {

namespace T = MapCameraTables;

constexpr float kHalfPi = 1.5707963267948966f;

struct OptionRange {
  int32_t index;
  int32_t low;
  int32_t high;
};
// The display options the frame reads and the values each may take.
constexpr OptionRange kFrameOptions[] = {{2, 0, 3}, {3, 0, 1}, {4, 0, 4},  {8, 0, 1},   {9, 0, 4},   {12, 0, 2},
                                         {15, 0, 2}, {16, 0, 1}, {40, -10, 2}, {42, 0, 1}, {43, 0, 1}};

// One line for the run, whichever option first holds a value outside its range.
bool gOptionLogged = false;
bool gCameraLogged = false;

// A table value at level v, blended with level p by t while a level change runs.
float Blend(const float* table, int32_t v, int32_t p, float t) {
  const float now = table[v];
  if (t == 0.0f) return now;
  return now * (1.0f - t) + table[p] * t;
}

}  // namespace

int32_t Map::FrameOption(int32_t index) const {
  const int32_t value = app_->GetOption(index);
  int32_t held = 1;
  if (index == 41) {
    if (value == 1 || value == 2 || value == 4 || value == 8) return value;
  } else {
    const OptionRange* range = nullptr;
    for (const OptionRange& r : kFrameOptions) {
      if (r.index == index) range = &r;
    }
    if (range == nullptr) FatalError(__LINE__, "Map");
    if (value >= range->low && value <= range->high) return value;
    if (range->high == 1) return 1;  // a switch: any other value is on
    held = std::clamp(value, range->low, range->high);
  }
  if (!gOptionLogged) {
    gOptionLogged = true;
    GErrorLog::LogValue("Display option out of range, held to it: ", index);
  }
  return held;
}

void Map::SetupCamera() {
  GGraph3D* g = gGraph3D;
  const int32_t side = SideIndex(*app_);
  // A camera never placed, or one holding no number, looks over the map's centre.
  int32_t& level = camera.viewLevel[side];
  if (level < 0 || level >= T::kLevels || !std::isfinite(camera.x[side]) || !std::isfinite(camera.y[side]) ||
      !std::isfinite(camera.bearing[side])) {
    if (!gCameraLogged) {
      gCameraLogged = true;
      GErrorLog::LogValue("Camera not set, placed over the map's centre; level was ", level);
    }
    level = 3;
    camera.x[side] = size.worldWidth * 0.5f;
    camera.y[side] = size.worldHeight * 0.5f;
    camera.bearing[side] = kHalfPi;
  }
  const int32_t v = level;
  frame.previousLevel = std::clamp(frame.previousLevel, 0, T::kLevels - 1);
  const int32_t p = frame.previousLevel;
  const int32_t screen = std::clamp(display.detailTier, 0, T::kScreenClasses - 1);
  float rate = app_->GetFrameRate();
  if (!(rate > 0.0f) || !std::isfinite(rate)) rate = 8.0f;
  const auto frameTime = static_cast<float>(std::max(0, app_->GetFrameTime()));

  // 1: the level blend runs down over a third of a second.
  if (!std::isfinite(frame.levelBlend)) frame.levelBlend = 0.0f;
  if (frame.levelBlend != 0.0f) {
    Invalidate();
    frame.levelBlend -= 3.0f / rate;
    if (frame.levelBlend <= 0.0f) frame.levelBlend = 0.0f;
  }
  const float t = std::min(frame.levelBlend, 1.0f);

  // 2: the shake, from the presentation's own generator.
  float shakeX = 0.0f;
  float shakeY = 0.0f;
  float shakeH = 0.0f;
  float pitchOffset = 0.0f;
  if (FrameOption(8) == 0 || !(frame.shake > 0.0f) || !std::isfinite(frame.shake)) {
    frame.shake = 0.0f;
  } else {
    GRandom& random = GRandom::Presentation();
    const float k = frame.shake;
    shakeX = random.RandomFloatTimes(2.0f * k) - k;
    shakeY = random.RandomFloatTimes(2.0f * k) - k;
    shakeH = random.RandomFloatTimes(2.0f * k) - k;
    if (v < 4) pitchOffset = (random.RandomFloatTimes(2.0f * k) - k) * 2.0f;
    frame.shake = std::max(0.0f, k - (k + 0.15f) * frameTime * 0.0012f);
  }

  // 3: the view lock.
  MapUnitView* locked = camera.selectedUnit;
  if (locked != nullptr && !((locked->IsAlive() || locked->CanStayInView()) &&
                             (locked->GetSideIndex() == side || locked->IsIdentified()))) {
    camera.selectedUnit = nullptr;
    locked = nullptr;
  }
  bool vehicleView = false;
  if (locked != nullptr) {
    const float bearing = locked->GetViewFacing() * GMath::kRadiansPerDegree;
    const float d = T::kFollowDistance[screen][v];
    const float x = locked->GetX() - std::cos(bearing) * d;
    const float y = locked->GetY() - std::sin(bearing) * d;
    if (x != camera.x[side] || y != camera.y[side] || bearing != camera.bearing[side]) {
      camera.x[side] = x;
      camera.y[side] = y;
      camera.bearing[side] = bearing;
      Invalidate();
    }
    if (v == 0 && locked->IsVehicle()) {
      vehicleView = true;
      pitchOffset += 7.0f;
    }
  }

  // 4: the far plane, from the map's diagonal, never below the eye and within the horizon.
  float farPlane = std::sqrt(size.worldWidth * size.worldWidth + size.worldHeight * size.worldHeight) + 800.0f;
  const int32_t q = t != 0.0f && p > v ? p : v;
  farPlane = std::max(farPlane, T::kEyeHeight[q] * 1.1f);
  const int32_t horizon = FrameOption(9);
  if (v < 4 && horizon != 0) farPlane = std::min(farPlane, static_cast<float>(horizon + 1) * 500.0f);

  // 5: the near plane; a dip at eye level brings it closer.
  const int32_t dip = FrameOption(40);
  float nearPlane = T::kNear[v];
  if (v == 0 && dip < 0) nearPlane = std::max(nearPlane + static_cast<float>(dip) * 0.3f, 1.0f);
  if (t != 0.0f) nearPlane = T::kNear[p] * t + (1.0f - t) * nearPlane;

  // 6: the field of view, narrowed by the zoom.
  const int32_t zoom = FrameOption(41);
  camera.zoom = static_cast<float>(zoom);
  frame.fieldOfView = Blend(T::kFieldOfView[screen], v, p, t) / static_cast<float>(zoom);
  frame.nearPlane = nearPlane;
  frame.farPlane = farPlane;
  app_->Battlefield().SetBattlefieldProjection(frame.fieldOfView, nearPlane, farPlane);

  // 7: the pitch.
  float pitch = Blend(T::kPitch[screen], v, p, t);
  if (v < 4) {
    pitch -= static_cast<float>(dip) * 3.5f;
    if (zoom > 1) pitch -= T::kZoomPitchDrop[v][zoom == 2 ? 0 : zoom == 4 ? 1 : 2];
  }
  pitch = std::max(pitch + pitchOffset, 1.0f);
  frame.pitch = pitch;
  if (g != nullptr) g->RotateX(pitch);

  // 8: the point looked at and the eye just behind it.
  const float c = std::cos(camera.bearing[side]);
  const float s = std::sin(camera.bearing[side]);
  const float offset = Blend(T::kTargetOffset, v, p, t) + (vehicleView ? 1.0f : 0.0f);
  const float targetX = c * offset + camera.x[side] + shakeX;
  const float targetY = s * offset + camera.y[side] + shakeY;
  frame.eyeX = targetX - c * 0.1f;
  frame.eyeY = targetY - s * 0.1f;

  // 9: the field of falling rain or snow around the eye.
  frame.weatherFieldSize = std::max(T::kEyeHeight[v] * 2.5f, 30.0f);

  // 10: the eye's height, clear of the ground ahead.
  float h = Blend(T::kEyeHeight, v, p, t);
  const float clearance = Blend(T::kClearance, v, p, t);
  if (vehicleView) h = std::max(h, 5.0f);
  float ground = ElevationAt(frame.eyeX, frame.eyeY);
  for (float d : {3.3f, 6.7f, 10.0f, 15.0f, 20.0f}) {
    ground = std::max(ground, ElevationAt(frame.eyeX + c * d, frame.eyeY + s * d));
  }
  h = std::max(h, ground + clearance);
  if (v == 0 && locked != nullptr) {
    if (locked->IsVehicle()) {
      h += 2.2f;
    } else if (locked->IsInfantry() && locked->GetLevel() > 0.0f) {
      h += locked->GetLevel() * 6.0f;
    }
  }
  h += shakeH;
  camera.height = h;

  // 11: the view.
  if (g != nullptr) g->LookAt(frame.eyeX, frame.eyeY, h, targetX, targetY, h, 0.0f, 0.0f, 1.0f);

  // 12: sounds come closer as the eye comes down.
  app_->Battlefield().SetSoundDistanceOffset(50.0f - h * 0.8f + (app_->GetInputMode() == InputModes::kReplay ? 0.0f : 125.0f));

  // 13: fog.
  if (g == nullptr || g->IsPickMode()) return;
  const MapBattleServices* battle = app_->GetBattleOrOperation();
  const int32_t weather = battle != nullptr ? battle->GetWeather() : 0;
  if (FrameOption(12) == 0 || (weather != 3 && weather != 4)) {
    g->SetFog(false);
    return;
  }
  g->SetFog(true);
  const int32_t timeOfDay = battle->GetTimeOfDay();
  const float grey = timeOfDay == 2 ? 0.1f : timeOfDay == 1 ? 0.5f : 0.8f;
  g->SetFogColor(grey, grey, grey);
  g->SetFogRange(1.0f, std::max(weather == 3 ? 850.0f : 350.0f, h * 5.0f));
}

void Map::UpdateViewCulling() {
  if (!display.needsRedraw) return;
  display.needsRedraw = false;
  MapGrid<uint8_t>& states = terrain.blockViewState;
  if (gGraph3D == nullptr) {
    states.Fill(2);
    return;
  }
  GBoundingBox box;
  for (int32_t i = states.Width() - 1; i >= 0; --i) {
    for (int32_t j = states.Height() - 1; j >= 0; --j) {
      const float low = terrain.blockMinHeight.GetOr(i, j, 0.0f);
      const float high = terrain.blockMaxHeight.GetOr(i, j, low);
      box.Set(std::trunc((static_cast<float>(i) + 0.5f) * kBlockSize),
              std::trunc((static_cast<float>(j) + 0.5f) * kBlockSize), low, kBlockSize, kBlockSize, high - low);
      bool notWhollyInside = false;
      const bool visible = box.IsVisible(&notWhollyInside);
      states.At(i, j) = !visible ? 0 : notWhollyInside ? 1 : 2;
    }
  }
}

void Map::DrawUnits() {
  const int32_t v = std::clamp(GetViewLevel(), 0, T::kLevels - 1);
  const int32_t p = std::clamp(frame.previousLevel, 0, T::kLevels - 1);
  const float t = std::clamp(frame.levelBlend, 0.0f, 1.0f);
  const int32_t scale = FrameOption(4);
  MapBattleServices* battle = app_->GetBattleOrOperation();
  if (battle == nullptr) return;
  battle->DrawUnits(Blend(T::kUnitScaleFactor[scale], v, p, t), Blend(T::kInfantryGrowthExponent[scale], v, p, t),
                    Blend(T::kVehicleGrowthExponent[scale], v, p, t));
}

// ---- The camera operations of the battle screen ----

namespace {

// The measured frame rate, with a floor so a stalled frame never makes a huge step.
float FloorRate(const MapAppServices& app, float floor) {
  const float rate = app.GetFrameRate();
  return std::isfinite(rate) && rate > floor ? rate : floor;
}

}  // namespace

void Map::TurnCamera(float input) {
  const int32_t side = SideIndex(*app_);
  const float rate = FloorRate(*app_, 4.0f);
  const auto zoom = static_cast<float>(FrameOption(41));
  const float a = 1.0f / (zoom * rate) * input;
  const int32_t level = camera.viewLevel[side];
  if (app_->GetOption(20) != 0 && level >= 0 && level < 8) {
    // Swing about the ground point the orbit distance ahead: it stays where it was.
    const float d = kOrbitDistance[level];
    const float vx = d * std::cos(camera.bearing[side]);
    const float vy = d * std::sin(camera.bearing[side]);
    const float c = std::cos(a);
    const float s = std::sin(a);
    camera.x[side] += vx - (vx * c - vy * s);
    camera.y[side] += vy - (vx * s + vy * c);
  }
  camera.bearing[side] += a;
  camera.selectedUnit = nullptr;
  Invalidate();
  Refresh();
}

void Map::TurnCameraBy(float degrees) {
  const int32_t side = SideIndex(*app_);
  camera.bearing[side] += degrees * GMath::kRadiansPerDegree;
  camera.selectedUnit = nullptr;
  Invalidate();
  Refresh();
}

void Map::MoveCamera(int32_t direction, float amount) {
  const int32_t side = SideIndex(*app_);
  float dir = camera.bearing[side];
  if (direction == 1) dir += 1.5707964f;
  else if (direction == 2) dir -= 1.5707964f;
  else if (direction == 4) dir += 3.1415927f;
  const float rate = FloorRate(*app_, 3.0f);
  const int32_t level = std::clamp(camera.viewLevel[side], 0, 7);
  float step = amount * 400.0f * (static_cast<float>(level) * 0.1142857142857143f + 0.2f) / rate;
  if (level == 0) step *= 0.6f;
  auto held = [](float value, float size) {
    if (value < -200.0f) return -200.0f;
    if (value >= size + 200.0f) return size + 200.0f;
    return value;
  };
  camera.x[side] = held(camera.x[side] + std::cos(dir) * step, size.worldWidth);
  camera.y[side] = held(camera.y[side] + std::sin(dir) * step, size.worldHeight);
  camera.selectedUnit = nullptr;
  Invalidate();
  Refresh();
}

void Map::ChangeCameraLevel(bool up) {
  const int32_t side = SideIndex(*app_);
  int32_t& level = camera.viewLevel[side];
  frame.previousLevel = level;
  level += up ? 1 : -1;
  if (level < 0) {
    level = 0;
    return;
  }
  if (level > 7) {
    level = 7;
    return;
  }
  app_->Battlefield().ResetCameraDipAndZoom();
  if (app_->GetFrameRate() < 5.0f) {
    Invalidate();
    Refresh();
    return;
  }
  frame.levelBlend = 1.0f;
  app_->Battlefield().RaiseCameraCounter();
}

void Map::SetCameraLevel(int32_t level) {
  if (level < 0 || level >= 8) return;
  app_->Battlefield().ResetCameraDipAndZoom();
  camera.viewLevel[SideIndex(*app_)] = level;
  Invalidate();
  Refresh();
}

void Map::KeypadCamera(int32_t key) {
  switch (key) {
    case '+': SetCameraLevel(GetViewLevel() + 1); break;
    case '-': SetCameraLevel(GetViewLevel() - 1); break;
    case '2':
    case '5': MoveCamera(4, 3.0f); break;
    case '4': MoveCamera(1, 3.0f); break;
    case '6': MoveCamera(2, 3.0f); break;
    case '8': MoveCamera(3, 3.0f); break;
    case '7': TurnCamera(3.0f); break;
    case '9': TurnCamera(-3.0f); break;
    default: return;
  }
  app_->Battlefield().SetCameraCounter(true);
}
