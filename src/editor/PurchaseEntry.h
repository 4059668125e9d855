#pragma once
#include <cstdint>

#include "framework/core/GObject.h"
#include "framework/core/GString63.h"

// One thing a side can buy: a formation, an infantry type, a vehicle, a fortification or air
// support, as the AVAILABLE list shows it. The catalogue owns its entries; buying a formation
// makes short-lived entries for its members.
class PurchaseEntry : public GObject {
 public:
  static constexpr int32_t kInfantry = 0;
  static constexpr int32_t kVehicle = 1;
  static constexpr int32_t kFortification = 2;
  static constexpr int32_t kAircraft = 3;
  static constexpr int32_t kFormation = 4;

  PurchaseEntry() = default;
  PurchaseEntry(int32_t entryKind, int16_t classIdx, uint8_t axis) : kind(entryKind), classIndex(classIdx), axisFlag(axis) {}
  ~PurchaseEntry() override = default;

  GString63 name;
  int32_t kind = kInfantry;
  // The record of its table, the fortification kind, or 0 for aircraft.
  int16_t classIndex = 0;
  // The code the entry's unit answers as its purchase code (7 for a formation); also the
  // colour of its row.
  uint8_t purchaseCode = 0;
  uint8_t axisFlag = 0;
  // The unit's cost truncated (0 for a formation).
  int16_t cost = 0;
  // Read only by the computer's force purchase.
  int32_t choiceWeight = 0;
};
