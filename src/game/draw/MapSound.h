#pragma once
#include <cstdint>

#include "framework/media/GSound3D.h"

class GObject;
class MapUnitView;

// A positional sound of the battlefield: heard at a fixed point, or following a unit at the
// place where the viewing side sees it. The map's sound lists own these; the sound manager
// only refers to them. Starting one normalises its kind into the priority, hands the kind's
// class to the sound engine and places it with a minimum distance of 200 m.
class MapSound : public GSound3D {
 public:
  MapSound();

  // Start at a point, or on a unit (null: the last position stays). False, with nothing
  // started, for a kind without a class.
  bool StartAt(int32_t number, int32_t kind, float x, float y, float z);
  bool StartOnUnit(int32_t number, int32_t kind, const MapUnitView* unit);
  // Moves the sound to its point: the fixed one, or its unit's shown position (an aircraft's
  // one-shot sounds are placed at height -500).
  void UpdatePosition();
  bool BelongsTo(const MapUnitView* unit) const { return owner_ != nullptr && owner_ == unit; }
  const MapUnitView* Owner() const { return owner_; }
  // The list predicate of Map::StopUnitLoopSounds: a sound of the unit (arg) with priority 3
  // or 12, a vehicle's own looped sounds.
  static bool IsUnitLoopSound(GObject* sound, void* unit);
  float GetDistance() const override { return distance_; }

 protected:
  // Looped sounds start with the finer minimum-distance floor.
  virtual bool StartsFine() const = 0;
  // One-shot sounds of aircraft are heard from below the ground.
  virtual bool LowersAircraft() const = 0;

 private:
  bool Start(int32_t number, int32_t kind);

  const MapUnitView* owner_ = nullptr;
  float fixed_[3] = {};
};
