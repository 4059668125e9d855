#pragma once
// The random map tests' rig: a map in the map tests' world, a recorder of Random's bounds, and
// the checks every generated road network must pass.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "MapTestRig.h"
#include "editor/RandomMapGenerator.h"
#include "editor/RandomMapParams.h"
#include "framework/core/Quorl.h"

// Records the bound of every Random call while it lives.
class BoundRecorder {
 public:
  BoundRecorder() {
    Bounds().clear();
    SetRandomBoundObserver([](int32_t n) { Bounds().push_back(n); });
  }
  ~BoundRecorder() { SetRandomBoundObserver(nullptr); }
  BoundRecorder(const BoundRecorder&) = delete;
  BoundRecorder& operator=(const BoundRecorder&) = delete;
  static std::vector<int32_t>& Bounds() {
    static std::vector<int32_t> bounds;
    return bounds;
  }
};

inline RandomMapParams Params(float width, float height, int32_t type, int32_t hilliness, int32_t edge = -1,
                              int32_t trees = 0) {
  RandomMapParams p;
  p.widthMetres = width;
  p.heightMetres = height;
  p.mapType = type;
  p.hilliness = hilliness;
  p.attackerEdge = edge;
  p.treeCoverage = trees;
  return p;
}
