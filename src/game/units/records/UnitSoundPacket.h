#pragma once
#include <array>
#include <cstdint>

class Unit;

// One sound of the action as the replay plays it: when, which sound, of what kind, and for
// each side (index 0 the side passed as 1, index 1 the side passed as 0) where that side hears
// it from and whether it hears it at all.
struct UnitSoundPacket {
  int16_t slice = 0;
  int16_t sound = 0;
  int16_t soundKind = 0;
  uint8_t attached = 0;
  Unit* unit = nullptr;
  std::array<std::array<float, 3>, 2> sidePosition{};
  std::array<uint8_t, 2> audible{};
  float size = 0.0f;
};
