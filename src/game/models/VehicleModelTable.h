#pragma once
#include <cstdint>

struct ModelProgram;

// The 99 model slots a vehicle class selects its model routine by, and the routines. Slots
// 4-5, 31-33, 68-69, 94-95 and 96-97 share one routine each; every other slot has its own
// (93 routines). Each routine is a constant model record (VehicleModelGeometry) run by
// RunModelProgram with the values of ModelDrawContext::Current(): it draws in the current
// matrix and leaves it as it found it, switches back-face culling off at its start and on at its
// end (but the box model of slots 94 and 95) and publishes its footprint (but slots 94, 95 and
// 98, which leave the footprint as it stands).
class VehicleModelTable {
 public:
  static constexpr int32_t kSlots = 99;
  static constexpr int32_t kRoutines = 93;

  // The routine number 0..92 of a slot; -1 outside 0..98.
  static int32_t RoutineOf(int32_t slot);
  // Whether the slot's routine takes the variant argument (slots 63, 66, 68, 69, 70).
  static bool TakesVariant(int32_t slot);
  // The variant argument the slot gets for a class's draw variant value: slot 63 when it is 1,
  // slots 66 and 68 to 70 when it is not 0, false for every other slot.
  static bool VariantFor(int32_t slot, int32_t drawVariant);
  // The record of routine 0..92.
  static const ModelProgram& Program(int32_t routine);
  // Draws the slot's model; an index outside 0..98 draws nothing.
  static void Draw(int32_t slot, bool clip, int32_t drawVariant);
};
