// Drawing of one building or bridge in the 3-D battlefield view: the bridge deck and sides,
// the low, tall and large building bodies (whole, cut away so that the units inside can be
// seen, or translucent), the rubble heap of a destroyed building, the pick test and the
// damage label. Everything is built from the footprint corners at draw time.
#include <cmath>
#include <string>

#include "framework/media/GGraph3D.h"
#include "framework/media/GGraphic.h"
#include "game/map/BattlefieldScreen.h"
#include "game/map/Building.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/OrderState.h"
#include "platform/PStringTable.h"

namespace {

constexpr float kSmallestBuildingShown = 0.015f;
constexpr float kTranslucentAlpha = 0.45f;
constexpr int32_t kDamagedString = 1660;
constexpr int32_t kHeavilyDamagedString = 1661;

// A point of the footprint (x, y) at a height, with its texture coordinates.
struct Vertex {
  float x, y, z, u, v;
};

Vertex At(const MapCorner& c, float z, float u, float v) { return {c.x, c.y, z, u, v}; }
MapCorner Mid(const MapCorner& a, const MapCorner& b) { return {(a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f}; }
// The point a fraction of the way from a toward b.
MapCorner Toward(const MapCorner& a, const MapCorner& b, float t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

void Quad(const Vertex& a, const Vertex& b, const Vertex& c, const Vertex& d) {
  gGraph3D->DrawTexturedQuad(a.x, a.y, a.z, a.u, a.v, b.x, b.y, b.z, b.u, b.v, c.x, c.y, c.z, c.u, c.v, d.x, d.y, d.z,
                             d.u, d.v);
}
void Triangle(const Vertex& a, const Vertex& b, const Vertex& c) {
  gGraph3D->DrawTexturedTriangle(a.x, a.y, a.z, a.u, a.v, b.x, b.y, b.z, b.u, b.v, c.x, c.y, c.z, c.u, c.v);
}
void PlainQuad(const MapCorner& a, float za, const MapCorner& b, float zb, const MapCorner& c, float zc,
               const MapCorner& d, float zd) {
  gGraph3D->DrawColouredQuad(a.x, a.y, za, b.x, b.y, zb, c.x, c.y, zc, d.x, d.y, zd);
}
void Bind(GGraphic* graphic) {
  if (graphic != nullptr && graphic->GetStub() != nullptr) gGraph3D->SetTexture(graphic);
}

}  // namespace

void Building::Draw() {
  if (gGraph3D == nullptr) return;
  GGraph3D& r = *gGraph3D;
  const int32_t state = map_->BlockViewState(tileX, tileY);
  if (state == 0) return;
  if (map_->GetViewLevel() < 4 &&
      map_->PerspectiveScaleAt(corners[0].x, corners[0].y, baseHeight) < kSmallestBuildingShown) {
    return;
  }
  LoadGraphics();
  if (state == 2 && !IsBridge()) r.SetClipping(false);
  r.ClearPickHit();
  r.PushMatrix();
  r.TranslateZ(baseHeight);
  if (IsBridge()) {
    DrawBridge();
  } else if (!destroyed) {
    if (type == kTowerBuilding) DrawLargeBuilding();
    else if (tall) DrawTallBuilding();
    else DrawLowBuilding();
  } else if (!r.IsPickMode()) {
    DrawRubble(state != 2);
  }
  r.PopMatrix();
  if (!destroyed && r.GetPickHit()) map_->SetPickedBuilding(this);
  r.SetClipping(true);

  const MapAppServices& app = map_->App();
  if (destroyed || app.GetOption(13) == 0 || app.GetInputMode() == InputModes::kReplay || r.IsPickMode()) return;
  const float fraction = GetDamageFraction();
  if (fraction <= 0.5f) return;
  const bool damaged = fraction <= 0.75f;
  uint32_t length = 0;
  const char* text = PStringTable::Find(damaged ? kDamagedString : kHeavilyDamagedString, &length);
  if (text == nullptr) return;
  const float cx = CentreX();
  const float cy = CentreY();
  map_->App().Battlefield().DrawTextAt(std::string(text, length).c_str(), damaged, cx, cy, map_->SurfaceHeightAt(cx, cy) + 6.0f);
}

void Building::DrawRubble(bool clip) const {
  const Corner* c = corners;
  Corner in[4];
  for (int32_t i = 0; i < 4; ++i) in[i] = Toward(c[i], c[(i + 2) % 4], 0.2f);
  constexpr float kTop = 0.24f;
  const Vertex strip[10] = {At(c[0], 0.0f, 0.0f, 0.0f),   At(in[0], kTop, 0.2f, 0.2f), At(c[3], 0.0f, 1.0f, 0.0f),
                            At(in[3], kTop, 0.8f, 0.2f),  At(c[2], 0.0f, 1.0f, 1.0f),  At(in[2], kTop, 0.8f, 0.8f),
                            At(c[1], 0.0f, 0.0f, 1.0f),   At(in[1], kTop, 0.2f, 0.8f), At(c[0], 0.0f, 0.0f, 0.0f),
                            At(in[0], kTop, 0.2f, 0.2f)};
  float xyz[30];
  float uv[20];
  for (int32_t i = 0; i < 10; ++i) {
    xyz[i * 3] = strip[i].x;
    xyz[i * 3 + 1] = strip[i].y;
    xyz[i * 3 + 2] = strip[i].z;
    uv[i * 2] = strip[i].u;
    uv[i * 2 + 1] = strip[i].v;
  }
  map_->BindTexture672();
  gGraph3D->DrawTexturedStrip(clip, 8, xyz, uv);
  Quad(At(in[0], kTop, 0.2f, 0.2f), At(in[1], kTop, 0.2f, 0.8f), At(in[2], kTop, 0.8f, 0.8f),
       At(in[3], kTop, 0.8f, 0.2f));
}

void Building::DrawBridge() const {
  GGraph3D& r = *gGraph3D;
  const Corner* c = corners;
  const bool high = type == 38 || type == 39 || type == 42;
  const float d = map_->size.heightScale * 6.0f * (high ? 2.0f : 1.0f);
  if (!destroyed) {
    Bind(graphics.handle[2]);
    r.SetBackfaceCulling(false);
    Quad(At(c[0], d, 0.23f, 0.23f), At(c[1], d, 0.77f, 0.23f), At(c[2], d, 0.77f, 0.77f), At(c[3], d, 0.23f, 0.77f));
    r.SetBackfaceCulling(true);
  }
  if (r.IsPickMode()) return;
  r.SetBackfaceCulling(!destroyed);
  Bind(graphics.handle[destroyed ? 1 : 0]);
  const bool halfSpan = type == 40 || type == 41 || type == 42;
  const float uA = halfSpan ? 0.5f : 1.0f;
  const float uB = halfSpan ? 1.0f : 0.0f;
  Quad(At(c[0], 0.0f, 0.0f, 0.0f), At(c[0], d, 0.0f, 1.0f), At(c[3], d, uA, 1.0f), At(c[3], 0.0f, uA, 0.0f));
  Quad(At(c[2], 0.0f, uA, 0.0f), At(c[2], d, uA, 1.0f), At(c[1], d, uB, 1.0f), At(c[1], 0.0f, uB, 0.0f));
  r.SetBackfaceCulling(true);
}

bool Building::IsTranslucent() const {
  return map_->App().GetOption(17) != 0 && displayMark != 1 && map_->App().CanBlend();
}

void Building::DrawWalls(float w, float vTop02, float vTop1) const {
  const Corner* c = corners;
  // Texture slot 0 on corners 0 to 1, slot 1 on 1 to 2 and 3 to 0, slot 2 on 2 to 3.
  const int32_t slot[4] = {0, 1, 2, 1};
  for (int32_t i = 0; i < 4; ++i) {
    const Corner& a = c[i];
    const Corner& b = c[(i + 1) % 4];
    const float v = slot[i] == 1 ? vTop1 : vTop02;
    Bind(graphics.handle[slot[i]]);
    Quad(At(b, 0.0f, 0.0f, 0.0f), At(b, w, 0.0f, v), At(a, w, 1.0f, v), At(a, 0.0f, 1.0f, 0.0f));
  }
}

void Building::DrawInside(float w, float red, float green, float blue, bool cullFloor) const {
  GGraph3D& r = *gGraph3D;
  const Corner* c = corners;
  r.SetColor(red, green, blue);
  for (int32_t i = 3; i >= 0; --i) {
    const Corner& a = c[i];
    const Corner& b = c[(i + 1) % 4];
    PlainQuad(a, 0.0f, a, w, b, w, b, 0.0f);
  }
  if (!r.IsPickMode()) {
    if (cullFloor) r.SetBackfaceCulling(false);
    r.SetColor(0.2f, 0.1f, 0.05f);
    PlainQuad(c[0], 0.1f, c[1], 0.1f, c[2], 0.1f, c[3], 0.1f);
    if (cullFloor) r.SetBackfaceCulling(true);
  }
  r.SetColor(1.0f, 1.0f, 1.0f);
}

void Building::DrawUpperFloor() const {
  GGraph3D& r = *gGraph3D;
  if (r.IsPickMode()) return;
  const Corner* c = corners;
  r.SetBackfaceCulling(false);
  r.SetColor(0.25f, 0.25f, 0.25f);
  r.SetAlpha(0.75f);
  PlainQuad(c[0], 6.0f, c[1], 6.0f, c[2], 6.0f, c[3], 6.0f);
  r.SetAlpha(1.0f);
  r.SetColor(1.0f, 1.0f, 1.0f);
  r.SetBackfaceCulling(true);
}

// The gabled roof of the low and large bodies: ridge from the middle of corners 0 and 1 to the
// middle of corners 2 and 3 at ridge height, eaves at the wall height.
void Building::DrawGabledRoof(float eaves, float ridge, bool gables, float roofAlpha) const {
  GGraph3D& r = *gGraph3D;
  const Corner* c = corners;
  const Corner m01 = Mid(c[0], c[1]);
  const Corner m23 = Mid(c[2], c[3]);
  if (gables) {
    Bind(graphics.handle[2]);
    Triangle(At(c[2], eaves, 1.0f, 0.65f), At(c[3], eaves, 0.0f, 0.65f), At(m23, ridge, 0.5f, 1.0f));
    Bind(graphics.handle[0]);
    Triangle(At(c[0], eaves, 1.0f, 0.65f), At(c[1], eaves, 0.0f, 0.65f), At(m01, ridge, 0.5f, 1.0f));
  }
  Bind(graphics.handle[Graphics::kRoof]);
  if (roofAlpha < 1.0f) r.SetAlpha(roofAlpha);
  Quad(At(c[0], eaves, 0.0f, 0.0f), At(m01, ridge, 0.0f, 2.0f), At(m23, ridge, 2.0f, 2.0f), At(c[3], eaves, 2.0f, 0.0f));
  Quad(At(c[1], eaves, 2.0f, 0.0f), At(c[2], eaves, 0.0f, 0.0f), At(m23, ridge, 0.0f, 2.0f), At(m01, ridge, 2.0f, 2.0f));
  if (roofAlpha < 1.0f) r.SetAlpha(1.0f);
}

void Building::DrawLowBuilding() const {
  GGraph3D& r = *gGraph3D;
  const MapAppServices& app = map_->App();
  const bool translucent = IsTranslucent();
  const bool showInside = app.GetOption(5) != 0;
  const int32_t level = map_->GetViewLevel();
  const bool cut = displayMark == 0 && !translucent;
  const float w = cut ? 3.6f * 0.25f : 3.6f;
  const float vTop02 = cut ? 0.25f : 0.65f;
  const float vTop1 = cut ? 0.25f : 1.0f;
  if (!(translucent && r.IsPickMode())) {
    if (translucent) r.SetAlpha(kTranslucentAlpha);
    DrawWalls(w, vTop02, vTop1);
    if (translucent) r.SetAlpha(1.0f);
  }
  if (showInside || displayMark == 0) DrawInside(w, type == 31 ? 0.4f : 0.3f, type == 31 ? 0.2f : 0.3f,
                                                 type == 31 ? 0.1f : 0.3f, false);
  const bool roof = !showInside && (displayMark != 0 || level < 2 || (translucent && level < 4));
  if (!roof) return;
  const bool cullOff = level < 2 && displayMark == 0;
  if (cullOff) r.SetBackfaceCulling(false);
  const bool gables = displayMark != 0 || (translucent && !r.IsPickMode());
  DrawGabledRoof(3.6f, 6.0f, gables, translucent && level >= 2 && level <= 3 ? kTranslucentAlpha : 1.0f);
  if (cullOff) r.SetBackfaceCulling(true);
}

void Building::DrawTallBuilding() const {
  GGraph3D& r = *gGraph3D;
  const MapAppServices& app = map_->App();
  const bool translucent = IsTranslucent();
  const bool showInside = app.GetOption(5) != 0;
  const int32_t level = map_->GetViewLevel();
  const Corner* c = corners;
  const float fullW = type == 33 ? 8.64f : 9.6f;
  constexpr float kRidge = 12.0f;
  const bool cut = displayMark != 1 && !translucent;
  const float factor = !cut ? 1.0f : displayMark == 0 ? 0.125f : 0.625f;
  const float w = fullW * factor;
  // Type 33's gable-end walls (1 to 2, 3 to 0) reach up the gable.
  const float gableV = type == 33 ? fullW / kRidge * factor : factor;
  if (!(translucent && r.IsPickMode())) {
    if (translucent) r.SetAlpha(kTranslucentAlpha);
    DrawWalls(w, factor, gableV);
    if (translucent) r.SetAlpha(1.0f);
  }
  if (showInside || displayMark != 1) {
    DrawInside(w, 0.3f, 0.3f, 0.3f, true);
    DrawUpperFloor();
  }
  const bool roof = !showInside && (displayMark == 1 || level < 2 || (translucent && level < 4));
  if (!roof) return;
  const bool cullOff = level < 2 && displayMark != 1;
  if (cullOff) r.SetBackfaceCulling(false);
  const float roofAlpha = translucent && level >= 2 && level <= 3 ? kTranslucentAlpha : 1.0f;
  if (type == 33) {
    const Corner a = Mid(c[1], c[2]);
    const Corner b = Mid(c[0], c[3]);
    const float v = fullW / kRidge;
    if (!cut) {
      Bind(graphics.handle[1]);
      Triangle(At(c[3], fullW, 1.0f, v), At(c[0], fullW, 0.0f, v), At(b, kRidge, 0.5f, 1.0f));
      Triangle(At(c[1], fullW, 1.0f, v), At(c[2], fullW, 0.0f, v), At(a, kRidge, 0.5f, 1.0f));
    }
    Bind(graphics.handle[Graphics::kRoof]);
    if (roofAlpha < 1.0f) r.SetAlpha(roofAlpha);
    Quad(At(c[1], fullW, 0.0f, 0.0f), At(a, kRidge, 0.0f, 3.0f), At(b, kRidge, 5.0f, 3.0f), At(c[0], fullW, 5.0f, 0.0f));
    Quad(At(a, kRidge, 0.0f, 0.0f), At(c[2], fullW, 0.0f, 3.0f), At(c[3], fullW, 5.0f, 3.0f), At(b, kRidge, 5.0f, 0.0f));
  } else {
    Corner in[4];
    for (int32_t i = 0; i < 4; ++i) in[i] = Toward(c[i], c[(i + 2) % 4], 0.25f);
    Bind(graphics.handle[Graphics::kRoof]);
    if (roofAlpha < 1.0f) r.SetAlpha(roofAlpha);
    for (int32_t i = 0; i < 4; ++i) {
      const int32_t j = (i + 1) % 4;
      Quad(At(c[i], fullW, 2.5f, 0.0f), At(c[j], fullW, 0.0f, 0.0f), At(in[j], kRidge, 0.625f, 2.0f),
           At(in[i], kRidge, 1.875f, 2.0f));
    }
    Quad(At(in[0], kRidge, 0.0f, 0.0f), At(in[1], kRidge, 0.0f, 2.0f), At(in[2], kRidge, 2.0f, 2.0f),
         At(in[3], kRidge, 2.0f, 0.0f));
  }
  if (roofAlpha < 1.0f) r.SetAlpha(1.0f);
  if (cullOff) r.SetBackfaceCulling(true);
}

void Building::DrawLargeBuilding() const {
  GGraph3D& r = *gGraph3D;
  const MapAppServices& app = map_->App();
  const bool translucent = IsTranslucent();
  const bool showInside = app.GetOption(5) != 0;
  const int32_t level = map_->GetViewLevel();
  constexpr float kWall = 7.2f;
  constexpr float kRidge = 12.0f;
  const bool cut = displayMark == 0 && !translucent;
  const float w = cut ? kWall * 0.125f : kWall;
  const float vTop02 = cut ? 0.125f : 0.65f;
  const float vTop1 = cut ? 0.125f : 1.0f;
  if (!(translucent && r.IsPickMode())) {
    if (translucent) r.SetAlpha(kTranslucentAlpha);
    DrawWalls(w, vTop02, vTop1);
    if (translucent) r.SetAlpha(1.0f);
  }
  if (showInside || displayMark != 1) {
    DrawInside(w, 0.3f, 0.3f, 0.3f, true);
    DrawUpperFloor();
  }
  const bool roof = !showInside && (displayMark == 1 || level < 2 || (translucent && level < 4));
  if (!roof) return;
  const bool cullOff = level < 2 && displayMark == 0;
  if (cullOff) r.SetBackfaceCulling(false);
  const bool gables = displayMark == 1 || (translucent && !r.IsPickMode());
  DrawGabledRoof(kWall, kRidge, gables, translucent && level >= 2 && level <= 3 ? kTranslucentAlpha : 1.0f);
  DrawTower();
  if (cullOff) r.SetBackfaceCulling(true);
}

void Building::DrawTower() const {
  GGraph3D& r = *gGraph3D;
  const Corner* c = corners;
  const float tx = ((c[0].x + c[1].x) * 2.0f + c[2].x + c[3].x) * 0.16667f;
  const float ty = ((c[0].y + c[1].y) * 2.0f + c[2].y + c[3].y) * 0.16667f;
  constexpr float kHalf = 1.8f;
  constexpr float kBottom = 12.0f - 1.2f;
  constexpr float kEaves = kBottom + 6.0f;
  constexpr float kTop = kEaves + 3.5f;
  const Corner sq[4] = {{tx - kHalf, ty - kHalf}, {tx + kHalf, ty - kHalf}, {tx + kHalf, ty + kHalf},
                        {tx - kHalf, ty + kHalf}};
  const bool alongX = std::fabs(c[2].y - c[1].y) <= 1.0f;
  if (!alongX) r.SetCullWinding(false);
  Bind(graphics.handle[Graphics::kExtra]);
  for (int32_t i = 0; i < 4; ++i) {
    const Corner& a = sq[i];
    const Corner& b = sq[(i + 1) % 4];
    Quad(At(a, kBottom, 0.0f, 0.0f), At(a, kEaves, 0.0f, 0.5f), At(b, kEaves, 1.0f, 0.5f), At(b, kBottom, 1.0f, 0.0f));
  }
  // The ridge through the centre, along x or along y; gables close its ends.
  const Corner r0 = alongX ? Corner{tx - kHalf, ty} : Corner{tx, ty - kHalf};
  const Corner r1 = alongX ? Corner{tx + kHalf, ty} : Corner{tx, ty + kHalf};
  // The eave corners on either side of the ridge, each pair from the r0 end to the r1 end.
  const Corner sideA[2] = {alongX ? sq[0] : sq[0], alongX ? sq[1] : sq[3]};
  const Corner sideB[2] = {alongX ? sq[3] : sq[1], alongX ? sq[2] : sq[2]};
  Triangle(At(sideA[0], kEaves, 0.0f, 0.5f), At(sideB[0], kEaves, 1.0f, 0.5f), At(r0, kTop, 0.5f, 1.0f));
  Triangle(At(sideB[1], kEaves, 0.0f, 0.5f), At(sideA[1], kEaves, 1.0f, 0.5f), At(r1, kTop, 0.5f, 1.0f));
  Bind(graphics.handle[Graphics::kRoof]);
  Quad(At(sideA[0], kEaves, 0.0f, 0.0f), At(r0, kTop, 0.0f, 2.0f), At(r1, kTop, 1.0f, 2.0f),
       At(sideA[1], kEaves, 1.0f, 0.0f));
  Quad(At(sideB[1], kEaves, 0.0f, 0.0f), At(r1, kTop, 0.0f, 2.0f), At(r0, kTop, 1.0f, 2.0f),
       At(sideB[0], kEaves, 1.0f, 0.0f));
  if (!alongX) r.SetCullWinding(true);
}
