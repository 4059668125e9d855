#pragma once
#include <cstdint>

#include "framework/media/GBoundingBox.h"
#include "game/map/MapUnitView.h"

// The abstract unit of the battle: infantry, vehicle, inanimate object or airplane. So far it
// holds what the map reads of a unit (kind, side, position, presence); the unit model grows
// its fields and its numbered virtual operations here.
class Unit : public GBoundingBox, public MapUnitView {
 public:
  Unit() = default;
  ~Unit() override = default;

  int32_t GetUnitKind() const override { return kind; }
  int32_t GetSideByte() const override { return side; }
  float GetX() const override { return x; }
  float GetY() const override { return y; }
  float GetZ() const override { return z; }
  bool IsPresent() const override { return present != 0; }
  int32_t GetInanimateKind() const override;

  bool IsInfantry() const { return kind == kInfantry; }
  bool IsVehicle() const { return kind == kVehicle; }
  bool IsInanimate() const { return kind == kInanimate; }
  bool IsAirplane() const { return kind == kAirplane; }
  // The side byte is 1 for the Axis; the side index of per-side tables is 1 - the byte.
  bool IsAxis() const { return side == 1; }
  int32_t GetSideIndex() const { return 1 - side; }

  uint8_t kind = kInfantry;
  uint8_t side = 0;
  uint8_t present = 1;
};
