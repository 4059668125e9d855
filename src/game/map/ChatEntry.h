#pragma once
#include <cstdint>

#include "framework/ui/GTextEntry.h"

class MapAppServices;

// The radio chat's entry line of the battlefield view in TCP/IP play: Enter sends what was
// typed as a radio line (shown here too), then empties and hides the line.
class ChatEntry : public GTextEntry {
 public:
  explicit ChatEntry(MapAppServices& app) : app_(app) {}
  void KeyChar(int8_t c) override;

 private:
  MapAppServices& app_;
};
