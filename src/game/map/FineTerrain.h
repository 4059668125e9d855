#pragma once
#include <cstdint>

// The fine terrain types that the 2 m grid holds (0..44) and the named sets of them that the
// map, the units and the computer player test. A cell word holds the type in bits 15..10
// and a height code in bits 9..0.
namespace FineTerrain {

constexpr int32_t kOpenGround = 0;
constexpr int32_t kRoadblock = 4;
constexpr int32_t kWire = 5;
constexpr int32_t kWireAmongTrees = 6;
constexpr int32_t kWireAmongPines = 7;
constexpr int32_t kRoad = 8;
constexpr int32_t kRoadOther = 9;
constexpr int32_t kTrack = 10;
constexpr int32_t kPavement = 11;
constexpr int32_t kMarsh = 12;
constexpr int32_t kScatteredTrees = 13;
constexpr int32_t kWoods = 14;
constexpr int32_t kTallPines = 15;
constexpr int32_t kWheatField = 16;
constexpr int32_t kRough = 18;
constexpr int32_t kSlope = 20;
constexpr int32_t kTreesOnSlope = 21;
constexpr int32_t kWoodedSlope = 22;
constexpr int32_t kPinesOnSlope = 23;
constexpr int32_t kCliff = 24;
constexpr int32_t kWater = 25;
constexpr int32_t kFord = 26;
constexpr int32_t kTallBuilding = 35;
constexpr int32_t kLastType = 44;

constexpr int32_t kTypeShift = 10;
constexpr uint16_t kHeightMask = 0x3FF;
constexpr int32_t kHeightCodes = 1024;

constexpr int32_t TypeOf(uint16_t word) { return word >> kTypeShift; }
constexpr int32_t HeightCodeOf(uint16_t word) { return word & kHeightMask; }

}  // namespace FineTerrain

// Buildings and bridges: 31 and above.
constexpr bool IsStructureTerrain(int32_t type) { return type >= 31; }
// The rules' road test (a vehicle's hull lies level, a fortification's cost of a site): every
// structure type, 31 and above.
constexpr bool IsRoadTerrain(int32_t type) { return IsStructureTerrain(type); }
// Bridges, whole or wrecked: 36 to 44.
constexpr bool IsBridgeTerrain(int32_t type) { return type >= 36 && type <= 44; }
// Buildings: 31 to 35.
constexpr bool IsBuildingTerrain(int32_t type) { return type >= 31 && type <= 35; }
// Buildings with an upper floor: 33 and 34.
constexpr bool IsTwoLevelBuildingTerrain(int32_t type) { return type == 33 || type == 34; }
// Whether a stamp (roadblock, wire) may write over the type: not the obstacles, marsh, rough,
// cliff, water, ford, ice, walls or hedges, nor any structure.
constexpr bool IsStampableTerrain(int32_t type) {
  switch (type) {
    case 4: case 12: case 18: case 24: case 25: case 26: case 27: case 28: case 29: case 30:
      return false;
    default:
      return type < 31;
  }
}
