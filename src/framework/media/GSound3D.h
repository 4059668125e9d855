#pragma once
#include "framework/media/GSoundEffect.h"

// A sound at a position in the 3-D scene, played on a 3-D channel. Subclasses choose whether
// it plays once or looped (the battlefield's positional sounds).
class GSound3D : public GSoundEffect {
 public:
  static constexpr float kMinMinDistance = 0.01f;
  static constexpr float kMinMinDistanceFine = 0.001f;

  // minDistance is raised to 0.01 (Init) or 0.001 (InitFine) when smaller.
  void Init(int16_t number, int32_t priority, float minDistance, int32_t instanceLimit);
  void InitFine(int16_t number, int32_t priority, float minDistance, int32_t instanceLimit);

  // Places the source at a world position, turned into listener space (x right, y up, z the
  // distance in front) by the renderer's camera transform, or at (0, 0, 1000) while no
  // renderer exists. A playing sound moves its channel, heard the
  // manager's distance offset farther away.
  void SetPosition(float x, float y, float z);

  float GetMinDistance() const { return minDistance_; }
  float GetStoredDistance() const { return distance_; }
  float GetX() const { return x_; }
  float GetY() const { return y_; }
  float GetZ() const { return z_; }

 protected:
  void PlayOnce() { PlayPositioned(false); }
  void PlayLooped() { PlayPositioned(true); }
  // For looped kinds: wait on the manager's list for a channel, then forget this one.
  bool OnLoopChannelStopped();

  float minDistance_ = 0.0f;
  float distance_ = 0.0f;
  float x_ = 0.0f, y_ = 0.0f, z_ = 0.0f;

 private:
  void PlayPositioned(bool looped);
};
