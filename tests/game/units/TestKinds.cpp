// The test kinds' class records, makers and world.
#include <cstring>
#include <type_traits>

#include "framework/core/LittleEndian.h"
#include "game/units/tables/UnitCodes.h"
#include "game/units/records/UnitIds.h"
#include "game/units/TestAirplane.h"
#include "game/units/TestInanimate.h"
#include "game/units/TestInfantry.h"
#include "game/units/TestUnitWorld.h"
#include "game/units/TestVehicle.h"

namespace {

void PutI32(uint8_t* at, int32_t value) {
  const uint32_t v = static_cast<uint32_t>(value);
  for (int32_t i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutI16(uint8_t* at, int16_t value) {
  const auto v = static_cast<uint16_t>(value);
  at[0] = static_cast<uint8_t>(v & 0xFF);
  at[1] = static_cast<uint8_t>(v >> 8);
}

template <class Kind>
Unit* MakeKind(int32_t classIndex, int32_t code, int32_t flag) {
  auto* unit = new Kind();
  unit->classIndex = classIndex;
  if constexpr (std::is_same_v<Kind, TestInanimate>) unit->objectKind = classIndex;
  (void)flag;
  unit->Setup(0.0f, 0.0f, 0.0f, code, 2);
  return unit;
}

}  // namespace

void TestInfantry::SetRecord(int32_t mainWeaponId, int16_t load, int8_t leaderLevel) {
  PutI32(record.data() + 56, mainWeaponId);
  PutI16(record.data() + 106, load);
  record[52] = static_cast<uint8_t>(leaderLevel);
  record[50] = squad ? 1 : 0;
}

void TestVehicle::SetRecord(int32_t mainWeaponId, int16_t load) {
  PutI32(record.data() + 68, mainWeaponId);
  PutI16(record.data() + 74, load);
}

TestUnitWorld::TestUnitWorld() {
  app.MakeBattle();
  context_.emplace(UnitContext{.services = this});
  RegisterUnitMaker(0, MakeKind<TestInfantry>);
  RegisterUnitMaker(1, MakeKind<TestVehicle>);
  RegisterUnitMaker(2, MakeKind<TestInanimate>);
  RegisterUnitMaker(3, MakeKind<TestAirplane>);
  RegisterBlankUnitMaker(0, []() -> Unit* { return new TestInfantry(); });
  RegisterBlankUnitMaker(1, []() -> Unit* { return new TestVehicle(); });
  RegisterBlankUnitMaker(2, []() -> Unit* { return new TestInanimate(); });
  RegisterBlankUnitMaker(3, []() -> Unit* { return new TestAirplane(); });
}

TestUnitWorld::~TestUnitWorld() {
  for (int32_t kind = 0; kind < 4; ++kind) {
    RegisterUnitMaker(kind, nullptr);
    RegisterBlankUnitMaker(kind, nullptr);
  }
  context_.reset();
}

bool TestUnitWorld::AddNewUnit(Unit* unit) {
  if (newUnitCounter < 10000) newUnitCounter = 10000;
  ++newUnitCounter;
  newUnits.emplace_back(unit);
  Battle().joined.push_back(unit);
  return true;
}
