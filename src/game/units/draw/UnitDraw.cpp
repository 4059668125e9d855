// The per-frame unit drawing driver: whether and where the viewer sees the unit, its scale by
// camera distance, its model, base marker, frame, order lines and status label.
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/map/OrderState.h"
#include "game/units/Unit.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/ports/UnitServices.h"

bool Unit::gDrawTimerLogged = false;

namespace {

constexpr int32_t kOrderLineOption = 7;
constexpr int32_t kStatusLabelOption = 13;
constexpr int32_t kHitReportOption = 14;
constexpr int32_t kPassengerVehicleOption = 44;
constexpr float kFiringTimerLimit = 10.0f;

int32_t Option(const MapAppServices* app, int32_t index) { return app != nullptr ? app->GetOption(index) : 0; }
int32_t InputMode(const MapAppServices* app) { return app != nullptr ? app->GetInputMode() : 0; }

bool Inside(const GRect& rect, int32_t px, int32_t py) {
  return px >= rect.left && px < rect.right && py >= rect.top && py < rect.bottom;
}

}  // namespace

void Unit::DrawOnMap(float scale, float menFactor, float vehicleFactor) {
  GGraph3D* g = gGraph3D;
  MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (g == nullptr || map == nullptr) return;
  const MapAppServices* app = UnitApp();
  UnitDrawHost* host = GetUnitDrawHost();
  const UnitServices* services = GetUnitServices();
  const bool pick = g->IsPickMode();
  const int32_t inputMode = InputMode(app);
  const bool battleOver = services != nullptr && services->IsBattleOver();

  // 1-3: who is not drawn at all.
  if (alive == 0 && !IsRegularUnit()) return;
  if (status != 0) return;
  if (x < 0.0f || y < 0.0f || x > map->size.worldWidth || y > map->size.worldHeight) return;
  if (IsAirplane() && (IsEditorOpen() || pick)) return;
  if (hiddenSecond != 0 && !IsCurrentSide() && !battleOver) return;

  // 4: the order lines, then the animation.
  if (!IsInanimate()) {
    if (!IsAirplane()) {
      const bool selected = battle->GetSelectedUnit() == static_cast<const MapUnitView*>(this);
      const int32_t option = Option(app, kOrderLineOption);
      if ((selected || option != 0) && IsCommandable() && inputMode != InputModes::kReplay &&
          inputMode != InputModes::kAlert && (inputMode == InputModes::kNoPick || !pick)) {
        if (selected || option != 2) DrawPathLines();
        if (option != 1) DrawTargetLine(true);
      }
    }
    if (host == nullptr || !host->IsInsideInputHandler()) UpdateAnimation();
    if (IsPassenger()) {
      if (!IsVehicle() && GetIdentificationLevel(false) < 2) return;
      if (IsVehicle() && Option(app, kPassengerVehicleOption) == 0) return;
    }
  } else {
    // 5: objects.
    const int32_t objectKind = GetInanimateKind();
    if (pick && !battle->IsSetupPhase() && (objectKind != 3 || inputMode != InputModes::kTargetPick)) return;
    if ((objectKind == 2 || objectKind == 3) && !IsEditorOpen() && !IsCurrentSide()) return;
  }

  // 6: where the viewer sees it.
  float sx = 0.0f;
  float sy = 0.0f;
  float sz = 0.0f;
  const bool lastSeen = GetShownPosition(sx, sy, &sz);
  const int32_t shownLevel = GetIdentificationLevel(true);
  if (shownLevel == 0 || (shownLevel == 1 && alive == 0)) return;

  // 7: scale by distance and the culling radius.
  const int32_t cameraLevel = map->GetViewLevel();
  float radius = 30.0f;
  if (IsInfantry() || IsVehicle()) {
    const float d = map->CameraDistance(sx, sy, sz);
    if (d > 50.0f) {
      float e = vehicleFactor;
      if (lastSeen || (IsInfantry() && !HasMainWeaponOfType23(false))) {
        e = menFactor;
      } else if (IsInfantry()) {
        e = cameraLevel < 4 ? 0.75f * menFactor + 0.25f * vehicleFactor : (menFactor + vehicleFactor) * 0.5f;
      }
      scale *= std::pow(d * 0.02f, e);
    }
    radius = (IsInfantry() ? 4.0f : 6.0f) * scale;
  }

  // 8: the footprint's view state and the model's place.
  const int32_t viewState = map->FootprintViewState(sx, sy, radius);
  if (viewState == 0) return;
  g->PushMatrix();
  if (lastSeen) {
    if (cameraLevel < 4) {
      g->Translate(sx, sy, sz + 0.5f);
      const int32_t sideIndex = app != nullptr ? app->GetCurrentSide() : 0;
      g->RotateZ(map->camera.bearing[sideIndex & 1] * (180.0f / 3.14159265f) - 90.0f);
    } else {
      g->Translate(sx, sy, sz + 2.0f);
      g->RotateX(90.0f);
    }
    g->Scale(scale, scale, scale);
  } else {
    if (IsAirplane() || IsInanimate()) {
      g->TranslateXY(sx, sy);
    } else if (shownLevel == 1) {
      g->Translate(sx, sy, sz);
    } else {
      g->Translate(sx, sy, GetBaseHeight() + (IsVehicle() ? 0.09f : 0.0f));
    }
    if (!IsInanimate()) g->RotateZ(facing - 90.0f);
    OrientToGround();
    ApplyModelScale(scale);
    if (IsVehicle()) {
      const float drop = GetModelDrop();
      if (drop != 0.0f) g->TranslateZ(-drop);
    }
  }

  // 9: the model, its marker and extras, the pick hit. The bounding box is the model's own,
  // so it is tested once the model is placed.
  const bool shown = viewState == 2 || lastSeen || IsVisible();
  const bool selected = battle->GetSelectedUnit() == static_cast<const MapUnitView*>(this);
  bool haveBounds = false;
  GRect bounds{};
  if (shown) {
    g->ClearPickHit();
    const bool recordBounds = selected || (host != nullptr && host->IsHighlightAll());
    if (recordBounds) g->BeginScreenBounds();
    if (!lastSeen) {
      drawClip = viewState != 2 ? 1 : 0;
      drawSize = map->PerspectiveScaleAt(sx, sy, sz) * scale;
      Draw(pick);
    } else {
      // The last-seen marker: a diamond standing upright in the marker's x-z plane, so that
      // turned to the camera it faces the viewer, and tilted for the high views it lies face
      // up.
      const bool culling = g->IsBackfaceCulling();
      g->SetBackfaceCulling(false);
      g->SetColor(0.9f, 0.9f, 0.9f);
      g->DrawColouredQuad(-1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f);
      g->SetBackfaceCulling(culling);
    }
    if (recordBounds) {
      g->EndScreenBounds(bounds);
      haveBounds = true;
      if (host != nullptr) host->SetUnitScreenBounds(*this, bounds);
    }
    g->PopMatrix();
    // The shadow lies on the ground in map coordinates, so it is drawn once the vehicle's
    // matrix is gone; a pick pass does not draw it.
    VehicleServices* vehicle = AsVehicle();
    if (vehicle != nullptr && shownLevel >= 2 && !lastSeen && !pick) vehicle->DrawShadow(scale, drawClip != 0);
    DrawBase(pick);
    if (pick && g->GetPickHit() && host != nullptr) host->ReportPick(*this);
  } else {
    g->PopMatrix();
  }

  // 10: box selection and the frame.
  if (haveBounds) {
    if (inputMode == InputModes::kSelectionDrag && IsCommandable() && !IsPassenger() && boxSelection != 2 &&
        host != nullptr) {
      const GRect box = host->GetSelectionRect();
      const int32_t cx = (bounds.left + bounds.right) / 2;
      const int32_t cy = (bounds.top + bounds.bottom) / 2;
      boxSelection = Inside(box, cx, cy) ? 1 : 0;
    }
    if ((selected || boxSelection == 1) && host != nullptr) {
      const bool snow = battle->IsSnowGround();
      if (!selected) {
        host->DrawUnitFrame(bounds, 0, 200, 255);
      } else if (snow) {
        host->DrawUnitFrame(bounds, 0, 255, 90);
      } else {
        host->DrawUnitFrame(bounds, 255, 255, 50);
      }
    }
  }

  // 11: labels.
  if (shownLevel >= 1) {
    if (Option(app, kStatusLabelOption) != 0 && !pick && !HasSurrendered()) DrawStatusLabel();
    VehicleServices* vehicle = AsVehicle();
    if (vehicle != nullptr && Option(app, kHitReportOption) != 0 && services != nullptr && services->IsReplaying())
      vehicle->HitReportText();
  }

  // 12: a firing timer of 10 or more is held below 10, and logged once.
  if (!(firingTimer < kFiringTimerLimit)) {
    if (!gDrawTimerLogged) {
      GErrorLog::LogValue("Unit.cpp: firing timer held below 10 after drawing, unit", designation);
      gDrawTimerLogged = true;
    }
    firingTimer = std::isnan(firingTimer) ? 0.0f : std::nextafter(kFiringTimerLimit, 0.0f);
  }
}

namespace {

// A downward-pointing mark hanging over a point: two crossed triangles so that it shows from
// any side, sized by the camera's view level.
void DrawHangingMark(const Map& map, float px, float py, float pz, float r, float g, float b) {
  GGraph3D* gr = gGraph3D;
  if (gr == nullptr || gr->IsPickMode()) return;
  const float s = 0.6f + 0.5f * static_cast<float>(map.GetViewLevel());
  const float top = pz + 2.5f + 2.0f * s;
  const bool culling = gr->IsBackfaceCulling();
  gr->SetBackfaceCulling(false);
  gr->SetColor(r, g, b);
  gr->DrawColouredTriangle(px - s, py, top + s, px + s, py, top + s, px, py, top);
  gr->DrawColouredTriangle(px, py - s, top + s, px, py + s, top + s, px, py, top);
  gr->SetBackfaceCulling(culling);
}

}  // namespace

void Unit::DrawSelectionMarks(bool selected) {
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (!selected || map == nullptr || status != 0 || GetIdentificationLevel(true) == 0) return;
  float sx = 0.0f;
  float sy = 0.0f;
  float sz = 0.0f;
  GetShownPosition(sx, sy, &sz);
  if (battle->IsSnowGround()) {
    DrawHangingMark(*map, sx, sy, sz, 0.0f, 1.0f, 0.35f);
  } else {
    DrawHangingMark(*map, sx, sy, sz, 1.0f, 1.0f, 0.2f);
  }
}

void Unit::DrawLedUnitMarks() {
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (map == nullptr || !IsActive() || GetIdentificationLevel(true) < 2) return;
  for (int32_t i = 0; i < battle->GetUnitCount(); ++i) {
    const Unit* unit = UnitOfView(battle->GetUnit(i));
    if (unit == nullptr || unit->alive == 0 || unit->status != 0 || !unit->IsLedBy(*this)) continue;
    if (unit->GetIdentificationLevel(true) < 2) continue;
    DrawHangingMark(*map, unit->x, unit->y, unit->GetBaseHeight(), 0.0f, 0.8f, 1.0f);
  }
}
