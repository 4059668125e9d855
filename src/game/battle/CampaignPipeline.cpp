// Between the battles of an operation: everything comes back from the battle, depleted squads
// merge, the zones are redrawn, supply is traced to each side's edge, units are pulled back
// behind their lines, vehicles are repaired, recovered or written off, the gone are deleted,
// the rest resupplied and reset, the weather works on the ground, and reserves and
// reinforcements arrive.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "game/battle/Battle.h"
#include "game/battle/Campaign.h"
#include "game/battle/CampaignHost.h"
#include "game/battle/CampaignUnitHost.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/battle/CampaignSideZone.h"
#include "game/map/Building.h"
#include "game/map/Crater.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapObjectList.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/ports/UnitServices.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/ports/VehicleServices.h"

namespace {

constexpr const char* kPipelineSource = "Campaign";
constexpr float kTwoPi = 6.28318531f;


void Trace(int32_t line) { GErrorLog::LogFileLine(line, kPipelineSource); }

// The vehicle carrying the unit in the group, or null.
Unit* FindCarrier(GGroup& units, const Unit& rider) {
  for (int32_t i = 0; i < units.Count(); ++i) {
    auto* unit = static_cast<Unit*>(units.GetItem(i));
    const VehicleServices* vehicle = unit->AsVehicle();
    if (vehicle == nullptr) continue;
    if (vehicle->GetPassenger(0) == &rider || vehicle->GetPassenger(1) == &rider) return unit;
  }
  return nullptr;
}

// Both passenger places emptied, the riders' carrier references cleared.
void EmptyPassengerPlaces(Unit& unit) {
  VehicleServices* vehicle = unit.AsVehicle();
  if (vehicle == nullptr) return;
  for (int32_t place = 0; place < 2; ++place) {
    Unit* rider = vehicle->GetPassenger(place);
    if (rider == nullptr) continue;
    if (InfantryServices* infantry = rider->AsInfantry()) infantry->SetCarrierReference(nullptr);
    vehicle->RemovePassenger(rider);
  }
}

// The immobilized and gun-destroyed flags of a vehicle; the gun flag only a vehicle of the
// class has.
uint8_t* GunDestroyedFlag(Unit& unit) {
  auto* vehicle = unit.AsVehicleUnit();
  return vehicle != nullptr ? &vehicle->gunDestroyed : nullptr;
}

// The wreck flags of a vehicle of the class: the first marks a wreck on fire, the second a
// wreck written off (the abandoned byte, which also makes it unrecoverable). Other kinds have
// neither.
uint8_t* FirstWreckFlag(Unit& unit) {
  auto* vehicle = unit.AsVehicleUnit();
  return vehicle != nullptr ? &vehicle->burning : nullptr;
}
uint8_t* SecondWreckFlag(Unit& unit) {
  auto* vehicle = unit.AsVehicleUnit();
  return vehicle != nullptr ? &vehicle->abandoned : nullptr;
}
bool HasWreckFlag(Unit& unit) {
  const uint8_t* first = FirstWreckFlag(unit);
  const uint8_t* second = SecondWreckFlag(unit);
  return (first != nullptr && *first != 0) || (second != nullptr && *second != 0);
}

bool IsEmplacement(const Unit& unit) {
  const VehicleServices* vehicle = unit.AsVehicle();
  return vehicle != nullptr && vehicle->IsEmplacement();
}

}  // namespace

// ---- The pipeline ----

void Campaign::AdvanceBetweenBattles() {
  Battle* battle = host_ != nullptr ? host_->GetCurrentBattle() : nullptr;
  if (battle == nullptr) FatalError(511, kPipelineSource);
  CampaignUnitHost unitHost(*this);
  unitHost_ = &unitHost;
  orphanCandidates_.clear();

  Trace(1118);
  for (int32_t i = battle->units.Count() - 1; i >= 0; --i) {
    if (battle->UnitAt(i)->IsAirplane()) battle->units.RemoveAt(i, true);
  }
  Trace(1120);
  DismountPassengers(*battle);
  Trace(1122);
  TakeBackBattle();
  // From here the units are the operation's and stand on its map.
  host_->ServeOperation(true);
  Trace(1124);
  MergeDepletedSquads();
  Trace(1126);
  RedrawZones(false);
  Trace(1128);
  TraceSupply();
  Trace(1130);
  ClearContestedTiles();
  Trace(1132);
  PullBackUnits();
  Trace(1134);
  RedrawZones(true);
  Trace(1136);
  ClearContestedTiles();
  Trace(1138);
  RepairVehicles();
  Trace(1140);
  MarkLostWrecks();
  Trace(1142);
  DiscardUnits();
  Trace(1144);
  RecoverVehicles();
  Trace(1146);
  RemoveGoneUnits();
  Trace(1148);
  PullBackUnits();
  Trace(1150);
  RedrawZones(true);
  Trace(1152);
  ApplySupplyState();
  Trace(1154);
  Resupply();
  Trace(1156);
  ResetUnits();
  Trace(1158);
  RemoveOrphanCrews();
  Trace(1160);
  EvolveGroundCondition();
  Trace(1162);
  host_->ServeOperation(false);
  host_->MakeCurrentBattle(nullptr);
  Trace(1164);
  BringReinforcements();
  Trace(1167);
  inSupply.DeleteAll(false);
  cutOff.DeleteAll(false);
  Trace(1170);
  ResetNightIntents();
  Trace(1173);
  unitHost_ = nullptr;
}

void Campaign::DismountPassengers(Battle& battle) {
  for (int32_t i = 0; i < battle.units.Count(); ++i) {
    Unit* unit = battle.UnitAt(i);
    VehicleServices* vehicle = unit->AsVehicle();
    if (vehicle == nullptr) continue;
    for (int32_t place = 0; place < 2; ++place) {
      Unit* rider = vehicle->GetPassenger(place);
      if (rider == nullptr) continue;
      for (int32_t d = 6; d <= 15; ++d) {
        const float a = RandomFloatTimes(kTwoPi);
        const float px = rider->x + static_cast<float>(d) * std::cos(a);
        const float py = rider->y + static_cast<float>(d) * std::sin(a);
        if (battle.map != nullptr && battle.map->IsOnMap(px, py) && rider->CanStandAt(px, py, true)) {
          rider->x = px;
          rider->y = py;
          break;
        }
      }
      if (InfantryServices* infantry = rider->AsInfantry()) infantry->SetCarrierReference(nullptr);
      vehicle->RemovePassenger(rider);
    }
  }
}

void Campaign::TakeBackBattle() {
  Battle* battle = host_ != nullptr ? host_->GetCurrentBattle() : nullptr;
  if (battle == nullptr) FatalError(511, kPipelineSource);
  if (map == nullptr) FatalError(__LINE__, kPipelineSource);
  const float dx = static_cast<float>(windowX) * Map::kTileSize;
  const float dy = static_cast<float>(windowY) * Map::kTileSize;
  for (int32_t i = 0; i < battle->units.Count(); ++i) {
    Unit* unit = battle->UnitAt(i);
    unit->x += dx;
    unit->y += dy;
    unit->ReleaseAppearance();
    units.Append(unit);
  }
  battle->units.DeleteAll(false);
  Map* from = battle->map;
  if (from == nullptr) return;
  const std::pair<MapObjectList*, MapObjectList*> lists[2] = {{from->objects.craters, map->objects.craters},
                                                              {from->objects.craterMarks, map->objects.craterMarks}};
  for (const auto& [source, target] : lists) {
    if (source == nullptr) continue;
    for (int32_t k = 0; k < source->Count(); ++k) {
      auto* crater = static_cast<Crater*>(source->GetItem(k));
      crater->x += dx;
      crater->y += dy;
      if (target == nullptr) FatalError(__LINE__, kPipelineSource);
      target->Append(crater);
    }
    source->DeleteAll(false);
  }
  from->IndexCraters();
  map->IndexCraters();
  // A fire that burned in the battle has brought its building down; the fire goes out.
  if (from->fire.state.HasBlock()) {
    for (int32_t x = from->size.tilesX - 1; x >= 0; --x) {
      for (int32_t y = from->size.tilesY - 1; y >= 0; --y) {
        if (!from->fire.state.IsValidIndex(x, y) || from->fire.state.GetU8(x, y) == 0) continue;
        if (!IsEditorOpen()) {
          if (Building* building = from->FindBuildingAtTile(x, y)) building->Collapse(false, false, 0);
        }
        map->SetTileBurning(x + windowX, y + windowY, 0);
      }
    }
  }
  if (from->objects.buildings != nullptr && map->objects.buildings != nullptr) {
    GGroup& buildings = *from->objects.buildings;
    for (int32_t k = 0; k < buildings.Count(); ++k) {
      auto* building = static_cast<Building*>(buildings.GetItem(k));
      building->tileX += windowX;
      building->tileY += windowY;
      building->ReleaseTextures();
      map->objects.buildings->Append(building);
    }
    buildings.DeleteAll(false);
  }
}

void Campaign::DeleteUnit(Unit* unit) {
  inSupply.Remove(unit, false);
  cutOff.Remove(unit, false);
  units.Remove(unit, false);
  if (unit->IsVehicle()) {
    // The crews that came from the vehicle are orphans now.
    for (int32_t i = 0; i < units.Count(); ++i) {
      Unit* other = UnitAt(i);
      const InfantryServices* infantry = other->AsInfantry();
      if (infantry != nullptr && infantry->GetOriginUnit() == unit) orphanCandidates_.push_back(other);
    }
    EmptyPassengerPlaces(*unit);
  } else if (unit->IsCarried() || unit->IsPassenger()) {
    if (Unit* carrier = FindCarrier(units, *unit)) carrier->AsVehicle()->RemovePassenger(unit);
  }
  orphanCandidates_.erase(std::remove(orphanCandidates_.begin(), orphanCandidates_.end(), unit), orphanCandidates_.end());
  delete unit;
  deletedUnits_ = true;
}

void Campaign::DropReferencesToDeleted() {
  if (!deletedUnits_) return;
  deletedUnits_ = false;
  // No unit keeps a reference to a deleted one.
  for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->DropDeadReferences(units);
}

// ---- Merging depleted squads ----

bool Campaign::MayMerge(const Unit& unit) {
  const InfantryServices* infantry = unit.AsInfantry();
  return infantry != nullptr && unit.alive != 0 && unit.status == 0 && !unit.HasSurrendered() &&
         infantry->GetSplitPartner() == nullptr;
}

void Campaign::MergeDepletedSquads() {
  bool merged = true;
  while (merged) {
    merged = false;
    for (int32_t i = units.Count() - 1; i >= 0 && !merged; --i) {
      Unit* u = UnitAt(i);
      if (!MayMerge(*u) || !u->AsInfantry()->IsSquad()) continue;
      if (2 * u->GetMenPresent() >= u->GetFullStrength()) continue;
      Unit* partner = nullptr;
      for (int32_t j = 0; j < units.Count(); ++j) {
        Unit* p = UnitAt(j);
        if (p == u || !MayMerge(*p) || u->IsEnemy(*p)) continue;
        if (p->GetLetterCode() != u->GetLetterCode()) continue;
        if (p->AsInfantry()->GetTypeIndex() != u->AsInfantry()->GetTypeIndex()) continue;
        if (u->GetMenPresent() + p->GetMenPresent() > p->GetFullStrength()) continue;
        partner = p;
        break;
      }
      if (partner == nullptr) continue;
      MergeSquad(*u, *partner);
      merged = true;
    }
  }
  DropReferencesToDeleted();
}

void Campaign::MergeSquad(Unit& u, Unit& p) {
  const int32_t d = (p.losses - p.lossesCountedByMorale) + (u.losses - u.lossesCountedByMorale);
  auto* into = u.AsInfantryUnit();
  auto* from = p.AsInfantryUnit();
  if (into != nullptr && from != nullptr) {
    for (size_t slot = 0; slot < into->menInSlot.size(); ++slot) {
      into->menInSlot[slot] = static_cast<uint8_t>(into->menInSlot[slot] + from->menInSlot[slot]);
    }
  }
  u.losses -= p.GetMenPresent();
  if (u.losses < 0) {
    GErrorLog::LogValue("Campaign: merged loss count below 0, held at 0", u.losses);
    u.losses = 0;
  }
  u.lossesCountedByMorale = static_cast<int16_t>(std::max(u.losses - d, 0));
  if (p.IsCarried() || p.IsPassenger()) {
    if (Unit* carrier = FindCarrier(units, p)) {
      carrier->AsVehicle()->RemovePassenger(&p);
    } else {
      GErrorLog::LogValue("Campaign: riding merge partner without a carrier", p.designation);
    }
    if (InfantryServices* infantry = p.AsInfantry()) infantry->SetCarrierReference(nullptr);
  }
  DeleteUnit(&p);
}

// ---- Zones, supply and pull-back ----

void Campaign::GetSideArea(bool attackerSide, bool withGap, int32_t& x0, int32_t& y0, int32_t& x1, int32_t& y1) const {
  if (map == nullptr) FatalError(__LINE__, kPipelineSource);
  const int32_t W = map->terrain.tiles.Width();
  const int32_t H = map->terrain.tiles.Height();
  const int32_t g = withGap ? static_cast<int32_t>(static_cast<float>(noMansLand) * 0.5001f * 0.05f) : 0;
  const int32_t F = frontLine;
  x0 = 0;
  y0 = 0;
  x1 = W;
  y1 = H;
  switch (attackerEdge) {
    case 0: (attackerSide ? x1 : x0) = attackerSide ? F - g : F + g; break;
    case 1: (attackerSide ? y0 : y1) = attackerSide ? H - F + g : H - F - g; break;
    case 2: (attackerSide ? x0 : x1) = attackerSide ? W - F + g : W - F - g; break;
    case 3: (attackerSide ? y1 : y0) = attackerSide ? F - g : F + g; break;
    default: FatalError(390, kPipelineSource);
  }
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, W);
  y1 = std::min(y1, H);
}

void Campaign::PaintArea(bool attackerSide) {
  int32_t x0 = 0;
  int32_t y0 = 0;
  int32_t x1 = 0;
  int32_t y1 = 0;
  GetSideArea(attackerSide, true, x0, y0, x1, y1);
  const int32_t side = attackerSide ? attacker : 1 - attacker;
  for (int32_t x = x0; x < x1; ++x) {
    for (int32_t y = y0; y < y1; ++y) map->PaintZone(x, y, side == 0, false);
  }
}

void Campaign::RedrawZones(bool promote) {
  if (map == nullptr) FatalError(__LINE__, kPipelineSource);
  Map& m = *map;
  const int32_t W = m.terrain.tiles.Width();
  const int32_t H = m.terrain.tiles.Height();
  for (int32_t x = 0; x < W; ++x) {
    for (int32_t y = 0; y < H; ++y) m.terrain.tiles.At(x, y).zone = 0;
  }
  for (int32_t i = 0; i < units.Count(); ++i) UnitAt(i)->PaintControlArea();
  PaintArea(true);
  PaintArea(false);
  if (!promote) return;
  for (int32_t a = 0; a < 2; ++a) {
    const bool attackerSide = a == 0;
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t x1 = 0;
    int32_t y1 = 0;
    GetSideArea(attackerSide, false, x0, y0, x1, y1);
    // The other side's ground inside this side's area is raised.
    const int32_t other = attackerSide ? 1 - attacker : attacker;
    m.PromoteZoneRect(other == 0, x0, x1, y1, y0);
  }
  for (int32_t i = 0; i < units.Count(); ++i) {
    Unit& unit = *UnitAt(i);
    const auto tx = static_cast<int32_t>(unit.x / Map::kTileSize);
    const auto ty = static_cast<int32_t>(unit.y / Map::kTileSize);
    if (!m.terrain.tiles.Contains(tx, ty)) continue;
    const int32_t tile = m.terrain.tiles.At(tx, ty).zone;
    const int32_t z = unit.setupZone;
    if (tile == z + 1) unit.setupZone = z + 1;
    else if (tile == z - 1) unit.setupZone = z - 1;
  }
}

void Campaign::SupplyFloodFill(std::vector<uint8_t>& grid, std::vector<int32_t>& stack, int32_t start, uint8_t zone) const {
  const int32_t W = map->terrain.tiles.Width();
  const int32_t H = map->terrain.tiles.Height();
  static constexpr int32_t kDx[4] = {0, 1, 0, -1};
  static constexpr int32_t kDy[4] = {1, 0, -1, 0};
  // Each entry is a cell and the next direction to try from it, depth first.
  stack.clear();
  stack.push_back(start * 4);
  while (!stack.empty()) {
    const int32_t top = stack.back();
    const int32_t cell = top / 4;
    const int32_t dir = top % 4;
    if (dir == 3) stack.pop_back();
    else stack.back() = top + 1;
    const int32_t nx = cell % W + kDx[dir];
    const int32_t ny = cell / W + kDy[dir];
    if (nx < 0 || ny < 0 || nx >= W || ny >= H) continue;
    const int32_t next = ny * W + nx;
    if (grid[static_cast<size_t>(next)] != 0) continue;
    const uint8_t tile = map->terrain.tiles.At(nx, ny).zone;
    if (tile == zone || tile == 0) {
      grid[static_cast<size_t>(next)] = 1;
      // Every cell enters once, so the stack never holds more than the grid's cells.
      if (stack.size() >= static_cast<size_t>(W) * static_cast<size_t>(H)) FatalError(945, kPipelineSource);
      stack.push_back(next * 4);
    } else {
      grid[static_cast<size_t>(next)] = 2;
    }
  }
}

void Campaign::TraceSupply() {
  if (map == nullptr) FatalError(__LINE__, kPipelineSource);
  const int32_t W = map->terrain.tiles.Width();
  const int32_t H = map->terrain.tiles.Height();
  std::vector<uint8_t> grid(static_cast<size_t>(W) * static_cast<size_t>(H));
  std::vector<int32_t> stack;
  stack.reserve(static_cast<size_t>(W) * static_cast<size_t>(H));
  for (int32_t pass = 0; pass < 2; ++pass) {
    const int32_t side = pass == 0 ? attacker : 1 - attacker;
    const int32_t edge = pass == 0 ? attackerEdge : (attackerEdge + 2) % 4;
    const uint8_t zone = ZoneOfSide(side);
    std::fill(grid.begin(), grid.end(), 0);
    const bool column = edge == 0 || edge == 2;
    const int32_t length = column ? H : W;
    // The i-th cell along the side's own edge.
    auto edgeCell = [&](int32_t i) {
      switch (edge) {
        case 0: return i * W;
        case 2: return i * W + W - 1;
        case 3: return i;
        default: return (H - 1) * W + i;
      }
    };
    for (int32_t i = 0; i < length; ++i) grid[static_cast<size_t>(edgeCell(i))] = 1;
    for (int32_t i = 0; i < length; ++i) SupplyFloodFill(grid, stack, edgeCell(i), zone);
    for (int32_t i = 0; i < units.Count(); ++i) {
      Unit* unit = UnitAt(i);
      if (unit->GetSideIndex() != side) continue;
      unit->setupZone = ZoneOfSide(side);
      const auto tx = static_cast<int32_t>(unit->x / Map::kTileSize);
      const auto ty = static_cast<int32_t>(unit->y / Map::kTileSize);
      const bool linked = tx >= 0 && ty >= 0 && tx < W && ty < H && grid[static_cast<size_t>(ty * W + tx)] == 1;
      if ((!unit->HasSurrendered() && unit->status == 0 && linked) || unit->IsInanimate()) inSupply.Append(unit);
      else cutOff.Append(unit);
    }
  }
}

void Campaign::ClearContestedTiles() {
  if (map == nullptr) FatalError(892, kPipelineSource);
  for (int32_t x = 0; x < map->terrain.tiles.Width(); ++x) {
    for (int32_t y = 0; y < map->terrain.tiles.Height(); ++y) {
      uint8_t& zone = map->terrain.tiles.At(x, y).zone;
      if (zone == 99) zone = 0;
    }
  }
}

void Campaign::PullBackUnits() {
  for (int32_t pass = 0; pass < 2; ++pass) {
    const bool attackerSide = pass == 0;
    const int32_t side = attackerSide ? attacker : 1 - attacker;
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t x1 = 0;
    int32_t y1 = 0;
    GetSideArea(attackerSide, true, x0, y0, x1, y1);
    const auto left = static_cast<float>(static_cast<int32_t>(static_cast<float>(x0) * Map::kTileSize));
    const auto bottom = static_cast<float>(static_cast<int32_t>(static_cast<float>(y0) * Map::kTileSize));
    const auto right = static_cast<float>(static_cast<int32_t>(static_cast<float>(x1) * Map::kTileSize));
    const auto top = static_cast<float>(static_cast<int32_t>(static_cast<float>(y1) * Map::kTileSize));
    UnitList* lists[2] = {&cutOff, operationType != 2 ? &inSupply : nullptr};
    for (UnitList* list : lists) {
      if (list == nullptr) continue;
      for (int32_t i = 0; i < list->Count(); ++i) {
        auto* unit = static_cast<Unit*>(list->GetItem(i));
        // A surrendered unit is the other side's.
        const int32_t holder = unit->HasSurrendered() ? 1 - unit->GetSideIndex() : unit->GetSideIndex();
        if (holder != side || unit->alive == 0 || unit->status != 0) continue;
        if (!unit->IsInfantry() && !unit->CanMove()) continue;
        PullBack(*unit, left, bottom, right, top);
      }
    }
  }
}

bool Campaign::PullBack(Unit& unit, float left, float bottom, float right, float top) {
  return unit.MoveIntoArea(left, bottom, right, top);
}

// ---- Vehicles ----

void Campaign::RepairVehicles() {
  for (UnitList* list : {&inSupply, &cutOff}) {
    for (int32_t i = 0; i < list->Count(); ++i) {
      auto* unit = static_cast<Unit*>(list->GetItem(i));
      if (!unit->IsVehicle() || unit->alive == 0 || IsEmplacement(*unit)) continue;
      uint8_t* gun = GunDestroyedFlag(*unit);
      if (gun != nullptr && *gun != 0 && Random(4) == 0) *gun = 0;
      if (unit->immobilized != 0 && Random(3) == 0) unit->immobilized = 0;
      if ((gun != nullptr && *gun != 0) || unit->immobilized != 0) {
        unit->BailOutCrew(false);
        EmptyPassengerPlaces(*unit);
      }
    }
  }
  for (Unit* crew : unitHost_ != nullptr ? unitHost_->TakeCrews() : std::vector<Unit*>{}) {
    units.Append(crew);
    inSupply.Append(crew);
  }
}

void Campaign::MarkLostWrecks() {
  if (map == nullptr) FatalError(__LINE__, kPipelineSource);
  for (int32_t i = 0; i < units.Count(); ++i) {
    Unit* unit = UnitAt(i);
    if (unit->alive != 0) continue;
    uint8_t* onFire = FirstWreckFlag(*unit);
    uint8_t* writtenOff = SecondWreckFlag(*unit);
    // The fire has burnt the wreck out: it is written off.
    if (onFire != nullptr && *onFire != 0) {
      *onFire = 0;
      *writtenOff = 1;
      continue;
    }
    // A gun team whose gun is not lost yet, or a wreck not written off.
    const bool gunTeam = unit->IsInfantry() && unit->HasMainWeaponOfType23(true) && unit->knockedOut == 0;
    const bool wreck = unit->IsVehicle() && !HasWreckFlag(*unit);
    if (!gunTeam && !wreck) continue;
    // On the enemy's ground it is lost for good.
    if (map->ZoneOfUnit(*unit) != ZoneOfSide(1 - unit->GetSideIndex())) continue;
    unit->knockedOut = 1;
    if (writtenOff != nullptr) *writtenOff = 1;
  }
}

bool Campaign::DiscardBetweenBattles(Unit& unit) { return unit.UpdateLinksBetweenBattles(units); }

void Campaign::DiscardUnits() {
  for (int32_t i = units.Count() - 1; i >= 0; --i) {
    if (i >= units.Count()) continue;
    Unit* unit = UnitAt(i);
    if (DiscardBetweenBattles(*unit)) DeleteUnit(unit);
  }
  DropReferencesToDeleted();
}

void Campaign::RecoverVehicles() {
  if (RotationPhase(currentTurn - 1, nightEvery, openingSlot) != 2 && RotationPhase(currentTurn, nightEvery, openingSlot) != 2) {
    return;
  }
  for (int32_t i = inSupply.Count() - 1; i >= 0; --i) {
    if (i >= inSupply.Count()) continue;
    auto* unit = static_cast<Unit*>(inSupply.GetItem(i));
    if (!unit->IsVehicle() || (unit->alive != 0 && unit->immobilized == 0)) continue;
    if (HasWreckFlag(*unit) || IsEmplacement(*unit)) continue;
    bool crewed = false;
    for (int32_t j = 0; j < units.Count() && !crewed; ++j) {
      const InfantryServices* infantry = UnitAt(j)->AsInfantry();
      crewed = infantry != nullptr && infantry->GetOriginUnit() == unit;
    }
    if (crewed) continue;
    EmptyPassengerPlaces(*unit);
    ScheduleRecoveredVehicle(*unit);
    DeleteUnit(unit);
  }
  DropReferencesToDeleted();
}

int32_t Campaign::RecoveryArrival(int32_t rec, int32_t n) const {
  int32_t b = 0;
  const int32_t N = nightEvery;
  if (N == 0) {
    b = n + 8;
  } else if (N == 2) {
    b = n + 1;
    while (b < 9999 && RotationPhase(b, N, openingSlot) == 2) ++b;
  } else {
    b = n + 2;
    while (b < 9999 && RotationPhase(b, N, openingSlot) != 1) ++b;
  }
  const int32_t k = rec + 1;
  b += Random(k + 1) * (N == 0 ? 2 : N);
  return std::max(b, n + 1);
}

void Campaign::ScheduleRecoveredVehicle(const Unit& vehicle) {
  static constexpr float kChance[5] = {0.85f, 0.625f, 0.4f, 0.1f, 0.0f};
  const int32_t side = vehicle.GetSideIndex() & 1;
  const int32_t rec = recovery[side];
  // A setting the reader refused never gets here; anything else recovers nothing.
  if (rec < 0 || rec > 4) return;
  const float p = kChance[rec];
  if (!(RandomFloat() < p)) return;
  const int32_t arrival = RecoveryArrival(rec, currentTurn);
  Unit* fresh = MakeRecoveredVehicle(vehicle);
  if (fresh == nullptr) return;
  auto* group = new ReinforcementGroup;
  group->Init(true);
  group->arrivalTurn = arrival;
  group->chance = p * 0.5f + 0.4f;
  group->units.Append(fresh);
  reinforcements[side].Append(group);
}

Unit* Campaign::MakeRecoveredVehicle(const Unit& vehicle) {
  Unit* fresh = CreateUnit(Unit::kVehicle, vehicle.classIndex, vehicle.nationalityCode, 0);
  if (fresh == nullptr) return nullptr;
  fresh->side = vehicle.side;
  fresh->rating = vehicle.rating;
  fresh->SetDesignation(vehicle.GetLetterCode(), vehicle.GetDesignationNumber());
  // The same commander, and with him the same looks (a custom name is not carried over).
  if (vehicle.leaderName >= 0) fresh->leaderName = vehicle.leaderName;
  return fresh;
}

// ---- The gone, supply, resupply and reset ----

void Campaign::RemoveGoneUnits() {
  for (int32_t i = units.Count() - 1; i >= 0; --i) {
    if (i >= units.Count()) continue;
    Unit* unit = UnitAt(i);
    if (unit->IsInanimate()) continue;
    if (unit->status != 0 || unit->HasSurrendered() || (unit->IsInfantry() && unit->alive == 0)) DeleteUnit(unit);
  }
  DropReferencesToDeleted();
}

void Campaign::ApplySupplyState() {
  for (int32_t l = 0; l < 2; ++l) {
    UnitList& list = l == 0 ? inSupply : cutOff;
    for (int32_t i = 0; i < list.Count(); ++i) SetSupplyState(*static_cast<Unit*>(list.GetItem(i)), l == 0);
  }
}

void Campaign::SetSupplyState(Unit& unit, bool supplied) {
  if (auto* infantry = unit.AsInfantryUnit()) infantry->ReturnMen(supplied);
}

void Campaign::Resupply() {
  for (int32_t i = 0; i < inSupply.Count(); ++i) static_cast<Unit*>(inSupply.GetItem(i))->ResupplyAmmo();
  for (int32_t i = 0; i < cutOff.Count(); ++i) {
    auto* unit = static_cast<Unit*>(cutOff.GetItem(i));
    // An artillery spotter calls its guns by radio, cut off or not.
    if (unit->IsInfantry() && unit->HasMainWeaponOfType5()) unit->ResupplyAmmo();
  }
  for (int32_t i = 0; i < inSupply.Count(); ++i) {
    if (auto* infantry = static_cast<Unit*>(inSupply.GetItem(i))->AsInfantryUnit()) infantry->slicePassFlag = 0;
  }
}

void Campaign::ResetUnits() {
  for (int32_t i = 0; i < units.Count(); ++i) {
    Unit* unit = UnitAt(i);
    // The losses of the battle just fought are settled first, so that a wreck carried on is
    // not counted lost again and a vehicle's replaced crew starts the next battle whole.
    unit->CountLosses();
    if (unit->alive != 0) unit->ResetBetweenBattles();
  }
}

void Campaign::RemoveOrphanCrews() {
  std::vector<Unit*> orphans;
  orphans.swap(orphanCandidates_);
  for (Unit* orphan : orphans) {
    if (units.Contains(orphan)) DeleteUnit(orphan);
  }
  orphanCandidates_.clear();
  DropReferencesToDeleted();
  for (int32_t i = 0; i < units.Count(); ++i) {
    // The clean-up after the battle; the zone value the last redraw gave the unit stays.
    Unit* unit = UnitAt(i);
    const int32_t zone = unit->setupZone;
    unit->PrepareForNextBattle();
    unit->setupZone = zone;
  }
}

void Campaign::EvolveGroundCondition() {
  const Battle* battle = host_ != nullptr ? host_->GetCurrentBattle() : nullptr;
  if (battle == nullptr) FatalError(1811, kPipelineSource);
  groundCondition = EvolveGround(battle->weather, battle->groundCondition, groundCondition, nightEvery);
}

int32_t Campaign::EvolveGround(int32_t weather, int32_t g, int32_t G, int32_t N) {
  const auto n = static_cast<float>(N);
  switch (weather) {
    case 0:
      if (N > 0 && g >= 2 && g <= 4 && RandomFloat() < 0.9f / n) return G - 1;
      return G;
    case 2:
      if (g >= 5 && g <= 8) return G;
      return RandomFloat() < (N == 0 ? 0.2f : 1.8f / n) ? G + 1 : G;
    case 4: return g == 1 ? 2 : G;
    case 5:
      if (g >= 1 && g <= 3) return RandomFloat() < (N == 0 ? 0.15f : 1.35f / n) ? 6 : G;
      if (g == 6 || g == 7) {
        float p = N == 0 ? 0.04f : 0.4f / n;
        if (g == 7) p *= 2.0f;
        return RandomFloat() < p ? (g == 6 ? 7 : 8) : G;
      }
      return G;
    default: return G;
  }
}

// ---- Reserves and reinforcements ----

float Campaign::SideStrength(GGroup& group, int32_t side) {
  float sum = 0.0f;
  for (int32_t i = 0; i < group.Count(); ++i) {
    const auto* unit = static_cast<const Unit*>(group.GetItem(i));
    if (unit->GetSideIndex() != side || unit->alive == 0 || unit->HasSurrendered()) continue;
    if (!unit->IsInfantry() && !unit->IsVehicle()) continue;
    const int32_t full = unit->GetFullStrength();
    if (full <= 0) continue;
    sum += unit->GetPurchaseCost() * static_cast<float>(unit->GetMenPresent()) / static_cast<float>(full);
  }
  return sum;
}

bool Campaign::ReleaseReserve(int32_t side, int32_t k, float attackerStrength, float defenderStrength, float reserveStrength) const {
  static constexpr float kAttackerBelow[3] = {1.8f, 1.4f, 1.0f};
  static constexpr float kDefenderAbove[3] = {2.0f, 3.0f, 4.0f};
  static constexpr float kChance[3] = {1.0f, 0.75f, 0.5f};
  const bool isAttacker = side == attacker;
  if (defenderStrength > 0.0f) {
    const float ratio = attackerStrength / defenderStrength;
    if (isAttacker ? ratio < kAttackerBelow[k] : ratio > kDefenderAbove[k]) return true;
  } else if (attackerStrength > 0.0f) {
    // A defender with nothing left: the ratio is past every threshold.
    if (!isAttacker) return true;
  }
  const float own = isAttacker ? attackerStrength : defenderStrength;
  if (reserveStrength >= 0.75f * own) return RandomFloat() < kChance[k];
  return false;
}

void Campaign::BringReinforcements() {
  BattleBase::BringReinforcements();
  const float strength[2] = {SideStrength(units, 0), SideStrength(units, 1)};
  const float att = strength[attacker & 1];
  const float def = strength[1 - (attacker & 1)];
  for (int32_t side = 0; side < 2; ++side) {
    GObjectGroup& list = reinforcements[side];
    for (int32_t g = 0; g < list.Count(); ++g) {
      auto* group = static_cast<ReinforcementGroup*>(list.GetItem(g));
      if (group->arrivalTurn >= 0) continue;
      const int32_t k = -group->arrivalTurn - 1;
      // A value the reader refused never gets here; anything else is no reserve.
      if (k < 0 || k > 2) continue;
      if (ReleaseReserve(side, k, att, def, SideStrength(group->units, side))) {
        group->arrivalTurn = 0;
        group->chance = 1.0f;
        group->CheckArrival(App());
        list.RemoveAt(g, true);
      }
      break;
    }
  }
}
