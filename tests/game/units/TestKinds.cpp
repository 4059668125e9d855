// The test kinds' class records, makers and world.
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "framework/core/LittleEndian.h"
#include "game/battle/BattleShot.h"
#include "game/map/Map.h"
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

TestUnitWorld::TestUnitWorld() : designationCounter_(Unit::gDesignationCounter) {
  inPlay_ = std::make_unique<::Battle>(app);
  app.held = inPlay_.get();
  SetBattle(inPlay_.get());
  // A meeting engagement in full strength and clear sight, side index 0 holding the north
  // edge and side index 1 the south edge, in play (past its set-up), in the summer of 1944 on
  // very dry ground.
  ::Battle& battle = *inPlay_;
  battle.setupPhase = 0;
  battle.season = 1;
  battle.date = 4406;
  battle.groundCondition = 0;
  battle.attacker = 2;
  battle.strengthRatio[0] = battle.strengthRatio[1] = 1.0f;
  battle.visibilityRange = 5000.0f;
  battle.visibilityFactor = 1.0f;  // no haze: sight lines lose nothing over distance
  battle.edgeOwner[0] = 2;
  battle.edgeOwner[1] = 0;
  battle.edgeOwner[2] = 2;
  battle.edgeOwner[3] = 1;
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
  // The test's own units leave the battle's group; the units the unit code joined go with it.
  TakeBackLent();
  app.held = nullptr;
  SetBattle(nullptr);
  inPlay_.reset();
  EndOperation();
  Unit::gDesignationCounter = designationCounter_;
  for (int32_t kind = 0; kind < 4; ++kind) {
    RegisterUnitMaker(kind, nullptr);
    RegisterBlankUnitMaker(kind, nullptr);
  }
  context_.reset();
}

std::vector<Shot> TestUnitWorld::FiledShots() const {
  std::vector<Shot> filed;
  for (int32_t i = 0; i < inPlay_->shots.Count(); ++i) {
    const auto* shot = static_cast<const BattleShot*>(inPlay_->shots.GetItem(i));
    if (shot->fromUnit) filed.push_back(shot->round);
  }
  return filed;
}

void TestUnitWorld::ForgetFiledShots() {
  inPlay_->shotsAwaitingPacket.clear();
  inPlay_->shots.DeleteAll(true);
}

std::vector<Unit*> TestUnitWorld::JoinedUnits() const {
  std::vector<Unit*> joined;
  for (int32_t i = 0; i < inPlay_->UnitCount(); ++i) {
    Unit* unit = inPlay_->UnitAt(i);
    if (std::find(lent_.begin(), lent_.end(), unit) == lent_.end()) joined.push_back(unit);
  }
  return joined;
}

void TestUnitWorld::SetMap(std::unique_ptr<Map> map) {
  delete inPlay_->map;
  inPlay_->map = map.release();
}

void TestUnitWorld::Lend(Unit* unit) {
  if (std::find(lent_.begin(), lent_.end(), unit) != lent_.end()) return;
  inPlay_->units.Append(unit);
  lent_.push_back(unit);
}

void TestUnitWorld::TakeBack(Unit* unit) {
  if (std::erase(lent_, unit) != 0) inPlay_->units.Remove(unit, false);
}

Campaign& TestUnitWorld::MakeOperation() {
  operation_ = std::make_unique<Campaign>(app);
  operation_->attacker = 2;
  operation_->currentTurn = 1;
  operation_->supply[0] = operation_->supply[1] = 0;
  app.heldOperation = operation_.get();
  return *operation_;
}

void TestUnitWorld::EndOperation() {
  app.heldOperation = nullptr;
  operation_.reset();
}

void TestUnitWorld::LendOnly(std::initializer_list<Unit*> units) {
  TakeBackLent();
  for (Unit* unit : units) Lend(unit);
}

void TestUnitWorld::TakeBackLent() {
  for (Unit* unit : lent_) inPlay_->units.Remove(unit, false);
  lent_.clear();
}
