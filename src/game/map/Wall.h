#pragma once
#include <cstdint>

#include "framework/media/GBoundingBox.h"
#include "game/map/MapCorner.h"

class GGroup;
class Map;

// One straight segment of a wall, hedge or bocage: a box of its height standing on four
// ground corners. The map makes walls from the tile codes at every load (they are not
// stored): a segment is set up in tile-local metres (0..20), turned by quarter turns about
// the tile centre and moved onto its tile. Its box is the culling box of the drawing.
class Wall : public GBoundingBox {
 public:
  using Corner = MapCorner;

  explicit Wall(Map& owner) : map_(&owner) {}
  Wall(const Wall& other) = default;
  Wall& operator=(const Wall& other) = default;

  // type 28 bocage, 29 wall, 30 hedge; thick walls stamp one cell more in -x and -y, long
  // ones repeat their texture four times along the segment.
  void Init(int32_t wallType, bool isThick, bool isLong, const Corner (&footprint)[4]);
  // Turns every corner by quarter turns (0..3) about the tile-local point (10, 10).
  void RotateQuarter(int32_t quarter);
  void Translate(int32_t tileX, int32_t tileY);
  // The ground heights under the corners, on the owning map, and the box over them.
  void UpdateBounds();
  // Writes the wall's fine type into the owning map's grid (after UpdateBounds).
  void Stamp();
  // Where the ground at the middle lies more than 0.1 m below or 0.5 m above the mean of
  // corners 0 and 2, cuts the wall in two at the middles of its long sides; the new half is
  // appended to the group.
  void SplitIfUneven(GGroup& group);
  // Draws the wall when it is of the type and its box is in view; the caller binds the type's
  // texture first.
  void Draw(int32_t wallType) const;
  int32_t StampedType() const { return type == 29 || type == 30 ? type : 28; }

  int32_t type = 28;
  uint8_t isLong = 0;
  uint8_t thick = 0;
  Corner corners[4];
  float groundHeights[4] = {};
  float height = 0.0f;

 private:
  Map* map_;
};
