// Plays a scenario headless with the computer on both sides and prints what happened, turn by
// turn, then the results:
//   battle_report <scenario file> <turns> [seed]
// Each turn's line gives the shots filed by fire kind (1-8; 0 for anything else) and how many
// of them struck their armoured target, the vehicle hit reports with how many of them
// penetrated, immobilised, destroyed the gun or glanced off, the vehicles knocked out and the
// men lost by side, and who holds each victory flag and the two score shares
// when the next turn opens, and the vehicles' machine-gun shots by gun (rifle calibre, .50, flame).
// A scenario still in its set-up phase is set up by the computer for both sides first. The
// same scenario, turns and seed give the same report on every run. The end gives the vehicles
// destroyed, as the kill records credit them, by the killer's main weapon (number, calibre).
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/HeadlessGameFile.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "game/ai/AIOperational.h"
#include "game/battle/Battle.h"
#include "game/battle/ComputerPlayer.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/HeadlessHost.h"
#include "game/battle/Packet.h"
#include "game/battle/PacketGroup.h"
#include "game/battle/VictoryFlag.h"
#include "game/units/Hack.h"
#include "game/units/KillRecord.h"
#include "game/units/KillRecordEntry.h"
#include "game/units/WeaponData.h"
#include "game/units/Inanimate.h"
#include "game/units/Infantry.h"
#include "game/units/Shot.h"
#include "game/units/Unit.h"
#include "game/units/Vehicle.h"
#include "platform/PPath.h"
#include "platform/PTemporaryFiles.h"

namespace {

constexpr int32_t kFireKinds = 9;

// The headless host of the program, counting the shots the units hand to the battle on their
// way through; it answers nothing itself.
class CountingHost : public HeadlessHost {
 public:
  void FileShot(const Shot& shot) override {
    const int32_t kind = shot.fireType >= 1 && shot.fireType < kFireKinds ? shot.fireType : 0;
    ++filed[static_cast<size_t>(kind)];
    if (shot.hit != 0) ++struck[static_cast<size_t>(kind)];
    // A vehicle's machine guns by the group of the gun that fired: rifle calibre, .50, flame.
    const auto* vehicle = dynamic_cast<const Vehicle*>(shot.shooter);
    if (vehicle != nullptr && vehicle->machineGunFiring != 0) {
      const int32_t entry = vehicle->smallArmsInUse;
      ++machineGuns[static_cast<size_t>(entry < 25 ? 0 : entry < 29 ? 1 : 2)];
    }
    HeadlessHost::FileShot(shot);
  }
  std::array<int64_t, kFireKinds> filed{};
  std::array<int64_t, kFireKinds> struck{};
  std::array<int64_t, 3> machineGuns{};
  std::array<int64_t, 3> machineGunsInAll{};
};

struct Census {
  std::array<int32_t, 2> men{};
  std::array<int32_t, 2> vehicles{};
  std::map<const Unit*, int32_t> menOf;  // each infantry unit's men present
};

Census Count(const Battle& battle) {
  Census census;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    const Unit* unit = battle.UnitAt(i);
    const auto side = static_cast<size_t>(unit->GetSideIndex() & 1);
    if (unit->AsInfantry() != nullptr) {
      census.men[side] += unit->GetMenPresent();
      census.menOf[unit] = unit->GetMenPresent();
    }
    if (unit->AsVehicle() != nullptr && unit->IsAlive()) ++census.vehicles[side];
  }
  return census;
}

// Men lost by side between two counts: what each infantry unit counted earlier has lost. Crews
// bailing out of their vehicles and arriving units join with men of their own; they are no
// loss and no gain.
std::array<int32_t, 2> MenLost(const Census& before, const Census& after) {
  std::array<int32_t, 2> lost{};
  for (const auto& [unit, men] : before.menOf) {
    const auto now = after.menOf.find(unit);
    const int32_t present = now != after.menOf.end() ? now->second : 0;
    if (present < men) lost[static_cast<size_t>(unit->GetSideIndex() & 1)] += men - present;
  }
  return lost;
}

// The vehicles the unit's kill record holds.
int32_t VehicleKills(const Unit& unit) {
  const GObjectGroup* vehicles = unit.killRecord.GetVehicles();
  int32_t count = 0;
  for (int32_t i = 0; vehicles != nullptr && i < vehicles->Count(); ++i) {
    count += static_cast<const KillRecordEntry*>(vehicles->GetItem(i))->count;
  }
  return count;
}

std::string FlagsHeld(const Battle& battle) {
  std::string out;
  for (int32_t i = 0; i < battle.flags.Count(); ++i) {
    const VictoryFlag* flag = battle.FlagAt(i);
    if (!out.empty()) out += ' ';
    out += flag->contested != 0 ? '-' : (flag->holder == 0 ? 'A' : 'L');
  }
  return out.empty() ? "none" : out;
}

std::string List(const int64_t* values, int32_t count, int32_t first) {
  std::string out;
  for (int32_t k = first; k < count; ++k) {
    if (!out.empty()) out += ' ';
    out += std::to_string(values[k]);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: battle_report <scenario file> <turns> [seed]\n");
    return 2;
  }
  const std::string scenario = std::filesystem::absolute(argv[1]).string();
  const int32_t turns = std::atoi(argv[2]);
  const uint32_t seed = argc == 4 ? static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)) : 1u;
  if (turns < 1) {
    std::fprintf(stderr, "battle_report: the number of turns must be at least 1\n");
    return 2;
  }
  // The program's world: a work folder for the log and the unpacked tables.
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("tarvane-battle-report-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  PTemporaryFiles::Add(PPath::ToProgram(folder.string()));
  PPath::SetProgramFolder(folder.string() + "/");
  int result = 0;
  {
    GKernel kernel;
    kernel.FindProgramFolder();
    Hack::LoadTables();
    Infantry::Register();
    Vehicle::Register();
    Inanimate::Register();
    SeedRandom(seed);
    HeadlessBattle headless;
    auto owned = std::make_unique<CountingHost>();
    CountingHost& host = *owned;
    headless.SetHost(std::move(owned));
    AIOperational planner;
    ComputerPlayer::Install(&planner);
    if (!LoadGameFileForPlay(headless, scenario)) {
      std::fprintf(stderr, "battle_report: cannot read the scenario %s\n", scenario.c_str());
      result = 1;
    } else {
      Battle& battle = *headless.GetBattle();
      headless.SetComputerPlayer(0, true);
      headless.SetComputerPlayer(1, true);
      std::printf("Scenario %s, %d units, turns %d..%d, seed %u\n", headless.ScenarioTitle().c_str(),
                  battle.UnitCount(), battle.currentTurn, battle.lastTurn, seed);
      if (battle.IsSetupPhase()) {
        host.options[11] = 1;  // the computer places its units
        headless.Go(static_cast<uint16_t>(seed));
      }
      const Census start = Count(battle);
      std::map<int32_t, int32_t> knockedOutBy;
      std::printf("Start: men %d / %d, vehicles %d / %d, flags %s\n", start.men[0], start.men[1], start.vehicles[0],
                  start.vehicles[1], FlagsHeld(battle).c_str());
      std::printf("turn | shots by fire kind 0-8 | struck armour | hit reports, penetrated, immobilised, gun out, "
                  "glanced | vehicles out A/L | "
                  "men lost A/L | flags | shares A/L | vehicle MG shots .30 .50 flame\n");
      for (int32_t turn = 1; turn <= turns && !battle.IsOver(); ++turn) {
        host.filed.fill(0);
        host.struck.fill(0);
        host.machineGuns.fill(0);
        const Census before = Count(battle);
        std::map<const Unit*, int32_t> killsBefore;
        for (int32_t i = 0; i < battle.UnitCount(); ++i) killsBefore[battle.UnitAt(i)] = VehicleKills(*battle.UnitAt(i));
        const int32_t playedTurn = battle.currentTurn;
        headless.Go(static_cast<uint16_t>(seed * 1000u + static_cast<uint32_t>(turn)));
        // Hit reports, then those whose strike penetrated, immobilised, destroyed the gun and
        // glanced off (the report's flags 0, 1, 2 and 4).
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
          if (gained > 0) knockedOutBy[unit->GetMainWeaponId()] += gained;
        }
        const Census after = Count(battle);
        const std::array<int32_t, 2> menLost = MenLost(before, after);
        // The flags and shares as the next orders phase shows them: the battle settles them
        // when it opens the next turn (or at its end).
        const bool over = battle.IsOver();
        if (!over) headless.NextTurn();
        for (size_t g = 0; g < 3; ++g) host.machineGunsInAll[g] += host.machineGuns[g];
        std::printf("%4d | %s | %s | %s | %d/%d | %d/%d | %s | %.3f/%.3f | %s\n", playedTurn,
                    List(host.filed.data(), kFireKinds, 0).c_str(), List(host.struck.data(), kFireKinds, 0).c_str(),
                    List(hits.data(), 5, 0).c_str(), before.vehicles[0] - after.vehicles[0],
                    before.vehicles[1] - after.vehicles[1], menLost[0], menLost[1],
                    FlagsHeld(battle).c_str(), static_cast<double>(battle.scoreShare[0]),
                    static_cast<double>(battle.scoreShare[1]), List(host.machineGuns.data(), 3, 0).c_str());
        if (over) break;
      }
      const Census end = Count(battle);
      std::printf("End: men %d / %d, vehicles %d / %d, flags %s, battle %s\n", end.men[0], end.men[1], end.vehicles[0],
                  end.vehicles[1], FlagsHeld(battle).c_str(), battle.IsOver() ? "over" : "going on");
      std::string byWeapon;
      for (const auto& [weapon, count] : knockedOutBy) {
        char item[64];
        if (gWeapons.IsValid(weapon)) {
          std::snprintf(item, sizeof(item), " weapon %d (%.0f mm) %d;", weapon,
                        static_cast<double>(gWeapons[weapon].Calibre()), count);
        } else {
          std::snprintf(item, sizeof(item), " weapon %d %d;", weapon, count);
        }
        byWeapon += item;
      }
      std::printf("Vehicles destroyed by the killer's main weapon:%s\n", byWeapon.empty() ? " none" : byWeapon.c_str());
      std::printf("Vehicle machine-gun shots in all (.30 .50 flame): %s\n", List(host.machineGunsInAll.data(), 3, 0).c_str());
      const std::string results = headless.ResultsReport();
      if (!results.empty()) std::printf("%s", results.c_str());
    }
    ComputerPlayer::Install(nullptr);
    Hack::FreeTables();
    GErrorLog::Close();
  }
  PTemporaryFiles::Forget(PPath::ToProgram(folder.string()));
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return result;
}
