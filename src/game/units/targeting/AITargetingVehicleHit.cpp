// The hit locations of a vehicle as a shooter's estimate sees them: which plates a round
// strikes, how often, and what they resist. Expected values throughout: nothing is drawn.
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/units/Unit.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/targeting/AITargeting.h"

void AITargeting::AssessVehicleHit(Unit& vehicle, int32_t viewMode, Unit& shooter, bool threatMode, float hitChance,
                                   bool hullDown, float* armour, float* weight, float* ratio, int32_t& count,
                                   float calibre) {
  VehicleServices* v = vehicle.AsVehicle();
  if (v == nullptr) FatalError(__LINE__, "AITargeting");
  if (calibre <= 0.0f) calibre = 75.0f;
  const bool emplacement = v->IsEmplacement();
  const VehicleData record = v->GetClassData(viewMode);
  const bool turret = v->HasTurret();
  // A turret whose class keeps no turret plates resists nothing.
  const bool turretPlates = turret && record.U8(ArmourLayout::kTurretArmourPresent) != 0;
  const float fromZ = shooter.GetBaseHeight();

  auto plate = [&](int32_t i, int32_t part, int32_t facing, float px, float py, float share) {
    armour[i] = 0.0f;
    ratio[i] = 0.0f;
    weight[i] = share;
    if (share == 0.0f || (part == 0 && !turretPlates)) return;
    ArmourRequest request;
    request.x = px;
    request.y = py;
    request.z = fromZ;
    request.useElevation = true;
    request.part = part;
    request.facing = facing;
    request.useSlope = !emplacement;
    request.calibre = calibre;
    request.fireKind = 2;
    request.classMode = viewMode;
    request.expectedValues = true;
    ArmourOutcome outcome;
    armour[i] = v->ComputePenetration(request, &outcome);
    ratio[i] = outcome.ratio;
  };

  float s = 0.0f;
  const int32_t facing = v->GetArmorFacingFrom(shooter.x, shooter.y, true, true, &s);
  plate(0, 0, facing, shooter.x, shooter.y, turret ? 1.0f - s : 0.0f);
  plate(3, 0, 1, shooter.x, shooter.y, turret ? s : 0.0f);
  plate(1, 1, facing, shooter.x, shooter.y, 1.0f - s);
  plate(4, 1, 1, shooter.x, shooter.y, s);
  plate(2, 2, facing, shooter.x, shooter.y, hullDown ? 0.0f : 1.0f - s);
  plate(5, 2, 1, shooter.x, shooter.y, hullDown ? 0.0f : s);
  count = 6;
  if (threatMode) {
    count = 9;
    const float t = v->GetTurretAngle() * GMath::kRadiansPerDegree;
    const float f = vehicle.facing * GMath::kRadiansPerDegree;
    plate(6, 0, 2, vehicle.x - std::cos(t), vehicle.y - std::sin(t), turret ? 1.0f : 0.0f);
    plate(7, 1, 2, vehicle.x - std::cos(f), vehicle.y - std::sin(f), 1.0f);
    plate(8, 2, 2, vehicle.x - std::cos(f), vehicle.y - std::sin(f), hullDown ? 0.0f : 1.0f);
  }
  float shares[3];
  PartShares(emplacement, turret, hullDown, hitChance, s, shares);
  for (int32_t i = 0; i < count; ++i) weight[i] *= shares[i % 3];
}
