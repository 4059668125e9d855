#pragma once
#include <cstdint>

#include "game/units/draw/VehicleDrawer.h"

class Vehicle;

// A vehicle on the battlefield: what the viewer may know of it, the model draw context, the
// generic low-detail bodies or the class's model routine, the crew in the hatches, the flames
// of a burning vehicle, and the shadow under the hull. Install() makes it the unit code's
// vehicle drawer. Nothing here draws from the game's generator.
class VehicleDraw : public VehicleDrawer {
 public:
  enum class Body : int32_t { kNone, kA, kB };

  static void Install();
  void DrawVehicle(Vehicle& vehicle, bool clip, float detail) override { Draw(vehicle, clip, detail); }
  void DrawVehicleShadow(Vehicle& vehicle, float scale, bool clip) override { DrawShadow(vehicle, scale, clip); }

  // The whole picture of one vehicle in the current matrix, placed at the vehicle.
  static void Draw(Vehicle& vehicle, bool clip, float detail);
  // The low-detail body of a category as shown; a category outside 0..39 gets body A (logged
  // once, since the apparent category comes from files).
  static Body LowDetailBodyFor(int32_t category);
  // The body without turret, and the sized body with turret and gun (its scaling stays on the
  // caller's matrix). Both read ModelDrawContext.
  static void DrawLowDetailVehicleA(bool clip);
  static void DrawLowDetailVehicleB(bool clip);
  // The crew shown in the hatches and on the hull; scale is the figures' apparent size.
  static void DrawCrew(Vehicle& vehicle, int32_t level, int32_t shownClass, bool clip, float scale);
  // What a crew place of a pose kind (0..9) does: whether it shows, turns with the turret and
  // sits lower; hidden is a buttoned vehicle or one seen below level 3.
  struct CrewPlace {
    bool shown;
    bool turns;
    bool lowered;
  };
  static CrewPlace PlaceFor(int32_t kind, bool hidden, bool turret, float pivot);
  // Where a crew man looks for a look timer (milliseconds): -35 to 35 degrees and back.
  static float LookAngle(int32_t timer);
  // The translucent shadow under the hull from the footprint the model published; drawn in
  // map coordinates (outside the vehicle's matrix).
  static void DrawShadow(Vehicle& vehicle, float scale, bool clip);
};
