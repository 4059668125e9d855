// The battle screen's sounds: the ambient stream chosen from the season, time of day, weather
// and ground, the units' looped sounds, and the replay's sounds preloaded before it and
// started frame by frame.
#include <unordered_map>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/Quorl.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/GSoundStream.h"
#include "game/battle/Battle.h"
#include "game/battle/Packet.h"
#include "game/battle/PacketList.h"
#include "game/battle/ReplayScreen.h"
#include "game/battle/screen/BattleScreenParts.h"
#include "game/map/MapAppServices.h"
#include "game/units/Unit.h"

namespace {

// Option 0, the sound switch: 2 is "On + Ambient".
constexpr int8_t kSoundWithAmbient = 2;
// The most sounds of the action preloaded before its replay.
constexpr int32_t kPreloadMax = 200;

}  // namespace

int32_t Battle::ChooseAmbientSound(int32_t season, int32_t timeOfDay, int32_t weather, bool snowGround,
                                   bool& isWeather) {
  int32_t number = 5007;
  if (weather == 5) number = 5000;
  else if (weather == 2) number = 5001;
  else if (weather == 3 || weather == 4) number = 5002;
  else if (season == 3 || snowGround) number = weather == 1 ? 5000 : 5002;
  else if (season == 2 && weather == 1) number = 5003;
  else if (timeOfDay == 1) number = 5004;
  else if (timeOfDay == 2) number = season == 1 ? 5005 : 5006;
  isWeather = number == 5000 || number == 5001;
  return number;
}

int32_t Battle::AmbientSoundToPlay(int32_t* priority) const {
  if (screenParts_ == nullptr || screenParts_->views.root == nullptr || App().GetOption(0) != kSoundWithAmbient) return 0;
  bool isWeather = false;
  const int32_t number = ChooseAmbientSound(season, timeOfDay, weather, IsSnowGround(), isWeather);
  if (priority != nullptr) *priority = isWeather ? 2 : 1;
  return number;
}

void Battle::StartAmbientSound() {
  if (screenParts_ == nullptr || screenParts_->views.root == nullptr) return;
  StopAmbientSound();
  int32_t priority = 1;
  const int32_t number = AmbientSoundToPlay(&priority);
  if (number == 0 || gSoundManager == nullptr) return;
  screenParts_->ambientSound = gSoundManager->StartStreamedSound(static_cast<int16_t>(number), priority, true);
}

void Battle::StopAmbientSound() {
  if (screenParts_ != nullptr) SafeDelete(screenParts_->ambientSound);
}

void Battle::StartUnitLoopSounds() {
  if (App().IsEditorOpen() || setupPhase != 0) return;
  for (int32_t i = 0; i < UnitCount(); ++i) UnitAt(i)->StartLoopSound();
}

void Battle::PreloadSounds() {
  GErrorLog::LogError("Preloading sounds");
  uint16_t numbers[kPreloadMax];
  uint8_t looped[kPreloadMax];
  const int32_t count = PacketList::CollectPreload(packets, viewingSide, kPreloadMax, numbers, looped);
  if (replayScreen != nullptr) replayScreen->PreloadSounds(count, numbers, looped);
  GErrorLog::LogError("Finished preloading sounds");
}

void Battle::FlushSoundEvents() {
  std::vector<Packet*>& events = replay.soundEvents;
  // The last looped event of each unit.
  std::unordered_map<const Unit*, size_t> lastLooped;
  for (size_t i = 0; i < events.size(); ++i) {
    const Packet& p = *events[i];
    if (p.sound.looped != 0 && p.sound.source != nullptr) lastLooped[p.sound.source] = i;
  }
  for (size_t i = 0; i < events.size(); ++i) {
    const Packet& p = *events[i];
    if (p.sound.looped != 0 && p.sound.source != nullptr && lastLooped[p.sound.source] != i) continue;
    if (replayScreen != nullptr) replayScreen->StartSoundEvent(p);
  }
  events.clear();
}
