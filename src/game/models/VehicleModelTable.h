#pragma once
#include <cstdint>

// The 99 model slots a vehicle class selects its model routine by, and the routines. Slots
// 4-5, 31-33, 68-69, 94-95 and 96-97 share one routine each; every other slot has its own
// (93 routines). Every routine reads only ModelDrawContext::Current(), draws in the current
// matrix, switches back-face culling off at its start and on at its end, and (except the
// routines of slots 94 to 98) publishes the hull's footprint.
//
// Until the modelled hulls arrive every routine is a box of the class's size with a turret on
// a push/rotate/pop, a gun turned about its pivot, the muzzle flash and recoil calls, and for
// the routine of slot 63 an extra group of four fans with texture 11 when its variant is set.
class VehicleModelTable {
 public:
  static constexpr int32_t kSlots = 99;
  static constexpr int32_t kRoutines = 93;

  using Routine = void (*)(bool clip, bool variant);

  // The routine number 0..92 of a slot; -1 outside 0..98.
  static int32_t RoutineOf(int32_t slot);
  // Whether the slot's routine takes the variant argument (slots 63, 66, 68, 69, 70).
  static bool TakesVariant(int32_t slot);
  // The variant argument the slot gets for a class's draw variant value: slot 63 when it is 1,
  // slots 66 and 68 to 70 when it is not 0, false for every other slot.
  static bool VariantFor(int32_t slot, int32_t drawVariant);
  // Draws the slot's model; an index outside 0..98 draws nothing.
  static void Draw(int32_t slot, bool clip, int32_t drawVariant);
  // The stand-in body shared by the routines: routine number r.
  static void DrawStandIn(int32_t routine, bool clip, bool variant);
};
