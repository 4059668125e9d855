#pragma once
#include <cstdint>

#include "framework/core/GString255.h"

class GameSettings;

// The display option keys of the battle screen: each upper-case letter (and '[', ']') of the
// table changes one option byte and names the new state in a short text.
class OptionKeys {
 public:
  struct Result {
    // The option to apply (sound switched, gamma set) after the change, or -1.
    int32_t applyIndex = -1;
    // The battlefield is to be redrawn.
    bool redraw = false;
    GString255 text;
  };

  // Changes the option of the key and fills the result; false (nothing changed) for a key
  // not in the table.
  static bool Apply(uint8_t key, GameSettings& settings, Result& result);
  // "Gamma (Brightness) = " and the level's name, for Alt+G.
  static void GammaText(int32_t level, GString& text);
};
