#include "game/battle/BattleReport.h"

#include <cstdio>

#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/Packet.h"
#include "game/battle/PacketGroup.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/units/tables/Hack.h"
#include "game/units/records/KillRecord.h"
#include "game/units/records/KillRecordEntry.h"
#include "game/units/records/Shot.h"
#include "game/units/ports/InfantryServices.h"
#include "game/units/Unit.h"
#include "game/units/vehicle/Vehicle.h"
#include "game/units/tables/WeaponData.h"

namespace {

// The vehicles the unit's kill record holds.
int32_t VehicleKills(const Unit& unit) {
  const GObjectGroup* vehicles = unit.killRecord.GetVehicles();
  int32_t count = 0;
  for (int32_t i = 0; vehicles != nullptr && i < vehicles->Count(); ++i) {
    count += static_cast<const KillRecordEntry*>(vehicles->GetItem(i))->count;
  }
  return count;
}

template <size_t N>
std::string List(const std::array<int64_t, N>& values) {
  std::string out;
  for (const int64_t value : values) {
    if (!out.empty()) out += ' ';
    out += std::to_string(value);
  }
  return out;
}

}  // namespace

void BattleReport::Tally::ShotFiled(const Shot& shot) {
  const int32_t kind = shot.fireType >= 1 && shot.fireType < kFireKinds ? shot.fireType : 0;
  ++filed[static_cast<size_t>(kind)];
  if (shot.hit != 0) ++struck[static_cast<size_t>(kind)];
  if (kind == 5) batteryImpacts.emplace_back(shot.impactX, shot.impactY);
  // A vehicle's machine guns by the group of the gun that fired: rifle calibre, .50, flame.
  const auto* vehicle = shot.shooter != nullptr ? shot.shooter->AsVehicleUnit() : nullptr;
  if (vehicle != nullptr && vehicle->machineGunFiring != 0) {
    const int32_t entry = vehicle->smallArmsInUse;
    ++machineGuns[static_cast<size_t>(entry < 25 ? 0 : entry < 29 ? 1 : 2)];
  }
}

BattleReport::BattleReport(HeadlessBattle& headless) : headless_(headless) {
  headless_.Host().Services().SetShotObserver(&tally_);
}

BattleReport::~BattleReport() { headless_.Host().Services().SetShotObserver(nullptr); }

BattleReport::Census BattleReport::Count(const Battle& battle) {
  Census census;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    const Unit* unit = battle.UnitAt(i);
    const auto side = static_cast<size_t>(unit->GetSideIndex() & 1);
    if (const InfantryServices* infantry = unit->AsInfantry()) {
      census.men[side] += unit->GetMenPresent();
      census.menOf[unit] = unit->GetMenPresent();
      if (unit->IsAlive() && unit->IsPassenger(false)) {
        ++census.riding[side];
        if (infantry->GetClassData().IsSquad() != 0) ++census.squadsRiding[side];
      }
    }
    if (unit->AsVehicle() != nullptr && unit->IsAlive()) ++census.vehicles[side];
  }
  return census;
}

std::string BattleReport::FlagsHeld(const Battle& battle) {
  std::string out;
  for (int32_t i = 0; i < battle.flags.Count(); ++i) {
    const VictoryFlag* flag = battle.FlagAt(i);
    if (!out.empty()) out += ' ';
    out += flag->contested != 0 ? '-' : (flag->holder == 0 ? 'A' : 'L');
  }
  return out.empty() ? "none" : out;
}

int32_t BattleReport::BatteryCraters(const Battle& battle) const {
  if (battle.map == nullptr) return 0;
  int32_t count = 0;
  for (const auto& [x, y] : tally_.batteryImpacts) {
    if (battle.map->CraterStateAt(x, y) != 0) ++count;
  }
  return count;
}

int32_t BattleReport::MenLostToBatteries(const Battle& battle) {
  int32_t men = 0;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    const Unit* unit = battle.UnitAt(i);
    if (unit->HasMainWeaponOfType5()) men += unit->killRecord.infantryCasualties;
  }
  return men;
}

std::string BattleReport::Begin(uint16_t setupSeed) {
  Battle& battle = *headless_.GetBattle();
  headless_.SetComputerPlayer(0, true);
  headless_.SetComputerPlayer(1, true);
  if (battle.IsSetupPhase()) {
    headless_.Host().options[11] = 1;  // the computer places its units
    headless_.Go(setupSeed);
  }
  const Census start = Count(battle);
  char line[256];
  std::snprintf(line, sizeof(line), "Start: men %d / %d, vehicles %d / %d, flags %s\n", start.men[0], start.men[1],
                start.vehicles[0], start.vehicles[1], FlagsHeld(battle).c_str());
  return line +
         std::string("turn | shots by fire kind 0-8 | struck armour | hit reports, penetrated, immobilised, gun out, "
                     "glanced | vehicles out A/L | men lost A/L | flags | shares A/L | vehicle MG shots .30 .50 "
                     "flame | riding A/L, squads A/L | off-map fire craters, men lost\n");
}

std::string BattleReport::PlayTurn(uint16_t seed) {
  Battle& battle = *headless_.GetBattle();
  tally_.filed.fill(0);
  tally_.struck.fill(0);
  tally_.machineGuns.fill(0);
  tally_.batteryImpacts.clear();
  const Census before = Count(battle);
  const int32_t batteryMenBefore = MenLostToBatteries(battle);
  std::map<const Unit*, int32_t> killsBefore;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) killsBefore[battle.UnitAt(i)] = VehicleKills(*battle.UnitAt(i));
  const int32_t playedTurn = battle.currentTurn;
  headless_.Go(seed);
  // Hit reports, then those whose strike penetrated, immobilised, destroyed the gun and glanced
  // off (the report's flags 2, 0, 1 and 4).
  std::array<int64_t, 5> hits{};
  for (int32_t i = 0; i < battle.packets.Count(); ++i) {
    const auto* packet = static_cast<const Packet*>(battle.packets.GetItem(i));
    if (packet->kind != Packet::kHitReport) continue;
    ++hits[0];
    if (packet->hit.flags[2] != 0) ++hits[1];
    if (packet->hit.flags[0] != 0) ++hits[2];
    if (packet->hit.flags[1] != 0) ++hits[3];
    if (packet->hit.flags[4] != 0) ++hits[4];
  }
  // The vehicles each unit destroyed this turn, credited to its main weapon.
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    const Unit* unit = battle.UnitAt(i);
    const auto earlier = killsBefore.find(unit);
    const int32_t gained = VehicleKills(*unit) - (earlier != killsBefore.end() ? earlier->second : 0);
    if (gained > 0) knockedOutBy_[unit->GetMainWeaponId()] += gained;
  }
  const Census after = Count(battle);
  const int32_t craters = BatteryCraters(battle);
  const int32_t batteryMen = MenLostToBatteries(battle) - batteryMenBefore;
  // Men lost: what each infantry unit counted before has lost. Crews bailing out of their
  // vehicles and arriving units join with men of their own; they are no loss and no gain.
  std::array<int32_t, 2> menLost{};
  for (const auto& [unit, men] : before.menOf) {
    const auto now = after.menOf.find(unit);
    const int32_t present = now != after.menOf.end() ? now->second : 0;
    if (present < men) menLost[static_cast<size_t>(unit->GetSideIndex() & 1)] += men - present;
  }
  // The flags and shares as the next orders phase shows them: the battle settles them when it
  // opens the next turn (or at its end).
  if (!battle.IsOver()) headless_.NextTurn();
  for (size_t g = 0; g < 3; ++g) tally_.machineGunsInAll[g] += tally_.machineGuns[g];
  char line[512];
  std::snprintf(line, sizeof(line), "%4d | %s | %s | %s | %d/%d | %d/%d | %s | %.3f/%.3f | %s | %d/%d %d/%d | %d %d\n",
                playedTurn, List(tally_.filed).c_str(), List(tally_.struck).c_str(), List(hits).c_str(),
                before.vehicles[0] - after.vehicles[0], before.vehicles[1] - after.vehicles[1], menLost[0],
                menLost[1], FlagsHeld(battle).c_str(), static_cast<double>(battle.scoreShare[0]),
                static_cast<double>(battle.scoreShare[1]), List(tally_.machineGuns).c_str(), before.riding[0],
                before.riding[1], before.squadsRiding[0], before.squadsRiding[1], craters, batteryMen);
  return line;
}

std::string BattleReport::End() const {
  const Battle& battle = *headless_.GetBattle();
  const Census end = Count(battle);
  char line[256];
  std::snprintf(line, sizeof(line), "End: men %d / %d, vehicles %d / %d, flags %s, battle %s\n", end.men[0],
                end.men[1], end.vehicles[0], end.vehicles[1], FlagsHeld(battle).c_str(),
                battle.IsOver() ? "over" : "going on");
  std::string out = line;
  std::string byWeapon;
  for (const auto& [weapon, count] : knockedOutBy_) {
    char item[64];
    if (gWeapons.IsValid(weapon)) {
      std::snprintf(item, sizeof(item), " weapon %d (%.0f mm) %d;", weapon,
                    static_cast<double>(gWeapons[weapon].Calibre()), count);
    } else {
      std::snprintf(item, sizeof(item), " weapon %d %d;", weapon, count);
    }
    byWeapon += item;
  }
  out += "Vehicles destroyed by the killer's main weapon:" + (byWeapon.empty() ? std::string(" none") : byWeapon) + "\n";
  out += "Vehicle machine-gun shots in all (.30 .50 flame): " + List(tally_.machineGunsInAll) + "\n";
  return out + headless_.ResultsReport();
}
