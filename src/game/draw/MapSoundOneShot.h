#pragma once
#include "framework/media/GSound3D.h"

// A positional one-shot sound of the battlefield: a shot, an explosion, a shout. Built with
// GSound3D::Init or InitFine (the instance limit is the class 0, 1 or 2 of the sound's kind)
// and placed with GSound3D::SetPosition.
class MapSoundOneShot : public GSound3D {
 public:
  void Play() override { PlayOnce(); }
  float GetDistance() const override { return distance_; }
};
