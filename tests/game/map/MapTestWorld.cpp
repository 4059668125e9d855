#include "MapTestWorld.h"

#include "framework/core/Quorl.h"

void FakeBattle::AddUnitOfEveryKind() {
  const int32_t kinds[4] = {MapUnitView::kInfantry, MapUnitView::kVehicle, MapUnitView::kInanimate,
                            MapUnitView::kAirplane};
  for (int32_t i = 0; i < 4; ++i) {
    units.push_back(std::make_unique<FakeUnit>(kinds[i], i & 1, 30.0f + 20.0f * static_cast<float>(i), 50.0f));
  }
}

bool FakeApp::DecodeTerrainCode(int32_t index, int16_t& terrain, int16_t& road, uint8_t& fire) const {
  auto it = terrainCodes.find(index);
  if (it == terrainCodes.end()) return false;
  terrain = it->second.terrain;
  road = it->second.road;
  fire = it->second.fire;
  return true;
}

FakeBattle& FakeApp::MakeBattle() {
  battle = std::make_unique<FakeBattle>();
  return *battle;
}

FakeBattle& FakeApp::MakeOperation() {
  operation = std::make_unique<FakeBattle>();
  return *operation;
}

void FakeUnit::TakeCasualties(int32_t count, float chance) {
  // Each man is lost at the chance; the unit is gone with its last man.
  for (int32_t i = 0; i < count; ++i) {
    if (RandomFloat() < chance) --men;
  }
  if (men <= 0) alive = false;
}
