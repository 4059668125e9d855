// The small drawing pieces around a unit: its base marker, nationality badge, the gun's
// recoil, the muzzle flash and smoke, and its screen position.
#include <algorithm>
#include <array>
#include <cmath>

#include "framework/core/GRandom.h"
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/draw/MuzzleFlashModel.h"
#include "game/units/Unit.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"

namespace {

constexpr std::array<float, 8> kBaseHalfSizes{1.5f, 1.75f, 2.5f, 3.1f, 2.75f, 3.3f, 5.0f, 8.0f};
constexpr int32_t kBadges = 6;

struct Colour {
  float r, g, b;
};

Colour NationalityColour(int32_t n) {
  switch (n) {
    case 1: return {0.31f, 0.8f, 0.14f};
    case 2: return {0.52f, 0.25f, 0.17f};
    case 3: return {0.62f, 0.3f, 0.24f};
    case 4: return {0.72f, 0.25f, 0.17f};
    case 5: return {0.31f, 0.45f, 0.5f};
    default: return {0.4f, 0.4f, 0.45f};
  }
}

Colour CodeColour(int32_t code) {
  switch (code) {
    case 1: return {1.0f, 0.0f, 0.0f};
    case 2: return {1.0f, 1.0f, 1.0f};
    case 3: return {0.0f, 0.0f, 1.0f};
    case 4: return {0.0f, 1.0f, 0.0f};
    case 5: return {0.0f, 0.0f, 0.0f};
    case 6: return {1.0f, 0.99f, 0.08f};
    case 7: return {1.0f, 0.45f, 0.0f};
    default: return {0.47f, 0.47f, 0.47f};
  }
}

}  // namespace

void Unit::DrawBase(bool /*pick*/) {
  if (alive == 0 && !IsRegularUnit()) return;
  float sx = 0.0f;
  float sy = 0.0f;
  GetShownPosition(sx, sy, nullptr);
  DrawBaseAt(GetIdentificationLevel(true), sx, sy);
}

float Unit::BaseHalfSize(int32_t viewLevel, int32_t shownLevel) const {
  if (viewLevel < 0 || viewLevel >= static_cast<int32_t>(kBaseHalfSizes.size())) FatalError(__LINE__, "Unit.cpp");
  float s = kBaseHalfSizes[static_cast<size_t>(viewLevel)];
  if (const VehicleServices* vehicle = AsVehicle()) {
    const VehicleData shownAs = vehicle->GetClassData(2);
    s *= shownAs.Size() * (shownAs.KindCode() == VehicleData::kKindEmplacement ? 2.6f : 2.0f);
  } else if (IsInfantry()) {
    const InfantryServices* infantry = AsInfantry();
    const bool squad = infantry != nullptr && infantry->IsSquad();
    if (shownLevel < 3 || !squad) s *= 0.65f;
  }
  return s;
}

void Unit::DrawBaseAt(int32_t shownLevel, float px, float py) {
  GGraph3D* g = gGraph3D;
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (g == nullptr || map == nullptr || alive == 0) return;
  const MapAppServices* app = UnitApp();
  const UnitDrawHost* host = GetUnitDrawHost();
  const bool markerColour = host != nullptr && host->IsMarkerColour();
  const bool optionOn = app != nullptr && app->GetOption(1) != 0;
  if (!optionOn && !markerColour && !(g->IsPickMode() && shownLevel > 1)) return;
  const int32_t colourCode = host != nullptr ? host->GetMarkerColourCode(*this) : 0;
  Colour colour{};
  if (!markerColour || (IsEditorOpen() && colourCode != 7)) {
    const int32_t n = shownLevel < 2 ? (host != nullptr ? host->GetSideNationality(GetSideIndex()) : -1)
                                     : nationalityCode;
    colour = NationalityColour(n);
  } else {
    colour = CodeColour(colourCode);
  }
  const int32_t viewLevel = map->GetViewLevel();
  const float s = BaseHalfSize(viewLevel, shownLevel);
  const int32_t terrain = GetTerrainHere();
  std::array<float, 18> points{px, py, 0.0f, px - s, py + s, 0.0f, px + s, py + s, 0.0f,
                               px + s, py - s, 0.0f, px - s, py - s, 0.0f, px - s, py + s, 0.0f};
  for (size_t p = 0; p < 6; ++p) {
    const float qx = points[3 * p];
    const float qy = points[3 * p + 1];
    float lift = terrain == 0 || terrain > 30 ? 0.05f * static_cast<float>(viewLevel) : 1.5f * map->DetailFactorAt(qx, qy);
    if (level != 0.0f && shownLevel > 1 && terrain >= 31) lift += 6.0f * level;
    points[3 * p + 2] = map->ElevationAt(qx, qy) + lift;
  }
  g->SetColor(colour.r, colour.g, colour.b);
  g->DrawColouredFan(true, 4, points.data());
}

void Unit::DrawBadge() {
  GGraph3D* g = gGraph3D;
  const MapBattleServices* battle = UnitBattle();
  const Map* map = battle != nullptr ? battle->GetMap() : nullptr;
  if (g == nullptr) return;
  const int32_t nationality = GetKindGroup();
  if (nationality < 0 || nationality >= kBadges) FatalError(__LINE__, "Unit.cpp");
  const bool culling = g->IsBackfaceCulling();
  g->SetBackfaceCulling(false);
  if (UnitDrawHost* host = GetUnitDrawHost()) host->BindBadgeTexture(nationality);
  float w = IsVehicle() ? 1.15f : 0.7f;
  if (map != nullptr && map->GetViewLevel() > 3) w *= 0.85f;
  g->DrawTexturedQuad(-w, 0.0f, 0.0f, 0.0f, 1.0f, w, 0.0f, 0.0f, 1.0f, 1.0f, w, 0.0f, 2.0f * w, 1.0f, 0.0f, -w, 0.0f,
                      2.0f * w, 0.0f, 0.0f);
  g->SetBackfaceCulling(culling);
}

float Unit::RecoilAt(float timer) {
  const float f = timer - 1.25f;
  if (!(f > 0.0f)) return 0.0f;
  // Back within a quarter second after the shot (timer 2.5 down to 2.25), then out again.
  const float r = f < 1.0f ? f : (1.0f - 0.8f * f) * 5.0f;
  return std::max(r, 0.0f);
}

void Unit::TranslateRecoil(float distance) {
  const float r = RecoilAt(firingTimer);
  if (r > 0.0f && gGraph3D != nullptr) gGraph3D->TranslateY(r * distance);
}

float Unit::FlashSizeFactor(float value) {
  if (value > 60.0f) return 1.456f;
  return 0.032f * value + 0.4f - 0.00024f * value * value;
}

void Unit::DrawMuzzleFlash(float size, float px, float py, float pz) {
  GGraph3D* g = gGraph3D;
  if (g == nullptr || !(firingTimer > 0.0f) || g->IsPickMode()) return;
  GRandom& random = GRandom::Presentation();
  const int32_t fireType = GetMainWeaponType();
  if (fireType == 2 || fireType == 3) {
    const int32_t weapon = GetMainWeaponId();
    float value = 0.0f;
    if (ammoKind >= 0 && ammoKind < kAmmoKinds && gWeapons.IsValid(weapon)) value = gWeapons[weapon].Mass(ammoKind);
    size *= FlashSizeFactor(value);
  }
  // The flash.
  const float f = firingTimer - 1.9f;
  if (f > 0.0f && fireType != 4) {
    const float a = (0.3f - std::fabs(f - 0.3f)) * 1.4f * 0.25f;
    if (a >= 0.0f) {
      const float lift = f <= 0.3f ? (1.0f - 3.3333333f * f) * 0.294f : 0.0f;
      g->PushMatrix();
      g->Translate(px, py + lift, pz);
      const float b = size * 0.36f * a;
      g->Scale(0.2f * b, b, 0.2f * b);
      g->RotateY(static_cast<float>(random.Random(360)));
      if (f < 0.3f) g->SetAlpha(3.3333333f * f);
      if (UnitDrawHost* host = GetUnitDrawHost()) host->BindFlashTexture();
      MuzzleFlashModel::DrawCrossedQuads();
      g->PopMatrix();
    }
  }
  // The smoke.
  const UnitDrawHost* host = GetUnitDrawHost();
  if (host == nullptr || host->IsSmokeDrawn()) {
    const float k = std::sqrt(std::max(0.0f, std::min(1.0f, 1.02f - 0.2f * firingTimer)));
    const float t = (1.0f - k) * 0.45f;
    g->SetAlpha(t / (2.0f - t));
    g->PushMatrix();
    g->Translate(px, py, pz + 0.2f * k * size);
    const float s = 11.5f * k * size;
    if (fireType == 4) g->RotateZ(68.0f);
    g->Scale(s, s, 1.3f * s);
    g->RotateZ(static_cast<float>(random.Random(360)));
    g->RotateX(static_cast<float>(random.Random(90)));
    g->SetColor(1.0f, 1.0f, 1.0f);
    MuzzleFlashModel::DrawSmokePuff();
    g->PopMatrix();
  }
  g->SetAlpha(1.0f);
}

void Unit::GetScreenPosition(int32_t& outX, int32_t& outY) const {
  float sx = x;
  float sy = y;
  outX = 0;
  outY = 0;
  if (gGraph3D == nullptr) return;
  gGraph3D->ProjectToScreen(&sx, &sy, GetBaseHeight(), false);
  outX = static_cast<int32_t>(std::floor(sx + 0.5f));
  outY = static_cast<int32_t>(std::floor(sy + 0.5f));
}
