#include "game/map/Map.h"

#include "game/map/BalloonTarget.h"

int32_t Map::TileHeightLevel(int32_t column, int32_t row) const {
  if (!terrain.tileHeight.Contains(column, row)) return 0;
  const float h = terrain.tileHeight.At(column, row);
  float level = h * (1.0f / 3.0f) / size.heightScale;
  level += h > 0.0f ? 0.1f : -0.1f;
  return static_cast<int32_t>(level);
}

void Map::SetPickRecording(bool on) {
  orders.pickRecording = on ? 1 : 0;
  if (on) {
    orders.pickedUnit = nullptr;
    SetPickedBuilding(nullptr);
  }
}

void Map::RecordPickedUnit(MapUnitView* unit) {
  if (orders.pickRecording != 0) orders.pickedUnit = unit;
}

void Map::UpdateUnitInfoBalloon(Unit* selected) {
  auto* balloon = dynamic_cast<BalloonTarget*>(display.unitBalloon);
  if (balloon == nullptr) return;
  if (selected == nullptr) {
    CloseUnitInfoBalloon();
    return;
  }
  balloon->SetUnit(selected);
}

void Map::CloseUnitInfoBalloon() {
  GObject* balloon = display.unitBalloon;
  if (auto* target = dynamic_cast<BalloonTarget*>(balloon)) {
    target->Close();
    return;
  }
  display.unitBalloon = nullptr;
  delete balloon;
}
