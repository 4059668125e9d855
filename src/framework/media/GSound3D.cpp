#include "framework/media/GSound3D.h"

#include <cmath>

#include "framework/media/GGraph3D.h"
#include "framework/media/GSoundChannel.h"
#include "framework/media/GSoundManager.h"

void GSound3D::Init(int16_t number, int32_t priority, float minDistance, int32_t instanceLimit) {
  GSoundEffect::Init(number, priority, instanceLimit);
  minDistance_ = minDistance < kMinMinDistance ? kMinMinDistance : minDistance;
}

void GSound3D::InitFine(int16_t number, int32_t priority, float minDistance, int32_t instanceLimit) {
  GSoundEffect::Init(number, priority, instanceLimit);
  minDistance_ = minDistance < kMinMinDistanceFine ? kMinMinDistanceFine : minDistance;
}

void GSound3D::SetPosition(float x, float y, float z) {
  // The listener is the renderer's camera: its current transform gives camera space, whose
  // depth is turned to point forward. Without a renderer the sound stands far in front.
  if (gGraph3D != nullptr) {
    gGraph3D->TransformToCamera(&x, &y, &z);
  } else {
    x = 0.0f;
    y = 0.0f;
    z = 1000.0f;
  }
  if (x == x_ && y == y_ && z == z_) return;
  x_ = x;
  y_ = y;
  z_ = z;
  distance_ = std::sqrt(x * x + y * y + z * z);
  if (channel_ == nullptr) return;
  float offset = gSoundManager ? gSoundManager->GetDistanceOffset() : 0.0f;
  float f = 1.0f;
  if (offset != 0.0f) f = distance_ > 0.0f ? (distance_ + offset) / distance_ : (offset + 0.1f) * 10.0f;
  channel_->Set3DPosition(x * f, y * f, z * f, 0.0f);
}

bool GSound3D::OnLoopChannelStopped() {
  if (gSoundManager != nullptr) gSoundManager->QueueSound(this);
  return GSoundEffect::OnChannelStopped();
}

void GSound3D::PlayPositioned(bool looped) {
  if (channel_ != nullptr) return;
  PlayOnChannel(looped, true);
  if (channel_ != nullptr) channel_->Set3DPosition(x_, y_, z_, minDistance_);
}
