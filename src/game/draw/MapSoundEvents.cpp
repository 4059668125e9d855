// The battle's positional sound events: each becomes a sound of the map's one-shot or looped
// list, heard where the viewing side hears it; one-shot events near the camera shake it.
// Events arrive from saved games, e-mail turns and the other machine, so a kind without a
// class or a point that is not finite skips the event with a log line.
#include <cmath>

#include "framework/core/GErrorLog.h"
#include "framework/core/GGroup.h"
#include "game/draw/MapSoundLoop.h"
#include "game/draw/MapSoundOneShot.h"
#include "game/map/Map.h"
#include "game/map/MapAppServices.h"
#include "game/map/MapPacket.h"
#include "game/map/MapUnitView.h"
#include "game/map/SoundKinds.h"

namespace {

constexpr int32_t kCameraShakeOption = 8;
constexpr float kShakeNear = 30.0f;
constexpr float kShakeFloor = 0.05f;

GGroup* EnsureList(GGroup*& list) {
  if (list == nullptr) {
    list = new GGroup;
    list->IGroup();
  }
  return list;
}

void Reposition(GObject* sound, void* /*arg*/) { static_cast<MapSound*>(sound)->UpdatePosition(); }

bool IsFinishedSound(GObject* sound, void* /*arg*/) { return static_cast<MapSound*>(sound)->IsFinished(); }

}  // namespace

void Map::AddSoundEvent(const MapPacket& event) {
  const MapPacket::Sound& e = event.sound;
  if (SoundKindClass(NormalizeSoundKind(e.kind)) < 0) {
    GErrorLog::LogValue("Map: a sound event of a kind without a class, skipped; kind", e.kind);
    return;
  }
  const int32_t side = app_->GetCurrentSide() == 1 ? 1 : 0;
  const float* at = e.position[side];
  if (!std::isfinite(at[0]) || !std::isfinite(at[1]) || !std::isfinite(at[2]) || !std::isfinite(e.parameter)) {
    GErrorLog::LogError("Map: a sound event at a point that is not a number, skipped");
    return;
  }
  if (e.looped == 0) {
    auto* sound = new MapSoundOneShot;
    if (e.source == nullptr) {
      sound->StartAt(e.number, e.kind, at[0], at[1], at[2]);
    } else {
      sound->StartOnUnit(e.number, e.kind, e.source);
    }
    EnsureList(display.oneShotSounds)->Append(sound);
    if (app_->GetOption(kCameraShakeOption) != 0) {
      const float dx = camera.x[side] - at[0];
      const float dy = camera.y[side] - at[1];
      const float dz = camera.height - at[2];
      const float d = std::sqrt(dx * dx + dy * dy + dz * dz);
      const float f = (d <= kShakeNear ? 1.0f : std::pow(kShakeNear / d, 1.2f)) * e.parameter;
      if (f >= kShakeFloor && f > frame.shake) frame.shake = f;
    }
    return;
  }
  if (e.source != nullptr) StopUnitLoopSounds(e.source);
  auto* sound = new MapSoundLoop;
  if (e.source == nullptr) {
    sound->StartAt(e.number, e.kind, at[0], at[1], at[2]);
  } else {
    sound->StartOnUnit(e.number, e.kind, e.source);
  }
  EnsureList(display.loopedSounds)->Append(sound);
}

void Map::StopUnitLoopSounds(const MapUnitView* unit) {
  if (unit == nullptr || !unit->IsVehicle() || display.loopedSounds == nullptr) return;
  display.loopedSounds->RemoveIf(MapSound::IsUnitLoopSound, const_cast<MapUnitView*>(unit), true);
}

void Map::UpdateSounds(bool reposition) {
  if (display.oneShotSounds != nullptr) {
    display.oneShotSounds->RemoveIf(IsFinishedSound, nullptr, true);
    if (reposition) display.oneShotSounds->ForEach(Reposition, nullptr);
  }
  if (reposition && display.loopedSounds != nullptr) display.loopedSounds->ForEach(Reposition, nullptr);
}
