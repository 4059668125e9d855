#pragma once
#include <array>
#include <cstdint>

#include "game/units/orders/Waypoint.h"

class Unit;

// One position of a vehicle's search for cover: a tree of 15 m steps whose root stands at the
// vehicle, whose root has one child straight ahead and every deeper node three (straight on,
// 30 degrees to the right, 30 to the left). The search stops at the first node the threat
// cannot engage. Nodes come from a fixed pool that every search reuses, so a search never
// allocates; the search state is program-wide (one thread, not re-entrant).
class CoverSearchNode {
 public:
  // Two trees of at most 1 + 1 + 3 + ... + 729 nodes each.
  static constexpr int32_t kTreeNodes = 1094;
  static constexpr int32_t kPoolSize = 2 * kTreeNodes;
  static constexpr float kStep = 15.0f;

  // A node from the pool: with a parent, 15 m from it along the heading (radians); a root at
  // the searching vehicle. Null when the pool is empty (it never is for two trees).
  static CoverSearchNode* Make(CoverSearchNode* parent, float heading);
  // Returns the node and its whole subtree to the pool.
  static void Release(CoverSearchNode* node);
  // Nodes in the pool now.
  static int32_t FreeNodes() { return gFree; }
  // Nodes made since the last ResetCount (roots included).
  static int32_t MadeNodes() { return gMade; }
  static void ResetCount() { gMade = 0; }

  // Starts a search for the vehicle from the threat: clears the found state.
  static void Begin(Unit* vehicle, Unit* threat);
  static bool Found() { return gFound != nullptr; }
  static CoverSearchNode* FoundNode() { return gFound; }

  // Expands an unexpanded node, else searches its children (wide) until something is found.
  void Search(bool wide);
  // Makes one (not wide) or three children; a child the vehicle cannot reach is given back,
  // one the threat cannot engage ends the search.
  void Expand(bool wide);
  // The vehicle may stand at the node and at the points a third and two thirds of the way
  // from the parent, all on the map.
  bool IsPassable();
  // Writes this node's way back to the root into entries index, index - 1, ... 0 of the
  // waypoints; the root writes nothing and must be reached at index -1 (else fatal).
  void WritePath(Waypoint* points, int32_t index, int32_t moveMode) const;

  float x = 0.0f;
  float y = 0.0f;
  float heading = 0.0f;  // radians
  std::array<CoverSearchNode*, 3> children{};
  CoverSearchNode* parent = nullptr;
  uint8_t expanded = 0;

 private:
  static std::array<CoverSearchNode, kPoolSize> gPool;
  static std::array<CoverSearchNode*, kPoolSize> gFreeList;
  static int32_t gFree;
  static bool gPoolReady;
  static int32_t gMade;
  static Unit* gVehicle;
  static Unit* gThreat;
  static CoverSearchNode* gFound;
};
