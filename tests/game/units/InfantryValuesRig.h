#pragma once
// Infantry value tests: the infantry rig with a map, small-arms entries of one firepower at
// every range, terrain painting, and the battle's attacker and an operation in play (whose
// supply settings the test sets), answered to the unit code by the battle layer's order host.
#include <array>
#include <cstring>
#include <optional>

#include "game/units/InfantryRig.h"
#include "game/units/ports/UnitContextScope.h"

class InfantryValuesRig {
 public:
  InfantryValuesRig() {
    rig.UseMap();
    rig.world.MakeOperation();
    context_.emplace(UnitContext{.orders = &rig.world.Orders()});
  }
  virtual ~InfantryValuesRig() { context_.reset(); }
  InfantryValuesRig(const InfantryValuesRig&) = delete;
  InfantryValuesRig& operator=(const InfantryValuesRig&) = delete;


  // A small-arms entry of firepower f at every range up to 1800 m, of the anti-armour class.
  void SetSmallArms(int32_t index, float f, int32_t armourClass) {
    uint8_t* entry = rig.SmallArms(index);
    for (int32_t i = 0; i < SmallArmsData::kRangePoints; ++i) InfantryRig::PutF(entry + 28 + 4 * i, f);
    InfantryRig::Put16(entry + 72, 3000);
    InfantryRig::Put32(entry + 76, armourClass);
  }
  void SetSlotWeapon(int32_t classIndex, int32_t slot, int32_t weapon) {
    InfantryRig::Put32(rig.Class(classIndex) + 68 + 4 * slot, weapon);
  }
  void SetTerrain(float px, float py, int32_t type) {
    uint16_t& cell = Map().terrain.fineGrid.At(static_cast<int32_t>(px / 2.0f), static_cast<int32_t>(py / 2.0f));
    cell = static_cast<uint16_t>((type << 10) | (cell & 0x3FF));
  }
  ::Map& Map() { return *rig.world.Battle().map; }
  ::Battle& Battle() { return rig.world.Battle(); }
  Campaign& Operation() { return *rig.world.Operation(); }

  InfantryRig rig;
  // The battle's attacker, as the test world answers it.
  int32_t& attacker = rig.world.Battle().attacker;

 private:
  std::optional<UnitContextScope> context_;
};
