#pragma once
#include <array>
#include <cstdint>

class GGraphic;
class Vehicle;

// The values a model routine reads while it draws one model. There is one context for the whole
// program and one model drawn at a time: the vehicle drawing fills every field before it calls
// a routine, and nothing clears it between frames. Model units: x across the hull, y along it
// (the gun points to +y), z up; a hull spans about +-0.1 before the drawing scale.
struct ModelDrawContext {
  static constexpr int32_t kTextures = 17;
  // The footprint's min x before a routine publishes one.
  static constexpr float kNoFootprint = 9999.0f;

  // The texture set of the identity shown; routines bind entries 0..16.
  GGraphic* const* textures = nullptr;
  float turretAngle = 0.0f;   // degrees about z, relative to the hull
  float gunElevation = 0.0f;  // degrees about x at the gun's pivot
  float turretTilt = 0.0f;    // degrees about y of a knocked-out turret, else 0
  Vehicle* vehicle = nullptr;  // receives the muzzle flash and recoil calls
  // Texture-v offsets of the running gear: trackScroll0 of the +x side, whose track runs at the
  // speed plus 0.22 times the turn rate, trackScroll1 of the -x side (the speed minus it).
  float trackScroll0 = 0.0f;
  float trackScroll1 = 0.0f;
  // min x, min y, max x, max y of the hull in model units.
  std::array<float, 4> footprint{kNoFootprint, 0.0f, 0.0f, 0.0f};

  bool HasFootprint() const { return footprint[0] != kNoFootprint; }
  // Binds entry i (0..16) when the set and the entry exist.
  void Bind(int32_t i) const;

  static ModelDrawContext& Current();
};
