#include "game/draw/MapSound.h"

#include "game/map/MapUnitView.h"
#include "game/map/SoundKinds.h"
#include "game/units/Unit.h"

namespace {

constexpr float kAircraftSoundHeight = -500.0f;

}  // namespace

MapSound::MapSound() {
  minDistance_ = 1.0f;
  distance_ = 1.0f;
}

bool MapSound::Start(int32_t number, int32_t kind) {
  const int32_t priority = NormalizeSoundKind(kind);
  const int32_t soundClass = SoundKindClass(priority);
  if (soundClass < 0) return false;
  const float minDistance = SoundKindMinDistance(kind);
  if (StartsFine()) {
    InitFine(static_cast<int16_t>(number), priority, minDistance, soundClass);
  } else {
    Init(static_cast<int16_t>(number), priority, minDistance, soundClass);
  }
  return true;
}

bool MapSound::StartAt(int32_t number, int32_t kind, float x, float y, float z) {
  if (!Start(number, kind)) return false;
  owner_ = nullptr;
  fixed_[0] = x;
  fixed_[1] = y;
  fixed_[2] = z;
  UpdatePosition();
  Play();
  return true;
}

bool MapSound::StartOnUnit(int32_t number, int32_t kind, const MapUnitView* unit) {
  if (!Start(number, kind)) return false;
  owner_ = unit;
  UpdatePosition();
  Play();
  return true;
}

void MapSound::UpdatePosition() {
  if (owner_ == nullptr) {
    SetPosition(fixed_[0], fixed_[1], fixed_[2]);
    return;
  }
  float x = owner_->GetX();
  float y = owner_->GetY();
  float z = owner_->GetZ();
  if (const auto* unit = UnitOfView(owner_)) unit->GetShownPosition(x, y, &z);
  if (LowersAircraft() && owner_->GetUnitKind() == MapUnitView::kAirplane) z = kAircraftSoundHeight;
  SetPosition(x, y, z);
}

bool MapSound::IsUnitLoopSound(GObject* sound, void* unit) {
  const auto* s = dynamic_cast<const MapSound*>(sound);
  if (s == nullptr || !s->BelongsTo(static_cast<const MapUnitView*>(unit))) return false;
  return s->GetPriority() == 3 || s->GetPriority() == 12;
}
