#pragma once
#include "framework/media/GSound3D.h"

// A positional looped sound of the battlefield: an engine, a fire. It never finishes by
// itself; when it loses its channel it waits on the sound manager's list for another.
class MapSoundLoop : public GSound3D {
 public:
  void Play() override { PlayLooped(); }
  bool IsFinished() override { return false; }
  bool OnChannelStopped() override { return OnLoopChannelStopped(); }
  bool IsLooping() const override { return true; }
  float GetDistance() const override { return distance_; }
};
