#pragma once
#include "game/draw/MapSound.h"

// A positional looped sound of the battlefield: an engine, a fire. It never finishes by
// itself; when it loses its channel it waits on the sound manager's list for another.
class MapSoundLoop : public MapSound {
 public:
  void Play() override { PlayLooped(); }
  bool IsFinished() override { return false; }
  bool OnChannelStopped() override { return OnLoopChannelStopped(); }
  bool IsLooping() const override { return true; }

 protected:
  bool StartsFine() const override { return true; }
  bool LowersAircraft() const override { return false; }
};
