// Reads arbitrary bytes as a stored packet list against a fixed battle of test units (an
// infantry team, a squad, a vehicle, an object and an airplane): a refused list must leave the
// list in play as it was; an accepted one is written, read and written again, and the two
// writes must give the same bytes. The accepted list is then sorted twice (the order must
// not change the second time) and its sounds thinned; no fault, no leak, no read out of
// bounds.
//
// An input whose first byte is odd is laid (exclusive or) over a valid list holding every
// kind, the rest appended, so that the checks inside unit states are reached often.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GMemoryFile.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/Packet.h"
#include "game/battle/PacketList.h"
#include "game/units/tables/Hack.h"
#include "game/units/TestAirplane.h"
#include "game/units/TestInanimate.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestVehicle.h"
#include "game/units/records/UnitIds.h"
#include "platform/PPath.h"
#include "FuzzFolder.h"
#include "FuzzInput.h"

namespace {

constexpr int32_t kClasses = 4;

Unit* Place(Battle& battle, Unit* unit, int32_t sideIndex, float x, float y) {
  unit->Setup(x, y, 0.0f, sideIndex == 0 ? 6 : 0, 2);
  unit->side = static_cast<uint8_t>(1 - sideIndex);
  battle.AddUnitToMap(unit, x, y);
  if (battle.units.IndexOf(unit) < 0) battle.units.Append(unit);
  return unit;
}

std::string Write(const Battle& battle) {
  GMemoryFile out;
  battle.WritePackets(out.File());
  if (out.File().HasError()) std::abort();
  return out.Bytes();
}

struct FuzzWorld {
  FuzzWorld() : infantry(InfantryData::kSize * kClasses), vehicles(VehicleData::kSize * kClasses) {
    gInfantryClasses = DataTable<InfantryData>(infantry.data(), static_cast<uint32_t>(infantry.size()));
    gVehicleClasses = DataTable<VehicleData>(vehicles.data(), static_cast<uint32_t>(vehicles.size()));
    headless.New();
    Battle& battle = *headless.GetBattle();
    auto* team = new TestInfantry();
    team->record[62] = 2;  // two weapon slots
    auto* squad = new TestInfantry();
    squad->squad = true;
    squad->mainWeapon = true;
    squad->record[62] = 4;
    Unit* units[] = {Place(battle, team, 0, 300.0f, 310.0f), Place(battle, squad, 0, 320.0f, 330.0f),
                     Place(battle, new TestVehicle(), 1, 420.0f, 380.0f),
                     Place(battle, new TestInanimate(), 0, 500.0f, 90.0f),
                     Place(battle, new TestAirplane(), 1, 10.0f, 10.0f)};
    for (int32_t kind = 1; kind <= Packet::kLastKind; ++kind) {
      battle.currentSlice = 100 + kind;
      Packet* p = battle.NewPacket(0);
      p->kind = static_cast<int8_t>(kind);
      p->x = 50.0f + static_cast<float>(kind);
      p->y = 60.0f;
      p->fire.shooter = units[0];
      p->fire.target = units[2];
      p->sound.source = units[2];
      p->sound.audible[0] = p->sound.audible[1] = 1;
      p->sound.soundKind = 8;
      p->hit.vehicle = units[2];
    }
    for (Unit* unit : units) {
      Packet* p = battle.NewPacket(0);
      p->kind = Packet::kUnitState;
      p->state.unit = unit;
      p->state.target = units[2];
      p->state.lifeCode = 1;
      p->state.hidden = 1;
      p->state.identificationLevel = 1;
      p->state.areaFire = 1;
      p->extras.linked[0] = units[0];
    }
    valid = Write(battle);
  }

  FuzzFolder folder{"packetfuzz"};
  std::vector<uint8_t> infantry;
  std::vector<uint8_t> vehicles;
  HeadlessBattle headless;
  std::string valid;
};

FuzzWorld& World() {
  static FuzzWorld world;
  return world;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzWorld& world = World();
  if (size == 0) return 0;
  const std::string input = FuzzInput(world.valid, data, size);
  Battle& battle = *world.headless.GetBattle();
  {
    GMemoryFile in(world.valid);
    if (!battle.ReadPackets(in.File())) std::abort();
  }
  GMemoryFile in(input);
  if (!battle.ReadPackets(in.File())) {
    if (!in.File().HasError() || Write(battle) != world.valid) std::abort();
    return 0;
  }
  const std::string first = Write(battle);
  GMemoryFile again(first);
  if (!battle.ReadPackets(again.File()) || Write(battle) != first) std::abort();
  PacketList::Sort(battle.packets);
  const std::string sorted = Write(battle);
  PacketList::Sort(battle.packets);
  if (Write(battle) != sorted) std::abort();
  PacketList::ThinSounds(battle.packets, 3);
  return 0;
}
