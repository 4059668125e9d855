#pragma once
#include "game/draw/MapSound.h"

// A positional one-shot sound of the battlefield: a shot, an explosion, a shout. Built with
// GSound3D::Init (the instance limit is the class 0, 1 or 2 of the sound's kind) and placed
// with GSound3D::SetPosition. It is finished once it has no channel.
class MapSoundOneShot : public MapSound {
 public:
  void Play() override { PlayOnce(); }

 protected:
  bool StartsFine() const override { return false; }
  bool LowersAircraft() const override { return true; }
};
