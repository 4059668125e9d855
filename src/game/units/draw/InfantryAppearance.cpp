// How an infantry unit looks: its uniform, figure and weapon pictures, the figure model's scale
// and, for riders, their seat on the carrying vehicle.
#include <array>

#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraphicFactory.h"
#include "framework/media/GGraphicHost.h"
#include "game/map/MapBattleServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"

namespace {

// Figure model units to metres: the figure's head tops out at 130 units, about 1.7 m.
constexpr float kFigureScale = 0.012990149669349194f;
constexpr float kRiderScale = 0.9f;

}  // namespace

float Infantry::RiderSide() const {
  const VehicleServices* vehicle = carrier != nullptr ? carrier->AsVehicle() : nullptr;
  if (vehicle == nullptr) return 0.0f;
  const bool first = vehicle->GetPassenger(0) == this;
  const bool otherTaken = vehicle->GetPassenger(first ? 1 : 0) != nullptr;
  if (!otherTaken) return 0.0f;
  return first ? -1.0f : 1.0f;
}

void Infantry::ApplyModelScale(float& scale) {
  // The drawing has already grown the scale with the distance: it is the seat offsets' unit.
  const float k = scale;
  const VehicleServices* vehicle = carrier != nullptr ? carrier->AsVehicle() : nullptr;
  if (vehicle != nullptr) {
    const int32_t classIndex = vehicle->GetClassIndex();
    float first = 0.0f;
    float second = 0.0f;
    float third = 0.0f;
    if (gVehicleClasses.IsValid(classIndex)) {
      const int32_t model = gVehicleClasses[classIndex].ModelIndex();
      if (gVehicleModels.IsValid(model)) {
        const VehicleModelData record = gVehicleModels[model];
        first = record.Value52();
        second = record.Value56();
        third = record.RiderHeight();
      }
    }
    const float side = RiderSide();
    if (gGraph3D != nullptr) {
      if (IsTowedGun()) {
        gGraph3D->Translate(0.0f, k * 5.0f * third, 0.0f);
      } else if (!HasHeavyWeapon(false)) {
        gGraph3D->Translate(k * 0.48f * side, k * -2.08f * first, k * 1.76f * second);
      } else {
        gGraph3D->Translate(k * 0.48f * side, k * -1.1f * first, k * 2.0f * second);
      }
    }
    scale *= kRiderScale;
  }
  scale *= kFigureScale;
  if (gGraph3D != nullptr) gGraph3D->Scale(scale, scale, scale);
}

namespace {

// The six uniform pictures of each row (head, body, arms, legs, belt, second arm); a negative
// entry has none. Rows 0-18 are the nationality codes, 19 and 20 late forms of codes 0 and 1.
constexpr int8_t kUniforms[21][6] = {
    {0, 1, 2, 3, 4, 2},      {0, 6, 7, 8, 9, 62},     {55, 56, 2, 3, 4, 2},    {10, 11, 12, 13, 14, 12},
    {-1, 51, 52, 53, 54, 52}, {-1, 36, 12, 13, 39, 12}, {15, 16, 17, 18, 19, 17}, {15, 21, 22, 23, 24, 22},
    {15, 26, 27, 28, 29, 27}, {30, 31, 32, 33, 33, 32}, {30, 46, 47, 48, 49, 60}, {15, 16, 17, 18, 19, 61},
    {10, 11, 12, 13, 14, 12}, {-1, 36, 12, 13, 39, 12}, {10, 11, 12, 13, 14, 12}, {10, 51, 52, 53, 54, 52},
    {-1, 36, 12, 13, 39, 12}, {0, 1, 2, 3, 4, 2},      {55, 56, 2, 3, 4, 2},    {0, 41, 42, 43, 44, 42},
    {0, 66, 67, 68, 69, 63}};
constexpr int32_t kLateUniformDate = 4412;
constexpr int32_t kSlotsPerSet = Unit::kTexturesPerSet;

// A picture, its snow form first on snow ground when that exists.
GGraphic* LoadPicture(int32_t number, int32_t snowNumber, bool snow) {
  GGraphic* graphic = snow ? GGraphicFactory::TryNewGraphic(2, snowNumber) : nullptr;
  return graphic != nullptr ? graphic : GGraphicFactory::NewGraphic(number);
}

}  // namespace

int32_t Infantry::UniformRow(int32_t code, int32_t date) {
  if (date >= kLateUniformDate && (code == 0 || code == 1)) return 19 + code;
  return code;
}

int32_t Infantry::FigureTextures(int32_t kind, std::array<int32_t, 3>& out) const {
  const int32_t group = GetKindGroup();
  int32_t n = 0;
  auto add = [&](int32_t texture) { out[static_cast<size_t>(n++)] = texture; };
  switch (kind) {
    case 0:
      if (group == 0) add(8);
      if (group == 1 || group == 5) add(5);
      if (group >= 2 && group <= 4) add(7);
      add(6);
      if (HasWeapon92()) add(10);
      break;
    case 1: add(3); add(1); break;
    case 2:
      if (group == 0) {
        add(4);
        add(1);
      } else {
        add(group >= 2 && group <= 4 ? 11 : 9);
        add(6);
      }
      break;
    case 3:
      if (IsAxis()) {
        add(1);
        add(0);
      } else {
        add(14);
        add(Data().SlotSmallArms(0) == 25 ? 13 : 12);
      }
      break;
    case 4: add(IsAxis() ? 1 : 14); add(2); break;
    default:
      if (kind < 5 || kind > 11) FatalError(1888, "Infantry");
      break;
  }
  return n;
}

void Infantry::PrepareAppearance() {
  Unit::PrepareAppearance();
  // A game computed without a screen (a headless turn, a split squad) loads no pictures.
  if (GGraphicHost::Current() == nullptr) return;
  const MapBattleServices* battle = UnitBattle();
  const bool snow = battle != nullptr && battle->IsSnowGround();
  const int32_t date = battle != nullptr ? battle->GetDate() : 0;

  // Uniforms: the unit's own into slots 1-6, its kind group's first into slots 18-23.
  const std::array<int32_t, 2> codes{nationalityCode, KindGroupFirstCode(GetKindGroup())};
  for (size_t r = 0; r < codes.size(); ++r) {
    const int32_t row = UniformRow(codes[r], date);
    if (row < 0 || row >= 21) FatalError(1797, "Infantry");
    for (int32_t j = 0; j < 6; ++j) {
      const int32_t number = kUniforms[row][j];
      SetTexture(static_cast<int32_t>(r), 1 + j, number < 0 ? nullptr : LoadPicture(5000 + number, 15000 + number, snow));
    }
  }

  // The map's figure textures for every figure the unit may show.
  if (UnitDrawHost* host = GetUnitDrawHost()) {
    for (int32_t level = 2; level <= 4; ++level) {
      for (int32_t i = 0; i < GetFigureCountAtLevel(level); ++i) {
        std::array<int32_t, 3> textures{};
        const int32_t n = FigureTextures(GetFigureKindAtLevel(level, i), textures);
        for (int32_t t = 0; t < n; ++t) host->EnsureInfantryTexture(textures[static_cast<size_t>(t)]);
      }
    }
  }

  // The crew-served weapon's pictures into slots 34 + i.
  const int32_t weapon = Data().MainWeapon();
  if (weapon == kNoWeapon || !gWeapons.IsValid(weapon)) return;
  const int32_t drawKind = gWeapons[weapon].DrawKind();
  if (drawKind == WeaponData::kNoDrawKind || !gWeaponDraws.IsValid(drawKind)) return;
  const WeaponDrawData entry = gWeaponDraws[drawKind];
  const int32_t count = entry.TextureCount();
  if (count < 0 || count > WeaponDrawData::kMaxTextures) FatalError(1913, "Infantry");
  for (int32_t i = count - 1; i >= 0; --i) {
    const int32_t number = entry.Texture(i);
    const int32_t slot = 34 + i;
    SetTexture(slot / kSlotsPerSet, slot % kSlotsPerSet, number > 0 ? LoadPicture(number, number + 10000, snow) : nullptr);
  }
}
