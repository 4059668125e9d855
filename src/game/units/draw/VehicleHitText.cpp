// The hit report over a vehicle during the replay: where the last hit struck and what it did,
// for four seconds after it. The report is read, never changed.
#include "framework/core/GString63.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapBattleServices.h"
#include "game/units/draw/UnitDrawHost.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"

namespace {

constexpr int32_t kShownSlices = 160;  // four seconds
constexpr int32_t kFogOption = 10;
constexpr int32_t kReportStyle = 3;
constexpr uint32_t kFacingTexts[3] = {1460, 1461, 1462};

}  // namespace

void Vehicle::ComposeHitReport(const Vehicle& vehicle, bool detail, GString& line1, GString& line2) {
  HitReport hit = vehicle.lastHit;
  const bool gun = vehicle.HasMainWeapon();
  const int32_t kind = vehicle.TrueClass().KindCode();
  line1.Clear();
  line2.Clear();
  if (hit.part == 5 || hit.part == 6) {
    if (hit.part == 6) {
      line1.LoadResource(gun ? 1453 : 1454);
    } else {
      line1.LoadResource(kind >= 0 && kind <= 2 ? 1455 : 1456);
    }
    line1.AppendResource(1457);
    if (hit.immobilized != 0) {
      line2.LoadResource(1450);
    } else if (detail) {
      line2.LoadResource(hit.damaged != 0 ? 1458 : 1459);
    }
    return;
  }
  if (kind == VehicleData::kKindEmplacement) {
    if (hit.part == 1) line1.LoadResource(vehicle.hitFacing == 2 ? 1478 : 1479);
    // An emplacement is never reported immobilized.
    hit.immobilized = 0;
  } else {
    if (hit.part != 3 && hit.part != 4 && vehicle.hitFacing >= 0 && vehicle.hitFacing <= 2) {
      line1.LoadResource(kFacingTexts[vehicle.hitFacing]);
      line1.AppendChar(' ');
    }
    if (hit.part == 1) {
      line1.AppendResource(1464);
    } else if (hit.part == 2) {
      line1.AppendResource(1465);
    } else if (hit.part == 3 || hit.part == 4) {
      line1.AppendResource(1466);
    } else {
      line1.AppendResource(vehicle.HasTurret() ? 1392 : 1463);
    }
  }
  if (hit.penetration != 0) {
    line1.AppendResource(1467);
    if (hit.weakPoint != 0) line1.AppendResource(1468);
  } else {
    line1.AppendResource(1457);
  }
  const bool flaking = detail && hit.flaking != 0;
  if (hit.penetration != 0 || hit.immobilized != 0 || hit.damaged != 0 || (hit.crewHits != 0 && !flaking)) {
    if (vehicle.alive == 0) {
      line2.LoadResource(1469);
    } else if (detail) {
      if (hit.immobilized != 0 && hit.damaged != 0) {
        line2.LoadResource(gun ? 1470 : 1471);
      } else if (hit.immobilized != 0) {
        line2.LoadResource(1450);
      } else if (hit.damaged != 0) {
        line2.LoadResource(gun ? 1472 : 1473);
      }
      if (hit.crewHits != 0) {
        if (line2.Length() > 0) line2.AppendResource(1080);
        line2.AppendNumber(hit.crewHits);
        line2.AppendChar(' ');
        line2.AppendResource(hit.crewHits > 1 ? 430 : 420);
      }
      if (line2.Length() == 0) line2.LoadResource(1459);
    }
    return;
  }
  if (hit.brokeUp != 0) {
    line2.LoadResource(1474);
  } else if (hit.ricochet != 0) {
    line2.LoadResource(1475);
  } else if (!flaking) {
    line2.LoadResource(1459);
  }
  if (flaking) {
    if (line2.Length() > 0) line2.AppendResource(1080);
    line2.AppendResource(1476);
    if (hit.crewHits > 0 || vehicle.alive == 0) line2.AppendResource(1477);
  }
}

void Vehicle::HitReportText() {
  UnitDrawHost* host = GetUnitDrawHost();
  MapBattleServices* battle = UnitBattle();
  if (host == nullptr || battle == nullptr || hitReportValue < 0 || GetIdentificationLevel(false) <= 1) return;
  const int32_t slice = battle->GetCurrentSlice();
  if (slice < hitReportValue || slice > hitReportValue + kShownSlices) return;
  const MapAppServices* app = UnitApp();
  const bool detail = IsCurrentSide() || (app != nullptr && app->GetOption(kFogOption) <= 1);
  GString63 line1;
  GString63 line2;
  ComposeHitReport(*this, detail, line1, line2);
  const Map* map = battle->GetMap();
  const float offset = map != nullptr && map->GetViewLevel() >= 4 ? 5.0f : 0.0f;
  host->DrawLabelLines(line1.CStr(), kReportStyle, line2.CStr(), kReportStyle, x + offset, y + offset,
                       GetBaseHeight() + 2.0f);
}
