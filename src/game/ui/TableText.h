#pragma once
// A string of the game's string table as text.
#include <cstdint>
#include <string>

#include "framework/core/GString255.h"

inline std::string TableText(uint32_t id) {
  GString255 text;
  text.LoadResource(id);
  return text.CStr();
}
