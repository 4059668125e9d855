// How an infantry unit's figures are placed on the renderer: the figure model's scale and, for
// riders, their seat on the carrying vehicle.
#include "framework/core/Quorl.h"
#include "framework/media/GGraph3D.h"
#include "game/units/Hack.h"
#include "game/units/Infantry.h"
#include "game/units/VehicleServices.h"

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
