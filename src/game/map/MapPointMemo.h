#pragma once
#include <cstdint>

// What one asker (a unit) last learnt from the map's point queries: the ground elevation at a
// point and the fine type of a cell. A unit asks at the same point many times a slice (every
// distance to it) and at the same 2 m cell for many slices (the ground just ahead), and each
// fresh read of the large fine grid is a trip to memory. The answers are kept with the map
// they came from and the fine grid's revision, so any change of the map's cells, height table
// or size makes the map read afresh; a kept answer is the one the map would give.
class MapPointMemo {
 public:
  MapPointMemo() = default;

 private:
  friend class Map;
  // The map's identity and the state of its queries when the answers were kept.
  uint64_t mapSerial_ = 0;
  uint64_t gridRevision_ = 0;
  uint64_t heightEpoch_ = 0;
  float worldWidth_ = 0.0f;
  float worldHeight_ = 0.0f;
  // The elevation at the exact point (elevationKnown_ when kept).
  float elevationX_ = 0.0f;
  float elevationY_ = 0.0f;
  float elevation_ = 0.0f;
  bool elevationKnown_ = false;
  // The fine types the grid stores at the last three cells asked (a moving unit asks at the
  // ground just ahead, at the point it tests further along its way and under itself), the
  // oldest one given up for a new cell.
  static constexpr int32_t kCells = 3;
  struct Cell {
    bool known = false;
    int32_t x = 0;
    int32_t y = 0;
    int32_t type = 0;
  };
  Cell cells_[kCells];
  int32_t newerCell_ = 0;
};
