#pragma once

// A corner of a map object's footprint, in metres.
struct MapCorner {
  float x = 0.0f;
  float y = 0.0f;
};
