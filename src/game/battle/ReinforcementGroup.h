#pragma once
#include <cstdint>

#include "framework/core/GObject.h"
#include "game/battle/UnitList.h"

class GFile;

// Units waiting off the map for their arrival turn, with the chance per check and the point
// where they enter. The units list never deletes its units by itself: DeleteUnits does.
class ReinforcementGroup : public GObject {
 public:
  ReinforcementGroup();
  ~ReinforcementGroup() override;
  ReinforcementGroup(const ReinforcementGroup&) = delete;
  ReinforcementGroup& operator=(const ReinforcementGroup&) = delete;

  // The defaults: arrival turn 4 in an operation, else 10; chance 1.0; entry point (0, 0).
  void Init(bool inOperation);
  // Deletes the units it holds, then takes every member of group.
  void SetUnits(GGroup& group);
  void DeleteUnits();

  // Arrival turn (u32), chance, entry x, entry y (f32), the units list, an extension length
  // byte n and n bytes. Reading refuses (error flag) a chance or point that is not finite and
  // a unit count beyond the bytes left or 500.
  void Read(GFile& file) override;
  void Write(GFile& file) const override;

  int32_t arrivalTurn = 10;  // negative: never
  float chance = 1.0f;
  float entryX = 0.0f;
  float entryY = 0.0f;
  UnitList units;
};
