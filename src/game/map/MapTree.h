#pragma once
#include <cstdint>

#include "framework/core/GObject.h"

// One tree standing on a wooded tile, placed when the map is read and drawn by detail class.
// Its looks (height, turn, mirror, variant) are drawn from the game's generator in field
// order, so two machines reading the same map from the same seed grow the same trees.
class MapTree : public GObject {
 public:
  MapTree() = default;
  // A tree at (x, y) on ground of the given elevation; pine for tall pines, and the marsh
  // variants when the tile is marsh. Draws height, turn, mirror and variant in that order.
  MapTree(float x, float y, float ground, bool pine, bool marsh);
  MapTree(const MapTree& other) = default;
  MapTree& operator=(const MapTree& other) = default;

  GObject* CopyItself() const override { return new MapTree(*this); }

  float x = 0.0f;
  float y = 0.0f;
  float baseHeight = 0.0f;  // 0.2 m below the ground, so the trunk sits in it
  float height = 0.0f;      // 4.8 to 7.8 m
  float turn = 0.0f;        // degrees
  uint8_t pine = 0;
  bool mirrored = false;
  uint8_t variant = 0;  // marsh 11..12, pine 0..2, others 3..10
};
