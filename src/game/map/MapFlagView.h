#pragma once
#include <cstdint>

// A victory flag as the battlefield draws it: one of the battle's flags, or the editor's
// temporary flag over a flag marker.
struct MapFlagView {
  float x = 0.0f;
  float y = 0.0f;
  int32_t type = 0;        // 0 small, 1 large; others are not drawn
  bool contested = false;  // no side holds it
  int32_t owner = 0;       // the holder's cloth 0..5
  bool hidden = false;     // a hidden objective
  bool chosen = false;     // the chosen one of the hidden objectives
};
