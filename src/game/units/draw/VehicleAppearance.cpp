// How a vehicle looks: the textures of its three sets (broad class, apparent class, true
// class) by season and ground, and its drawing slot and shadow, which the presentation's
// installed drawer draws (VehicleDrawer), and the tracks' and wheels' animation by the frame
// clock.
#include <array>

#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GGraphic.h"
#include "framework/media/GGraphicFactory.h"
#include "game/map/MapBattleServices.h"
#include "game/units/tables/Hack.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/draw/VehicleDrawer.h"

int32_t Vehicle::BaseTextureNumber(const VehicleData& record, bool snow, int32_t groundCondition) {
  const int32_t kindCode = record.KindCode();
  int32_t number = kindCode >= 0 && kindCode <= 2 ? 4026 : ((record.Flags() & 0x1000) != 0 ? 4023 : 4020);
  if (snow) {
    number += 2;
  } else if (groundCondition > 2) {
    number += 1;
  }
  return number;
}

void Vehicle::PrepareAppearance() {
  const MapBattleServices* battle = UnitBattle();
  const bool snow = battle != nullptr && battle->IsSnowGround();
  const int32_t ground = battle != nullptr ? battle->GetGroundCondition() : 0;
  if (gGraph3D != nullptr) gGraph3D->SetMipmapsWanted(true);
  const std::array<int32_t, kTextureSets> records{broadClass, apparentClass, classIndex};
  for (int32_t set = kTextureSets - 1; set >= 0; --set) {
    const VehicleData record = gVehicleClasses[records[static_cast<size_t>(set)]];
    const VehicleModelData model = gVehicleModels[record.ModelIndex()];
    SetTexture(set, 0, GGraphicFactory::NewGraphic(BaseTextureNumber(record, snow, ground)));
    const int32_t extras = model.ExtraTextureCount();
    if (extras > VehicleModelData::kMaxExtraTextures) FatalError(201, "Vehicle");
    // Slot of each texture and its number: 1..5 the model's five, 6 + i the further ones.
    std::array<int32_t, kTexturesPerSet> numbers{};
    for (int32_t i = 0; i < VehicleModelData::kBaseTextures; ++i) numbers[static_cast<size_t>(1 + i)] = model.Texture(i);
    for (int32_t i = extras - 1; i >= 0; --i) numbers[static_cast<size_t>(6 + i)] = model.ExtraTexture(i);
    for (int32_t slot = 1; slot < kTexturesPerSet; ++slot) {
      const int32_t number = numbers[static_cast<size_t>(slot)];
      if (number == 0) continue;
      GGraphic* graphic = snow ? GGraphicFactory::TryNewGraphic(2, number + 10000) : nullptr;
      if (graphic == nullptr) graphic = GGraphicFactory::NewGraphic(number);
      SetTexture(set, slot, graphic);
    }
  }
  if (gGraph3D != nullptr) gGraph3D->SetMipmapsWanted(false);
  // The men shown in the hatches wear the uniform of the vehicle's nationality.
  if (UnitDrawHost* host = GetUnitDrawHost()) host->EnsureCrewFigure(nationalityCode);
}

void Vehicle::Draw(bool) {
  VehicleDrawer* drawer = GetVehicleDrawer();
  if (drawer != nullptr) drawer->DrawVehicle(*this, drawClip != 0, drawSize);
}

void Vehicle::DrawShadow(float scale, bool clip) {
  VehicleDrawer* drawer = GetVehicleDrawer();
  if (drawer != nullptr) drawer->DrawVehicleShadow(*this, scale, clip);
}

void Vehicle::AdvanceAnimation(float milliseconds) {
  for (int32_t i = kAnimations - 1; i >= 0; --i) {
    const auto at = static_cast<size_t>(i);
    int32_t phase = TruncateToInt32(static_cast<double>(static_cast<float>(animationPhases[at]) + milliseconds * animationRates[at]));
    if (phase >= 10000) phase %= 10000;
    animationPhases[at] = phase;
  }
}

void Vehicle::UpdateAnimation() {
  if (gKernel != nullptr) AdvanceAnimation(static_cast<float>(gKernel->GetFrameTime()));
}
