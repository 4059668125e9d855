// The vehicle's picture: identity shown, model draw context, low-detail body or model routine,
// crew figures, flames, and the shadow under the hull.
#include "game/draw/VehicleDraw.h"

#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/media/GGraph3D.h"
#include "game/map/Map.h"
#include "game/map/MapBattleServices.h"
#include "game/models/ModelDrawContext.h"
#include "game/models/VehicleModelTable.h"
#include "game/units/tables/Hack.h"
#include "game/units/draw/InfantryDraw.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

constexpr float kLowDetailBelow = 2.5f;
constexpr int32_t kAlwaysModelledClass = 46;
constexpr float kFigureScale = 0.00045f;
constexpr float kCrewDrop = 0.013f;
// How far below its hatch (or seat) a crew figure's feet stand, in the crew places' units (0.04
// model units, 89 figure units), by pose kind: a turret hatch or an open turret hides the man
// below the waist (72 figure units), a hull hatch below the shoulders (100; 90 for kind 3, whose
// arms are drawn), and a seated man's hips (66) rest on the place.
constexpr float kHatchCut[10] = {0.81f, 0.81f, 1.125f, 1.012f, 0.81f, 0.81f, 0.742f, 0.742f, 0.742f, 1.012f};
constexpr int32_t kNightTime = 2;
constexpr int32_t kMaxCategory = 39;
constexpr int32_t kMaxFace = 11;

bool gCategoryLogged = false;
bool gFaceLogged = false;

// The battle's map; the presentation draws with it (the flame box and the figures keep their
// own drawing state in it).
Map* BattleMap() {
  MapBattleServices* battle = UnitBattle();
  return battle != nullptr ? const_cast<Map*>(battle->GetMap()) : nullptr;
}

}  // namespace

void VehicleDraw::Install() {
  static VehicleDraw drawer;
  SetVehicleDrawer(&drawer);
}

VehicleDraw::Body VehicleDraw::LowDetailBodyFor(int32_t category) {
  switch (category) {
    case 6: case 8: case 9: case 17: case 19: case 20: case 31: case 32: case 33: case 36:
      return Body::kA;
    case 10: case 21: case 22: case 35: case 37: case 38: case 39:
      return Body::kNone;
    default:
      break;
  }
  if (category < 0 || category > kMaxCategory) {
    if (!gCategoryLogged) {
      GErrorLog::LogValue("VehicleDraw: category outside 0..39 drawn as the open body", category);
      gCategoryLogged = true;
    }
    return Body::kA;
  }
  return Body::kB;
}

void VehicleDraw::Draw(Vehicle& vehicle, bool clip, float detail) {
  GGraph3D* g = gGraph3D;
  if (g == nullptr) return;
  ModelDrawContext& context = ModelDrawContext::Current();
  // 1-2: the identity shown.
  context.footprint[0] = ModelDrawContext::kNoFootprint;
  const int32_t level = vehicle.GetIdentificationLevel(false);
  int32_t shownClass = vehicle.broadClass;
  int32_t set = 0;
  if (level >= 4) {
    shownClass = vehicle.classIndex;
    set = 2;
  } else if (level == 3) {
    shownClass = vehicle.apparentClass;
    set = 1;
  }
  const bool known = gVehicleClasses.IsValid(shownClass);
  // 3-7: the context.
  const bool k = level >= 2;
  const bool alive = vehicle.alive != 0;
  context.turretAngle = k ? vehicle.turretOffset : 0.0f;
  context.gunElevation = k ? (alive ? vehicle.gunElevation : vehicle.KnockedOutGunElevation()) : 0.0f;
  context.turretTilt = !alive && vehicle.abandoned == 0 && k ? vehicle.KnockedOutTurretTilt() : 0.0f;
  context.vehicle = &vehicle;
  context.textures = vehicle.textures[static_cast<size_t>(set)].data();
  // The vehicle keeps the -x track's phase first; the models take the +x side's first.
  context.trackScroll0 = vehicle.trackPhases[1];
  context.trackScroll1 = vehicle.trackPhases[0];

  // 8: the low-detail bodies.
  const VehicleData trueClass = vehicle.TrueClass();
  bool bodyDrawn = false;
  if (detail < kLowDetailBelow && trueClass.KindCode() != VehicleData::kKindEmplacement &&
      shownClass != kAlwaysModelledClass) {
    g->SetBackfaceCulling(false);
    const Body body = LowDetailBodyFor(vehicle.GetCategory());
    if (body == Body::kA) DrawLowDetailVehicleA(clip);
    if (body == Body::kB) DrawLowDetailVehicleB(clip);
    g->SetBackfaceCulling(true);
    bodyDrawn = body != Body::kNone;
  }
  if (!bodyDrawn) {
    // 9-11: the crew and the model.
    if (alive) DrawCrew(vehicle, level, shownClass, clip, detail * kFigureScale);
    g->SetBackfaceCulling(false);
    if (known) {
      const VehicleData record = gVehicleClasses[shownClass];
      VehicleModelTable::Draw(record.ModelIndex(), clip, record.DrawVariant());
    }
    g->SetBackfaceCulling(true);
  }
  // 12: flames, never in a pick pass.
  Map* map = BattleMap();
  if (vehicle.burning != 0 && map != nullptr && !g->IsPickMode()) {
    const float size = trueClass.Size();
    const float s = size > 0.0f ? std::sqrt(size) : 0.0f;
    map->SetAnimatedTexture();
    map->DrawFlameBox(vehicle.x, vehicle.y, 0.04f * s, 0.13f * s, 1.0f, true);
  }
}

VehicleDraw::CrewPlace VehicleDraw::PlaceFor(int32_t kind, bool hidden, bool turret, float pivot) {
  CrewPlace place{};
  place.shown = !(hidden && kind < 4);
  const bool turning = kind == 0 || kind == 1 || kind == 4 || kind == 5 || kind == 8;
  place.turns = turning && (turret || pivot != 0.0f);
  place.lowered = hidden && (kind == 4 || kind == 5 || kind == 9);
  return place;
}

float VehicleDraw::LookAngle(int32_t t) {
  if (t < 4000) return -35.0f;
  if (t < 5000) return static_cast<float>(t - 4000) * 0.07f - 35.0f;
  if (t < 9000) return 35.0f;
  return static_cast<float>(t - 9000) * -0.07f + 35.0f;
}

void VehicleDraw::DrawCrew(Vehicle& vehicle, int32_t level, int32_t shownClass, bool clip, float scale) {
  GGraph3D* g = gGraph3D;
  Map* map = BattleMap();
  if (g == nullptr || map == nullptr || !gVehicleClasses.IsValid(shownClass)) return;
  const int32_t model = gVehicleClasses[shownClass].ModelIndex();
  if (!gVehicleModels.IsValid(model)) return;
  const VehicleModelData places = gVehicleModels[model];
  int32_t n = places.CrewPlaces();
  const int32_t men = vehicle.GetMenPresent();
  if (men < n) n = men;
  const bool hidden = level < 3 || vehicle.IsButtoned();
  const bool turret = vehicle.HasTurret();
  InfantryDrawState& state = InfantryDraw::State();
  for (int32_t i = 0; i < n; ++i) {
    const int32_t kind = places.CrewKind(i);
    const float pivot = places.CrewValue(i, 4);
    const CrewPlace place = PlaceFor(kind, hidden, turret, pivot);
    if (!place.shown) continue;
    const float px = places.CrewValue(i, 0);
    const float py = places.CrewValue(i, 1);
    const float pz = places.CrewValue(i, 2) - (kind >= 0 && kind < 10 ? kHatchCut[kind] : 0.0f);
    const float heading = places.CrewValue(i, 3);
    bool pushed = false;
    if (place.turns) {
      g->PushMatrix();
      pushed = true;
      g->TranslateY(pivot);
      g->RotateZ(vehicle.turretOffset);
      g->TranslateY(-pivot);
    }
    if (place.lowered) {
      if (!pushed) g->PushMatrix();
      pushed = true;
      g->TranslateZ(-kCrewDrop);
    }
    const float look = LookAngle(vehicle.crewLookTimers[static_cast<size_t>(i)]);
    int32_t face = vehicle.crewFaces[static_cast<size_t>(i)];
    if (face < 0 || face > kMaxFace) {
      if (!gFaceLogged) {
        GErrorLog::LogValue("VehicleDraw: crew face outside 0..11 drawn as face 0", face);
        gFaceLogged = true;
      }
      face = 0;
    }
    state.CurrentFaceVariant = face;
    map->DrawFigure(kind, vehicle.nationalityCode, px, py, pz, heading, look, clip, scale);
    if (pushed) g->PopMatrix();
  }
}

void VehicleDraw::DrawShadow(Vehicle& vehicle, float scale, bool clip) {
  GGraph3D* g = gGraph3D;
  Map* map = BattleMap();
  MapBattleServices* battle = UnitBattle();
  const ModelDrawContext& context = ModelDrawContext::Current();
  if (g == nullptr || map == nullptr || battle == nullptr || !context.HasFootprint()) return;
  if (battle->GetTimeOfDay() == kNightTime || vehicle.level < 0.0f || vehicle.emplaced != 0) return;
  float x0 = context.footprint[0] * scale;
  float y0 = context.footprint[1] * scale;
  float x1 = context.footprint[2] * scale;
  float y1 = context.footprint[3] * scale;
  const float lift = 0.25f * map->DetailFactorAt((x0 + x1) * 0.5f, (y0 + y1) * 0.5f);
  constexpr float kRad = 3.14159265f / 180.0f;
  const float across = std::fabs(std::cos(vehicle.hullRoll * kRad));
  const float along = std::fabs(std::cos(vehicle.hullPitch * kRad));
  x0 *= across;
  x1 *= across;
  y0 *= along;
  y1 *= along;
  const float a = (vehicle.facing - 90.0f) * kRad;
  const float c = std::cos(a);
  const float s = std::sin(a);
  const float px = vehicle.x;
  const float py = vehicle.y;
  const float ax = px + x0 * c, ay = py + x0 * s;
  const float bx = px + x1 * c, by = py + x1 * s;
  float p[4][3] = {{ax - y0 * s, ay + y0 * c, 0.0f},
                   {ax - y1 * s, ay + y1 * c, 0.0f},
                   {bx - y1 * s, by + y1 * c, 0.0f},
                   {bx - y0 * s, by + y0 * c, 0.0f}};
  const float maxX = map->size.worldWidth - 0.01f;
  const float maxY = map->size.worldHeight - 0.01f;
  for (auto& corner : p) {
    corner[0] = std::fmin(std::fmax(corner[0], 0.0f), maxX);
    corner[1] = std::fmin(std::fmax(corner[1], 0.0f), maxY);
    corner[2] = map->ElevationAt(corner[0], corner[1]);
    if (map->TerrainTypeAt(corner[0], corner[1]) != 0) corner[2] += lift;
  }
  bool flat = true;
  for (int32_t i = 1; i < 4; ++i) {
    const float d = p[0][2] - p[i][2];
    if (d < -0.01f || d > 0.01f) flat = false;
  }
  const float raise = static_cast<float>(map->GetViewLevel() + 2) * (flat ? 0.02f : 0.045f);
  for (auto& corner : p) corner[2] += raise;
  g->SetColor(0.0f, 0.0f, 0.0f);
  g->SetAlpha(0.18f);
  if (flat) {
    g->DrawColouredQuad(p[0][0], p[0][1], p[0][2], p[1][0], p[1][1], p[1][2], p[2][0], p[2][1], p[2][2], p[3][0],
                        p[3][1], p[3][2]);
  } else {
    float fan[10 * 3] = {};
    fan[0] = px;
    fan[1] = py;
    fan[2] = vehicle.GetBaseHeight() + 3.5f * raise;
    for (int32_t i = 0; i < 4; ++i) {
      const float* from = p[i];
      const float* to = p[(i + 1) % 4];
      float* corner = &fan[3 * (1 + 2 * i)];
      float* middle = corner + 3;
      corner[0] = from[0];
      corner[1] = from[1];
      corner[2] = from[2];
      middle[0] = (from[0] + to[0]) * 0.5f;
      middle[1] = (from[1] + to[1]) * 0.5f;
      middle[2] = map->ElevationAt(middle[0], middle[1]) + raise;
    }
    fan[27] = p[0][0];
    fan[28] = p[0][1];
    fan[29] = p[0][2];
    g->DrawColouredFan(clip, 8, fan);
  }
  g->SetAlpha(1.0f);
}
