#pragma once
#include "framework/media/GSoundEffect.h"

// A sound played once on a plain channel by number. Only the manager makes them (through
// GSoundManager::PlaySound) and deletes them when they have finished.
class GSoundOneShot : public GSoundEffect {
 public:
  // Instance limit 999. Fatal unless the manager is making a one-shot sound.
  void Init(int16_t number, int32_t priority);
  void Play() override { PlayOnChannel(false, false); }
  bool IsOneShot() const override { return true; }
};
