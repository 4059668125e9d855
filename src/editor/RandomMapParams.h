#pragma once
#include <cstdint>

// What the random map dialog asks for: the size in metres, the kind of map and the attacker's
// map edge, which the caller takes from the current battle.
struct RandomMapParams {
  float widthMetres = 1000.0f;
  float heightMetres = 1000.0f;
  int32_t mapType = 1;        // 0 Town, 1 Village, 2 Farmland, 3 Rural
  int32_t treeCoverage = 0;   // 0 Open, 1 Light, 2 Moderate, 3 Heavy
  int32_t hilliness = 0;      // 0 Flat, 1 Gentle Slopes, 2 Small Hills, 3 Modest Hills, 4 Large Hills
  int32_t attackerEdge = -1;  // -1 none (no battle, or a meeting engagement), else 0-3
};
