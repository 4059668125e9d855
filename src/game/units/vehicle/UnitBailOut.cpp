// The crew of a vehicle or gun leaving it as a new infantry team.
#include <algorithm>
#include <cmath>

#include "framework/core/GMath.h"
#include "framework/core/Quorl.h"
#include "game/map/MapBattleServices.h"
#include "game/units/Unit.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/ports/UnitOrderHost.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/ports/VehicleServices.h"
#include "game/units/tables/UnitCodes.h"

Unit::PacketMark Unit::gPacketMark;
int32_t Unit::gSoundDelay = 0;

namespace {

// After the battle (also while the operation works between battles) a crew is out at once.
bool BattleOverOrBetween() {
  const UnitServices* services = GetUnitServices();
  const UnitOrderHost* host = GetUnitOrderHost();
  return (services != nullptr && services->IsBattleOver()) || (host != nullptr && host->IsBetweenBattles());
}

// 0 closed top, 1 partly open, 2 open top.
int32_t OpenTopState(const VehicleServices& vehicle) {
  const VehicleData data = vehicle.GetClassData(0);
  if (data.TopArmour(0) > 0 && data.TopArmour(1) > 0) return 0;
  if (data.TopArmour(0) < 1 && data.TopArmour(1) < 1) return 2;
  return 1;
}

}  // namespace

Unit* Unit::BailOutCrew(bool noAmmunition) {
  const int32_t present = GetMenPresent();
  const int32_t total = present + losses;
  if (present <= 0 || total <= 0) return nullptr;
  const VehicleServices* vehicle = AsVehicle();
  if (vehicle != nullptr && vehicle->IsBoat()) return nullptr;
  const int32_t size = std::min(IsAxis() ? 8 : 7, present);
  int32_t base = 0;
  switch (GetKindGroup()) {
    case 0: base = 204; break;
    case 1:
    case 5: base = 40; break;
    case 2:
    case 3:
    case 4: base = 105; break;
    default: FatalError(__LINE__, "Unit.cpp");
  }
  const float crewFacing = static_cast<float>(Random(360));
  Unit* crew = CreateUnit(kInfantry, base + size - 1, nationalityCode, 0);
  if (crew == nullptr) FatalError(__LINE__, "Unit.cpp");
  crew->x = x;
  crew->y = y;
  crew->facing = crewFacing;
  crew->rating = rating;
  const bool over = BattleOverOrBetween();
  if (!over) crew->PrepareAppearance();
  crew->SetDesignation(GetLetterCode(), GetDesignationNumber());
  crew->leaderName = leaderName;
  if (leaderName == -1 && customName != nullptr) crew->CustomName() = *customName;
  crew->identificationLevel = IsIdentified() ? identificationLevel : 0;
  crew->countsForPoints = 0;
  if (InfantryServices* team = crew->AsInfantry()) team->SetOriginUnit(this);
  crew->TakeCasualties(total - size, 1.0f);
  if (vehicle == nullptr) {
    crew->SetSuppression(suppression, false);
    losses += present;
  } else {
    crew->SetSuppression(90.0f, false);
  }
  if (noAmmunition) {
    crew->ammo[0] = 0;
    if (crew->GetBand() < 4) crew->SetSuppression(100.0f + static_cast<float>(Random(600)), false);
  }
  crew->alive = over ? 1 : 0;
  UnitOrderHost* host = GetUnitOrderHost();
  if (host != nullptr) host->AddUnit(crew);  // the battle owns it from now on
  if (!over) {
    const MapBattleServices* battle = UnitBattle();
    const int32_t now = battle != nullptr ? battle->GetCurrentSlice() : 0;
    // The replay starts with the crew absent.
    gPacketMark = {true, -2, 0, UnitStatePacket::kDead};
    crew->MakeStatePacket();
    gPacketMark = {};
    crew->sliceCounter = now;
    if (vehicle != nullptr && vehicle->IsEmplacement()) {
      const float behind = (facing + 180.0f) * GMath::kRadiansPerDegree;
      crew->AddWaypoint(x + std::cos(behind) * 10.0f, y + std::sin(behind) * 10.0f, kOrderFastMove, true);
      crew->facing = facing + 180.0f >= 360.0f ? facing - 180.0f : facing + 180.0f;
    } else {
      crew->FindNearbySpot();
    }
    crew->commandDelay = 5.0f + static_cast<float>(Random(4));
    crew->countdown = 0;
    int32_t delay = 0;
    if (vehicle != nullptr) {
      const int32_t wait = (Random(50) + 40) * 4;
      delay = std::max(wait, static_cast<int32_t>(speed * 2666.67f + 1.0f));
    }
    // The crew comes back to life d slices on; the packet one slice before its action slice.
    gPacketMark = {true, -9999, delay - 1, UnitStatePacket::kRevived};
    crew->MakeStatePacket();
    gPacketMark = {};
    crew->nextActionSlice = now + delay;
    if (vehicle != nullptr && IsArmored(false) && OpenTopState(*vehicle) <= 1 && !vehicle->IsEmplacement()) {
      gSoundDelay = delay;
      NewSoundPacket(7);
      gSoundDelay = 0;
    }
  }
  Eliminate();
  return crew;
}
